// show, hide, delete and detach: the box of cells around the user, the argument grammar, and what
// each word queues. End to end (markers changing in the world, the refusal while work is pending,
// the sector box): scenarios/commands_area.scn.
#include <gtest/gtest.h>

#include <set>

#include "CommandFixture.h"

namespace tv::test {
namespace {

using CellSet = std::set<std::pair<int32_t, int32_t>>;

class AreaCommands : public CommandTest {
protected:
    // Commands stay queued to be looked at (no file may hold this value).
    void SetUp() override {
        CommandTest::SetUp();
        bot().options.MaxCommands = 0;
    }

    // The cells of the queued commands, which must all be `state` for `session`; then cleared.
    CellSet Selected(CommandState state, int32_t session) {
        CellSet cells;
        for (auto* node = bot().world.commands.Head(); node; node = node->Next) {
            EXPECT_EQ(node->Item->State, state);
            EXPECT_EQ(node->Item->AvatarSession, session);
            cells.insert({node->Item->CellX, node->Item->CellZ});
        }
        bot().world.commands.Clear();
        return cells;
    }
};

TEST_F(AreaCommands, BoxOfTwoCellsAroundTheTruncatedAvatarCellRowByRowFromTheSouth) {
    Arrive({11, 7, 12340, -5600});  // cell (12, -5), not the rounded (12, -6)
    Begin(11);
    for (int32_t z = -9; z <= -1; ++z)
        for (int32_t x = 8; x <= 16; ++x) CacheMarker(x, z, 7);
    EXPECT_EQ(Command(11, "t:show"), Texts{"25 {cells_processed_message}"});
    Texts expected;
    for (int32_t z = -7; z <= -3; ++z)
        for (int32_t x = 10; x <= 14; ++x)
            expected.push_back(std::to_string(x) + "," + std::to_string(z) + " SHOW s11");
    EXPECT_EQ(QueuedCommands(), expected);
}

TEST_F(AreaCommands, ArgumentGrammar) {
    tb.world.AddCitizen(1234, "ada");
    Arrive({11, 7});                                            // no eminent domain
    Arrive({.session = 12, .citizen = 8, .rights = {50, 51}});  // eminent domain
    Begin(11);
    Begin(12);
    // Near the users (inside the box of 2) and far away (only in the whole world).
    for (auto [x, z, owner] : {std::tuple{1, 1, 7},
                               {15, -15, 7},
                               {-1, 2, 8},
                               {-16, 3, 8},
                               {2, -2, 1234},
                               {-18, 18, 1234},
                               {0, -1, 555}})
        CacheMarker(x, z, owner);
    const CellSet all = {{1, 1}, {15, -15}, {-1, 2}, {-16, 3}, {2, -2}, {-18, 18}, {0, -1}};
    const CellSet nearBy = {{1, 1}, {-1, 2}, {2, -2}, {0, -1}};
    struct Case {
        int32_t session;
        const char* line;
        CommandState state;
        CellSet cells;
        std::string reply;     // after the count, or alone when nothing is selected
        std::string activity;  // the newest entry afterwards
    } cases[] = {
        {11, "t:show", CommandState::SHOW, {{1, 1}}, "1 ", "Shows 1 cell"},
        {11, "t:hide 1234", CommandState::HIDE, {{2, -2}}, "1 ", "Hides 1 cell"},
        {11, "t:delete 'ada'", CommandState::DELETE, {{2, -2}}, "1 ", "Deletes 1 cell"},
        {11, "t:detach all", CommandState::DETACH, {{1, 1}, {15, -15}}, "2 ", "Detaches 2 cells"},
        {11, "t:show 1234 all", CommandState::SHOW, {{2, -2}, {-18, 18}}, "2 ", "Shows 2 cells"},
        {11, "t:show all 1234", CommandState::SHOW, {{1, 1}, {15, -15}}, "2 ", "Shows 2 cells"},
        {11, "t:show 1234 x all", CommandState::SHOW, {{2, -2}}, "1 ", "Shows 1 cell"},
        {11, "t:show all ed", CommandState::SHOW, {}, "{no_ed_message}", "Shows 1 cell"},
        {12, "t:show", CommandState::SHOW, {{-1, 2}}, "1 ", "Shows 1 cell"},
        {12, "t:show ed", CommandState::SHOW, nearBy, "4 ", "Shows 4 cells"},
        {12, "t:show all ed", CommandState::SHOW, all, "7 ", "Shows 7 cells"},
        {12, "t:show ed all", CommandState::SHOW, all, "7 ", "Shows 7 cells"},
        {12, "t:show ed 1234", CommandState::SHOW, nearBy, "4 ", "Shows 4 cells"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string reply =
            c.reply.back() == ' ' ? c.reply + "{cells_processed_message}" : c.reply;
        EXPECT_EQ(Command(c.session, c.line), Texts{reply});
        EXPECT_EQ(Selected(c.state, c.session), c.cells);
        EXPECT_EQ(LastActivity(), c.activity);
    }
}

}  // namespace
}  // namespace tv::test
