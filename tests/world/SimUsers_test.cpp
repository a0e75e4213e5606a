// The embedded world's simulated users, connection losses, fault knobs, what it records of the
// bot's actions, and its determinism.

#include <gtest/gtest.h>

#include "world/SimWorld.h"
#include "world/WorldClient.h"

namespace tv::test {
namespace {

class RecordingListener final : public SimListener {
public:
    void OnConsoleMessage(const SimConsoleMessage& m) override {
        heard.push_back("console " + std::to_string(m.session) + " " + m.text);
    }
    void OnSay(const std::string& text) override { heard.push_back("say " + text); }
    void OnWhisper(int32_t session, const std::string& text) override {
        heard.push_back("whisper " + std::to_string(session) + " " + text);
    }
    void OnObjectAdded(const SimObject& o, int32_t by) override {
        heard.push_back("added " + std::to_string(o.number) + " by " + std::to_string(by));
    }
    void OnObjectDeleted(const SimObject& o, int32_t by) override {
        heard.push_back("deleted " + std::to_string(o.number) + " by " + std::to_string(by));
    }
    void OnTerrainSet(int32_t x, int32_t z, int32_t value, int32_t height) override {
        heard.push_back("terrain " + std::to_string(x) + "," + std::to_string(z) + " " +
                        std::to_string(value) + " " + std::to_string(height));
    }
    void OnEject(int32_t session, int32_t seconds) override {
        heard.push_back("eject " + std::to_string(session) + " " + std::to_string(seconds));
    }
    void OnUrl(int32_t session, const std::string& url, const std::string& target) override {
        heard.push_back("url " + std::to_string(session) + " " + url + " " + target);
    }
    Texts heard;
};

class SimUsersTest : public WorldTest {
protected:
    SimUsersTest() { world.SetListener(&listener); }
    RecordingListener listener;
};

TEST_F(SimUsersTest, UsersEventsCarryTheirAttributes) {
    Connected();
    EXPECT_EQ(world.UserEnter(7, 2, 1200, 5, -800), 0);
    EXPECT_EQ(world.UserEnter(7, 2, 1300, 5, -800, 40, "Ghost"), 0);  // same session: a ghost
    EXPECT_EQ(world.UserEnter(8, 0, 0, 0, 0), 0);                     // a tourist
    EXPECT_EQ(world.UserEnter(9, 77, 0, 0, 0), reason::NoSuchCitizen);
    EXPECT_EQ(world.UserMove(7, -5, 6, 7), 0);
    EXPECT_EQ(world.UserMove(9, 0, 0, 0), reason::NoSuchSession);
    EXPECT_EQ(world.UserChat(7, "t:Show"), 0);
    EXPECT_EQ(world.UserLeave(8), 0);
    EXPECT_EQ(world.UserLeave(8), reason::NoSuchSession);
    EXPECT_EQ(
        client.Wait(),
        (Texts{"avatar-add 7 Alice 1200,5,-800 c2 p2", "avatar-add 7 Ghost 1300,5,-800 c2 p40",
               "avatar-add 8 Tourist 0,0,0 c0 p0", "avatar-change 7 Ghost -5,6,7 c2 p40",
               "chat 7 t:Show", "avatar-delete 8 Tourist"}));
    EXPECT_EQ(world.AvatarSessions(), (std::vector<int32_t>{7}));
}

TEST_F(SimUsersTest, UsersObjectActionsAreReportedWithTheirSession) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0);
    client.Wait();
    ASSERT_EQ(world.UserBuild(7, Shape(-500, 1500, "12", 30)), 0);
    const uint32_t number = world.Objects("terra").at(0).number;
    const std::string n = std::to_string(number);
    EXPECT_EQ(world.UserBuild(7, Shape(0, 11000)), reason::OutOfWorld);
    EXPECT_EQ(world.UserBuild(99, Shape(0, 0)), reason::NoSuchSession);
    EXPECT_EQ(world.UserClick(7, -500, 1500), 0);
    EXPECT_EQ(world.UserSelect(7, -500, 1500), 0);
    EXPECT_EQ(world.UserClick(7, -501, 1500), reason::NoSuchObject);
    EXPECT_EQ(world.UserDelete(7, -500, 1500), 0);
    EXPECT_EQ(world.UserDelete(7, -500, 1500), reason::NoSuchObject);
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 4u);
    const std::string fields = n + " id1 at -500,30,1500 cell -1,1 terrain.rwx '12' owner 2 t" +
                               std::to_string(clock.UnixNow());
    EXPECT_EQ(got[0], "object-add " + fields + " by 7");
    EXPECT_EQ(got[1], "click 7 " + fields);
    EXPECT_EQ(got[2], "select 7 " + fields);
    EXPECT_EQ(got[3], "object-delete " + fields + " by 7");
    EXPECT_EQ(listener.heard, (Texts{"added " + n + " by 7", "deleted " + n + " by 7"}));
}

TEST_F(SimUsersTest, UsersEventsReachTheBotOnlyInItsWorld) {
    world.UserEnter(7, 2, 0, 0, 0);  // before the bot arrives: reported by its entry
    world.UserChat(7, "not heard");
    ASSERT_EQ(client.Connect(), 0);
    world.UserChat(7, "heard");
    EXPECT_EQ(client.Wait(), (Texts{"world terra size 10 ct 1 ed 1",
                                    "avatar-add 7 Alice 0,0,0 c2 p2", "chat 7 heard"}));
    world.aw_destroy();
    world.UserChat(7, "after logout");
    EXPECT_EQ(world.PendingDeliveries(), 0u);
}

TEST_F(SimUsersTest, DisconnectLosesAnswersUntilReconnect) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0);
    client.Wait();
    client.Load(0, 0, 0);
    client.QueryCell(0, 0);
    world.Disconnect();
    EXPECT_FALSE(world.Connected());
    EXPECT_EQ(world.aw_session(), SimWorld::kBotSession);
    EXPECT_EQ(client.Load(1000, 0, 0), reason::NoConnection);
    EXPECT_EQ(client.QueryCell(0, 0), reason::NoConnection);
    EXPECT_EQ(world.aw_console_message(7), reason::NoConnection);
    world.UserChat(7, "while away");
    EXPECT_EQ(client.Wait(), (Texts{"disconnect"}));
    EXPECT_EQ(client.Wait(), Texts{});
    world.SetWorldRight("terra", 1, 57, false);
    world.Reconnect();
    EXPECT_TRUE(world.Connected());
    EXPECT_EQ(client.Wait(),
              (Texts{"world terra size 10 ct 0 ed 1", "avatar-add 7 Alice 0,0,0 c2 p2"}));
    EXPECT_EQ(client.Load(1000, 0, 0), 0);
    EXPECT_EQ(world.Objects("terra").size(), 2u);  // the first load took effect before the loss
}

TEST_F(SimUsersTest, FailNextFailsTheNamedCallCountTimes) {
    world.FailNext("aw_init", 99);
    EXPECT_EQ(world.aw_init(66), 99);
    Connected();
    world.FailNext("aw_object_load", reason::NotAllowed, 2);
    EXPECT_EQ(client.Load(0, 0, 0), reason::NotAllowed);
    EXPECT_EQ(client.Load(0, 0, 0), reason::NotAllowed);
    EXPECT_TRUE(world.Objects("terra").empty());
    EXPECT_EQ(world.PendingDeliveries(), 0u);
    EXPECT_EQ(client.Load(0, 0, 0), 0);
    world.FailNext("aw_cell_next", 7);
    world.MuteNext("aw_cell_next");
    EXPECT_EQ(client.QueryCell(0, 0), 7);
    EXPECT_EQ(client.QueryCell(0, 0), 0);  // muted: never answered
    EXPECT_EQ(client.QueryCell(1, 0), 0);
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[1], "cb3=0");
    EXPECT_EQ(got[2], "cell-begin 1,0");
    EXPECT_EQ(got[4], "cb23=0");
}

TEST_F(SimUsersTest, MuteNextSucceedsWithoutEffect) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0);
    world.MuteNext("aw_object_load");
    world.MuteNext("aw_console_message");
    world.MuteNext("aw_terrain_set");
    const int heights[1] = {5};
    EXPECT_EQ(client.Load(0, 0, 0), 0);
    EXPECT_EQ(world.aw_console_message(7), 0);
    EXPECT_EQ(world.aw_terrain_set(0, 0, 1, 1, heights), 0);
    EXPECT_TRUE(world.Objects("terra").empty());
    EXPECT_TRUE(world.ConsoleLog().empty());
    EXPECT_FALSE(world.TerrainAt("terra", 0, 0).has_value());
    EXPECT_EQ(client.Wait(), (Texts{"avatar-add 7 Alice 0,0,0 c2 p2"}));
    EXPECT_TRUE(listener.heard.empty());
}

TEST_F(SimUsersTest, DelayAnswersHoldsDeliveriesForFurtherWaits) {
    Connected();
    const int heights[1] = {5};
    world.aw_terrain_set(0, 0, 1, 1, heights);  // before the delay: due at the next wait
    world.DelayAnswers(2);
    world.aw_terrain_set(1, 0, 1, 1, heights);
    world.DelayAnswers(0);
    world.aw_terrain_set(2, 0, 1, 1, heights);  // queued behind the held one: order is kept
    EXPECT_EQ(client.Wait(), (Texts{"cb29=0"}));
    EXPECT_EQ(client.Wait(), Texts{});
    EXPECT_EQ(client.Wait(), (Texts{"cb29=0", "cb29=0"}));
}

TEST_F(SimUsersTest, EjectRemovesTheAvatarAndBarsReentryForItsDuration) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0, std::nullopt, "Alice");
    client.Wait();
    world.aw_int_set(attr::EjectSession, 7);
    world.aw_int_set(attr::EjectDuration, 900);
    EXPECT_EQ(world.aw_world_eject(), 0);
    EXPECT_EQ(world.aw_world_eject(), reason::NoSuchSession);
    EXPECT_EQ(client.Wait(), (Texts{"avatar-delete 7 Alice"}));
    EXPECT_EQ(listener.heard, (Texts{"eject 7 900"}));
    EXPECT_EQ(world.ActionLog(), (Texts{"eject(7,900)"}));
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), reason::Ejected);
    EXPECT_EQ(world.UserEnter(9, 3, 0, 0, 0), 0);  // others are not affected
    clock.Advance(899'999);
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), reason::Ejected);
    clock.Advance(1);
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), 0);
}

TEST_F(SimUsersTest, ConsoleMessagesAndOtherSendsAreRecorded) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0);
    world.aw_int_set(attr::ConsoleRed, 0);
    world.aw_int_set(attr::ConsoleGreen, 0);
    world.aw_int_set(attr::ConsoleBlue, 128);
    world.aw_bool_set(attr::ConsoleFlag0, false);
    world.aw_int_set(attr::ConsoleFlag1, 1);
    world.aw_string_set(attr::ConsoleMessage, "Terravane:\thello");
    EXPECT_EQ(world.aw_console_message(7), 0);
    EXPECT_EQ(world.aw_console_message(8), reason::NoSuchSession);
    ASSERT_EQ(world.ConsoleLog().size(), 1u);
    const SimConsoleMessage& m = world.ConsoleLog()[0];
    EXPECT_EQ(m.session, 7);
    EXPECT_EQ(m.text, "Terravane:\thello");
    EXPECT_EQ(m.blue, 128);
    EXPECT_FALSE(m.flag0);
    EXPECT_TRUE(m.flag1);
    EXPECT_EQ(world.aw_say("all"), 0);
    EXPECT_EQ(world.aw_whisper(7, "psst"), 0);
    EXPECT_EQ(world.aw_whisper(8, "psst"), reason::NoSuchSession);
    EXPECT_EQ(world.aw_url_send(7, "http://x", "aw_3d"), 0);
    EXPECT_EQ(world.ActionLog(),
              (Texts{"say(\"all\")", "whisper(7,\"psst\")", "url(7,\"http://x\",\"aw_3d\")"}));
    EXPECT_EQ(listener.heard, (Texts{"console 7 Terravane:\thello", "say all", "whisper 7 psst",
                                     "url 7 http://x aw_3d"}));
}

TEST_F(SimUsersTest, RightsAndCitizenLookups) {
    world.SetWorldRight("terra", 2, 50, true);
    world.SetWorldRight("terra", 2, 51, true);
    world.SetWorldRight("terra", 2, 51, false);
    Connected();
    for (auto [citizen, right, holds] :
         {std::tuple{2, 50, true}, {2, 51, false}, {3, 50, false}, {1, 57, true}, {1, 68, false}})
        EXPECT_EQ(world.aw_has_world_right(citizen, right) != 0, holds) << citizen << " " << right;
    EXPECT_EQ(world.aw_citizen_attributes_by_name("aLiCe"), 0);
    EXPECT_EQ(world.aw_int(attr::FoundCitizenNumber), 2);
    EXPECT_EQ(world.aw_citizen_attributes_by_name("Nobody"), reason::NoSuchCitizen);
}

TEST_F(SimUsersTest, CallLogRecordsEveryCallInOrder) {
    world.SetCallLogging(true);
    Connected();
    world.ClearCallLog();
    const char data[4] = {0, 0, 0, 0};
    const int heights[2] = {100, -3};
    world.aw_int_set(332, 0);
    world.aw_bool_set(333, true);
    world.aw_string_set(334, "a b");
    world.aw_data_set(249, data, 3);
    world.aw_console_message(7);
    world.aw_terrain_set(1, -2, 2, 5, heights);
    world.aw_int(95);
    EXPECT_EQ(world.CallLog(),
              (Texts{"aw_int_set(332,0)", "aw_bool_set(333,true)", "aw_string_set(334,\"a b\")",
                     "aw_data_set(249,3)", "aw_console_message(7)",
                     "aw_terrain_set(1,-2,2,5,[100,-3])", "aw_int(95)"}));
    world.SetCallLogging(false);
    world.aw_int(95);
    EXPECT_EQ(world.CallLog().size(), 7u);
}

TEST_F(SimUsersTest, TrafficCountsGrowWithWhatIsSentAndReceived) {
    Connected();
    unsigned in = 0, out = 0;
    ASSERT_EQ(world.aw_traffic_count(&in, &out), 0);
    EXPECT_GT(in, 0u);
    EXPECT_GT(out, 0u);
    ASSERT_EQ(world.aw_traffic_count(&in, &out), 0);
    EXPECT_EQ(in, 0u);
    EXPECT_EQ(out, 0u);
    client.Load(0, 0, 0, "short");
    world.aw_traffic_count(&in, &out);
    EXPECT_EQ(in, 0u);  // nothing received until the answer is delivered
    const unsigned shortOut = out;
    client.Load(0, 0, 0, "a much longer description");
    world.aw_traffic_count(&in, &out);
    EXPECT_GT(out, shortOut);
    client.Wait();
    world.aw_traffic_count(&in, &out);
    EXPECT_GT(in, 0u);
}

// One scripted session; returns everything the client saw plus the objects left.
Texts RunScript() {
    VirtualClock clock;
    SimWorld world{clock};
    SetUpUniverse(world);
    world.PlaceObject("terra", Shape(100, 100, "3"));
    WorldClient client{world};
    Texts all;
    client.Connect();
    world.UserEnter(7, 2, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        client.Load(i * 1000, i, -i * 1000);
        world.UserBuild(7, Shape(i * 700, i * 300));
        client.QueryCell(0, 0);
        clock.Advance(1500);
        const Texts got = client.Wait(250);
        all.insert(all.end(), got.begin(), got.end());
    }
    for (const auto& object : world.Objects("terra"))
        all.push_back(std::to_string(object.number) + "/" + std::to_string(object.id) + "/" +
                      std::to_string(object.timestamp));
    return all;
}

TEST(SimWorldDeterminism, IdenticalRunsGiveIdenticalTraces) {
    const Texts first = RunScript();
    const Texts second = RunScript();
    EXPECT_GT(first.size(), 40u);
    EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace tv::test
