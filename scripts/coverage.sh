#!/usr/bin/env bash
# Measures what the tests guard and what they cost: line coverage of src/ by the whole ctest suite
# (a Debug build instrumented with gcov, in build-cov/), and test lines against production lines.
# A line counts when it is neither blank nor only a comment: C++ files under src/ are production;
# C++ files and scenario scripts under tests/ are tests (fuzz corpora are data and do not count).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >/dev/null

if ! command -v gcovr >/dev/null; then
  echo "Installing: gcovr"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi

# Atomic counters: the journal writes on a thread of its own, and counters updated from two
# threads at once can come out negative, which gcovr refuses to read.
cmake -S . -B build-cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTERRAVANE_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
cmake --build build-cov -j "$(nproc)" >/dev/null
find build-cov -name '*.gcda' -delete
QT_QPA_PLATFORM=offscreen ctest --test-dir build-cov -j "$(nproc)" >build-cov/ctest.log 2>&1 ||
  { tail -n 30 build-cov/ctest.log; echo "coverage: the tests failed"; exit 1; }

# The report goes to a file: gcovr checks an output path by creating and deleting it, which
# would remove /dev/null itself when run as root.
coverage=$(gcovr -r . --filter 'src/' -j "$(nproc)" --print-summary -o build-cov/coverage.txt \
  build-cov/src build-cov/tests 2>/dev/null | awk '/^lines:/ {print $2, $3, $4, $5, $6}')

cxx_lines() { git ls-files -- "$1" | grep -E '\.(h|hpp|cpp|cc)$' | xargs -r cat | grep -cvE '^\s*(//.*)?$' || true; }
script_lines() { git ls-files -- "$1" | grep -E '\.scn$' | xargs -r cat | grep -cvE '^\s*(#.*)?$' || true; }
production=$(cxx_lines src)
test_cxx=$(cxx_lines tests)
test_scripts=$(script_lines tests)
tests=$((test_cxx + test_scripts))

echo "line coverage of src/: $coverage"
echo "test lines: $tests ($test_cxx C++ + $test_scripts script) against $production production lines:" \
  "$(awk -v t="$tests" -v p="$production" 'BEGIN {printf "%.1f %%", 100 * t / p}')"
