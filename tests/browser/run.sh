#!/usr/bin/env bash
# Documents the example project and clicks through it in headless Chromium;
# installs Chromium, Java and the test's npm packages when they are missing.
# With a second screenshot it also documents the example with --html5,
# checks every page of that site with the Nu HTML checker and runs
# html5.mjs on it; with the bench project generator as well, it times the
# search box on a project of 100,000 procedures.
#
#   run.sh PIRVEX FRAMES_SCREENSHOT.png [HTML5_SCREENSHOT.png [GENERATOR]]
set -euo pipefail
pirvex=$(realpath "$1")
screenshot=$(realpath -m "$2")
html5_screenshot=${3:+$(realpath -m "$3")}
generator=${4:+$(realpath "$4")}
here=$(cd "$(dirname "$0")" && pwd)
need=()
command -v chromium >/dev/null || need+=(chromium)
if [ -n "$html5_screenshot" ] && ! command -v java >/dev/null; then need+=(default-jre-headless); fi
if [ ${#need[@]} -gt 0 ]; then
  apt-get update && apt-get install -y "${need[@]}"
fi
# The checker's install script would fetch a Java of its own; Debian's is used.
for package in playwright-core axe-core vnu-jar; do
  if [ ! -d "$here/node_modules/$package" ]; then
    (cd "$here" && npm ci --no-audit --no-fund --ignore-scripts)
    break
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/../../examples/project/." "$work"
rm -rf "$work/pirVex"
# The example documented as the README's first command documents it: with
# its second module and its plain comments.
(cd "$work" && "$pirvex" --comments main.asm --module=*.asm >/dev/null)
failed=0
node "$here/frames.mjs" "$work" "$screenshot" || failed=1
[ -n "$html5_screenshot" ] || exit "$failed"

html5=$work/html5
cp -r "$here/../../examples/project/." "$html5"
rm -rf "$html5/pirVex"
(cd "$html5" && "$pirvex" --comments main.asm --module=*.asm --html5 >/dev/null)

# Every page must be valid HTML: one check per page.
mapfile -t pages < <(find "$html5/pirVex/html5" -name '*.html' | sort)
report=$work/vnu.txt
java -jar "$here/node_modules/vnu-jar/build/dist/vnu.jar" --errors-only --format gnu "${pages[@]}" 2>"$report" || true
bad=0
for page in "${pages[@]}"; do
  if grep -qF "file:$page\"" "$report"; then bad=$((bad + 1)); fi
done
# Anything the checker said that names no page (it could not run, say).
if [ -s "$report" ] && [ "$bad" -eq 0 ]; then bad=1; fi
cat "$report"
echo "vnu: $((${#pages[@]} - bad)) passed, $bad failed"
[ "$bad" -eq 0 ] && [ ${#pages[@]} -gt 0 ] || failed=1

big=()
if [ -n "$generator" ]; then
  "$generator" 100000 "$work/big"
  (cd "$work/big" && "$pirvex" main.asm --html5 >/dev/null)
  big=("$work/big")
fi
node "$here/html5.mjs" "$html5" "$html5_screenshot" "${big[@]}" || failed=1
exit "$failed"
