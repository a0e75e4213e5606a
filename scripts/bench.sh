#!/usr/bin/env bash
# Builds and runs every benchmark; the whole-bot program runs last and closes the output with
# the table of goals against what was measured. `--short` runs each benchmark once at a small
# scale (what CI does through ctest); other arguments go to Google Benchmark, for example
# --benchmark_filter=Heartbeat. The full run takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
# One program per bench/*_bench.cpp (a program left in build/ from a removed source is not run).
for source in bench/*_bench.cpp; do
  name=$(basename "$source" .cpp)
  echo "== $name"
  "build/bench/$name" --benchmark_color=false "$@"
done
echo "== scale_bench"
build/bench/scale_bench --benchmark_color=false --benchmark_counters_tabular=true "$@"
