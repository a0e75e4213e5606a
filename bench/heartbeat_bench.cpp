// Whole-bot figures on the embedded world in virtual time: how fast the bot learns a world's
// cells through paced queries (markers included, debug log written as in production), and what
// one heartbeat costs with many working users and a large cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "app/Bot.h"
#include "app/Connection.h"
#include "nox/Embedded.h"
#include "terrain/TerrainQueue.h"
#include "world/SimWorld.h"

namespace tv {
namespace {

class QuietFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    bool ConfirmYesNo(const std::string&) override { return true; }
};

// A logged-in bot in a fresh folder, on a world of the given size with a marker on every
// `markerEvery`-th cell.
struct Rig {
    Rig(int worldSize, int markerEvery) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "terravane-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        EnsureLanguageFile(dir);
        EnsureStarterConfig(dir);
        bot = std::make_unique<Bot>(world, clock, frontEnd, dir);
        bot->Start();
        world.AddWorld(kStarterWorld, worldSize);
        world.AddCitizen(kStarterCitizen, "Terravane", kStarterPassword);
        world.SetWorldRight(kStarterWorld, kStarterCitizen, 57, true);
        world.SetWorldRight(kStarterWorld, kStarterCitizen, 162, true);
        int n = 0;
        for (int z = -worldSize; z <= worldSize; ++z)
            for (int x = -worldSize; x <= worldSize; ++x)
                if (++n % markerEvery == 0) {
                    SimObjectSpec marker;
                    marker.x = x * 1000;
                    marker.z = z * 1000;
                    marker.description = std::to_string(n % 200);
                    marker.owner = 7;
                    world.PlaceObject(kStarterWorld, marker);
                }
        LoginClick(*bot);
    }
    ~Rig() {
        bot.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    void Tick() {
        clock.Advance(250);
        bot->Tick();
    }

    std::filesystem::path dir;
    VirtualClock clock;
    SimWorld world{clock};
    QuietFrontEnd frontEnd;
    std::unique_ptr<Bot> bot;
};

void BM_LearnWorld(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    int64_t cells = 0;
    int64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Rig rig(size, 4);
        for (int z = -size; z <= size; ++z)
            for (int x = -size; x <= size; ++x) TerrainQueueAddCell(*rig.bot, x, z, false);
        state.ResumeTiming();
        while (!rig.bot->world.queries.Empty() ||
               CallbackCount(*rig.bot, CallbackType::CellQuery) > 0) {
            rig.Tick();
            ++ticks;
        }
        cells += rig.bot->cache.QueriedCells();
    }
    state.counters["cells/s"] =
        benchmark::Counter(static_cast<double>(cells), benchmark::Counter::kIsRate);
    state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LearnWorld)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_BusyTick(benchmark::State& state) {
    const int users = static_cast<int>(state.range(0));
    Rig rig(100, 2);
    for (int z = -100; z <= 100; ++z)
        for (int x = -100; x <= 100; ++x) TerrainQueueAddCell(*rig.bot, x, z, false);
    rig.bot->options.MaxQueries = 50;
    while (!rig.bot->world.queries.Empty()) rig.Tick();
    for (int i = 0; i < users; ++i) {
        rig.world.AddCitizen(100 + i, "user" + std::to_string(i));
        rig.world.SetWorldRight(kStarterWorld, 100 + i, 50, true);
        rig.world.UserEnter(10 + i, 100 + i, (i % 50) * 1000, 0, (i / 50) * 1000);
        rig.world.UserChat(10 + i, "t:begin");
    }
    // Hours of virtual time pass while the benchmark runs: keep the sessions from idling out.
    rig.bot->options.WarnTime = rig.bot->options.DisableTime = 1 << 30;
    for (int i = 0; i < 40; ++i) rig.Tick();
    for (auto _ : state) rig.Tick();
    state.counters["markers"] = rig.bot->cache.MarkerCount();
    state.counters["sessions"] = static_cast<double>(rig.bot->sessions.Count());
    state.counters["working"] = rig.bot->sessions.EnabledCount;
}
BENCHMARK(BM_BusyTick)->Arg(10)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tv
