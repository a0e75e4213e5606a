// texture, seed and clickmode: what is painted, where markers are planted and for whom, and the
// click mode a user chooses.
#include <gtest/gtest.h>

#include <algorithm>

#include "CommandFixture.h"
#include "terrain/TerrainStruct.h"
#include "world/SimWorld.h"

namespace tv::test {
namespace {

using Words = std::vector<std::string>;

class TextureCommand : public CommandTest {
protected:
    TextureCommand() {
        options["MaxCommands"] = "0";
        options["DefaultTexture"] = "7";
        options["TextureMin"] = "1";
    }
};

TEST_F(TextureCommand, TextureWordsAndFallBacks) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    CacheMarker(1, 1, 7);
    CacheMarker(0, 1, 99);  // not the user's: never painted
    struct Case {
        const char* line;
        bool hole;
        int32_t texture;
        uint16_t rotation;
    } cases[] = {
        {"t:texture 5", false, 5, 0},          {"t:texture 5,90", false, 5, 0x4000},
        {"t:texture 5,180", false, 5, 0x8000}, {"t:texture 5,270", false, 5, 0xC000},
        {"t:texture 5,45", false, 5, 0},       {"t:texture 600", false, 7, 0},
        {"t:texture 600,90", false, 7, 0},     {"t:texture abc", false, 7, 0},
        {"t:texture hole", true, 0, 0},        {"t:texture HOLE", true, 0, 0},
        {"t:texture 0", false, 7, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Command(11, c.line), Words{"1 {cells_processed_message}"}) << c.line;
        EXPECT_EQ(Queued(), (std::vector<QueuedCommand>{
                                {1, 1, CommandState::TEXTURE, 11, c.hole, c.texture, c.rotation}}))
            << c.line;
        bot().world.commands.Clear();
    }
}

TEST_F(TextureCommand, MissingWordAndEmptyArea) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    std::size_t entries = tb.ActivityMessages().size();
    EXPECT_EQ(Command(11, "t:texture"), Words{"{texture_error}"});
    EXPECT_EQ(Command(11, "t:texture 5"), Words{"0 {cells_processed_message}"});
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(tb.ActivityMessages().size(), entries);
}

TEST_F(TextureCommand, AllCoversTheWorldSizeAroundTheAvatar) {
    Login();
    EnterUser(11, 7, 10000, 10000);
    Begin(11);
    // Rows and columns -10..30 around cell (10, 10); rows end at the world's edge (20).
    CacheMarker(-10, -10, 7);
    CacheMarker(20, 20, 7);
    CacheMarker(-11, 0, 7);
    CacheMarker(0, -11, 7);
    CacheMarker(0, 0, 99);
    EXPECT_EQ(Command(11, "t:texture 5 all"), Words{"2 {cells_processed_message}"});
    std::vector<QueuedCommand> expected = {{-10, -10, CommandState::TEXTURE, 11, false, 5, 0},
                                           {20, 20, CommandState::TEXTURE, 11, false, 5, 0}};
    EXPECT_EQ(Queued(), expected);
    bot().world.commands.Clear();
    // Only the fixed word "all" in place 2 widens the box.
    EXPECT_EQ(Command(11, "t:texture 5 x all"), Words{"0 {cells_processed_message}"});
}

TEST_F(TextureCommand, PaintsMarkersEndToEnd) {
    options["MaxCommands"] = "5";
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    SimObjectSpec marker;
    marker.x = 0;
    marker.z = 1000;
    marker.description = "3";
    ASSERT_EQ(tb.world.UserBuild(11, marker), 0);
    tb.Tick(4);
    Replies(11);
    Say(11, "t:texture 5,90");
    tb.Tick(6);
    EXPECT_EQ(Replies(11), (Words{"1 {cells_processed_message}", "{texture_finished_message}"}));
    const SimObject* object = tb.world.ObjectAt(kWorld, 0, 1000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->description, "5,90");
}

class SeedCommand : public CommandTest {};

TEST_F(SeedCommand, PlantsOnTheRoundedCellAnchor) {
    Login();
    EnterUser(11, 7, 12600, -3400);
    Begin(11);
    const std::string where = CoordText(13000, -3000, 0, 0);
    EXPECT_EQ(Command(11, "t:seed"), Words{"{new_marker_seed_message} " + where});
    EXPECT_EQ(tb.ActivityMessages().back(), "Seeds at " + where);
    const SimObject* object = tb.world.ObjectAt(kWorld, 13000, -3000);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->owner, 7);
    EXPECT_EQ(SessionOf(11).cells.Count(), 0);
}

TEST_F(SeedCommand, SeedAsNeedsEminentDomain) {
    Login();
    tb.world.AddCitizen(1234, "ada");
    tb.world.AddCitizen(77, "john smith");
    EnterUser(11, 7, 0, 0);
    EnterUser(12, 8, 5000, 5000, {50, 51});
    Begin(11);
    Begin(12);
    const std::string here = CoordText(0, 0, 0, 0);
    EXPECT_EQ(Command(11, "t:seed as 1234"), Words{"{new_marker_seed_message} " + here});
    tb.Tick(4);
    ASSERT_NE(tb.world.ObjectAt(kWorld, 0, 0), nullptr);
    EXPECT_EQ(tb.world.ObjectAt(kWorld, 0, 0)->owner, 7);

    const std::string there = CoordText(5000, 5000, 0, 0);
    EXPECT_EQ(Command(12, "t:seed as 1234"),
              Words{"{new_marker_seed_message} " + there + " {new_marker_seed_as_message}1234"});
    tb.Tick(4);
    ASSERT_NE(tb.world.ObjectAt(kWorld, 5000, 5000), nullptr);
    EXPECT_EQ(tb.world.ObjectAt(kWorld, 5000, 5000)->owner, 1234);

    // A quoted name keeps its blank; the markers of 1234 in the cell are then another owner's.
    EXPECT_EQ(Command(12, "t:seed as 'john smith'"), Words{"{seed_encroachment_error}"});
    tb.world.UserMove(12, 6000, 0, 5000);
    tb.Tick(6);
    Settle();
    EXPECT_EQ(Command(12, "t:seed as 'john smith'"),
              Words{"{new_marker_seed_message} " + CoordText(6000, 5000, 0, 0) +
                    " {new_marker_seed_as_message}77"});
    EXPECT_EQ(Command(12, "t:seed as 'nobody'"), Words{"''nobody'' {invalid_citname_message}"});
}

TEST_F(SeedCommand, Refusals) {
    Login();
    EnterUser(11, 7, 0, 19400);
    Begin(11);
    // 20 600 rounds to cell 21, beyond the world's 20.
    tb.world.UserMove(11, 0, 0, 20600);
    tb.Tick();
    EXPECT_EQ(Command(11, "t:seed"), Words{"{seed_building_error}"});

    tb.world.UserMove(11, 0, 0, 0);
    tb.Tick();
    Settle();
    CacheMarker(0, 0, 99);
    EXPECT_EQ(Command(11, "t:seed"), Words{"{seed_encroachment_error}"});

    tb.world.FailNext("aw_object_load", reason::NotAllowed);
    CacheMarker(0, 0, 7);
    EXPECT_EQ(Command(11, "t:seed"), Words{"Build error 29"});
    EXPECT_EQ(tb.world.ObjectAt(kWorld, 0, 0), nullptr);
}

TEST_F(SeedCommand, UnknownCellIsQueriedFirst) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    // The move and the chat arrive in the same wait: the new cell is not known yet.
    tb.world.UserMove(11, 9000, 0, 9000);
    ASSERT_EQ(tb.world.UserChat(11, "t:seed"), 0);
    ASSERT_EQ(bot().world.queries.Empty(), true);
    tb.Tick();
    const std::string where = CoordText(9000, 9000, 0, 0);
    EXPECT_EQ(Replies(11), Words{"{awaiting_query_error}"});
    EXPECT_EQ(tb.ActivityMessages().back(), "Seed request failed: unknown cell '" + where + "'");
    EXPECT_EQ(bot().model.Activity().front().category, ActivityCategory::Error);
    EXPECT_EQ(tb.world.ObjectAt(kWorld, 9000, 9000), nullptr);
    Settle();
    EXPECT_GE(bot().cache.FindCell(9, 9), 0);
    EXPECT_EQ(Command(11, "t:seed"), Words{"{new_marker_seed_message} " + where});
}

class ClickMode : public CommandTest {};

TEST_F(ClickMode, ReportsAndChangesTheMode) {
    Login();
    EnterUser(11, 7, 0, 0);
    Begin(11);
    TTerrainSession& session = SessionOf(11);
    EXPECT_EQ(Command(11, "t:clickmode"), Words{"{clickmode_message} hide"});
    struct Case {
        const char* line;
        uint8_t mode;
        const char* name;
    } cases[] = {{"t:clickmode show", 4, "show"},
                 {"t:clickmode DELETE", 1, "delete"},
                 {"t:clickmode detach", 2, "detach"},
                 {"t:clickmode hide", 3, "hide"},
                 {"t:clickmode delete extra", 1, "delete"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Command(11, c.line), Words{std::string("{clickmode_message} ") + c.name});
        EXPECT_EQ(session.clickMode, c.mode) << c.line;
    }
    EXPECT_EQ(Command(11, "t:clickmode texture"),
              Words{"An error occured while processing your command: EFatalCommandError, "
                    "Invalid clickmode"});
    EXPECT_EQ(session.clickMode, 1);
    // Names by value, for modes no chat word sets.
    for (auto [mode, name] :
         {std::pair<uint8_t, const char*>{5, "texture"}, {0, "<invalid>"}, {9, "<invalid>"}}) {
        session.clickMode = mode;
        EXPECT_EQ(Command(11, "t:clickmode"), Words{std::string("{clickmode_message} ") + name});
    }
}

}  // namespace
}  // namespace tv::test
