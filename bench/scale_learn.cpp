// Learning a whole world through the paced queries, to the end: how long in virtual time against
// the least the pacing allows, and how much CPU; and the memory each cached cell takes.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

#include "BenchMain.h"
#include "BenchRig.h"
#include "terrain/TerrainQueue.h"

namespace tv::bench {
namespace {

// Every cell of a world with a marker on every second cell, queued at once and learned at the
// pace the options set (MaxQueries a tick, four ticks a second).
void LearnWorld(benchmark::State& state, int32_t size) {
    Rig rig(size);
    rig.PlaceMarkers(0, rig.CellCount(), 2);
    const int64_t cells = rig.CellCount();
    const int32_t perTick = rig.bot.options.MaxQueries;
    int64_t ticks = 0;
    const int64_t start = rig.ElapsedMs();
    for (auto _ : state) {
        for (int64_t n = 0; n < cells; ++n)
            TerrainQueueAddCell(rig.bot, rig.CellAt(n).x, rig.CellAt(n).z, false);
        ticks = rig.TickUntilLearned();
    }
    const double virtualSeconds = static_cast<double>(rig.ElapsedMs() - start) / 1000;
    // The pacing allows MaxQueries queries a tick: the last answers arrive one tick later.
    const double leastSeconds = static_cast<double>((cells + perTick - 1) / perTick + 1) / 4;
    state.counters["cells"] = rig.bot.cache.QueriedCells();
    state.counters["markers"] = rig.bot.cache.MarkerCount();
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["virtual_h"] = virtualSeconds / 3600;
    state.counters["least_h"] = leastSeconds / 3600;
    state.counters["paced_%"] = 100 * leastSeconds / virtualSeconds;
    // Queries sent a tick against MaxQueries, over the ticks that sent any (all but the last,
    // which only takes in the last answers).
    state.counters["queries_%"] =
        ticks > 1 ? 100.0 * static_cast<double>(cells) / static_cast<double>((ticks - 1) * perTick)
                  : 0;
    std::error_code ignored;
    uint64_t logBytes = 0;
    for (const auto& entry : std::filesystem::directory_iterator(rig.dir, ignored))
        if (entry.path().filename().string().rfind("debug.log", 0) == 0)
            logBytes += entry.file_size(ignored);
    state.counters["debug_log_MB"] = static_cast<double>(logBytes) / (1 << 20);
}

uint64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The heap a world's cells take once learned (no markers: the cells themselves), per cell.
void CacheBytesPerCell(benchmark::State& state, int32_t size) {
    double perCell = 0;
    for (auto _ : state) {
        Rig rig(size);
        const uint64_t before = HeapInUse();
        rig.Learn(0, rig.CellCount(), 5000);
        malloc_trim(0);
        const uint64_t after = HeapInUse();
        perCell = static_cast<double>(after - before) / rig.bot.cache.QueriedCells();
        state.counters["cells"] = rig.bot.cache.QueriedCells();
    }
    state.counters["bytes/cell"] = perCell;
    state.counters["entry_bytes"] = sizeof(TTerrainCacheX);
}

void Register() {
    const bool quick = Short();
    const int32_t world = quick ? 20 : 500;
    const std::string learn = "LearnWorld/" + std::to_string(2 * world + 1) + "x" +
                              std::to_string(2 * world + 1) + "/markers:every-2nd";
    benchmark::RegisterBenchmark(learn.c_str(), LearnWorld, world)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    const int32_t big = quick ? 50 : 1000;
    const std::string bytes =
        "CacheBytesPerCell/cells:" + std::to_string((2 * big + 1) * (2 * big + 1));
    benchmark::RegisterBenchmark(bytes.c_str(), CacheBytesPerCell, big)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);

    AddGoal({"learning 1001x1001, marker on every 2nd cell: virtual time", "paced only",
             [learn](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto it = r.find(learn);
                 if (it == r.end()) return std::nullopt;
                 const double paced = it->second.Counter("paced_%");
                 return std::pair{Fixed(it->second.Counter("virtual_h"), 2) + " h, " +
                                      Fixed(paced, 1) + "% of pace",
                                  paced >= 98};
             }});
    AddGoal({"learning 1001x1001: queries sent a tick, of MaxQueries", ">= 98 %",
             [learn](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto it = r.find(learn);
                 if (it == r.end()) return std::nullopt;
                 const double share = it->second.Counter("queries_%");
                 return std::pair{Fixed(share, 1) + " %", share >= 98};
             }});
    AddGoal({"learning 1001x1001: CPU time", "(reported)",
             [learn](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto it = r.find(learn);
                 if (it == r.end()) return std::nullopt;
                 return std::pair{Fixed(it->second.cpuNs / 1e9, 1) + " s CPU", true};
             }});
    AddGoal({"learning 1001x1001: debug.log and its rotated files", "bounded",
             [learn](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto it = r.find(learn);
                 if (it == r.end()) return std::nullopt;
                 const double mb = it->second.Counter("debug_log_MB");
                 return std::pair{Fixed(mb, 0) + " MB", mb <= 4 * 64 + 1};
             }});
    AddGoal({"bytes per cached cell at 4M cells", "<= 64",
             [bytes](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto it = r.find(bytes);
                 if (it == r.end()) return std::nullopt;
                 const double perCell = it->second.Counter("bytes/cell");
                 return std::pair{Fixed(perCell, 1) + " bytes", perCell <= 64};
             }});
}

const bool registered = AddRegistration(Register);

}  // namespace
}  // namespace tv::bench
