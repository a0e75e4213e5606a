// show, hide, delete and detach: which cached marker cells are selected, the argument grammar,
// refusals, replies and activity entries, the sector box.
#include <gtest/gtest.h>

#include <set>

#include "CommandFixture.h"
#include "app/Errors.h"
#include "commands/TerrainCommand.h"

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

TEST_F(AreaCommands, BoxAroundTheUserTruncatesTheAvatarCell) {
    Arrive({11, 7, 12340, -5600});
    Begin(11);
    for (int32_t z = -9; z <= -1; ++z)
        for (int32_t x = 8; x <= 16; ++x) CacheMarker(x, z, 7);
    EXPECT_EQ(Command(11, "t:show"), Texts{"25 {cells_processed_message}"});
    EXPECT_EQ(LastActivity(), "Shows 25 cells");
    // Row by row from the south, ascending x in a row.
    const Texts queued = QueuedCommands();
    ASSERT_EQ(queued.size(), 25u);
    EXPECT_EQ(queued[0], "10,-7 SHOW s11");
    EXPECT_EQ(queued[1], "11,-7 SHOW s11");
    EXPECT_EQ(queued[24], "14,-3 SHOW s11");
    CellSet expected;
    for (int32_t z = -7; z <= -3; ++z)
        for (int32_t x = 10; x <= 14; ++x) expected.insert({x, z});
    EXPECT_EQ(Selected(CommandState::SHOW, 11), expected);
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
    struct Case {
        int32_t session;
        const char* line;
        CellSet cells;
        Texts replies;
    } cases[] = {
        {11, "t:show", {{1, 1}}, {"1 {cells_processed_message}"}},
        {11, "t:show 1234", {{2, -2}}, {"1 {cells_processed_message}"}},
        {11, "t:show 'ada'", {{2, -2}}, {"1 {cells_processed_message}"}},
        {11, "t:show all", {{1, 1}, {15, -15}}, {"2 {cells_processed_message}"}},
        {11, "t:show 1234 all", {{2, -2}, {-18, 18}}, {"2 {cells_processed_message}"}},
        {11, "t:show all 1234", {{1, 1}, {15, -15}}, {"2 {cells_processed_message}"}},
        {11, "t:show 1234 x all", {{2, -2}}, {"1 {cells_processed_message}"}},
        {11, "t:show ed", {}, {"{no_ed_message}"}},
        {11, "t:show all ed", {}, {"{no_ed_message}"}},
        {11, "t:show 'nobody'", {}, {"''nobody'' {invalid_citname_message}"}},
        {11, "t:show 999", {}, {"{no_cells_message}"}},
        {12, "t:show", {{-1, 2}}, {"1 {cells_processed_message}"}},
        {12, "t:show ed", {{1, 1}, {-1, 2}, {2, -2}, {0, -1}}, {"4 {cells_processed_message}"}},
        {12, "t:show all ed", all, {"7 {cells_processed_message}"}},
        {12, "t:show ed all", all, {"7 {cells_processed_message}"}},
        {12,
         "t:show ed 1234",
         {{1, 1}, {-1, 2}, {2, -2}, {0, -1}},
         {"4 {cells_processed_message}"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Command(c.session, c.line), c.replies);
        EXPECT_EQ(Selected(CommandState::SHOW, c.session), c.cells);
    }
}

TEST_F(AreaCommands, StatesAndActivities) {
    Arrive({11, 7});
    CacheMarker(0, 0, 7);
    // detach runs without an enabled session.
    EXPECT_EQ(Command(11, "t:detach"), Texts{"1 {cells_processed_message}"});
    EXPECT_EQ(Selected(CommandState::DETACH, 11), (CellSet{{0, 0}}));
    EXPECT_EQ(LastActivity(), "Detaches 1 cell");

    Begin(11);
    EXPECT_EQ(Command(11, "t:hide"), Texts{"1 {cells_processed_message}"});
    EXPECT_EQ(Selected(CommandState::HIDE, 11), (CellSet{{0, 0}}));
    EXPECT_EQ(LastActivity(), "Hides 1 cell");
    CacheMarker(1, 0, 7);
    struct Case {
        const char* line;
        CommandState state;
        const char* activity;
    } cases[] = {{"t:hide", CommandState::HIDE, "Hides 2 cells"},
                 {"t:delete", CommandState::DELETE, "Deletes 2 cells"},
                 {"t:show", CommandState::SHOW, "Shows 2 cells"},
                 {"t:detach", CommandState::DETACH, "Detaches 2 cells"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Command(11, c.line), Texts{"2 {cells_processed_message}"});
        EXPECT_EQ(Selected(c.state, 11), (CellSet{{0, 0}, {1, 0}}));
        EXPECT_EQ(LastActivity(), c.activity);
    }

    // Nothing selected: no activity, nothing queued.
    CacheMarker(3, 0, 7);  // just outside the box
    bot().cache.ClearCell(0, 0);
    bot().cache.ClearCell(1, 0);
    const std::size_t entries = tb.ActivityMessages().size();
    EXPECT_EQ(Command(11, "t:hide"), Texts{"{no_cells_message}"});
    EXPECT_EQ(tb.ActivityMessages().size(), entries);
    EXPECT_TRUE(QueuedCommands().empty());
    // A handler called with a word it does not serve is a programming error.
    EXPECT_THROW(DoShowHideCommand(bot(), SessionOf(11), {"texture"}), EFatalCommandError);
}

TEST_F(AreaCommands, SecondCommandRefusedWhileWorkIsPending) {
    bot().options.MaxCommands = 2;
    Arrive({11, 7});
    Begin(11);
    for (int32_t x : {0, 1, 2}) CacheMarker(x, 0, 7);
    // Hides are sent two a tick and stay pending until the world reports the markers.
    tb.world.MuteNext("aw_object_change", 10);
    Say(11, "t:hide");
    EXPECT_EQ(QueuedCommands().size(), 1u);
    EXPECT_EQ(Command(11, "t:show"),
              (Texts{"3 {cells_processed_message}", "1 {wait_for_objects_message}"}));
    // The other user is not held up.
    Arrive({12, 8});
    Begin(12);
    CacheMarker(-1, 0, 8);
    EXPECT_EQ(Command(12, "t:hide"), Texts{"1 {cells_processed_message}"});
}

TEST_F(AreaCommands, SectorBox) {
    bot().options.SetFlag(OptionFlag::UseSectorBox, true);
    // Cell (-3, 17): sector x 0, sector z 2; rows 11..21 (the world ends at 20), columns -5..5.
    Arrive({11, 7, -3000, 17000});
    Begin(11);
    for (auto [x, z] : {std::pair{-5, 11}, {5, 20}, {0, 16}, {-6, 15}, {6, 15}, {0, 10}})
        CacheMarker(x, z, 7);
    EXPECT_EQ(Command(11, "t:hide"), Texts{"3 {sector_processed_message} (2, 0) (2N 0W)"});
    EXPECT_EQ(Selected(CommandState::HIDE, 11), (CellSet{{-5, 11}, {0, 16}, {5, 20}}));
    EXPECT_EQ(LastActivity(), "Hides 3 cells");

    // Cell (-9, -9): sector (-1, -1), the cells -13..-3 both ways.
    tb.world.UserMove(11, -9000, 0, -9000);
    tb.Tick(6);
    for (auto [x, z] : {std::pair{-13, -13}, {-3, -3}, {-2, -3}, {-3, -14}}) CacheMarker(x, z, 7);
    EXPECT_EQ(Command(11, "t:hide"), Texts{"2 {sector_processed_message} (-1, -1) (1S 1E)"});
    EXPECT_EQ(Selected(CommandState::HIDE, 11), (CellSet{{-13, -13}, {-3, -3}}));
}

}  // namespace
}  // namespace tv::test
