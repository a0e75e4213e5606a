#pragma once
// The main of every benchmark program: `--short` runs each benchmark once at a small scale (CI
// checks that they run, nothing more), and the goals the benchmarks registered are printed as a
// table after Google Benchmark's own, measured against the median of the repetitions.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace tv::bench {

// True under --short: benchmarks shrink their worlds and run once.
bool Short();

// One benchmark's result: CPU time per iteration in nanoseconds (the median when it was
// repeated) and its counters.
struct Result {
    double cpuNs = 0;
    std::map<std::string, double> counters;
    double Counter(const std::string& name) const;
};
using Results = std::map<std::string, Result>;

struct Goal {
    std::string what;    // the row's caption
    std::string target;  // as printed, e.g. "<= 1 ms"
    // The measured figure as printed and whether it meets the target; none when a benchmark it
    // needs did not run (filtered out, or failed).
    std::function<std::optional<std::pair<std::string, bool>>(const Results&)> measure;
};

// Benchmarks register their goals while they register themselves.
void AddGoal(Goal goal);

// Registers benchmarks once the command line is read (so that --short can pick the scale).
using Registration = std::function<void()>;
bool AddRegistration(Registration registration);

// "1.23" with the given decimals.
std::string Fixed(double value, int decimals);

}  // namespace tv::bench
