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
# A fresh machine's first Wine run makes its configuration and says so on
# standard error: that run is this one, not a compared one.
wine wineboot --init >/dev/null 2>&1 || true
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
  # Console from its second line on, standard error and exit status.
  (cd "$work/$name/native" && { "$native" "$@" 2>"../native.errors"; echo "exit $?" >"../native.status"; } |
    tail -n +2 >"../native.console")
  (cd "$work/$name/windows" && { wine "$windows" "$@" 2>"../windows.errors"; echo "exit $?" >"../windows.status"; } |
    tail -n +2 >"../windows.console")
  # A FIFO a project holds has no bytes to compare.
  find "$work/$name/native" "$work/$name/windows" -type p -delete
  if [ -s "$work/$name/native.console" ] && cmp -s "$work/$name/native.console" "$work/$name/windows.console" &&
     cmp -s "$work/$name/native.errors" "$work/$name/windows.errors" &&
     cmp -s "$work/$name/native.status" "$work/$name/windows.status" &&
     diff -r "$work/$name/native" "$work/$name/windows" >/dev/null; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "DIFFERS: $name ($*)"
    diff <(od -c "$work/$name/native.console") <(od -c "$work/$name/windows.console") | head -n 10
    diff "$work/$name/native.errors" "$work/$name/windows.errors" | head -n 5
    diff "$work/$name/native.status" "$work/$name/windows.status"
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

# Sources nobody here wrote: a zero byte in an INCLUDE name, an index left
# from an earlier run that names a page outside the output directory, names
# full of markup, an output directory that cannot be made.
zero_byte() {
  printf 'INCLUDE d\\keys\0.inc\r\nM PROC\r\n' >main.asm
  mkdir -p d pirVex/d
  printf 'K PROC\r\n' >d/keys
  printf 'precious' >pirVex/d/keys
}
stale_index() {
  printf 'S STRUC\r\nS ENDS\r\n' >s.asm
  printf '<HTML><B>see:</B>\r\n<UL>\r\n<LI>S</UL>' >victim.html
  mkdir -p pirVex
  printf '<A HREF="..\\victim.html#x" TARGET="main">x</A><BR>\r\n' >pirVex/f_ndx.htm
}
markup() {
  printf ';*@CONFIG-TAB: a"b 1> <2\r\n;*@PUBLIC: A"b<c>d\r\nImpl PROC\r\nS"<x> STRUC\r\nS"<x> ENDS\r\n' >demo.asm
}
blocked() {
  printf 'X PROC\r\n' >demo.asm
  printf 'a file' >pirVex
}

# Both separators make directories; a run that documents nothing still
# makes "pirVex"; page paths past Windows' 260 bytes.
slashes() {
  mkdir -p inc src
  printf 'INCLUDE inc/slash.inc\r\n;* Main.\r\nM PROC\r\n' >src/main.asm
  printf 'S PROC\r\nT STRUC\r\nT ENDS\r\n' >inc/slash.inc
}
nothing() { printf '; nothing documented here\r\n' >plain.asm; }
long_directory=$(printf 'directory%02d/' $(seq 1 30))  # 360 bytes
long_paths() {
  mkdir -p "$long_directory"
  printf ';*@see:\r\n;* M\r\nL PROC\r\nS STRUC\r\nS ENDS\r\n' >"${long_directory}long.inc"
  printf 'INCLUDE %s\r\nM PROC\r\n' "$(printf '%s' "${long_directory}long.inc" | tr / '\\\\')" \
    >"${long_directory}main.asm"
  cp "${long_directory}main.asm" main.asm
}

# Code not written for pirVex: guarded headers that include each other, found
# through the include path, with tabs and bracketed names; and a main source
# that only includes others.
real_project() {
  mkdir -p src inc "my inc"
  printf '\tinclude <defs.inc>\r\n\tinclude local.inc\r\n\tinclude other.inc\r\n\tje\tX\t;then proceed\r\n' >src/main.asm
  printf ';* Local.\r\nLocal\tPROC\r\n' >src/local.inc
  printf 'ifndef DEFS\r\n\tinclude <other.inc>\r\nPOINT\tstruct\r\n x\tdw ?\r\nPOINT\tends\r\n;*@see:\r\n;* Other, POINT\r\nDefs\tPROC\r\nendif\r\n' >inc/defs.inc
  printf "\\tinclude 'defs.inc'\\r\\n;* Other.\\r\\nOther\\tPROC\\r\\n" >"my inc/other.inc"
}

# A program of modules, each assembled on its own: patterns with "*", "?"
# and "**" expanded the same on both systems, letters in any case, a link
# to a directory that "**" does not enter, a FIFO and a directory that are
# no modules, and findings reported by --check.
modules() {
  mkdir -p lib src/deep/er other dir.asm
  printf ';* Einstieg.\r\n;*@see:\r\n;* Open, Parse, Deep, Far\r\nMain PROC\r\n' >main.asm
  printf ';*@CONFIG-TAB: kopf.png 500 20\r\n;* Z.\r\n;*@see:\r\n;* Main, Fehlt\r\nZeta PROC\r\n' >lib/zeta.asm
  printf ';* Oeffnet.\r\nOpen PROC\r\n;* Kein Kopf.\r\n' >lib/Open.asm
  printf ';* Liest.\r\nParse PROC\r\nOpen PROC\r\n' >src/parse.asm
  printf ';* Tief.\r\nDeep PROC\r\n' >src/deep/er/deep.asm
  printf ';* Weit.\r\nFar PROC\r\n' >other/far.asm
  ln -s ../other src/linked
  mkfifo pipe.asm
}
# Code not written for pirVex: plain comments, banners and procedures
# declared through a macro.
legacy() {
  printf ';;; kernel.asm\r\n\r\n;--- UMBalloc\r\n;--- inp: DX=size\r\n;---      <&>\r\nprocedure UMB_alloc,NEAR\r\n  call Release\r\nprocedure Release,NEAR ; gibt frei\r\n;*****\r\n; Banner\r\n;*****\r\nPlain PROC\r\n' >kernel.asm
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
case_ slashes slashes src/main.asm
case_ nothing nothing plain.asm
case_ long-include long_paths main.asm
case_ long-main long_paths "${long_directory}main.asm"
case_ zero-byte zero_byte main.asm
case_ stale-index stale_index s.asm
case_ markup markup demo.asm
case_ blocked blocked demo.asm
case_ real-project real_project src/main.asm --include-dir=inc "--include-dir=my inc"
case_ real-project-lenient real_project --lenient src/main.asm --include-dir=inc "--include-dir=my inc"
case_ example-site example main.asm --html5
case_ markup-site markup demo.asm --html5 --encoding=latin1
case_ help nothing --help
case_ example-modules example --comments main.asm --module=*.asm
case_ example-modules-site example --html5 --check --comments main.asm --module=*.asm
case_ modules modules --check main.asm "--module=lib/*.asm" "--module=src/**/*.ASM" "--module=*.asm" \
  "--module=src/**" "--module=src/linked/*.asm" --module=dir.asm --module=pipe.asm "--module=none/*.asm"
case_ legacy legacy --comments --proc-macro=procedure --html5 kernel.asm
case_ unknown-option nothing --frobnicate plain.asm

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
