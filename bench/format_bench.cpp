// The formatter runs for every debug line and every reply, and ReplyList packs the longest
// answers (lists of users and rights): both sit on the heartbeat's path.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/Format.h"
#include "app/MessageQueue.h"

namespace {

void BM_FormatDebugLine(benchmark::State& state) {
    const std::string description = "5,90";
    for (auto _ : state) {
        std::string text = tv::Format(
            "TerrainCacheMarkerDefine %d,%d,%d %d \"%s\" \"%s\" %d %d %u",
            {12000, 150, -3000, 77, description, "create visible no", 321, 1798761600, 4096u});
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FormatDebugLine);

void BM_FormatNumbers(benchmark::State& state) {
    double value = 1234567.0;
    for (auto _ : state) {
        std::string text = tv::Format("%.0n cells, %.6f%%, %.*n KiB", {value, 12.5, 1, 1.5});
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FormatNumbers);

void BM_PackReplyLines(benchmark::State& state) {
    std::vector<std::string> names;
    for (int i = 0; i < state.range(0); ++i) names.push_back("Citizen " + std::to_string(i));
    for (auto _ : state) {
        auto lines = tv::PackReplyLines(names);
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PackReplyLines)->Arg(10)->Arg(100)->Arg(1000);

}  // namespace
