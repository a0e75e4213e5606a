// The scenario runner: its expectations and its verdict. Quoted words, blanks and comments:
// every script under scenarios/.
#include <gtest/gtest.h>

#include <sstream>

#include "app/Errors.h"
#include "nox/ScenarioRunner.h"

namespace tv::test {
namespace {

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
        "world terra 10\nbotcitizen 1 secret\nlogin\ntick\nexpect status Active\n"
        "expect stat 0 terra\nexpect status Ready\n");
    EXPECT_FALSE(run.passed);
    EXPECT_EQ(run.counts, (std::pair<int, int>{2, 1}));
    const std::string transcript = run.out.str();
    EXPECT_NE(transcript.find("\texpect-failed\t7\tstatus is \"Active\"\n"), std::string::npos);
    EXPECT_NE(transcript.find("0.050\tactivity\tMessage\t\t\tTerrain editor online\n"),
              std::string::npos);
    EXPECT_EQ(transcript.substr(transcript.rfind("scenario:")), "scenario: 2 passed, 1 failed\n");
}

TEST(ScenarioRunner, LinesThatCannotBeCarriedOutFailTheRun) {
    const std::pair<const char*, const char*> cases[] = {
        {"expect console abc hello", "'abc' is not a number"},
        {"expect terrain 1 2 0x5 0", "'0x5' is not a number"},
        {"expect stat", "a number is missing"},
        {"world", "a word is missing"},
        {"option Nope 1", "unknown option 'Nope'"},
        {"place 0 0 0 colour red", "unknown object field 'colour'"},
        {"wait 1e12", "'1e12' is not a time from 0 to one day"},
        {"tick -3", "'-3' is not a time from 0 to one day"},
        {"frobnicate", "unknown command 'frobnicate'"},
        {"expect weather fine", "unknown expectation 'weather'"},
    };
    for (auto [script, detail] : cases) {
        ScriptRun run(std::string(script) + "\nexpect status Ready\n");
        EXPECT_FALSE(run.passed) << script;
        EXPECT_NE(run.out.str().find(std::string("\t") + detail + "\n"), std::string::npos)
            << run.out.str();
    }
    ScriptRun empty("# nothing to check\n");
    EXPECT_NE(empty.out.str().find("\texpect-failed\t1\tthe script checks nothing\n"),
              std::string::npos);
    // An option that does not convert fails at its line and holds up none after it.
    ScriptRun run("option WarnTime 30s\noption DisableTime 90\nexpect option DisableTime 90\n");
    EXPECT_EQ(run.counts, (std::pair<int, int>{1, 1}));
    EXPECT_NE(run.out.str().find("option WarnTime: '30s' is not a valid integer value"),
              std::string::npos);
    std::ostringstream out;
    EXPECT_THROW(ScenarioRunner(out, "/no/such/folder"), EInOutError);
}

}  // namespace
}  // namespace tv::test
