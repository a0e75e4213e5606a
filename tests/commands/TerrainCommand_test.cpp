// The chat command dispatcher: splitting, finding the command, pre-checks, error replies and
// the citizen-number reader, through the chat event where the user's path matters.
#include "commands/TerrainCommand.h"

#include <gtest/gtest.h>

#include "CommandFixture.h"

namespace tv::test {
namespace {

TEST(SplitCommandLine, WordsQuotesAndBlanks) {
    // clang-format off
    const std::pair<const char*, Texts> cases[] = {
        {"show", {"show"}},              {"show all ed", {"show", "all", "ed"}},
        {" show", {"", "show"}},         {"show  1234", {"show", "", "1234"}},
        {"show ", {"show"}},             {"show  ", {"show", ""}},
        {"a'b c'd e", {"a'b c'd", "e"}}, {"show\tall", {"show\tall"}},
        {"", {}},                        {" ", {""}},
        {"seed as 'john smith'", {"seed", "as", "'john smith'"}},
        {"seed as 'john smith", {"seed", "as", "'john smith"}}};
    // clang-format on
    for (const auto& [text, words] : cases) EXPECT_EQ(SplitCommandLine(text), words) << text;
}

using Dispatcher = CommandTest;

TEST_F(Dispatcher, ChatLinesReachTheDispatcher) {
    Arrive({11, 7});
    Begin(11);
    struct Case {
        const char* line;
        Texts replies;
    } cases[] = {
        {"T:SHOW", {"{no_cells_message}"}},
        {"t: show", {"'' {invalid_command_error}"}},
        {"t:foo bar", {"'FOO' {invalid_command_error}"}},
        {"t:clearcache", {"{not_caretaker_error}"}},
        {"t:rights", {"{not_caretaker_error}"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Command(11, c.line), c.replies) << c.line;
}

TEST_F(Dispatcher, PreCheckRefusalLeavesTheSessionUntouched) {
    TTerrainSession& session = Arrive({11, 7});
    tb.clock.Advance(5000);
    for (const char* line :
         {"t:show", "t:hide", "t:delete", "t:seed", "t:texture 5", "t:clickmode", "t:end"}) {
        EXPECT_EQ(Command(11, line), Texts{"{not_enabled_message}"}) << line;
    }
    EXPECT_EQ(session.lastActivity, 0);
    EXPECT_TRUE(QueuedCommands().empty());

    // A command that ran touches the session.
    tb.clock.Advance(3000);
    EXPECT_EQ(Command(11, "t:version"), Texts{"{version_message} 2.1.14 {version_sdk_message} 66"});
    EXPECT_GT(session.lastActivity, 0);
    EXPECT_LE(session.lastActivity, bot().ClockSeconds());
}

class TranslatedWords : public CommandTest {
protected:
    TranslatedWords() {
        languageOverrides["commands/help"] = "version";
        languageOverrides["commands/show"] = "montrer";
        languageOverrides["commands/begin"] = "commencer";
    }
};

TEST_F(TranslatedWords, ReplaceTheKeysButClearCacheStaysAndTheFirstOfTwoEqualWordsWins) {
    EnterCaretaker(12);
    // help comes before version in the table.
    EXPECT_EQ(Command(12, "t:version"), Texts{"{message}"});
    EXPECT_EQ(Command(12, "t:commencer"), Texts{"{enable_message}"});
    EXPECT_EQ(Command(12, "t:show"), Texts{"'SHOW' {invalid_command_error}"});
    EXPECT_EQ(Command(12, "t:montrer"), Texts{"{no_cells_message}"});
    EXPECT_EQ(Command(12, "t:clearcache"), Texts{"Terrain cache cleared."});
}

TEST_F(Dispatcher, ParseCitNumFromString) {
    tb.world.AddCitizen(1234, "ada");
    tb.world.AddCitizen(77, "john smith");
    const std::pair<const char*, int32_t> cases[] = {
        {"1234", 1234}, {"'ada'", 1234}, {"'ada", 1234}, {"'john smith'", 77}, {"'nobody'", -1},
        {"''", -1},     {"abc", -2},     {"", -2},       {"12abc", -2},        {"-5", -5},
        {"0", 0},       {"0x10", -2},    {"$10", -2}};
    for (auto [text, expected] : cases)
        EXPECT_EQ(ParseCitNumFromString(bot(), text), expected) << text;
}

TEST_F(Dispatcher, ParseCitNumRepliesForUnknownNamesAndDefaultsToOwnNumber) {
    TTerrainSession& session = Arrive({11, 7});
    tb.world.AddCitizen(1234, "ada");
    struct Case {
        const char* text;
        bool ok;
        int32_t citnum;
    } cases[] = {{"'ada'", true, 1234},
                 {"42", true, 42},
                 {"all", true, 7},
                 {"-3", true, 7},
                 {"'zed'", false, -99}};
    for (const auto& c : cases) {
        int32_t citnum = -99;
        EXPECT_EQ(ParseCitNum(bot(), session, c.text, citnum), c.ok) << c.text;
        EXPECT_EQ(citnum, c.citnum) << c.text;
    }
    EXPECT_EQ(Replies(11), Texts{"''zed'' {invalid_citname_message}"});
}

}  // namespace
}  // namespace tv::test
