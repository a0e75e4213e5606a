#!/usr/bin/env bash
# Sets everything up, builds from nothing if needed, and runs every test: a short libFuzzer run of
# each fuzz target (built with clang and sanitizers), then the unit tests, scenario scripts and
# the fuzz corpus replay through ctest, whose summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTERRAVANE_FUZZ=ON -DTERRAVANE_BENCH=OFF >/dev/null
for target in xml_fuzz text_fuzz; do
  cmake --build build-fuzz -j "$(nproc)" --target "$target" >/dev/null
  mkdir -p "build-fuzz/corpus-$target"
  build-fuzz/tests/$target -max_total_time=15 -timeout=5 -rss_limit_mb=2048 \
    "build-fuzz/corpus-$target" "tests/fuzz/corpus/$target" 2>&1 | tail -n 1
  echo "fuzz: $target ran clean"
done

ctest --test-dir build --output-on-failure -j "$(nproc)"
