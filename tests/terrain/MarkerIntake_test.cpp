// The marker intake: texture texts, corrections, rival markers, and no correction loop. End to
// end (building and deleting without a session undone, delete and detach, their terrain):
// scenarios/sessions_detach_idle_flood.scn, journal_causes.scn, terrain_refusals.scn and
// terrain_small_faults.scn; a texture changed within the second its marker was built:
// commands_texture_seed.scn.

#include "terrain/MarkerIntake.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

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
    // TextureMin -5 comes with TextureMax 20000 and DefaultTexture 70000: whatever the options
    // say, a texture stays within what a terrain value carries.
    // clang-format off
    const std::tuple<const char*, int32_t, const char*> rows[] = {
        {"", 0, "ok 0 0"},            {"HOLE", 0, "ok 0 0 hole"},   {"Hole", 0, "ok 0 0 hole"},
        {"12", 0, "ok 12 0"},         {"12,90", 0, "ok 12 16384"},  {"12,180", 0, "ok 12 32768"},
        {"12,270", 0, "ok 12 49152"}, {"12,0", 0, "ok 12 0"},       {"12,45", 0, "bad 12 0"},
        {"12,-90", 0, "bad 12 0"},    {"abc", 0, "bad 7 0"},        {"600", 0, "bad 7 0"},
        {"600,90", 0, "bad 7 0"},     {"-1", 0, "bad 7 0"},         {"", 5, "ok 0 0"},
        {"3", 5, "bad 7 0"},          {",90", 0, "bad 7 0"},        {"99999999999", 0, "bad 7 0"},
        {"300", 0, "ok 300 0"},       {"12abc", 0, "ok 12 0"},      {"12, 90", 0, "ok 12 16384"},
        {"12 ,90", 0, "ok 12 0"},     {"12,90xyz", 0, "ok 12 16384"}, {",,", 0, "bad 7 0"},
        {"99999999999,90", 0, "bad 7 0"},
        {"16384", -5, "bad 16383 0"}, {"16383,90", -5, "ok 16383 16384"},
        {"-1", -5, "bad 16383 0"},    {"16382,270", -5, "bad 16383 0"}, {"abc", -5, "bad 16383 0"}};
    // clang-format on
    for (auto [text, textureMin, expected] : rows) {
        bot().options.TextureMin = textureMin;
        bot().options.TextureMax = textureMin < 0 ? 20000 : 500;
        bot().options.DefaultTexture = textureMin < 0 ? 70000 : 7;
        EXPECT_EQ(read(text, false), expected) << '"' << text << '"';
        EXPECT_EQ(read(text, true), expected) << '"' << text << '"';
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

// Off its anchor, turned, tilted, rolled, or with a description that is no texture: replaced by a
// copy on the anchor, unturned, with the texture read (or the default). The end to end case with
// its terrain: scenarios/soak_repairs_refused.scn and journal_causes.scn.
TEST_F(IntakeTest, MisplacedOrUnusableMarkersAreReplacedOnTheirAnchor) {
    // x, z, yaw, tilt, roll, description; the copy's description.
    // clang-format off
    using Row = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, const char*, std::string>;
    const Row rows[] = {
        {1000, 2500, 0, 0, 0, "12", "12"},      {1000, 2600, 0, 0, 0, "12,90", "12,90"},
        {3000, 5000, 900, 0, 0, "8", "8"},      {4000, 5000, 0, 1, 0, "8", "8"},
        {2000, 5000, 0, 0, -1, "8", "8"},       {5000, 5000, 0, 0, 0, "abc", "7"},
        {6000, 5000, 0, 0, 0, "12,45", "12"}};
    // clang-format on
    bot().options.DefaultTexture = 7;
    Arrive({kUser, kCitizen, -8000, -8000, true});
    for (const auto& [x, z, yaw, tilt, roll, description, copy] : rows) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(z));
        SimObjectSpec shape = Shape(x, z, description, 0, yaw);
        shape.tilt = tilt;
        shape.roll = roll;
        ASSERT_EQ(tb.world.UserBuild(kUser, shape), 0);
        Settle();
        const int32_t cellX = WorldToCell(x, false), cellZ = WorldToCell(z, false);
        const auto copies = MarkersAt(cellX * 1000, cellZ * 1000);
        ASSERT_EQ(copies.size(), 1u);
        const SimObject& c = copies[0];
        EXPECT_EQ(std::to_string(c.yaw) + " " + std::to_string(c.tilt) + " " +
                      std::to_string(c.roll) + " " + c.description + " owner" +
                      std::to_string(c.owner),
                  "0 0 0 " + copy + " owner71");
        EXPECT_EQ(Cached(cellX, cellZ).Id, c.id);
    }
}

// Of two markers in a cell the newer stays, whichever is reported first; the same object reported
// again replaces its own entry, even with a timestamp that looks older.
TEST_F(IntakeTest, NewerOfTwoMarkersInACellStays) {
    const SimObject older = Place(2, 2, "4");
    tb.clock.Advance(5'000);
    const SimObject newer = Place(2, 2, "9", 0, 100);
    ASSERT_LT(older.timestamp, newer.timestamp);
    Learn(2, 2);  // reported oldest first: the newer one replaces it
    TMarkerRecord late = Record(Place(2, 2, "5"));
    late.Timestamp = newer.timestamp - 1;
    TerrainCacheMarkerAdd(bot(), late, 0, 0, 0, false);
    Settle();
    const auto left = MarkersAt(2000, 2000);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].number, newer.number);
    EXPECT_EQ(Cached(2, 2).Number, newer.number);
    EXPECT_EQ(Cached(2, 2).Texture, 9);

    tb.world.SetCallLogging(true);
    for (int32_t shift : {0, -60}) {
        TMarkerRecord again = Record(newer);
        again.Height = 300 + shift;
        again.Timestamp += shift;
        TerrainCacheMarkerAdd(bot(), again, 0, 0, 0, false);
        EXPECT_EQ(Calls("aw_object_delete"), 0);
        EXPECT_EQ(Cached(2, 2).Height, 300 + shift);
        EXPECT_EQ(Cached(2, 2).Number, newer.number);
    }
    EXPECT_EQ(MarkersAt(2000, 2000).size(), 1u);
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
        for (const std::string text : texts) {
            SCOPED_TRACE(std::to_string(textureMin) + " " + std::to_string(textureMax) + " " +
                         std::to_string(defaultTexture) + " \"" + text + "\"");
            TestBot t;
            Bot& bot = t.Login();
            std::tie(bot.options.TextureMin, bot.options.TextureMax, bot.options.DefaultTexture) =
                std::tie(textureMin, textureMax, defaultTexture);
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
            t.world.UserChat(11, "t:texture " + text);
            t.Tick(10 * 60 * 4);
            EXPECT_LE(built.count, 4);
            EXPECT_EQ(t.world.Objects(TestBot::kWorld).size(), 2u);
        }
    }
}

}  // namespace
}  // namespace tv::test
