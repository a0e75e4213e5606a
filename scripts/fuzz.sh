#!/usr/bin/env bash
# Runs every libFuzzer target (or those named after the time) for SECONDS each (default 60), built
# with clang, ASan and UBSan in build-fuzz/, starting from the corpus and dictionary committed in
# tests/fuzz/. New inputs go to build-fuzz/corpus-TARGET, findings to build-fuzz/findings/; one
# line per target gives runs, executions per second and crashes. Exits 1 on any finding.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(cd tests/fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//'))
fi

if [ ! -f build-fuzz/build.ninja ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTERRAVANE_FUZZ=ON -DTERRAVANE_BENCH=OFF >/dev/null
fi
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}
mkdir -p build-fuzz/findings
failed=0
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus-$target
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix=build-fuzz/findings/$target-)
  [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
  # Targets that keep a bot between inputs grow memory on purpose; their leaks are checked
  # once at exit instead of after every input that allocated more than it freed.
  case $target in chat_fuzz | intake_fuzz | scenario_fuzz) options+=(-detect_leaks=0) ;; esac
  log=build-fuzz/fuzz-$target.log
  if build-fuzz/tests/$target "${options[@]}" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "fuzz: $target $runs runs in ${seconds} s ($rate exec/s), 0 crashes"
  else
    tail -n 40 "$log"
    echo "fuzz: $target FOUND A FAULT; the input is in build-fuzz/findings/ (full log: $log)"
    failed=1
  fi
done
exit $failed
