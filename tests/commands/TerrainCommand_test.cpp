// The chat command dispatcher: splitting, finding the command, pre-checks, error replies and
// the citizen-number reader.
#include "commands/TerrainCommand.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST_F(Dispatcher, UnknownWordsAndPreChecksReplyWithoutTouchingTheSession) {
    TTerrainSession& session = Arrive({11, 7});
    tb.clock.Advance(5000);
    const std::pair<const char*, const char*> cases[] = {
        {"t: show", "'' {invalid_command_error}"}, {"t:foo bar", "'FOO' {invalid_command_error}"},
        {"t:clearcache", "{not_caretaker_error}"}, {"t:rights", "{not_caretaker_error}"},
        {"t:show", "{not_enabled_message}"},       {"t:delete", "{not_enabled_message}"},
        {"t:seed", "{not_enabled_message}"},       {"t:texture 5", "{not_enabled_message}"},
        {"t:clickmode", "{not_enabled_message}"},  {"t:end", "{not_enabled_message}"}};
    for (auto [line, reply] : cases) EXPECT_EQ(Command(11, line), Texts{reply}) << line;
    EXPECT_EQ(session.lastActivity, 0);
    EXPECT_TRUE(QueuedCommands().empty());
    // A command that ran touches the session.
    Command(11, "t:version");
    EXPECT_EQ(session.lastActivity, bot().ClockSeconds());
}

TEST_F(Dispatcher, CitizenNumbersAndQuotedNames) {
    TTerrainSession& session = Arrive({11, 7});
    tb.world.AddCitizen(1234, "ada");
    tb.world.AddCitizen(77, "john smith");
    // The text, ParseCitNumFromString, then ParseCitNum's success and number (the user's own
    // when the text is no number).
    const std::tuple<const char*, int32_t, bool, int32_t> cases[] = {
        {"1234", 1234, true, 1234},  {"'ada'", 1234, true, 1234},
        {"'ada", 1234, true, 1234},  {"'john smith'", 77, true, 77},
        {"''", -1, false, -99},      {"abc", -2, true, 7},
        {"", -2, true, 7},           {"12abc", -2, true, 7},
        {"-5", -5, true, 7},         {"0", 0, true, 0},
        {"0x10", -2, true, 7},       {"$10", -2, true, 7},
        {"'nobody'", -1, false, -99}};
    for (const auto& [text, parsed, ok, number] : cases) {
        int32_t citnum = -99;
        EXPECT_EQ(ParseCitNumFromString(bot(), text), parsed) << text;
        EXPECT_EQ(ParseCitNum(bot(), session, text, citnum), ok) << text;
        EXPECT_EQ(citnum, number) << text;
    }
    EXPECT_EQ(Replies(11),
              (Texts{"'''' {invalid_citname_message}", "''nobody'' {invalid_citname_message}"}));
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

}  // namespace
}  // namespace tv::test
