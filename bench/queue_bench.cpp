// The query queue's duplicate check with 10 000 cells queued: every area a user walks into asks
// about sixteen cells, each of which must be looked up in the queue before it is added.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/Bot.h"
#include "terrain/TerrainQueue.h"
#include "world/SimWorld.h"

namespace tv {
namespace {

class SilentFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    bool ConfirmYesNo(const std::string&) override { return true; }
};

// A bot on the embedded world in a temporary folder (the debug log goes there).
struct BenchBot {
    BenchBot() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "terravane-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
        folder = pattern;
        bot = std::make_unique<Bot>(world, clock, frontEnd, folder);
    }
    ~BenchBot() {
        bot.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::filesystem::path folder;
    VirtualClock clock;
    SimWorld world{clock};
    SilentFrontEnd frontEnd;
    std::unique_ptr<Bot> bot;
};

constexpr int32_t kQueued = 10'000;
constexpr int32_t kRowWidth = 100;

void Fill(Bot& bot) {
    for (int32_t i = 0; i < kQueued; ++i) bot.world.queries.AddLast(i % kRowWidth, i / kRowWidth);
}

void BM_FindCellAbsent(benchmark::State& state) {
    BenchBot b;
    Fill(*b.bot);
    for (auto _ : state) benchmark::DoNotOptimize(TerrainQueueFindCell(*b.bot, -5, -5));
}
BENCHMARK(BM_FindCellAbsent);

void BM_FindCellAtTail(benchmark::State& state) {
    BenchBot b;
    Fill(*b.bot);
    const int32_t last = kQueued - 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(TerrainQueueFindCell(*b.bot, last % kRowWidth, last / kRowWidth));
}
BENCHMARK(BM_FindCellAtTail);

// Asking again for a queued cell: the common case while a user stands still.
void BM_AddCellAlreadyQueued(benchmark::State& state) {
    BenchBot b;
    Fill(*b.bot);
    for (auto _ : state) TerrainQueueAddCell(*b.bot, 50, 50, false);
}
BENCHMARK(BM_AddCellAlreadyQueued);

// Queuing 10 000 new cells one by one into a queue that grows to 10 000.
void BM_AddCellGrowingTo10000(benchmark::State& state) {
    BenchBot b;
    for (auto _ : state) {
        state.PauseTiming();
        b.bot->world.queries.Clear();
        state.ResumeTiming();
        for (int32_t i = 0; i < kQueued; ++i)
            TerrainQueueAddCell(*b.bot, i % kRowWidth, i / kRowWidth, false);
    }
    state.SetItemsProcessed(state.iterations() * kQueued);
}
BENCHMARK(BM_AddCellGrowingTo10000)->Unit(benchmark::kMillisecond);

// The walk the index replaces, for comparison.
void BM_LinearWalkAbsent(benchmark::State& state) {
    BenchBot b;
    Fill(*b.bot);
    for (auto _ : state) {
        bool found = false;
        TTerrainQueryQueue::Node* node = nullptr;
        while (b.bot->world.queries.Next(node))
            if (node->Item->CellX == -5 && node->Item->CellZ == -5) found = true;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_LinearWalkAbsent);

}  // namespace
}  // namespace tv
