// The marker intake: texture texts, marker records, corrections, rival markers, unauthorised
// building and deleting, and what a deletion does to the cell's terrain.

#include "terrain/MarkerIntake.h"

#include <gtest/gtest.h>

#include <array>

#include "support/BotTest.h"
#include "terrain/TerrainStruct.h"

namespace tv::test {
namespace {

class IntakeTest : public BotTest {
protected:
    static constexpr int32_t kUser = 701;
    static constexpr int32_t kCitizen = 71;

    void SetUp() override { Login(); }

    TMarkerRecord Record(const SimObject& object) {
        TMarkerRecord marker;
        TerrainCacheMarkerDefine(bot(), marker, object.x, object.y, object.z, object.id,
                                 object.description, object.action, object.owner, object.timestamp,
                                 object.number);
        return marker;
    }
    std::pair<int32_t, int32_t> Terrain(int32_t cellX, int32_t cellZ) const {
        const auto cell = tb.world.TerrainAt(TestBot::kWorld, cellX, cellZ);
        return cell ? std::make_pair(cell->value, cell->height) : std::make_pair(-1, -1);
    }
};

TEST_F(IntakeTest, TextureTexts) {
    // The result, then the texture and rotation read, and whether a hole; whatever hole was.
    auto read = [&](const std::string& text, bool holeBefore) {
        int32_t texture = -99;
        uint16_t rotation = 0x1234;
        bool hole = holeBefore;
        const bool ok = TerrainCacheExtractTexture(bot(), text, texture, rotation, hole);
        return std::string(ok ? "ok " : "bad ") + std::to_string(texture) + " " +
               std::to_string(rotation) + (hole ? " hole" : "");
    };
    // Text, TextureMin, what is read. The scan skips blanks before a number, not before a comma.
    // clang-format off
    const std::tuple<const char*, int32_t, const char*> rows[] = {
        {"", 0, "ok 0 0"},            {"HOLE", 0, "ok 0 0 hole"},   {"Hole", 0, "ok 0 0 hole"},
        {"12", 0, "ok 12 0"},         {"12,90", 0, "ok 12 16384"},  {"12,180", 0, "ok 12 32768"},
        {"12,270", 0, "ok 12 49152"}, {"12,0", 0, "ok 12 0"},       {"12,45", 0, "bad 12 0"},
        {"12,-90", 0, "bad 12 0"},    {"abc", 0, "bad 7 0"},        {"600", 0, "bad 7 0"},
        {"600,90", 0, "bad 7 0"},     {"-1", 0, "bad 7 0"},         {"", 5, "ok 0 0"},
        {"3", 5, "bad 7 0"},          {",90", 0, "bad 7 0"},        {"99999999999", 0, "bad 7 0"},
        {"300", 0, "ok 300 0"},       {"12abc", 0, "ok 12 0"},      {"12, 90", 0, "ok 12 16384"},
        {"12 ,90", 0, "ok 12 0"},     {"12,90xyz", 0, "ok 12 16384"},
        {"99999999999,90", 0, "bad 7 0"}};
    // clang-format on
    bot().options.DefaultTexture = 7;
    bot().options.TextureMax = 500;
    for (auto [text, textureMin, expected] : rows) {
        bot().options.TextureMin = textureMin;
        EXPECT_EQ(read(text, false), expected) << '"' << text << '"';
        EXPECT_EQ(read(text, true), expected) << '"' << text << '"';
    }
    // Whatever the options say, a texture stays within what a terrain value carries.
    bot().options.TextureMin = -5;
    bot().options.TextureMax = 20000;
    bot().options.DefaultTexture = 70000;
    for (auto [text, expected] : {std::pair{"16383,90", "ok 16383 16384"},
                                  {"16384", "bad 16383 0"},
                                  {"16382,270", "bad 16383 0"},
                                  {"-1", "bad 16383 0"},
                                  {"abc", "bad 16383 0"}})
        EXPECT_EQ(read(text, false), expected) << '"' << text << '"';
}

TEST_F(IntakeTest, MarkerRecordFromObjectFields) {
    struct Row {
        int32_t x, z;
        std::string description, action;
        int32_t timestamp;
        int32_t cellX, cellZ;
        bool valid, visible;
    };
    const std::vector<Row> rows = {
        {2000, -3000, "5", "", 1234, 2, -3, true, true},
        {1000, 2500, "5", "", 1234, 1, 2, false, true},
        {1000, 2600, "5", "", 1234, 1, 3, false, true},
        {-1501, 1500, "5", "", 1234, -2, 1, false, true},
        {4000, 4000, "abc", "Create Visible No", 1234, 4, 4, false, false},
        {4000, 4000, "hole", "create visible no x", 0, 4, 4, true, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.z));
        TMarkerRecord marker;
        TerrainCacheMarkerDefine(bot(), marker, row.x, 150, row.z, 42, row.description, row.action,
                                 9, row.timestamp, 0xABCD);
        EXPECT_EQ(std::make_pair(marker.CellX, marker.CellZ), std::make_pair(row.cellX, row.cellZ));
        EXPECT_EQ(marker.Valid, row.valid);
        EXPECT_EQ(marker.Visible, row.visible);
        EXPECT_EQ(marker.Timestamp,
                  row.timestamp ? row.timestamp : static_cast<int32_t>(tb.clock.UnixNow()));
        EXPECT_EQ(std::vector<int64_t>({marker.Height, marker.Id, marker.Owner, marker.Number}),
                  std::vector<int64_t>({150, 42, 9, 0xABCD}));
    }
}

TEST_F(IntakeTest, NewerOfTwoTimestamps) {
    // Before, after, whether the later arrival is newer: a tie goes to the arrival.
    // clang-format off
    const std::tuple<int32_t, int32_t, bool> rows[] = {
        {100, 200, true}, {200, 100, false}, {100, 100, true}, {-5, -10, true}, {-10, -5, false},
        {-5, -5, true},   {100, -5, true},   {-5, 100, false}, {0, 100, true},  {100, 0, true},
        {0, 0, true}};
    // clang-format on
    for (auto [before, after, newer] : rows) {
        EXPECT_EQ(MarkerIsNewer({.Timestamp = before}, {.Timestamp = after}), newer)
            << before << " then " << after;
    }
}

TEST_F(IntakeTest, CorrectedCopyStandsOnTheAnchorWithoutRotation) {
    TMarkerRecord marker;
    TerrainCacheMarkerDefine(bot(), marker, 1000, 80, 2500, 5, "12,90", "create visible no", 9,
                             1234, 77);
    TMarkerRecord corrected;
    EXPECT_FALSE(TerrainMarkerCorrect(marker, corrected, 0, 0, 0));
    EXPECT_EQ(std::make_pair(corrected.X, corrected.Z), std::make_pair(1000, 2000));
    EXPECT_EQ(corrected.Texture, 12);
    EXPECT_EQ(corrected.Rotation, 0x4000);
    EXPECT_FALSE(corrected.Visible);
    EXPECT_EQ(corrected.Height, 80);
    EXPECT_EQ(corrected.Owner, 9);
    EXPECT_EQ(corrected.Id, 0);
    EXPECT_EQ(corrected.Timestamp, 0);
    EXPECT_TRUE(corrected.Valid);

    TerrainCacheMarkerDefine(bot(), marker, 1000, 80, 2000, 5, "12", "", 9, 1234, 77);
    EXPECT_TRUE(TerrainMarkerCorrect(marker, corrected, 0, 0, 0));
    EXPECT_FALSE(TerrainMarkerCorrect(marker, corrected, 900, 0, 0));
    EXPECT_FALSE(TerrainMarkerCorrect(marker, corrected, 0, 1, 0));
    EXPECT_FALSE(TerrainMarkerCorrect(marker, corrected, 0, 0, -1));
}

TEST_F(IntakeTest, MisplacedOrUnusableMarkersAreReplacedOnTheirAnchor) {
    struct Row {
        int32_t x, z, yaw;
        std::string description;
        int32_t anchorX, anchorZ;
        std::string copyDescription;
    };
    const std::vector<Row> rows = {
        {1000, 2500, 0, "12", 1000, 2000, "12"},    {1000, 2600, 0, "12,90", 1000, 3000, "12,90"},
        {3000, 5000, 900, "8", 3000, 5000, "8"},    {5000, 5000, 0, "abc", 5000, 5000, "7"},
        {6000, 5000, 0, "12,45", 6000, 5000, "12"},
    };
    bot().options.DefaultTexture = 7;
    Arrive({kUser, kCitizen, -8000, -8000, true});
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.z));
        ASSERT_EQ(tb.world.UserBuild(kUser, Shape(row.x, row.z, row.description, 0, row.yaw)), 0);
        Settle();
        const auto copies = MarkersAt(row.anchorX, row.anchorZ);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].yaw, 0);
        EXPECT_EQ(copies[0].description, row.copyDescription);
        EXPECT_EQ(copies[0].owner, kCitizen);
        if (row.x != row.anchorX || row.z != row.anchorZ) {
            EXPECT_TRUE(MarkersAt(row.x, row.z).empty());
        }
        EXPECT_EQ(Cached(row.anchorX / 1000, row.anchorZ / 1000).Id, copies[0].id);
    }
}

TEST_F(IntakeTest, NewerOfTwoMarkersInACellStays) {
    const SimObject older = Place(2, 2, "4");
    tb.clock.Advance(5'000);
    const SimObject newer = Place(2, 2, "9");
    ASSERT_LT(older.timestamp, newer.timestamp);
    Learn(2, 2);  // reported oldest first: the newer one replaces it
    auto left = MarkersAt(2000, 2000);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].number, newer.number);
    EXPECT_EQ(Cached(2, 2).Number, newer.number);
    EXPECT_EQ(Cached(2, 2).Texture, 9);

    // An older marker reported after the newer one is the one that goes.
    TMarkerRecord late = Record(Place(2, 2, "5"));
    late.Timestamp = newer.timestamp - 1;
    TerrainCacheMarkerAdd(bot(), late, 0, 0, 0, false);
    Settle();
    left = MarkersAt(2000, 2000);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].number, newer.number);
    EXPECT_EQ(Cached(2, 2).Number, newer.number);
}

TEST_F(IntakeTest, SameObjectReportedAgainReplacesItsOwnEntry) {
    const SimObject marker = Place(3, 3, "4", 0, 100);
    Learn(3, 3);
    tb.world.SetCallLogging(true);
    for (int32_t shift : {0, -60}) {  // the same timestamp, and one that looks older
        TMarkerRecord again = Record(marker);
        again.Height = 300 + shift;
        again.Timestamp += shift;
        TerrainCacheMarkerAdd(bot(), again, 0, 0, 0, false);
        EXPECT_EQ(Calls("aw_object_delete"), 0);
        EXPECT_EQ(Cached(3, 3).Height, 300 + shift);
        EXPECT_EQ(Cached(3, 3).Number, marker.number);
    }
    EXPECT_EQ(MarkersAt(3000, 3000).size(), 1u);
}

TEST_F(IntakeTest, MarkerOfAUserWithoutEnabledSessionIsTakenAway) {
    Arrive({kUser, kCitizen, -8000, -8000});
    const int32_t markersBefore = bot().cache.MarkerCount();
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(4000, 4000, "12")), 0);
    Deliver();
    EXPECT_EQ(bot().cache.FindCell(4, 4), -1);
    EXPECT_EQ(bot().cache.MarkerCount(), markersBefore);
    Settle();
    EXPECT_TRUE(MarkersAt(4000, 4000).empty());
    EXPECT_EQ(Cached(4, 4).Id, 0);
    EXPECT_EQ(bot().cache.MarkerCount(), markersBefore);
    EXPECT_EQ(Replies(kUser), Texts{Braced(Lang::not_enabled_message)});
}

TEST_F(IntakeTest, MarkerDeletedByAUserWithoutEnabledSessionIsRebuilt) {
    Arrive({kUser, kCitizen, -8000, -8000});
    const SimObject marker = Place(4, 4, "12,180", 0, 120);
    Learn(4, 4);
    ASSERT_EQ(tb.world.UserDelete(kUser, 4000, 4000), 0);
    Settle();
    const auto rebuilt = MarkersAt(4000, 4000);
    ASSERT_EQ(rebuilt.size(), 1u);
    EXPECT_NE(rebuilt[0].number, marker.number);
    EXPECT_EQ(rebuilt[0].description, "12,180");
    EXPECT_EQ(rebuilt[0].y, 120);
    EXPECT_EQ(Cached(4, 4).Id, rebuilt[0].id);
    EXPECT_EQ(Replies(kUser), Texts{Braced(Lang::not_enabled_message)});
    EXPECT_EQ(Terrain(4, 4), std::make_pair(PackTerrain(false, 12, rotation::Half), 120));
}

TEST_F(IntakeTest, DetachKeepsTheTerrainDeleteResetsIt) {
    struct Row {
        CommandState state;
        int32_t cellX;
        std::pair<int32_t, int32_t> terrain;
        Lang finished;
    };
    bot().options.DefaultHeight = -25;
    Arrive({kUser, kCitizen, -8000, -8000, true});
    const Row rows[] = {{CommandState::DETACH, 5, {12, 300}, Lang::detach_finished_message},
                        {CommandState::DELETE, 6, {0, -25}, Lang::delete_finished_message}};
    for (const Row& row : rows) {
        SCOPED_TRACE(CommandStateName(row.state));
        ASSERT_EQ(tb.world.UserBuild(kUser, Shape(row.cellX * 1000, 5000, "12", 300)), 0);
        Settle();
        ASSERT_EQ(Terrain(row.cellX, 5).first, 12);
        Replies(kUser);
        TerrainQueueCommand(bot(), row.cellX, 5, row.state, kUser, false, false, 0, 0);
        Settle();
        EXPECT_TRUE(MarkersAt(row.cellX * 1000, 5000).empty());
        EXPECT_EQ(Cached(row.cellX, 5).Id, 0);
        EXPECT_NE(bot().cache.FindCell(row.cellX, 5), -1);
        EXPECT_EQ(Terrain(row.cellX, 5), row.terrain);
        EXPECT_EQ(Replies(kUser), Texts{Braced(row.finished)});
    }
}

TEST_F(IntakeTest, UsersOwnDeletionResetsTerrainAfterAnEarlierDetach) {
    bot().options.DefaultHeight = -25;
    Arrive({kUser, kCitizen, -8000, -8000, true});
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(5000, 6000, "12")), 0);
    Settle();
    TerrainQueueCommand(bot(), 5, 6, CommandState::DETACH, kUser, false, false, 0, 0);
    Settle();
    ASSERT_EQ(Terrain(5, 6).first, 12);
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(5000, 6000, "20")), 0);
    Settle();
    ASSERT_EQ(Terrain(5, 6).first, 20);
    ASSERT_EQ(tb.world.UserDelete(kUser, 5000, 6000), 0);
    Settle();
    EXPECT_EQ(Terrain(5, 6), std::make_pair(0, -25));
}

TEST_F(IntakeTest, DeletionInAnUnknownCellQueuesItWithoutMakingItKnown) {
    Arrive({kUser, kCitizen, -8000, -8000, true});
    Place(7, 7, "4");
    ASSERT_EQ(tb.world.UserDelete(kUser, 7000, 7000), 0);
    Deliver();
    EXPECT_EQ(bot().cache.FindCell(7, 7), -1);
    EXPECT_TRUE(TerrainQueueFindCell(bot(), 7, 7));
}

TEST_F(IntakeTest, TextureAbove255SurvivesHideAndShow) {
    Arrive({kUser, kCitizen, -8000, -8000, true});
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(6000, 6000, "300")), 0);
    Settle();
    ASSERT_EQ(Cached(6, 6).Texture, 300);
    for (CommandState state : {CommandState::HIDE, CommandState::SHOW}) {
        SCOPED_TRACE(CommandStateName(state));
        TerrainQueueCommand(bot(), 6, 6, state, kUser, false, false, 0, 0);
        Settle();
        const auto markers = MarkersAt(6000, 6000);
        ASSERT_EQ(markers.size(), 1u);
        EXPECT_EQ(markers[0].description, "300");
        EXPECT_EQ(markers[0].action, state == CommandState::HIDE ? "create visible no" : "");
        EXPECT_EQ(Cached(6, 6).Texture, 300);
    }
}

TEST_F(IntakeTest, TextureChangeInTheSameSecondKeepsTheNewMarker) {
    Arrive({kUser, kCitizen, -8000, -8000, true});
    tb.clock.Advance(1000 - tb.clock.ElapsedMs() % 1000);  // the start of a wall-clock second
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(7000, 6000, "5")), 0);
    const SimObject first = MarkersAt(7000, 6000).at(0);
    tb.Tick();  // the build reaches the cache
    ASSERT_EQ(Cached(7, 6).Number, first.number);
    Replies(kUser);
    TerrainQueueCommand(bot(), 7, 6, CommandState::TEXTURE, kUser, false, false, 9, 0);
    tb.Tick();  // the new marker is built, still within the same second
    Settle();
    const auto markers = MarkersAt(7000, 6000);
    ASSERT_EQ(markers.size(), 1u);
    ASSERT_EQ(markers[0].timestamp, first.timestamp) << "the test needs one second for both";
    EXPECT_EQ(markers[0].description, "9");
    EXPECT_NE(markers[0].number, first.number);
    EXPECT_EQ(Cached(7, 6).Number, markers[0].number);
    EXPECT_EQ(Cached(7, 6).Texture, 9);
    EXPECT_EQ(Replies(kUser), Texts{Braced(Lang::texture_finished_message)});
}

TEST_F(IntakeTest, DetachSessionForgetsADeletedCellAndIgnoresQueryReports) {
    TTerrainSession& session = Arrive({kUser, kCitizen, -8000, -8000});
    ASSERT_TRUE(SetSessionEnabled(bot(), session, true, true));
    Settle();
    ASSERT_EQ(tb.world.UserBuild(kUser, Shape(8000, 8000, "3")), 0);
    Settle();
    EXPECT_EQ(session.cells.Count(), 1);
    // A query report of a cell is nobody's building.
    Place(9, 8, "4");
    Learn(9, 8);
    EXPECT_EQ(session.cells.Count(), 1);
    ASSERT_EQ(tb.world.UserDelete(kUser, 8000, 8000), 0);
    Settle();
    EXPECT_EQ(session.cells.Count(), 0);
    EXPECT_EQ(session.cellOwners.Count(), 0);
}

// Every texture option out of range, against every bad marker text, for ten virtual minutes: a
// user's marker and a marker learned by a query are corrected at most once each, the user's
// texture command builds once per cell, and each cell ends with one marker.
TEST(CorrectionLoop, NoOptionsOrTextMakeTheBotBuildWithoutEnd) {
    struct Built final : SimListener {
        int count = 0;
        void OnObjectAdded(const SimObject&, int32_t by) override {
            count += by == SimWorld::kBotSession;
        }
    };
    const std::array<int32_t, 3> options[] = {{1, 500, 0},    {0, 500, 600},     {0, 500, -1},
                                              {10, 5, 7},     {0, 40000, 30000}, {-100, -1, -50},
                                              {0, 500, 70000}};
    const char* const texts[] = {"",          "abc",   "0",    "600", "-1",         "7,45",
                                 "16382,270", "99999", "hole", "5,",  "2147483648", "12,90"};
    for (const auto& [textureMin, textureMax, defaultTexture] : options) {
        for (const char* text : texts) {
            SCOPED_TRACE(std::to_string(textureMin) + " " + std::to_string(textureMax) + " " +
                         std::to_string(defaultTexture) + " \"" + text + "\"");
            TestBot t;
            Bot& bot = t.Login();
            bot.options.TextureMin = textureMin;
            bot.options.TextureMax = textureMax;
            bot.options.DefaultTexture = defaultTexture;
            Built built;
            t.world.SetListener(&built);
            SimObjectSpec placed = Shape(2000, 1000, text);
            placed.owner = 7;
            t.world.PlaceObject(TestBot::kWorld, placed);
            t.Enter(11, 7, 1000, 1000);
            t.Tick();
            t.world.UserChat(11, "t:begin");
            t.Tick(8);
            t.world.UserBuild(11, Shape(1000, 1000, text));
            t.Tick(4);
            t.world.UserChat(11, std::string("t:texture ") + text);
            t.Tick(10 * 60 * 4);
            EXPECT_LE(built.count, 4);
            EXPECT_EQ(t.world.Objects(TestBot::kWorld).size(), 2u);
        }
    }
}

}  // namespace
}  // namespace tv::test
