#!/usr/bin/env bash
# Sets everything up, builds from nothing if needed, and runs every test: a short libFuzzer run of
# each fuzz target, then the unit tests, scenario scripts and fuzz corpus replay once under ASan
# and UBSan (the clang build the fuzz targets need, build-fuzz/) and once more in the ordinary
# build through ctest, whose summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRAVANE_FUZZ=ON -DTERRAVANE_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" >/dev/null

scripts/fuzz.sh 10

# Any sanitizer finding ends the program with an error, so the test fails.
export ASAN_OPTIONS=abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
log=build-fuzz/ctest.log
if ! ctest --test-dir build-fuzz --output-on-failure -j "$(nproc)" >"$log" 2>&1; then
  cat "$log"
  echo "sanitizers: the tests above failed under ASan and UBSan"
  exit 1
fi
echo "sanitizers: $(grep 'tests passed' "$log") under ASan and UBSan"
unset ASAN_OPTIONS UBSAN_OPTIONS

ctest --test-dir build --output-on-failure -j "$(nproc)"
