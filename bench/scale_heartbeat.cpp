// What one heartbeat costs with a large cache, many working users and a long command queue, and
// whether that cost stays flat as the cache grows; the pace of outgoing messages; start-up.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "BenchMain.h"
#include "BenchRig.h"
#include "app/Connection.h"
#include "app/MessageQueue.h"
#include "nox/Embedded.h"
#include "terrain/TerrainQueue.h"

namespace tv::bench {
namespace {

constexpr int kRepetitions = 15;
constexpr int kTicksPerRepetition = 200;

struct Load {
    int32_t worldSize;
    int users;
    int commands;  // queued on average over the measured ticks
    std::string name;
};

// Markers on every second cell, all learned through queries; the users switched on by chat; a
// user whose markers number about `commands` hides and shows them all ("t:hide all" and
// "t:show all", typed as often as it takes, in one tick) so the command queue holds enough for
// every measured tick.
std::unique_ptr<Rig> BusyRig(const Load& load) {
    auto rig = std::make_unique<Rig>(load.worldSize);
    const int64_t cells = rig->CellCount();
    // Five commands leave the queue a tick: it starts fuller so that it averages `commands`.
    const int64_t wanted = load.commands + int64_t{5} * kRepetitions * kTicksPerRepetition / 2;
    const int owners = static_cast<int>(std::max<int64_t>(1, cells / 2 / wanted));
    rig->PlaceMarkers(0, cells, 2, owners);
    rig->Learn(0, cells, 2000);
    rig->AddWorkingUsers(load.users);
    int64_t own = 0;
    for (int64_t n = 0; n < cells; n += 2) own += n % owners == 0;
    rig->EnterUser(9, 1000, 1000, rig->CellAt(cells / 2));
    rig->Say(9, "t:begin");
    rig->Tick();
    // Hidden and shown by turns, so that every queued command changes its marker in a small
    // world too (a second hide of the same markers would find nothing to do).
    for (int64_t queued = 0, round = 0; queued < wanted; queued += std::max<int64_t>(own, 1))
        rig->Say(9, round++ % 2 == 0 ? "t:hide all" : "t:show all");
    rig->Tick(40);
    return rig;
}

// The rig lives across the repetitions of one benchmark and goes with its last.
std::unique_ptr<Rig>& SharedRig(const Load& load, int& uses) {
    static std::map<std::string, std::unique_ptr<Rig>> rigs;
    auto& rig = rigs[load.name];
    if (!rig) rig = BusyRig(load);
    ++uses;
    return rig;
}

// The measured ticks alone, apart so that an instruction count can be limited to them
// (valgrind --tool=callgrind --toggle-collect='*MeasuredTicks*').
[[gnu::noinline]] void MeasuredTicks(benchmark::State& state, Rig& rig) {
    for (auto _ : state) rig.Tick();
}

void Heartbeat(benchmark::State& state, Load load) {
    static std::map<std::string, int> uses;
    std::unique_ptr<Rig>& rig = SharedRig(load, uses[load.name]);
    MeasuredTicks(state, *rig);
    Bot& bot = rig->bot;
    state.counters["cells"] = bot.cache.QueriedCells();
    state.counters["markers"] = bot.cache.MarkerCount();
    state.counters["working"] = bot.sessions.EnabledCount;
    state.counters["commands"] = static_cast<double>(bot.world.commands.Count());
    if (uses[load.name] >= (Short() ? 1 : kRepetitions)) rig.reset();
}

// Records when each console message left, in virtual time.
class Sends final : public SimListener {
public:
    explicit Sends(const Clock& clock) : clock_(clock) {}
    void OnConsoleMessage(const SimConsoleMessage&) override { at.push_back(clock_.MonotonicMs()); }
    // The most messages that left within any one second.
    int MostInOneSecond() const {
        int most = 0;
        for (std::size_t i = 0, j = 0; j < at.size(); ++j) {
            while (at[j] - at[i] >= 1000) ++i;
            most = std::max(most, static_cast<int>(j - i + 1));
        }
        return most;
    }
    std::vector<int64_t> at;

private:
    const Clock& clock_;
};

// Messages a second: twenty from the heartbeat (five a tick), five during the logout flush.
void MessagePace(benchmark::State& state, bool logout) {
    int most = 0;
    for (auto _ : state) {
        Rig rig(10);
        for (int i = 0; i < 4; ++i) rig.EnterUser(10 + i, 2000 + i, 2000 + i, rig.CellAt(i));
        rig.Tick();
        Sends sends(rig.clock);
        rig.world.SetListener(&sends);
        for (int i = 0; i < 100; ++i) Reply(rig.bot, 10 + i % 4, "%d", {i});
        if (logout)
            LogoutClick(rig.bot);
        else
            rig.Tick(40);
        rig.world.SetListener(nullptr);
        most = sends.MostInOneSecond();
    }
    state.counters["most/s"] = most;
}

// From a new program in an empty folder to "Active": configuration and language read, login,
// the world's first answers.
void StartUp(benchmark::State& state) {
    for (auto _ : state) {
        std::optional<Rig> rig;
        rig.emplace(50);
        benchmark::DoNotOptimize(rig->bot.model.Status());
        // Closing down and removing the folder are not start-up.
        state.PauseTiming();
        rig.reset();
        state.ResumeTiming();
    }
}

std::string Scaled(int64_t n) {
    if (n >= 1'000'000 && n % 1'000'000 == 0) return std::to_string(n / 1'000'000) + "M";
    if (n >= 1000 && n % 1000 == 0) return std::to_string(n / 1000) + "k";
    return std::to_string(n);
}

void Register() {
    const bool quick = Short();
    const Load large{quick ? 20 : 500, quick ? 20 : 1000, quick ? 200 : 10'000, ""};
    const Load small{quick ? 10 : 49, large.users, large.commands, ""};
    auto named = [](Load load) {
        const int64_t side = 2 * int64_t{load.worldSize} + 1;
        load.name = "Heartbeat/cells:" + Scaled(side * side) + "/users:" + Scaled(load.users) +
                    "/commands:" + Scaled(load.commands);
        return load;
    };
    const Load big = named(large);
    const Load little = named(small);
    // The two loads take turns, a run of ticks each, so that a spell of load from elsewhere on
    // the machine falls on both alike; the growth is the median of the pairs' ratios.
    const int pairs = quick ? 1 : kRepetitions;
    for (int pair = 1; pair <= pairs; ++pair) {
        for (const Load& load : {big, little}) {
            const std::string name = load.name + "/pair:" + std::to_string(pair);
            benchmark::RegisterBenchmark(name.c_str(), Heartbeat, load)
                ->Unit(benchmark::kMicrosecond)
                ->Iterations(quick ? 1 : kTicksPerRepetition);
        }
    }
    // CPU time a tick of each pair's run of `load`, in pair order; empty when it did not run.
    auto perPair = [pairs](const Results& results, const Load& load) {
        std::vector<double> ns;
        for (int pair = 1; pair <= pairs; ++pair) {
            auto it = results.find(load.name + "/pair:" + std::to_string(pair));
            if (it == results.end()) return std::vector<double>{};
            ns.push_back(it->second.cpuNs);
        }
        return ns;
    };
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    };
    benchmark::RegisterBenchmark("MessagePace/heartbeat", MessagePace, false)->Iterations(1);
    benchmark::RegisterBenchmark("MessagePace/logout", MessagePace, true)->Iterations(1);
    benchmark::RegisterBenchmark("StartUpToActive", StartUp)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(quick ? 1 : 20);

    auto cpuMs = [perPair, median](const Load& load) {
        return [=](const Results& results) -> std::optional<std::pair<std::string, bool>> {
            const std::vector<double> ns = perPair(results, load);
            if (ns.empty()) return std::nullopt;
            const double ms = median(ns) / 1e6;
            return std::pair{Fixed(ms, 3) + " ms (median)", ms <= 1.0};
        };
    };
    AddGoal({"heartbeat: 1M cells, 500k markers, 1,000 users, 10k commands", "<= 1 ms CPU",
             cpuMs(big)});
    AddGoal({"heartbeat: same load, 10k cells", "<= 1 ms CPU", cpuMs(little)});
    AddGoal({"heartbeat growth, 1M / 10k cells", "<= 1.5x",
             [=](const Results& results) -> std::optional<std::pair<std::string, bool>> {
                 const std::vector<double> a = perPair(results, big);
                 const std::vector<double> b = perPair(results, little);
                 if (a.empty() || b.empty()) return std::nullopt;
                 std::vector<double> ratios;
                 for (std::size_t i = 0; i < a.size(); ++i) ratios.push_back(a[i] / b[i]);
                 const double growth = median(ratios);
                 return std::pair{
                     Fixed(growth, 2) + "x (median of " + std::to_string(ratios.size()) + " pairs)",
                     growth <= 1.5};
             }});
    for (auto [name, wanted] :
         {std::pair{"MessagePace/heartbeat", 20.0}, {"MessagePace/logout", 5.0}}) {
        AddGoal(
            {std::string("messages per second, ") + (wanted == 20.0 ? "heartbeat" : "logout flush"),
             "exactly " + Fixed(wanted, 0),
             [name = std::string(name),
              wanted](const Results& results) -> std::optional<std::pair<std::string, bool>> {
                 auto it = results.find(name);
                 if (it == results.end()) return std::nullopt;
                 const double most = it->second.Counter("most/s");
                 return std::pair{Fixed(most, 0) + " in the busiest second", most == wanted};
             }});
    }
    AddGoal({"start-up to \"Active\"", "(reported)",
             [](const Results& results) -> std::optional<std::pair<std::string, bool>> {
                 auto it = results.find("StartUpToActive");
                 if (it == results.end()) return std::nullopt;
                 return std::pair{Fixed(it->second.cpuNs / 1e6, 2) + " ms CPU", true};
             }});
}

const bool registered = AddRegistration(Register);

}  // namespace
}  // namespace tv::bench
