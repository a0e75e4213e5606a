// show, hide, delete and detach: which cached marker cells are selected, the argument grammar,
// refusals, replies and activity entries, the sector box.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "CommandFixture.h"
#include "app/Errors.h"
#include "commands/TerrainCommand.h"
#include "world/SimWorld.h"

namespace tv::test {
namespace {

using Words = std::vector<std::string>;
using Cells = std::set<std::pair<int32_t, int32_t>>;

class AreaCommands : public CommandTest {
protected:
    AreaCommands() { options["MaxCommands"] = "0"; }

    Cells QueuedCells(CommandState state, int32_t session) const {
        Cells cells;
        for (const QueuedCommand& c : Queued()) {
            EXPECT_EQ(c.state, state);
            EXPECT_EQ(c.session, session);
            cells.insert({c.x, c.z});
        }
        return cells;
    }

    std::string LastActivity() { return tb.ActivityMessages().back(); }
};

TEST_F(AreaCommands, BoxAroundTheUserTruncatesTheAvatarCell) {
    Login();
    EnterUser(11, 7, 12340, -5600);
    Begin(11);
    for (int32_t z = -9; z <= -1; ++z) {
        for (int32_t x = 8; x <= 16; ++x) CacheMarker(x, z, 7);
    }
    EXPECT_EQ(Command(11, "t:show"), Words{"25 {cells_processed_message}"});
    Cells expected;
    for (int32_t z = -7; z <= -3; ++z) {
        for (int32_t x = 10; x <= 14; ++x) expected.insert({x, z});
    }
    EXPECT_EQ(QueuedCells(CommandState::SHOW, 11), expected);
    // Row by row from the south, ascending x in a row.
    std::vector<QueuedCommand> queued = Queued();
    ASSERT_EQ(queued.size(), 25u);
    EXPECT_EQ(std::make_pair(queued.front().x, queued.front().z), std::make_pair(10, -7));
    EXPECT_EQ(std::make_pair(queued[1].x, queued[1].z), std::make_pair(11, -7));
    EXPECT_EQ(std::make_pair(queued.back().x, queued.back().z), std::make_pair(14, -3));
    EXPECT_EQ(LastActivity(), "Shows 25 cells");
}

TEST_F(AreaCommands, ArgumentGrammar) {
    Login();
    tb.world.AddCitizen(1234, "ada");
    EnterUser(11, 7, 0, 0);            // no eminent domain
    EnterUser(12, 8, 0, 0, {50, 51});  // eminent domain
    Begin(11);
    Begin(12);
    // Near the users (inside the box of 2) and far away (only in the whole world).
    CacheMarker(1, 1, 7);
    CacheMarker(15, -15, 7);
    CacheMarker(-1, 2, 8);
    CacheMarker(-16, 3, 8);
    CacheMarker(2, -2, 1234);
    CacheMarker(-18, 18, 1234);
    CacheMarker(0, -1, 555);
    struct Case {
        int32_t session;
        const char* line;
        Cells cells;
        Words replies;
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
        {12,
         "t:show all ed",
         {{1, 1}, {15, -15}, {-1, 2}, {-16, 3}, {2, -2}, {-18, 18}, {0, -1}},
         {"7 {cells_processed_message}"}},
        {12,
         "t:show ed all",
         {{1, 1}, {15, -15}, {-1, 2}, {-16, 3}, {2, -2}, {-18, 18}, {0, -1}},
         {"7 {cells_processed_message}"}},
        {12,
         "t:show ed 1234",
         {{1, 1}, {-1, 2}, {2, -2}, {0, -1}},
         {"4 {cells_processed_message}"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Command(c.session, c.line), c.replies) << c.line;
        EXPECT_EQ(QueuedCells(CommandState::SHOW, c.session), c.cells) << c.line;
        bot().world.commands.Clear();
    }
}

TEST_F(AreaCommands, StatesAndPreChecks) {
    Login();
    EnterUser(11, 7, 0, 0);
    CacheMarker(0, 0, 7);
    // detach runs without an enabled session; the others need one.
    EXPECT_EQ(Command(11, "t:detach"), Words{"1 {cells_processed_message}"});
    EXPECT_EQ(QueuedCells(CommandState::DETACH, 11), (Cells{{0, 0}}));
    EXPECT_EQ(LastActivity(), "Detaches 1 cell");
    bot().world.commands.Clear();
    for (const char* line : {"t:show", "t:hide", "t:delete"}) {
        EXPECT_EQ(Command(11, line), Words{"{not_enabled_message}"}) << line;
    }
    EXPECT_TRUE(Queued().empty());

    Begin(11);
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
        EXPECT_EQ(Command(11, c.line), Words{"2 {cells_processed_message}"});
        EXPECT_EQ(QueuedCells(c.state, 11), (Cells{{0, 0}, {1, 0}})) << c.line;
        EXPECT_EQ(LastActivity(), c.activity);
        bot().world.commands.Clear();
    }
}

TEST_F(AreaCommands, NothingSelectedHasNoActivity) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    CacheMarker(3, 0, 7);  // just outside the box
    std::size_t entries = tb.ActivityMessages().size();
    EXPECT_EQ(Command(11, "t:hide"), Words{"{no_cells_message}"});
    EXPECT_EQ(tb.ActivityMessages().size(), entries);
    EXPECT_TRUE(Queued().empty());
}

TEST_F(AreaCommands, UnknownCommandWordIsAFatalCommandError) {
    Login();
    EnterUser(11, 7, 0, 0);
    EXPECT_THROW(DoShowHideCommand(bot(), SessionOf(11), {"texture"}), EFatalCommandError);
}

TEST_F(AreaCommands, SecondCommandRefusedWhileWorkIsPending) {
    options["MaxCommands"] = "2";
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    CacheMarker(0, 0, 7);
    CacheMarker(1, 0, 7);
    CacheMarker(2, 0, 7);
    // Hides are sent two a tick and stay pending until the world reports the markers.
    tb.world.MuteNext("aw_object_change", 10);
    Say(11, "t:hide");
    EXPECT_EQ(Queued().size(), 1u);
    EXPECT_EQ(Command(11, "t:show"),
              (Words{"3 {cells_processed_message}", "1 {wait_for_objects_message}"}));
    // The other user is not held up.
    EnterUser(12, 8, 0, 0);
    Begin(12);
    CacheMarker(-1, 0, 8);
    EXPECT_EQ(Command(12, "t:hide"), Words{"1 {cells_processed_message}"});
}

TEST_F(AreaCommands, HideOneCellEndToEnd) {
    options["MaxCommands"] = "5";
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    SimObjectSpec marker;
    marker.x = 1000;
    marker.z = -1000;
    marker.description = "5";
    ASSERT_EQ(tb.world.UserBuild(11, marker), 0);
    tb.Tick(4);
    ASSERT_NE(bot().cache.Entry(1, -1), nullptr);
    ASSERT_NE(bot().cache.Entry(1, -1)->Id, 0);
    Replies(11);

    Say(11, "t:hide");
    EXPECT_EQ(tb.ActivityMessages().back(), "Hides 1 cell");
    tb.Tick(4);
    EXPECT_EQ(Replies(11), (Words{"1 {cells_processed_message}", "{show_hide_finished_message}"}));
    const SimObject* object = tb.world.ObjectAt(kWorld, 1000, -1000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->action, "create visible no");
}

TEST_F(AreaCommands, SectorBox) {
    options["UseSectorBox"] = "True";
    Login();
    // Cell (-3, 17): sector x 0, sector z 2; rows 11..21 (the world ends at 20), columns -5..5.
    EnterUser(11, 7, -3000, 17000);
    Begin(11);
    for (auto [x, z] : {std::pair{-5, 11}, {5, 20}, {0, 16}, {-6, 15}, {6, 15}, {0, 10}}) {
        CacheMarker(x, z, 7);
    }
    EXPECT_EQ(Command(11, "t:hide"), Words{"3 {sector_processed_message} (2, 0) (2N 0W)"});
    EXPECT_EQ(QueuedCells(CommandState::HIDE, 11), (Cells{{-5, 11}, {0, 16}, {5, 20}}));
    EXPECT_EQ(LastActivity(), "Hides 3 cells");
    bot().world.commands.Clear();

    // Cell (-9, -9): sector (-1, -1), the cells -13..-3 both ways.
    tb.world.UserMove(11, -9000, 0, -9000);
    tb.Tick(6);
    for (auto [x, z] : {std::pair{-13, -13}, {-3, -3}, {-2, -3}, {-3, -14}}) CacheMarker(x, z, 7);
    EXPECT_EQ(Command(11, "t:hide"), Words{"2 {sector_processed_message} (-1, -1) (1S 1E)"});
    EXPECT_EQ(QueuedCells(CommandState::HIDE, 11), (Cells{{-13, -13}, {-3, -3}}));
}

TEST_F(AreaCommands, DebugLines) {
    Login();
    EnterUser(11, 7, 12340, -5600);
    Begin(11);
    Say(11, "t:show all  x");
    Words wanted = {"DoShowHideCommand: arg: \"show\"",
                    "DoShowHideCommand: arg: \"all\"",
                    "DoShowHideCommand: arg: \"\"",
                    "DoShowHideCommand: arg: \"x\"",
                    "DoShowHideCommand: parmED: 0, parmAll: -1, hasED: 0",
                    "DoShowHideCommand: citNum = 7",
                    "DoShowHideCommand: CenterCell = (0, 0)",
                    "DoShowHideCommand: BoxSize = 20",
                    "DoShowHideCommand: IgnoreCitnum = 0"};
    std::size_t next = 0;
    for (const std::string& line : DebugLines()) {
        if (next < wanted.size() && line.size() >= wanted[next].size() &&
            line.compare(line.size() - wanted[next].size(), std::string::npos, wanted[next]) == 0) {
            ++next;
        }
    }
    EXPECT_EQ(next, wanted.size()) << "missing: " << (next < wanted.size() ? wanted[next] : "");
}

}  // namespace
}  // namespace tv::test
