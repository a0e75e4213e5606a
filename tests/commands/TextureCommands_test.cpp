// texture, seed and clickmode: what is painted, where markers are planted and for whom, and the
// click mode a user chooses.
#include <gtest/gtest.h>

#include "CommandFixture.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

class TextureCommand : public CommandTest {
protected:
    TextureCommand() {
        options["DefaultTexture"] = "7";
        options["TextureMin"] = "1";
    }
    // Commands stay queued to be looked at (no file may hold this value).
    void SetUp() override {
        CommandTest::SetUp();
        bot().options.MaxCommands = 0;
    }
};

// The texture text's grammar belongs to the marker intake; here: what reaches the queue.
TEST_F(TextureCommand, TextureWordsAndFallBacks) {
    Arrive({11, 7});
    Begin(11);
    CacheMarker(1, 1, 7);
    CacheMarker(0, 1, 99);  // not the user's: never painted
    const std::pair<const char*, const char*> cases[] = {
        {"t:texture 5", "1,1 TEXTURE s11 t5 r0"},
        {"t:texture 5,90", "1,1 TEXTURE s11 t5 r16384"},
        {"t:texture 600,90", "1,1 TEXTURE s11 t7 r0"},  // out of range: the default, unturned
        {"t:texture HOLE", "1,1 TEXTURE s11 hole"},
        {"t:texture 0", "1,1 TEXTURE s11 t7 r0"},  // below TextureMin
    };
    for (auto [line, queued] : cases) {
        EXPECT_EQ(Command(11, line), Texts{"1 {cells_processed_message}"}) << line;
        EXPECT_EQ(QueuedCommands(), Texts{queued}) << line;
        bot().world.commands.Clear();
    }
}

TEST_F(TextureCommand, MissingWordAndEmptyArea) {
    Arrive({11, 7});
    Begin(11);
    const std::size_t entries = tb.ActivityMessages().size();
    EXPECT_EQ(Command(11, "t:texture"), Texts{"{texture_error}"});
    EXPECT_EQ(Command(11, "t:texture 5"), Texts{"0 {cells_processed_message}"});
    EXPECT_TRUE(QueuedCommands().empty());
    EXPECT_EQ(tb.ActivityMessages().size(), entries);
}

TEST_F(TextureCommand, AllCoversTheWorldSizeAroundTheAvatar) {
    Arrive({11, 7, 10000, 10000});
    Begin(11);
    // Rows and columns -10..30 around cell (10, 10); rows end at the world's edge (20).
    for (auto [x, z, owner] :
         {std::tuple{-10, -10, 7}, {20, 20, 7}, {-11, 0, 7}, {0, -11, 7}, {0, 0, 99}})
        CacheMarker(x, z, owner);
    EXPECT_EQ(Command(11, "t:texture 5 all"), Texts{"2 {cells_processed_message}"});
    EXPECT_EQ(QueuedCommands(), (Texts{"-10,-10 TEXTURE s11 t5 r0", "20,20 TEXTURE s11 t5 r0"}));
    bot().world.commands.Clear();
    // Only the fixed word "all" in place 2 widens the box.
    EXPECT_EQ(Command(11, "t:texture 5 x all"), Texts{"0 {cells_processed_message}"});
}

using SeedCommand = CommandTest;

TEST_F(SeedCommand, PlantsOnTheRoundedCellAnchor) {
    Arrive({11, 7, 12600, -3400});
    Begin(11);
    const std::string where = CoordText(13000, -3000, 0, 0);
    EXPECT_EQ(Command(11, "t:seed"), Texts{"{new_marker_seed_message} " + where});
    EXPECT_EQ(LastActivity(), "Seeds at " + where);
    ASSERT_EQ(MarkersAt(13000, -3000).size(), 1u);
    EXPECT_EQ(MarkersAt(13000, -3000)[0].owner, 7);
    EXPECT_EQ(SessionOf(11).cells.Count(), 0);
}

TEST_F(SeedCommand, SeedAsNeedsEminentDomain) {
    tb.world.AddCitizen(1234, "ada");
    tb.world.AddCitizen(77, "john smith");
    Arrive({11, 7});
    Arrive({.session = 12, .citizen = 8, .x = 5000, .z = 5000, .rights = {50, 51}});
    Begin(11);
    Begin(12);
    auto ownerAt = [&](int32_t x, int32_t z) {
        tb.Tick(4);
        const auto markers = MarkersAt(x, z);
        return markers.size() == 1 ? markers[0].owner : -1;
    };
    const std::string seeded = "{new_marker_seed_message} ";
    EXPECT_EQ(Command(11, "t:seed as 1234"), Texts{seeded + CoordText(0, 0, 0, 0)});
    EXPECT_EQ(ownerAt(0, 0), 7);
    EXPECT_EQ(Command(12, "t:seed as 1234"),
              Texts{seeded + CoordText(5000, 5000, 0, 0) + " {new_marker_seed_as_message}1234"});
    EXPECT_EQ(ownerAt(5000, 5000), 1234);

    // A quoted name keeps its blank; the markers of 1234 in the cell are then another owner's.
    EXPECT_EQ(Command(12, "t:seed as 'john smith'"), Texts{"{seed_encroachment_error}"});
    tb.world.UserMove(12, 6000, 0, 5000);
    tb.Tick(6);
    SettleQueries();
    EXPECT_EQ(Command(12, "t:seed as 'john smith'"),
              Texts{seeded + CoordText(6000, 5000, 0, 0) + " {new_marker_seed_as_message}77"});
    EXPECT_EQ(Command(12, "t:seed as 'nobody'"), Texts{"''nobody'' {invalid_citname_message}"});
}

TEST_F(SeedCommand, Refusals) {
    Arrive({11, 7, 0, 19400});
    Begin(11);
    // 20 600 rounds to cell 21, beyond the world's 20.
    tb.world.UserMove(11, 0, 0, 20600);
    tb.Tick();
    EXPECT_EQ(Command(11, "t:seed"), Texts{"{seed_building_error}"});

    tb.world.UserMove(11, 0, 0, 0);
    tb.Tick();
    SettleQueries();
    CacheMarker(0, 0, 99);
    EXPECT_EQ(Command(11, "t:seed"), Texts{"{seed_encroachment_error}"});

    tb.world.FailNext("aw_object_load", reason::NotAllowed);
    CacheMarker(0, 0, 7);
    EXPECT_EQ(Command(11, "t:seed"), Texts{"Build error 29"});
    EXPECT_TRUE(MarkersAt(0, 0).empty());
}

TEST_F(SeedCommand, UnknownCellIsQueriedFirst) {
    Arrive({11, 7});
    Begin(11);
    // The move and the chat arrive in the same wait: the new cell is not known yet.
    tb.world.UserMove(11, 9000, 0, 9000);
    ASSERT_EQ(tb.world.UserChat(11, "t:seed"), 0);
    ASSERT_TRUE(bot().world.queries.Empty());
    tb.Tick();
    const std::string where = CoordText(9000, 9000, 0, 0);
    EXPECT_EQ(Replies(11), Texts{"{awaiting_query_error}"});
    EXPECT_EQ(LastActivity(), "Seed request failed: unknown cell '" + where + "'");
    EXPECT_EQ(bot().model.Activity().front().category, ActivityCategory::Error);
    EXPECT_TRUE(MarkersAt(9000, 9000).empty());
    SettleQueries();
    EXPECT_GE(bot().cache.FindCell(9, 9), 0);
    EXPECT_EQ(Command(11, "t:seed"), Texts{"{new_marker_seed_message} " + where});
}

using ClickMode = CommandTest;

TEST_F(ClickMode, ReportsAndChangesTheMode) {
    Arrive({11, 7});
    Begin(11);
    TTerrainSession& session = SessionOf(11);
    EXPECT_EQ(Command(11, "t:clickmode"), Texts{"{clickmode_message} hide"});
    for (auto [words, mode, name] :
         {std::tuple<const char*, uint8_t, const char*>{"show", 4, "show"},
          {"DELETE", 1, "delete"},
          {"detach", 2, "detach"},
          {"hide", 3, "hide"},
          {"delete extra", 1, "delete"}}) {
        EXPECT_EQ(Command(11, std::string("t:clickmode ") + words),
                  Texts{std::string("{clickmode_message} ") + name});
        EXPECT_EQ(session.clickMode, mode) << words;
    }
    // A handler's error becomes one reply, and the session is not touched.
    const int32_t touched = session.lastActivity;
    tb.clock.Advance(4000);
    EXPECT_EQ(Command(11, "t:clickmode texture"),
              Texts{"An error occured while processing your command: EFatalCommandError, "
                    "Invalid clickmode"});
    EXPECT_EQ(session.clickMode, 1);
    EXPECT_EQ(session.lastActivity, touched);
    // Names by value, for modes no chat word sets.
    for (auto [mode, name] :
         {std::pair<uint8_t, const char*>{5, "texture"}, {0, "<invalid>"}, {9, "<invalid>"}}) {
        session.clickMode = mode;
        EXPECT_EQ(Command(11, "t:clickmode"), Texts{std::string("{clickmode_message} ") + name});
    }
}

}  // namespace
}  // namespace tv::test
