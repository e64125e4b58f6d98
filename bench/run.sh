#!/usr/bin/env bash
# Builds pirVex in release mode, generates projects of 1,000 to 1,000,000
# procedures, and prints for each: wall time, peak memory, write calls and
# the bytes they wrote, and the floor measured in the same run (every source
# read once, the same output bytes written with cat into the same file
# system) with pirVex's ratio to it. Then the same runs with the HTML5 site
# (--html5) beside them, up to 100,000 procedures; then modules, plain
# comments and --check beside the forms they are compared with. Then,
# where Wine and MinGW-w64 are installed, pirvex.exe under Wine against the
# native build (PIRVEX_BENCH_WINE= leaves this out).
#
#   bash bench/run.sh [SIZES...]
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000 1000000)
for tool in /usr/bin/time strace; do
  command -v "$tool" >/dev/null || { apt-get update && apt-get install -y time strace; }
done

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DPIRVEX_TESTS=OFF -DPIRVEX_BENCH=ON >/dev/null
cmake --build build-release -j"$(nproc)" >/dev/null
pirvex=$PWD/build-release/pirvex
work=$(mktemp -d "${BENCH_DIR:-/tmp}/pirvex-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Each timed run starts without the last run's output and with everything
# written so far on the disk, both done before the clock starts: removing
# 100,000 procedures' output takes 0.1 to 0.2 s, which is not pirVex's time,
# and a run that starts while earlier runs' bytes wait to be written
# competes with their write-back.
fresh_output() { rm -rf pirVex && sync; }

now() { date +%s.%N; }
# The best of five runs of a command (PIRVEX_BENCH_RUNS), in seconds: on a
# shared machine a run now and then takes a third longer. A preparing
# command runs before each, off the clock.
best_of_runs() {
  local prepare=$1 best="" start end took
  shift
  for _ in $(seq "${PIRVEX_BENCH_RUNS:-5}"); do
    "$prepare"
    start=$(now); "$@"; end=$(now)
    took=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$took < $best" | bc -l)" = 1 ]; then best=$took; fi
  done
  echo "$best"
}
run_pirvex() { "$pirvex" main.asm >/dev/null; }
run_floor() {
  find . -path ./pirVex -prune -o -type f \( -name '*.asm' -o -name '*.inc' \) -print0 | xargs -0 cat >/dev/null
  find pirVex -type f -print0 | sort -z | xargs -0 cat >"$work/copy"
}

command -v bc >/dev/null || { apt-get update && apt-get install -y bc; }
printf '%-12s %10s %10s %10s %12s %10s %10s %8s %14s\n' procedures "output MB" "pirVex s" "peak MB" \
  "write calls" "written MB" "floor s" ratio "us/procedure"
for n in "${sizes[@]}"; do
  project="$work/p$n"
  ./build-release/pirvex_generate "$n" "$project"
  (
    cd "$project"
    fresh_output && run_pirvex
    output_bytes=$(find pirVex -type f -print0 | xargs -0 cat | wc -c)
    seconds=$(best_of_runs fresh_output run_pirvex)
    floor=$(best_of_runs sync run_floor)
    fresh_output
    peak=$(/usr/bin/time -f %M "$pirvex" main.asm 2>&1 >/dev/null | tail -n 1)
    # Every write call and the bytes it wrote (the console's lines included).
    fresh_output
    strace -f -e trace=write,pwrite64,writev -e signal=none -o "$work/strace" "$pirvex" main.asm >/dev/null
    read -r writes written < <(awk '/= [0-9]+$/ {calls++; bytes += $NF} END {print calls + 0, bytes + 0}' "$work/strace")
    rm -f "$work/strace"
    printf '%-12s %10.1f %10.3f %10.1f %12s %10.1f %10.3f %8.2f %14.2f\n' "$n" "$(echo "$output_bytes / 1048576" | bc -l)" \
      "$seconds" "$(echo "$peak / 1024" | bc -l)" "$writes" "$(echo "$written / 1048576" | bc -l)" \
      "$floor" "$(echo "$seconds / $floor" | bc -l)" "$(echo "$seconds * 1000000 / $n" | bc -l)"
  )
  rm -rf "$project"
done

# The HTML5 site: each run with --html5 against the run without it, best of
# five each, the site's own bytes and the run's peak memory.
run_site() { "$pirvex" main.asm --html5 >/dev/null; }
echo
printf '%-12s %10s %10s %10s %10s %8s\n' procedures "classic s" "--html5 s" "site MB" "peak MB" \
  ratio
for n in "${sizes[@]}"; do
  [ "$n" -le 100000 ] || continue
  project="$work/h$n"
  ./build-release/pirvex_generate "$n" "$project"
  (
    cd "$project"
    fresh_output && run_site
    site_bytes=$(find pirVex/html5 -type f -print0 | xargs -0 cat | wc -c)
    classic=$(best_of_runs fresh_output run_pirvex)
    site=$(best_of_runs fresh_output run_site)
    fresh_output
    peak=$(/usr/bin/time -f %M "$pirvex" main.asm --html5 2>&1 >/dev/null | tail -n 1)
    printf '%-12s %10.3f %10.3f %10.1f %10.1f %8.2f\n' "$n" "$classic" "$site" \
      "$(echo "$site_bytes / 1048576" | bc -l)" "$(echo "$peak / 1024" | bc -l)" \
      "$(echo "$site / $classic" | bc -l)"
  )
  rm -rf "$project"
done

# The forms real programs take, at the largest size up to 100,000
# procedures: the same procedures in 100 modules reached by INCLUDE from one
# main file, and as modules (--module); a project documented in plain
# comments (--comments) beside the same one with ";*" blocks; and that one
# with --check. Each the best of five, taken in turns with the row it is set
# beside, and its ratio to that row.
forms_size=0
for n in "${sizes[@]}"; do [ "$n" -le 100000 ] && [ "$n" -gt "$forms_size" ] && forms_size=$n; done
if [ "$forms_size" -gt 0 ]; then
  n=$forms_size
  ./build-release/pirvex_generate "$n" "$work/blocks"
  ./build-release/pirvex_generate "$n" "$work/comments" --comments
  ./build-release/pirvex_generate "$n" "$work/modules" --modules=100
  run_included() { (cd "$work/modules" && "$pirvex" all.asm >/dev/null); }
  run_modules() { (cd "$work/modules" && "$pirvex" main.asm "--module=mod?/*.asm" >/dev/null); }
  run_blocks() { (cd "$work/blocks" && "$pirvex" main.asm >/dev/null); }
  run_comments() { (cd "$work/comments" && "$pirvex" --comments main.asm >/dev/null); }
  run_check() { (cd "$work/blocks" && { "$pirvex" main.asm --check >/dev/null 2>&1 || true; }); }
  # A pair is timed in turns, A B A B ..., each run after the other's
  # output is removed: a file system that has just deleted a run's files
  # is slower at making the next run's, and the turns share that alike.
  fresh_pair() { rm -rf "$work"/{blocks,comments,modules}/pirVex && sync; }
  best_in_turns() {
    local a=$1 b=$2 best_a="" best_b="" start end took
    for _ in $(seq "${PIRVEX_BENCH_RUNS:-5}"); do
      for which in a b; do
        fresh_pair
        local run=$a
        [ "$which" = b ] && run=$b
        start=$(now); "$run"; end=$(now)
        took=$(echo "$end - $start" | bc -l)
        if [ "$which" = a ]; then
          if [ -z "$best_a" ] || [ "$(echo "$took < $best_a" | bc -l)" = 1 ]; then best_a=$took; fi
        elif [ -z "$best_b" ] || [ "$(echo "$took < $best_b" | bc -l)" = 1 ]; then best_b=$took; fi
      done
    done
    echo "$best_a $best_b"
  }
  read -r included modules < <(best_in_turns run_included run_modules)
  read -r blocks comments < <(best_in_turns run_blocks run_comments)
  read -r blocks_again checked < <(best_in_turns run_blocks run_check)
  echo
  printf '%-44s %10s %8s\n' "$n procedures" "s" ratio
  printf '%-44s %10.3f %8s\n' "100 files reached by INCLUDE" "$included" ""
  printf '%-44s %10.3f %8.2f\n' "100 modules (--module)" "$modules" \
    "$(echo "$modules / $included" | bc -l)"
  printf '%-44s %10.3f %8s\n' ";* blocks" "$blocks" ""
  printf '%-44s %10.3f %8.2f\n' "plain comments (--comments)" "$comments" \
    "$(echo "$comments / $blocks" | bc -l)"
  printf '%-44s %10.3f %8s\n' ";* blocks, timed in turns with --check" "$blocks_again" ""
  printf '%-44s %10.3f %8.2f\n' ";* blocks with --check" "$checked" \
    "$(echo "$checked / $blocks_again" | bc -l)"
  rm -rf "$work/blocks" "$work/comments" "$work/modules"
fi

# The Windows build under Wine beside the native one, where the toolchain and
# Wine are there (tests/run.sh installs both): Wine's own start-up, measured
# with a run that prints the usage line, is taken off before the ratio.
if [ -n "${PIRVEX_BENCH_WINE-1}" ] && command -v wine >/dev/null &&
   command -v x86_64-w64-mingw32-g++ >/dev/null; then
  cmake --preset mingw >/dev/null && cmake --build --preset mingw -j"$(nproc)" >/dev/null
  export WINEDEBUG=-all
  # One server for every run, as on a desktop; it ends a minute after the
  # last run and holds none of this script's output open.
  wineserver -p60 </dev/null >/dev/null 2>&1 || true
  windows=$PWD/build-win/pirvex.exe
  run_windows() { wine "$windows" main.asm >/dev/null; }
  run_usage() { wine "$windows" >/dev/null || true; }
  echo
  printf '%-12s %10s %10s %10s %12s %10s\n' procedures "native s" "Wine s" "start-up s" \
    "WriteFile" "ratio"
  for n in "${sizes[@]}"; do
    [ "$n" -le 100000 ] || continue
    project="$work/w$n"
    ./build-release/pirvex_generate "$n" "$project"
    (
      cd "$project"
      run_usage
      native=$(best_of_runs fresh_output run_pirvex)
      startup=$(best_of_runs true run_usage)
      seconds=$(best_of_runs fresh_output run_windows)
      fresh_output
      writes=$(WINEDEBUG=+relay wine "$windows" main.asm 2>&1 >/dev/null |
               grep -c 'Call KERNEL32.WriteFile(' || true)
      printf '%-12s %10.3f %10.3f %10.3f %12s %10.2f\n' "$n" "$native" "$seconds" "$startup" \
        "$writes" "$(echo "($seconds - $startup) / $native" | bc -l)"
    )
    rm -rf "$project"
  done
fi
