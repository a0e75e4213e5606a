// terravane-soak: plays random days of users and faults against the bot on the embedded world,
// seed after seed, and checks after each tick and at rest that the world and the bot agree.
//
//   terravane-soak [--seeds FIRST-LAST | --seed N] [--minutes M] [--jobs J] [--progress]
//
// A batch (--seeds) also fails when a rare path was never reached or an injected reason code was
// never met. A failing seed prints one line that reproduces it and its run as a scenario script.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "soak/SoakRun.h"

namespace {

struct Arguments {
    std::string program = "terravane-soak";  // as it was started, for the reproduction line
    uint64_t first = 1;
    uint64_t last = 20;
    bool batch = true;
    int minutes = 30;
    int jobs = 2;
    bool progress = false;
};

bool Number(const std::string& text, uint64_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 18)
        return false;
    value = std::stoull(text);
    return true;
}

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments args;
    if (argc > 0) args.program = std::filesystem::path(argv[0]).filename().string();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        uint64_t n = 0;
        if (arg == "--seeds") {
            const auto dash = value.find('-');
            if (dash == std::string::npos || !Number(value.substr(0, dash), args.first) ||
                !Number(value.substr(dash + 1), args.last) || args.last < args.first)
                return std::nullopt;
        } else if (arg == "--seed" && Number(value, n)) {
            args.first = args.last = n;
            args.batch = false;
        } else if (arg == "--minutes" && Number(value, n) && n >= 1 && n <= 24 * 60) {
            args.minutes = static_cast<int>(n);
        } else if (arg == "--jobs" && Number(value, n) && n >= 1 && n <= 64) {
            args.jobs = static_cast<int>(n);
        } else if (arg == "--progress") {
            args.progress = true;
            continue;
        } else {
            return std::nullopt;
        }
        ++i;
    }
    return args;
}

struct Totals {
    int64_t seeds = 0, failed = 0, virtualMs = 0;
    std::array<int64_t, tv::kRarePathCount> rare{};
    std::map<int, int64_t> refusals;
    std::map<std::string, int64_t> faults;

    void Add(const tv::SoakResult& result) {
        ++seeds;
        failed += result.passed ? 0 : 1;
        virtualMs += result.virtualMs;
        for (std::size_t i = 0; i < rare.size(); ++i) rare[i] += result.rare[i];
        for (const auto& [reason, count] : result.refusals) refusals[reason] += count;
        for (const auto& [kind, count] : result.faults) faults[kind] += count;
    }
};

void ReportFailure(const tv::SoakResult& result, const Arguments& args, bool withScript) {
    std::cout << "FAIL seed " << result.seed << ": " << result.violation << "\n"
              << "reproduce: " << args.program << " --seed " << result.seed << " --minutes "
              << args.minutes << "   # " << result.plan << "\n";
    if (!withScript) return;
    std::cout << "---- scenario script of seed " << result.seed << " ----\n"
              << "# " << args.program << " --seed " << result.seed << ": " << result.violation
              << "\n"
              << tv::ScriptText(result.script) << "---- end of script ----\n";
}

// The figures of the batch; false when a rare path or an injected reason was never reached.
bool ReportTotals(const Totals& totals, double wallSeconds, bool batch) {
    std::printf("soak: %lld seeds, %lld failed, %.1f virtual hours, %.1f s wall\n",
                static_cast<long long>(totals.seeds), static_cast<long long>(totals.failed),
                static_cast<double>(totals.virtualMs) / 3.6e6, wallSeconds);
    std::cout << "faults injected:";
    for (const auto& [kind, count] : totals.faults)
        std::cout << " [" << kind << ": " << count << "]";
    std::cout << "\nrefusals met by reason:";
    for (const auto& [reason, count] : totals.refusals) std::cout << " " << reason << ":" << count;
    std::cout << "\nrare paths reached:";
    bool reached = true;
    for (std::size_t i = 0; i < totals.rare.size(); ++i) {
        std::cout << " [" << tv::RarePathName(static_cast<tv::RarePath>(i)) << ": "
                  << totals.rare[i] << "]";
        reached = reached && totals.rare[i] > 0;
    }
    std::cout << "\n";
    for (int reason : {24, 25, 26, 29, 31}) reached = reached && totals.refusals.count(reason);
    if (batch && !reached)
        std::cout << "FAIL: a rare path or an injected reason code was never reached\n";
    return !batch || reached;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Arguments> args = Parse(argc, argv);
    if (!args) {
        std::cerr << "usage: terravane-soak [--seeds FIRST-LAST | --seed N] [--minutes M] "
                     "[--jobs J] [--progress]\n";
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const uint64_t count = args->last - args->first + 1;
    std::atomic<uint64_t> next{0};
    std::mutex lock;
    std::vector<tv::SoakResult> failures;
    Totals totals;
    auto work = [&] {
        for (uint64_t i = next++; i < count; i = next++) {
            tv::SoakResult result = tv::RunSoakSeed(args->first + i, args->minutes);
            std::lock_guard<std::mutex> guard(lock);
            totals.Add(result);
            if (!result.passed) failures.push_back(std::move(result));
            if (args->progress &&
                (totals.seeds % 50 == 0 || totals.seeds == static_cast<int64_t>(count)))
                std::cout << "progress: " << totals.seeds << "/" << count << " seeds, "
                          << totals.failed << " failed" << std::endl;
        }
    };
    std::vector<std::thread> workers;
    for (int j = 1; j < args->jobs && static_cast<uint64_t>(j) < count; ++j)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();

    std::sort(failures.begin(), failures.end(),
              [](const auto& a, const auto& b) { return a.seed < b.seed; });
    for (std::size_t i = 0; i < failures.size(); ++i) ReportFailure(failures[i], *args, i == 0);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool reached = ReportTotals(totals, wall, args->batch);
    return failures.empty() && reached ? 0 : 1;
}
