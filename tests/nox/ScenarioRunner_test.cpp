// The scenario runner: its word splitting, its expectations and its verdict.
#include <gtest/gtest.h>

#include <sstream>

#include "nox/ScenarioRunner.h"

namespace tv::test {
namespace {

TEST(ScenarioWords, SplitsAtBlanksAndKeepsQuotedWords) {
    struct Case {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"tick 4", {"tick", "4"}},
        {"  expect   status  Active ", {"expect", "status", "Active"}},
        {"expect object 0 0 \"\" hidden", {"expect", "object", "0", "0", "", "hidden"}},
        {"place 1 2 3 desc \"12 , 90\" owner 7",
         {"place", "1", "2", "3", "desc", "12 , 90", "owner", "7"}},
        {"tab\tseparated", {"tab", "separated"}},
    };
    for (const auto& c : cases) EXPECT_EQ(ScenarioWords(c.line), c.words) << c.line;
}

struct ScriptRun {
    explicit ScriptRun(const std::string& script) {
        std::istringstream in(script);
        ScenarioRunner runner(out, {});
        passed = runner.Run(in);
        counts = {runner.Passed(), runner.Failed()};
    }
    std::ostringstream out;
    bool passed = false;
    std::pair<int, int> counts;
};

TEST(ScenarioRunner, CountsExpectationsAndFailsTheRunOnAMiss) {
    ScriptRun run(
        "world terra 10\n"
        "botcitizen 1 secret\n"
        "# a comment, then a blank line\n"
        "\n"
        "login\n"
        "tick\n"
        "expect status Active\n"
        "expect stat 0 terra\n"
        "expect status Ready\n");
    EXPECT_FALSE(run.passed);
    EXPECT_EQ(run.counts, (std::pair<int, int>{2, 1}));
    const std::string transcript = run.out.str();
    EXPECT_NE(transcript.find("\texpect-failed\t9\tstatus is \"Active\"\n"), std::string::npos);
    EXPECT_NE(transcript.find("0.050\tactivity\tMessage\t\t\tTerrain editor online\n"),
              std::string::npos);
    EXPECT_EQ(transcript.substr(transcript.rfind("scenario:")), "scenario: 2 passed, 1 failed\n");
}

TEST(ScenarioRunner, UserLinesReachTheBotAndConsoleExpectationsMoveOn) {
    ScriptRun run(
        "world terra 10\n"
        "botcitizen 1 secret\n"
        "citizen 7 Ada rights 50\n"
        "login\n"
        "enter 11 7 0 0 0\n"
        "tick 2\n"
        "say 11 t:version\n"
        "tick 2\n"
        "expect console 11 Terravane Terrain Manager 2.1.14 - world SDK build 66\n"
        "expect no-console 11\n"
        "expect activity Enters world\n"
        "frobnicate\n");
    EXPECT_EQ(run.counts, (std::pair<int, int>{3, 1}));
    EXPECT_NE(run.out.str().find("unknown command 'frobnicate'"), std::string::npos);
}

}  // namespace
}  // namespace tv::test
