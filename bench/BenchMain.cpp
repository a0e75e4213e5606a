#include "BenchMain.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

namespace tv::bench {

namespace {

bool shortMode = false;

std::vector<Goal>& Goals() {
    static std::vector<Goal> goals;
    return goals;
}

std::vector<Registration>& Registrations() {
    static std::vector<Registration> registrations;
    return registrations;
}

double NanosecondsPer(benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond:
            return 1;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kSecond:
            return 1e9;
    }
    return 1;
}

// Google Benchmark's console table, plus every result kept for the goals: the median of
// repeated runs, or the single run.
class GoalReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            const std::string name = run.run_name.function_name;
            if (!median && medians_.count(name)) continue;
            Result result;
            result.cpuNs = run.GetAdjustedCPUTime() * NanosecondsPer(run.time_unit);
            for (const auto& [key, counter] : run.counters) result.counters[key] = counter.value;
            results_[name] = result;
            if (median) medians_[name] = true;
        }
    }

    void PrintGoals() const {
        if (Goals().empty() || Short()) return;
        std::printf("\n%-58s %-16s %-22s %s\n", "goal", "target", "measured", "verdict");
        std::printf("%s\n", std::string(106, '-').c_str());
        for (const Goal& goal : Goals()) {
            const auto measured = goal.measure(results_);
            std::printf("%-58s %-16s %-22s %s\n", goal.what.c_str(), goal.target.c_str(),
                        measured ? measured->first.c_str() : "-",
                        !measured          ? "not run"
                        : measured->second ? "met"
                                           : "MISSED");
        }
    }

private:
    Results results_;
    std::map<std::string, bool> medians_;
};

}  // namespace

bool Short() {
    return shortMode;
}

double Result::Counter(const std::string& name) const {
    auto it = counters.find(name);
    return it == counters.end() ? 0.0 : it->second;
}

void AddGoal(Goal goal) {
    Goals().push_back(std::move(goal));
}

bool AddRegistration(Registration registration) {
    Registrations().push_back(std::move(registration));
    return true;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace tv::bench

int main(int argc, char** argv) {
    std::vector<char*> args;
    static char minTime[] = "--benchmark_min_time=0.001";
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--short") == 0)
            tv::bench::shortMode = true;
        else
            args.push_back(argv[i]);
    }
    if (tv::bench::shortMode) args.push_back(minTime);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    for (const auto& registration : tv::bench::Registrations()) registration();
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    tv::bench::GoalReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintGoals();
    benchmark::Shutdown();
    return 0;
}
