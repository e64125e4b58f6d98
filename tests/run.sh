#!/usr/bin/env bash
# Builds pirVex with warnings as errors and runs every test: the fast tier
# (ctest --preset dev), clang-tidy, the pages in a real browser, the Windows
# build under Wine against the native one, the packages, the fast tier
# again under AddressSanitizer and UndefinedBehaviorSanitizer, what runs on
# two threads under ThreadSanitizer, and a bounded run of the fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${PIRVEX_FUZZ_SECONDS:-120}

# What a fresh Debian machine lacks is installed first (as root, with apt-get).
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v clang++ >/dev/null || need+=(clang)
command -v clang-tidy >/dev/null || need+=(clang-tidy)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
  need+=(libclang-rt-dev)
command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || need+=(wine64)
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
command -v file >/dev/null || need+=(file)
command -v python3 >/dev/null || need+=(python3)
command -v chromium >/dev/null || need+=(chromium)
command -v npm >/dev/null || need+=(npm)
command -v java >/dev/null || need+=(default-jre-headless)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages, install them as root: ${need[*]}" >&2
    exit 1
  fi
  apt-get update
  apt-get install -y "${need[@]}"
fi

echo "== normal build and every ctest test"
cmake --preset dev
cmake --build --preset dev -j"$jobs"
ctest --preset all -j"$jobs"

echo "== clang-tidy"
find src -name '*.cpp' ! -name 'win32_platform.cpp' -print0 | sort -z |
  xargs -0 -P"$jobs" -n4 clang-tidy -p build --quiet 2> >(grep -v 'warnings generated' >&2)
echo "clang-tidy: clean"

echo "== the example's pages in headless Chromium"
bash tests/browser/run.sh build/pirvex build/frameset.png build/html5.png build/pirvex_generate

echo "== windows build under wine, compared with the native build"
cmake --preset mingw
cmake --build --preset mingw -j"$jobs"
bash tests/windows/compare.sh build/pirvex build-win/pirvex.exe build/pirvex_generate

echo "== install and packages"
bash tests/package/check.sh build build-win

echo "== sanitizer build"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== thread sanitizer: the site made on two threads"
cmake --preset tsan
cmake --build --preset tsan -j"$jobs"
ctest --preset tsan -j"$jobs"

echo "== fuzz target, ${fuzz_seconds} s"
cmake --preset fuzz
cmake --build --preset fuzz -j"$jobs"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/
if ! ./build-fuzz/pirvex_fuzz -max_total_time="$fuzz_seconds" -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ "$corpus" >build-fuzz/fuzz.log 2>&1; then
  cat build-fuzz/fuzz.log
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
tail -n 12 build-fuzz/fuzz.log
echo "fuzz: 1 passed, 0 failed"
