// The terrain journal's cost: appending entries to journal.db (per entry, one transaction per
// heartbeat), the bytes an entry takes in the file, and the marker intake and the heartbeat with
// the journal on against the same work with it off (JournalKeepDays 0). The bot's figures come
// twice: the heartbeat alone (wall and CPU time of its thread; the journal's writer finishes
// between heartbeats with the clock stopped, as it does in the 250 ms the bot sleeps), and the
// CPU time of the whole process with heartbeats back to back, the writer thread included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "BenchRig.h"
#include "app/Bot.h"
#include "app/Connection.h"
#include "journal/Journal.h"
#include "journal/JournalStore.h"
#include "nox/Embedded.h"
#include "terrain/TerrainQueue.h"
#include "world/SimWorld.h"

namespace tv {
namespace {

using bench::QuietFrontEnd;

JournalEntry SampleEntry(int i) {
    JournalEntry entry;
    entry.time = 1798761600 + i / 20;
    entry.world = "terravane";
    entry.x = i % 201 - 100;
    entry.z = i / 201 % 201 - 100;
    entry.citizen = 100 + i % 50;
    entry.name = "user" + std::to_string(i % 50);
    entry.action = JournalAction::Texture;
    entry.before.marker = MarkerState{std::to_string(i % 200), entry.citizen, true,
                                      static_cast<uint32_t>(65536 + i), 0};
    entry.before.terrain = TerrainState{i % 200, 0};
    entry.after.marker = MarkerState{std::to_string((i + 1) % 200), entry.citizen, true,
                                     static_cast<uint32_t>(65537 + i), 0};
    entry.after.terrain = TerrainState{(i + 1) % 200, 0};
    return entry;
}

// Entries per transaction: 1 (a quiet heartbeat) or 100 (a busy one).
void BM_JournalAppend(benchmark::State& state) {
    const std::filesystem::path dir = bench::MakeTempDir();
    JournalStore store(dir, true);
    const int batch = static_cast<int>(state.range(0));
    int next = 0;
    for (auto _ : state) {
        std::vector<JournalEntry> entries;
        for (int i = 0; i < batch; ++i) entries.push_back(SampleEntry(next++));
        store.Append(entries);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_JournalAppend)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_JournalBytesPerEntry(benchmark::State& state) {
    constexpr int kEntries = 100000;
    double bytes = 0;
    for (auto _ : state) {
        const std::filesystem::path dir = bench::MakeTempDir();
        {
            JournalStore store(dir, true);
            std::vector<JournalEntry> entries;
            for (int i = 0; i < kEntries; ++i) entries.push_back(SampleEntry(i));
            store.Append(entries);
        }
        // The last connection's close folds the write-ahead log into the file.
        bytes = static_cast<double>(std::filesystem::file_size(dir / JournalStore::kFileName));
        std::filesystem::remove_all(dir);
    }
    state.counters["bytes/entry"] = bytes / kEntries;
}
BENCHMARK(BM_JournalBytesPerEntry)->Iterations(1)->Unit(benchmark::kMillisecond);

// With --benchmark_repetitions, the fastest repetition as well: on a shared machine the other
// processes only ever add time, so the minimum compares journal on and off best.
double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

// A logged-in bot on a world of 201 x 201 cells, journal on or off, with `users` enabled users.
struct Rig {
    Rig(bool journal, int users) {
        dir = bench::MakeTempDir();
        EnsureLanguageFile(dir);
        std::ofstream(dir / "config.xml")
            << "<?xml version=\"1.0\"?><TerravaneConfig><Login><CitizenNumber>1</CitizenNumber>"
               "<PrivilegePassword>terravane</PrivilegePassword><World>terravane</World></Login>"
               "<Options><MaxCommands>100</MaxCommands><MaxQueries>100</MaxQueries>"
               "<FloodCommands>10000.00</FloodCommands>"
               "<JournalKeepDays>"
            << (journal ? 90 : 0) << "</JournalKeepDays></Options></TerravaneConfig>";
        bot = std::make_unique<Bot>(world, clock, frontEnd, dir);
        bot->Start();
        // Hours of virtual time pass while the benchmark runs: keep the sessions from idling out.
        bot->options.WarnTime = bot->options.DisableTime = 1 << 30;
        PopulateUniverse(world, *bot);
        world.AddWorld(kStarterWorld, 100);
        LoginClick(*bot);
        for (int i = 0; i < users; ++i) {
            world.AddCitizen(100 + i, "user" + std::to_string(i));
            world.SetWorldRight(kStarterWorld, 100 + i, 50, true);
            world.UserEnter(10 + i, 100 + i, (i % 50) * 1000, 0, (i / 50) * 1000);
            world.UserChat(10 + i, "t:begin");
        }
        while (!bot->world.queries.Empty() || CallbackCount(*bot, CallbackType::CellQuery) > 0 ||
               world.PendingDeliveries() > 0)
            Tick();
    }
    ~Rig() {
        bot.reset();
        std::filesystem::remove_all(dir);
    }
    void Tick() {
        clock.Advance(250);
        bot->Tick();
        if (!between) return;
        between->PauseTiming();
        if (JournalOn(*bot)) JournalDb(*bot);
        between->ResumeTiming();
    }
    // Runs before each timed loop: with a second argument of 1, the time between heartbeats is
    // not counted.
    void Time(benchmark::State& state) {
        if (state.range(1) != 0) between = &state;
    }

    std::filesystem::path dir;
    VirtualClock clock;
    SimWorld world{clock};
    QuietFrontEnd frontEnd;
    std::unique_ptr<Bot> bot;
    benchmark::State* between = nullptr;
};

// One user builds a marker in each of 50 cells and deletes them again: 100 live object events
// through the intake, each a journal entry when the journal is on.
void BM_Intake(benchmark::State& state) {
    Rig rig(state.range(0) != 0, 1);
    rig.Time(state);
    for (auto _ : state) {
        for (int x = 0; x < 50; ++x) {
            SimObjectSpec marker;
            marker.x = x * 1000;
            marker.z = 5000;
            marker.description = std::to_string(x);
            rig.world.UserBuild(10, marker);
        }
        rig.Tick();
        for (int x = 0; x < 50; ++x) rig.world.UserDelete(10, x * 1000, 5000);
        rig.Tick();
    }
    state.SetItemsProcessed(state.iterations() * 100);
    state.SetLabel(state.range(0) ? "journal on" : "journal off");
}
BENCHMARK(BM_Intake)
    ->Args({0, 1})
    ->Args({1, 1})
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Intake)
    ->Args({0, 0})
    ->Args({1, 0})
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// A heartbeat with 200 working users and nothing to journal.
void BM_QuietTick(benchmark::State& state) {
    Rig rig(state.range(0) != 0, 200);
    rig.Time(state);
    for (auto _ : state) rig.Tick();
    state.SetLabel(state.range(0) ? "journal on" : "journal off");
}
BENCHMARK(BM_QuietTick)
    ->Args({0, 1})
    ->Args({1, 1})
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuietTick)
    ->Args({0, 0})
    ->Args({1, 0})
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

// Heartbeats while 20 users each retexture their 4 markers over and over: the commands' changes
// come back from the world and are journaled, a transaction a tick.
void BM_BusyTick(benchmark::State& state) {
    Rig rig(state.range(0) != 0, 20);
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 4; ++j) {
            SimObjectSpec marker;
            marker.x = (i % 50) * 1000 + (j % 2) * 1000;
            marker.z = (i / 50) * 1000 + (j / 2) * 1000 + 10000;
            rig.world.UserBuild(10 + i, marker);
        }
    for (int i = 0; i < 20; ++i) rig.Tick();
    int round = 0;
    int64_t ticks = 0;
    rig.Time(state);
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i)
            rig.world.UserChat(10 + i, "t:texture " + std::to_string(++round % 100) + " all");
        for (int t = 0; t < 8; ++t, ++ticks) rig.Tick();
    }
    state.SetItemsProcessed(ticks);
    state.SetLabel(state.range(0) ? "journal on" : "journal off");
}
BENCHMARK(BM_BusyTick)
    ->Args({0, 1})
    ->Args({1, 1})
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BusyTick)
    ->Args({0, 0})
    ->Args({1, 0})
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", Fastest)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tv
