#!/usr/bin/env bash
# Installs pirVex with cmake --install, builds the Debian package and the
# Windows zip with CPack, and runs what each of them puts in place.
#
#   check.sh NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]
set -uo pipefail
native=$(realpath "$1")
windows=${2:+$(realpath "$2")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
usage=$'Usage  : pirVex Dateiname.ext\r'
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$native/CMakeCache.txt")
passed=0 failed=0
check() {  # check NAME COMMAND...: the command succeeds
  local name=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
prints_usage() { [ "$("$@" | tail -n 1)" = "$usage" ]; }

cmake --install "$native" --prefix "$work/prefix" >/dev/null
check "installed binary" prints_usage "$work/prefix/bin/pirvex"
check "installed manual" grep -q "pirVex $version" "$work/prefix/share/man/man1/pirvex.1"
check "banner version" bash -c "'$work/prefix/bin/pirvex' | head -n 1 | grep -q '^pirVex $version '"

(cd "$native" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/pirvex_*_*.deb 2>/dev/null | head -n 1)
check "debian package built" test -n "$deb"
if [ -n "$deb" ]; then
  dpkg-deb -x "$deb" "$work/debroot"
  check "debian package binary" prints_usage "$work/debroot/usr/bin/pirvex"
  check "debian package manual" grep -q "pirVex $version" "$work/debroot/usr/share/man/man1/pirvex.1"
  check "debian package fields" bash -c "dpkg-deb -f '$deb' Package Version | grep -qx 'Version: $version'"
fi

if [ -n "$windows" ]; then
  (cd "$windows" && cpack -G ZIP -B "$work/zip" >/dev/null)
  zip=$(ls "$work"/zip/pirvex-*-windows-x64.zip 2>/dev/null | head -n 1)
  check "windows zip built" test -n "$zip"
  if [ -n "$zip" ]; then
    python3 -m zipfile -e "$zip" "$work/unzipped"
    exe=$(find "$work/unzipped" -name pirvex.exe | head -n 1)
    check "windows zip binary" prints_usage wine "$exe"
    check "windows zip readme" test -n "$(find "$work/unzipped" -name README.md)"
  fi
fi

echo "packages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
