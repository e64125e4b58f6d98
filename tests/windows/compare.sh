#!/usr/bin/env bash
# Runs the native pirvex and pirvex.exe under Wine on the same projects and
# compares their console output (from the second line on) and every file
# they write, byte for byte.
#
#   compare.sh NATIVE_PIRVEX WINDOWS_PIRVEX_EXE GENERATOR
set -uo pipefail
native=$(realpath "$1") windows=$(realpath "$2") generator=$(realpath "$3")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
passed=0 failed=0

# case NAME SETUP ARGUMENTS...: SETUP is a function that lays out the project
# in the current directory.
case_() {
  local name=$1 setup=$2
  shift 2
  local run
  for run in native windows; do
    mkdir -p "$work/$name/$run" && (cd "$work/$name/$run" && "$setup")
  done
  (cd "$work/$name/native" && "$native" "$@" | tail -n +2 >"../native.console")
  (cd "$work/$name/windows" && wine "$windows" "$@" | tail -n +2 >"../windows.console")
  if [ -s "$work/$name/native.console" ] && cmp -s "$work/$name/native.console" "$work/$name/windows.console" &&
     diff -r "$work/$name/native" "$work/$name/windows" >/dev/null; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "DIFFERS: $name ($*)"
    diff <(od -c "$work/$name/native.console") <(od -c "$work/$name/windows.console") | head -n 10
    diff -r "$work/$name/native" "$work/$name/windows" | head -n 10
  fi
}

example() { cp -r "$root/examples/project/." . && rm -rf pirVex; }
generated() { "$generator" 1000 .; }
special() {
  printf 'INCLUDE "sub\\Types.INC"\r\nINCLUDE missing.inc\r\n;* Gr\x94\xe1e\r\n;*@see:\r\n;* T, Read, Api\r\nRead PROC\r\n' >"my demo.asm"
  mkdir -p sub
  printf 'T STRUC\r\n a db 4 DUP (1)\r\nT ENDS\r\nINCLUDE my.asm\r\n' >sub/types.inc
  printf ';*@PUBLIC: Api\r\nImpl:\r\nINCLUDE SUB\\TYPES.INC\r\n' >my.asm
  printf '' >empty.asm
}

case_ example example main.asm
case_ example-public example -p main.asm
case_ generated generated main.asm
case_ special special "my demo.asm"
case_ special-public special "my demo.asm" -P
case_ no-argument special
case_ no-dot special demo
case_ missing special missing.asm
case_ empty special empty.asm

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
