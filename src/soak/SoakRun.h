#pragma once
// One soak seed: a chaos phase of random users and faults for a span of virtual time, then a
// healed phase (faults off, users idle) that must bring the bot to rest before a deadline. The
// run is played as scenario-script lines through the scenario runner, so a failing seed comes
// with its script: the lines up to the failure and the expectation that failed.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "soak/SoakWatch.h"

namespace tv {

struct SoakResult {
    uint64_t seed = 0;
    bool passed = true;
    std::string violation;            // the first violation found
    std::string plan;                 // the seed's world, options, rights and fault mix
    std::vector<std::string> script;  // the run as script lines, kept when it failed
    int64_t virtualMs = 0;
    std::array<int64_t, kRarePathCount> rare{};
    std::map<int, int64_t> refusals;        // reason code -> refused calls
    std::map<std::string, int64_t> faults;  // injected faults by kind
};

// chaosMinutes of random play, then at most kHealDeadline of rest.
SoakResult RunSoakSeed(uint64_t seed, int chaosMinutes);
inline constexpr int kHealDeadlineSeconds = 900;

// A script's lines with runs of single ticks joined ("tick 37").
std::string ScriptText(const std::vector<std::string>& lines);

}  // namespace tv
