#!/usr/bin/env bash
# Documents the example project and clicks through it in headless Chromium;
# installs Chromium and the test's one npm package when they are missing.
#
#   run.sh PIRVEX SCREENSHOT.png
set -euo pipefail
pirvex=$(realpath "$1")
screenshot=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v chromium >/dev/null; then
  apt-get update && apt-get install -y chromium
fi
[ -d "$here/node_modules/playwright-core" ] || (cd "$here" && npm ci --no-audit --no-fund)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/../../examples/project/." "$work"
rm -rf "$work/pirVex"
(cd "$work" && "$pirvex" main.asm >/dev/null)
node "$here/frames.mjs" "$work" "$screenshot"
