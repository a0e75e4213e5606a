#pragma once
// What one soak seed plays: a random source that gives the same numbers on every platform, the
// seed's world, options and fault mix, the cast of users, and the texts they type and build.

#include <cstdint>
#include <string>
#include <vector>

#include "config/Options.h"

namespace tv {

// splitmix64: small, fast and the same everywhere (the standard distributions are not).
class SoakRandom final {
public:
    explicit SoakRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // A whole number from low to high, both included.
    int32_t Between(int32_t low, int32_t high);
    bool Chance(double probability);
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Between(0, static_cast<int32_t>(items.size()) - 1))];
    }

private:
    uint64_t state_;
};

struct SoakUser {
    int32_t session;
    int32_t citizen;    // 0: a tourist
    const char* name;   // empty: the citizen's own name
    int32_t privilege;  // 0: the citizen's own
};

// The cast: the caretaker (the bot's own citizen), citizens with and without eminent domain, one
// using another's privileges, one without any terrain right, a tourist and a bot.
const std::vector<SoakUser>& SoakUsers();
// Setup lines: the world, the bot's citizen and every citizen with its world rights.
std::vector<std::string> SoakUniverse(int32_t worldSize);

// How often each kind of fault strikes in one seed (0: never), per virtual minute.
struct FaultMix {
    double outages = 0;
    double refusals = 0;
    double silences = 0;
    double delays = 0;
};

struct SoakPlan {
    int32_t worldSize = 0;
    Options options;
    std::string rights;
    FaultMix faults;
};

SoakPlan DrawPlan(SoakRandom& random);
// config.xml holding the plan's options and rights, as a `file` block of a script.
std::vector<std::string> ConfigFileLines(const SoakPlan& plan);
// "world 7, MaxQueries 3, ..., rights 1,2,3": the plan on one line.
std::string PlanSummary(const SoakPlan& plan);

// What a user types: commands with valid, odd and overflowing arguments, and garbage.
std::string ChatText(SoakRandom& random);
// A marker description: valid, out of range, unreadable or badly rotated.
std::string MarkerDescription(SoakRandom& random);

}  // namespace tv
