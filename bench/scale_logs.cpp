// The debug log's writer: the literal one (each line opened, written and closed, as debug lines
// once were) beside the buffered one, per line and on a whole intake, with the same file
// written by both.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "BenchMain.h"
#include "BenchRig.h"
#include "app/ActivityLog.h"
#include "terrain/TerrainQueue.h"

namespace tv::bench {
namespace {

constexpr int kLinesPerTick = 1000;

LogFile::Mode ModeOf(bool literal) {
    return literal ? LogFile::Mode::EachLine : LogFile::Mode::Buffered;
}

// One typical line: formatted, stamped and written; the buffered writer flushes once for every
// thousand lines, as a busy tick would.
void DebugLine(benchmark::State& state, bool literal) {
    Rig rig(1);
    rig.bot.logs.debug.SetMode(ModeOf(literal));
    int32_t i = 0;
    for (auto _ : state) {
        DebugLog(rig.bot, DebugCategory::Queue, "TerrainQueueAddCell %d, %d (pri=%s)",
                 {i, -i, "False"});
        if (++i % kLinesPerTick == 0) FlushDebugLog(rig.bot);
    }
    FlushDebugLog(rig.bot);
}

// The formatting alone, for the writer's share of a line.
void DebugLineFormatOnly(benchmark::State& state) {
    std::string line;
    int32_t i = 0;
    for (auto _ : state) {
        line.assign("[2027-01-01 00:00:00] Queue: ");
        FormatAppend(line, "TerrainQueueAddCell %d, %d (pri=%s)", {i, -i, "False"});
        benchmark::DoNotOptimize(line.data());
        ++i;
    }
}

uint32_t Fingerprint(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    uint32_t hash = 2166136261u;
    for (char c : text.str()) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

// A whole intake of markers through the query path with each writer; the files must match.
void IntakeWithWriter(benchmark::State& state, bool literal) {
    const int64_t markers = Short() ? 500 : 10'000;
    Rig rig(static_cast<int32_t>(Short() ? 20 : 60));
    rig.PlaceMarkers(0, markers, 1);
    rig.bot.options.MaxQueries = 1000;
    FlushDebugLog(rig.bot);
    rig.bot.logs.debug.SetMode(ModeOf(literal));
    for (auto _ : state) {
        for (int64_t n = 0; n < markers; ++n)
            TerrainQueueAddCell(rig.bot, rig.CellAt(n).x, rig.CellAt(n).z, false);
        rig.TickUntilLearned();
    }
    FlushDebugLog(rig.bot);
    state.counters["markers/s"] = benchmark::Counter(markers, benchmark::Counter::kIsRate);
    state.counters["fingerprint"] = Fingerprint(rig.dir / "debug.log");
}

void Register() {
    for (bool literal : {true, false}) {
        const std::string kind = literal ? "literal" : "buffered";
        benchmark::RegisterBenchmark(("DebugLine/" + kind).c_str(), DebugLine, literal);
        benchmark::RegisterBenchmark(("DebugLogIntake/" + kind).c_str(), IntakeWithWriter, literal)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::RegisterBenchmark("DebugLine/format-only", DebugLineFormatOnly);

    AddGoal({"debug line, buffered writer (format included)", "< 1 us",
             [](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto line = r.find("DebugLine/buffered");
                 auto format = r.find("DebugLine/format-only");
                 if (line == r.end() || format == r.end()) return std::nullopt;
                 const double writer = line->second.cpuNs - format->second.cpuNs;
                 return std::pair{Fixed(line->second.cpuNs, 0) + " ns (writer " +
                                      Fixed(writer, 0) + " ns)",
                                  line->second.cpuNs < 1000};
             }});
    AddGoal({"debug line, literal writer (format included)", "(reported)",
             [](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto line = r.find("DebugLine/literal");
                 if (line == r.end()) return std::nullopt;
                 return std::pair{Fixed(line->second.cpuNs, 0) + " ns", true};
             }});
    AddGoal({"literal vs buffered writer: same debug.log", "identical",
             [](const Results& r) -> std::optional<std::pair<std::string, bool>> {
                 auto a = r.find("DebugLogIntake/literal");
                 auto b = r.find("DebugLogIntake/buffered");
                 if (a == r.end() || b == r.end()) return std::nullopt;
                 const bool same =
                     a->second.Counter("fingerprint") == b->second.Counter("fingerprint");
                 return std::pair{(same ? "identical, " : "DIFFERENT, ") +
                                      Fixed(a->second.cpuNs / b->second.cpuNs, 1) +
                                      "x faster",
                                  same};
             }});
}

const bool registered = AddRegistration(Register);

}  // namespace
}  // namespace tv::bench
