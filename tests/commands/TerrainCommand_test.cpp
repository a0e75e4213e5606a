// The chat command dispatcher: splitting, finding the command, pre-checks, error replies and
// the citizen-number reader, through the chat event where the user's path matters.
#include <gtest/gtest.h>

#include "CommandFixture.h"
#include "commands/TerrainCommand.h"

namespace tv::test {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, WordsQuotesAndBlanks) {
    struct Case {
        const char* text;
        Words words;
    } cases[] = {
        {"show", {"show"}},
        {"show all ed", {"show", "all", "ed"}},
        {" show", {"", "show"}},
        {"show  1234", {"show", "", "1234"}},
        {"show ", {"show"}},
        {"show  ", {"show", ""}},
        {"seed as 'john smith'", {"seed", "as", "'john smith'"}},
        {"seed as 'john smith", {"seed", "as", "'john smith"}},
        {"a'b c'd e", {"a'b c'd", "e"}},
        {"show\tall", {"show\tall"}},
        {"", {}},
        {" ", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.text), c.words) << c.text;
}

class Dispatcher : public CommandTest {};

TEST_F(Dispatcher, CommandTableOrder) {
    Login();
    const Words expected = {"begin", "clickmode", "delete",  "detach",  "end",
                            "help",  "hide",      "rights",  "seed",    "sessions",
                            "show",  "stats",     "texture", "version", "clearcache"};
    Words words;
    for (const CommandRow& row : CommandTable()) words.push_back(CommandWord(bot(), row));
    EXPECT_EQ(words, expected);
}

TEST_F(Dispatcher, ChatLinesReachTheDispatcher) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    struct Case {
        const char* line;
        Words replies;
    } cases[] = {
        {"T:SHOW", {"{no_cells_message}"}},
        {"t:", {}},
        {"hello there", {}},
        {"t: show", {"'' {invalid_command_error}"}},
        {"t:foo bar", {"'FOO' {invalid_command_error}"}},
        {"T:Foo", {"'FOO' {invalid_command_error}"}},
        {"t:clearcache", {"{not_caretaker_error}"}},
        {"t:rights", {"{not_caretaker_error}"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Command(11, c.line), c.replies) << c.line;
}

TEST_F(Dispatcher, PreCheckRefusalLeavesTheSessionUntouched) {
    Login();
    EnterUser(11, 7, 0, 0);
    TTerrainSession& session = SessionOf(11);
    tb.clock.Advance(5000);
    for (const char* line :
         {"t:show", "t:hide", "t:delete", "t:seed", "t:texture 5", "t:clickmode", "t:end"}) {
        EXPECT_EQ(Command(11, line), Words{"{not_enabled_message}"}) << line;
    }
    EXPECT_EQ(session.lastActivity, 0);
    EXPECT_TRUE(Queued().empty());

    // A command that ran touches the session.
    tb.clock.Advance(3000);
    EXPECT_EQ(Command(11, "t:version"), Words{"{version_message} 2.1.14 {version_sdk_message} 66"});
    EXPECT_GT(session.lastActivity, 0);
    EXPECT_LE(session.lastActivity, bot().ClockSeconds());
}

TEST_F(Dispatcher, HandlerErrorBecomesOneReplyAndSkipsTheTouch) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    TTerrainSession& session = SessionOf(11);
    int32_t before = session.lastActivity;
    tb.clock.Advance(4000);
    EXPECT_EQ(Command(11, "t:clickmode texture"),
              Words{"An error occured while processing your command: EFatalCommandError, "
                    "Invalid clickmode"});
    EXPECT_EQ(session.lastActivity, before);
}

TEST_F(Dispatcher, FirstOfTwoEqualWordsWins) {
    // help comes before version in the table.
    languageOverrides["commands/help"] = "version";
    Login();
    EnterUser(11, 7, 0, 0);
    EXPECT_EQ(Command(11, "t:version"), Words{"{message}"});
}

TEST_F(Dispatcher, TranslatedWordsReplaceTheKeysButClearCacheStays) {
    languageOverrides["commands/show"] = "montrer";
    languageOverrides["commands/begin"] = "commencer";
    Login();
    EnterCaretaker(12);
    EXPECT_EQ(Command(12, "t:commencer"), Words{"{enable_message}"});
    EXPECT_EQ(Command(12, "t:show"), Words{"'SHOW' {invalid_command_error}"});
    EXPECT_EQ(Command(12, "t:montrer"), Words{"{no_cells_message}"});
    EXPECT_EQ(Command(12, "t:clearcache"), Words{"Terrain cache cleared."});
}

TEST_F(Dispatcher, ParseCitNumFromString) {
    Login();
    tb.world.AddCitizen(1234, "ada");
    tb.world.AddCitizen(77, "john smith");
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"1234", 1234},   {"'ada'", 1234}, {"'ada", 1234}, {"'john smith'", 77},
        {"'nobody'", -1}, {"''", -1},      {"abc", -2},    {"", -2},
        {"12abc", -2},    {"-5", -5},      {"0", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCitNumFromString(bot(), c.text), c.expected) << c.text;
}

TEST_F(Dispatcher, ParseCitNumRepliesForUnknownNamesAndDefaultsToOwnNumber) {
    Login();
    EnterUser(11, 7, 0, 0);
    tb.world.AddCitizen(1234, "ada");
    TTerrainSession& session = SessionOf(11);
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
    EXPECT_EQ(Replies(11), Words{"''zed'' {invalid_citname_message}"});
    bool logged = false;
    for (const std::string& line : DebugLines()) {
        if (line.find("ParseCitNumFromString('zed'): -1") != std::string::npos) logged = true;
    }
    EXPECT_TRUE(logged);
}

}  // namespace
}  // namespace tv::test
