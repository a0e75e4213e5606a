// Fuzz target for scenario scripts: the input is a whole script, read and run by the scenario
// runner in a working folder of its own, emptied before each input. Whatever the lines, the
// runner reports a bad line and goes on; it never crashes, and its last line is its summary.
// Scripts that ask for long runs (more than 600 heartbeats in all) are left out, so each input
// stays short; longer waits than a day the runner must refuse by itself.
#include <sstream>

#include "app/Format.h"
#include "fuzz/FuzzScene.h"
#include "nox/ScenarioRunner.h"

using tv::fuzz::Check;

namespace {

bool ShortEnough(const std::string& script) {
    std::istringstream in(script);
    double heartbeats = 0;
    for (std::string line; std::getline(in, line);) {
        const std::vector<std::string> words = tv::ScenarioWords(line);
        if (words.size() < 2) continue;
        const double count = std::strtod(words[1].c_str(), nullptr);
        if (words[0] == "tick" && count > 0) heartbeats += count;
        if (words[0] == "wait" && count > 0 && count <= 86400) heartbeats += count * 4;
    }
    return heartbeats <= 600;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024) return 0;
    const std::string script(reinterpret_cast<const char*>(data), size);
    if (!ShortEnough(script)) return 0;
    static tv::test::TempDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        std::filesystem::remove_all(entry.path());
    std::filesystem::create_symlink("/dev/null", dir.Path() / "debug.log");
    std::ostringstream transcript;
    std::istringstream in(script);
    tv::ScenarioRunner runner(transcript, dir.Path());
    const bool passed = runner.Run(in);
    Check(passed == (runner.Failed() == 0));
    const std::string summary =
        tv::Format("scenario: %d passed, %d failed\n", {runner.Passed(), runner.Failed()});
    const std::string text = transcript.str();
    Check(text.size() >= summary.size() &&
          text.compare(text.size() - summary.size(), summary.size(), summary) == 0);
    return 0;
}
