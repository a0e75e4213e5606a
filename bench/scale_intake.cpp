// How fast markers come in, through answered cell queries and through object-add events, with
// none, 100k and 1M cells known already; and the kept marker count beside the full rescan it
// replaced, on the same work with the same figures shown.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "BenchRig.h"
#include "nox/Embedded.h"
#include "terrain/TerrainQueue.h"

namespace tv::bench {
namespace {

constexpr int kBatch = 2000;  // markers a measured iteration takes in
constexpr int kBatches = 10;

// Cells [0, cached) hold a marker on every second cell and are learned; the next `fresh` cells
// are not known yet and hold one marker each when `marked`.
std::unique_ptr<Rig> IntakeRig(int64_t cached, int64_t fresh, bool marked = true) {
    int32_t size = 1;
    while ((2 * int64_t{size} + 1) * (2 * int64_t{size} + 1) < cached + fresh) ++size;
    auto rig = std::make_unique<Rig>(size);
    rig->PlaceMarkers(0, cached, 2);
    if (marked) rig->PlaceMarkers(cached, fresh, 1);
    rig->Learn(0, cached, 2000);
    return rig;
}

// Through the query path: each batch of cells is queued and learned, a thousand queries a tick
// so that the figure is the intake's cost and not the pacing.
void IntakeByQuery(benchmark::State& state, int64_t cached) {
    auto rig = IntakeRig(cached, int64_t{kBatch} * kBatches);
    rig->bot.options.MaxQueries = 1000;
    int64_t next = cached;
    const int32_t before = rig->bot.cache.MarkerCount();
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i, ++next)
            TerrainQueueAddCell(rig->bot, rig->CellAt(next).x, rig->CellAt(next).z, false);
        rig->TickUntilLearned();
    }
    const int32_t learned = rig->bot.cache.MarkerCount() - before;
    state.counters["markers/s"] = benchmark::Counter(learned, benchmark::Counter::kIsRate);
    state.counters["cells"] = rig->bot.cache.QueriedCells();
}

// Through object-add events: a working user builds each batch of markers (the world's side is
// not measured), and one tick takes their events in.
void IntakeByBuild(benchmark::State& state, int64_t cached) {
    auto rig = IntakeRig(cached, int64_t{kBatch} * kBatches + 1, false);
    const int64_t first = cached + 1;
    rig->EnterUser(9, 900, 900, rig->CellAt(first));
    rig->Say(9, "t:begin");
    rig->Tick(4);
    int64_t next = first;
    const int32_t before = rig->bot.cache.MarkerCount();
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < kBatch; ++i, ++next) {
            SimObjectSpec marker;
            marker.x = rig->CellAt(next).x * 1000;
            marker.z = rig->CellAt(next).z * 1000;
            marker.description = std::to_string(next % 60);
            rig->world.UserBuild(9, marker);
        }
        state.ResumeTiming();
        rig->Tick();
    }
    const int32_t taken = rig->bot.cache.MarkerCount() - before;
    state.counters["markers/s"] = benchmark::Counter(taken, benchmark::Counter::kIsRate);
    state.counters["cells"] = rig->bot.cache.QueriedCells();
}

// Every figure row 5 showed, folded into one number: two runs showed the same figures at the
// same moments exactly when their fingerprints agree.
class MarkerFigures final : public OperatorObserver {
public:
    void OnStat(int row, const std::string& text) override {
        if (row != 5) return;
        ++shown;
        for (char c : text) fingerprint = (fingerprint ^ static_cast<unsigned char>(c)) * 16777619u;
        fingerprint = (fingerprint ^ '|') * 16777619u;
    }
    uint32_t fingerprint = 2166136261u;
    int64_t shown = 0;
};

// The same intake with the count kept and with the full rescan at every change.
void CountSideBySide(benchmark::State& state, int64_t cached, bool rescan) {
    auto rig = IntakeRig(cached, kBatch);
    rig->bot.options.MaxQueries = 1000;
    rig->bot.cache.SetRecountEachTime(rescan);
    MarkerFigures figures;
    rig->bot.model.SetObserver(&figures);
    for (auto _ : state) {
        for (int64_t n = cached; n < cached + kBatch; ++n)
            TerrainQueueAddCell(rig->bot, rig->CellAt(n).x, rig->CellAt(n).z, false);
        rig->TickUntilLearned();
    }
    rig->bot.model.SetObserver(nullptr);
    state.counters["markers/s"] = benchmark::Counter(kBatch, benchmark::Counter::kIsRate);
    state.counters["figures"] = static_cast<double>(figures.shown);
    state.counters["fingerprint"] = figures.fingerprint;
}

std::optional<std::pair<std::string, bool>> Rate(const Results& results, const std::string& name) {
    auto it = results.find(name);
    if (it == results.end()) return std::nullopt;
    const double rate = it->second.Counter("markers/s");
    return std::pair{Fixed(rate, 0) + " markers/s", rate >= 100'000};
}

void Register() {
    const bool quick = Short();
    const std::vector<std::pair<int64_t, std::string>> scales =
        quick ? std::vector<std::pair<int64_t, std::string>>{{0, "0"}, {2000, "2k"}}
              : std::vector<std::pair<int64_t, std::string>>{
                    {0, "0"}, {100'000, "100k"}, {1'000'000, "1M"}};
    for (const auto& [cached, label] : scales) {
        using Run = void (*)(benchmark::State&, int64_t);
        for (auto [path, run] : {std::pair<const char*, Run>{"query", &IntakeByQuery},
                                 std::pair<const char*, Run>{"build", &IntakeByBuild}}) {
            const std::string name = std::string("Intake/") + path + "/cached:" + label;
            benchmark::RegisterBenchmark(name.c_str(), run, cached)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(quick ? 1 : kBatches);
            AddGoal({std::string("marker intake via ") +
                         (path == std::string("query") ? "cell queries" : "object-add events") +
                         ", " + label + " cells cached",
                     ">= 100,000/s", [name](const Results& r) { return Rate(r, name); }});
        }
    }
    const int64_t compared = quick ? 2000 : 100'000;
    for (bool rescan : {true, false}) {
        const std::string name = std::string("MarkerCount/") + (rescan ? "rescan" : "kept") +
                                 "/cached:" + (quick ? "2k" : "100k");
        benchmark::RegisterBenchmark(name.c_str(), CountSideBySide, compared, rescan)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    const std::string rescan = std::string("MarkerCount/rescan/cached:") + (quick ? "2k" : "100k");
    const std::string kept = std::string("MarkerCount/kept/cached:") + (quick ? "2k" : "100k");
    AddGoal({"full rescan vs kept count: same figures shown", "identical",
             [rescan, kept](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto a = r.find(rescan);
                 auto b = r.find(kept);
                 if (a == r.end() || b == r.end()) return std::nullopt;
                 const bool same =
                     a->second.Counter("fingerprint") == b->second.Counter("fingerprint") &&
                     a->second.Counter("figures") == b->second.Counter("figures");
                 const double speedup = a->second.cpuNs / b->second.cpuNs;
                 return std::pair{
                     (same ? "identical, " : "DIFFERENT, ") + Fixed(speedup, 1) + "x faster", same};
             }});
}

const bool registered = AddRegistration(Register);

}  // namespace
}  // namespace tv::bench
