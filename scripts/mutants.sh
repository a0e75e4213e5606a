#!/usr/bin/env bash
# Deliberate faults in the core, each of which the tests must catch. For every mutation: one line
# of src/ is replaced, the build in build/ is brought up to date, the whole ctest suite runs, and
# the tests that failed are listed; the file is then restored. The script stops when the line is
# not found exactly once or when the mutated source does not build (that would prove nothing). A mutation no test catches is reported as MISSED and makes the exit
# status 1. Usage: scripts/mutants.sh [NAME...] (default: all of them).
set -euo pipefail
cd "$(dirname "$0")/.."

# name | file | the line as it stands | the line as mutated
MUTATIONS=(
  "area-box-one-column-wider|src/commands/AreaCommands.cpp|    box.x1 = static_cast<int64_t>(cellX) + boxSize;|    box.x1 = static_cast<int64_t>(cellX) + boxSize + 1;"
  "timed-out-query-not-reissued|src/terrain/TerrainCallback.cpp|        case CallbackType::CellQuery:|        case CallbackType::None:"
  "rights-list-check-flipped|src/commands/TerrainRights.cpp|    if (TerrainRightsHasCitizen(bot.rights, privilege)) return true;|    if (!TerrainRightsHasCitizen(bot.rights, privilege)) return true;"
  "flood-threshold-one-higher|src/events/SessionTable.cpp|        if (withinWindow && static_cast<double>(session->floodCount) >= limit) {|        if (withinWindow && static_cast<double>(session->floodCount) > limit) {"
  "last-row-markers-uncounted|src/terrain/TerrainCache.cpp|    for (int32_t z = FirstWorldRow(worldSize_); z <= LastWorldRow(worldSize_); ++z) {|    for (int32_t z = FirstWorldRow(worldSize_); z < LastWorldRow(worldSize_); ++z) {"
  "message-sent-twice|src/app/MessageQueue.cpp|    own->second.pop_front();|    if (own->second.size() > 1) own->second.pop_front();"
  "unreadable-config-fails-open|src/config/ConfigFile.cpp|        rights.Clear();|        TerrainRightsFromString(rights, \"*\");"
  "same-second-marker-loses|src/terrain/MarkerIntake.cpp|    if (n > 0 && o > 0) return n >= o;|    if (n > 0 && o > 0) return n > o;"
  "config-edit-not-reread|src/config/ConfigFile.cpp|    if (Signature(result, content) == bot.options.ConfigFile.Signature) return false;|    return false;"
)

export CCACHE_BASEDIR="$PWD"
[[ -f build/build.ninja ]] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

backup=""
file=""
restore() { if [[ -n "$backup" ]]; then cp "$backup" "$file"; rm -f "$backup"; backup=""; fi; }
trap restore EXIT INT TERM

missed=0
for entry in "${MUTATIONS[@]}"; do
  IFS='|' read -r name file from to <<<"$entry"
  if (($# > 0)) && [[ " $* " != *" $name "* ]]; then continue; fi
  count=$(grep -cxF -- "$from" "$file" || true)
  if [[ "$count" != 1 ]]; then
    echo "$name: the line to mutate is found $count times in $file; update this script" >&2
    exit 2
  fi
  backup=$(mktemp)
  cp "$file" "$backup"
  MUTANT_FROM="$from" MUTANT_TO="$to" perl -0pi -e \
    's/^\Q$ENV{MUTANT_FROM}\E$/$ENV{MUTANT_TO}/m' "$file"
  if ! cmake --build build -j "$(nproc)" >"build/mutant-$name.log" 2>&1; then
    # A fault that stops the build proves nothing about the tests.
    echo "$name: the mutated source does not build (build/mutant-$name.log); update this script" >&2
    exit 2
  else
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --timeout 300 -j "$(nproc)" >>"build/mutant-$name.log" 2>&1 || true
    failed=$(sed -n '/The following tests FAILED/,$p' "build/mutant-$name.log" |
      grep -oE '^\s+[0-9]+ - [^ ]+' | awk '{print $3}' | tr '\n' ' ')
    if [[ -n "$failed" ]]; then
      read -ra tests <<<"$failed"
      more=""
      ((${#tests[@]} > 4)) && more=" ..."
      echo "$name: caught by ${#tests[@]} test(s): ${tests[*]:0:4}$more"
    else
      echo "$name: MISSED"
      missed=1
    fi
  fi
  restore
done
cmake --build build -j "$(nproc)" >/dev/null
exit "$missed"
