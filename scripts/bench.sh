#!/usr/bin/env bash
# Builds and runs every benchmark; the whole-bot program runs last and closes the output with
# the table of goals against what was measured. `--short` runs each benchmark once at a small
# scale (what CI does through ctest); other arguments go to Google Benchmark, for example
# --benchmark_filter=Heartbeat. The full run takes several minutes and a few GB of memory.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >/dev/null
for program in $(find build/bench -maxdepth 1 -type f -executable -name '*_bench' | sort); do
  [ "$(basename "$program")" = scale_bench ] && continue
  echo "== $(basename "$program")"
  "$program" --benchmark_color=false "$@"
done
echo "== scale_bench"
build/bench/scale_bench --benchmark_color=false --benchmark_counters_tabular=true "$@"
