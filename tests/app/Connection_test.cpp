// Logging in, the world's rights check, losing and regaining the world, logging out.
#include <gtest/gtest.h>

#include "app/Connection.h"
#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

TEST(Login, RefusedLoginCleansUp) {
    TestBot t;
    t.world.FailNext("aw_login", 4);
    Bot& bot = t.Start();
    try {
        LoginClick(bot);
        FAIL() << "login should fail";
    } catch (const EMethodFailed& error) {
        EXPECT_STREQ(error.what(), "aw_login failed, reason 4");
    }
    EXPECT_EQ(t.world.aw_session(), 0);
    EXPECT_EQ(bot.model.Status(), "Ready");
    EXPECT_TRUE(bot.model.ButtonEnabled());
    EXPECT_STREQ(bot.model.ButtonCaption(), "&Login");
    EXPECT_FALSE(bot.timerEnabled);
}

TEST(Login, EachFailingStepNamesItsCall) {
    for (const char* call : {"aw_create", "aw_login", "aw_enter"}) {
        TestBot t;
        t.world.FailNext(call, 7);
        Bot& bot = t.Start();
        try {
            LoginClick(bot);
            ADD_FAILURE() << call;
        } catch (const EMethodFailed& error) {
            EXPECT_EQ(std::string(error.what()), std::string(call) + " failed, reason 7");
        }
        EXPECT_EQ(t.world.aw_session(), 0) << call;
    }
}

TEST(Login, SucceedsAndGoesActive) {
    TestBot t;
    Bot& bot = t.Login();
    EXPECT_TRUE(bot.timerEnabled);
    EXPECT_STREQ(bot.model.ButtonCaption(), "&Logout");
    EXPECT_EQ(bot.model.TrayHint(), "Terravane - terra");
    EXPECT_EQ(bot.model.Stat(8), "441");
    EXPECT_EQ(bot.worldSize, 10);
    EXPECT_EQ(bot.model.Status(), "Active");  // the world attributes arrived in aw_wait(50)
    EXPECT_EQ(bot.model.Stat(1), "Online");
    for (const auto& entry : bot.model.Activity()) EXPECT_NE(entry.message, "Reconnected to world");
}

TEST(Login, MissingRightsStopWithError) {
    struct Case {
        int right;
        const char* text;
    } cases[] = {{57, "Caretaker rights are required in this world."},
                 {162, "Eminent Domain rights are required in this world."}};
    for (const auto& c : cases) {
        TestBot t;
        t.world.SetWorldRight(TestBot::kWorld, TestBot::kBotCitizen, c.right, false);
        Bot& bot = t.Start();
        LoginClick(bot);
        EXPECT_EQ(t.world.aw_session(), 0);
        EXPECT_EQ(t.frontEnd.errors, std::vector<std::string>{c.text});
        EXPECT_EQ(bot.model.Activity()[0].message, c.text);
        EXPECT_EQ(bot.model.Activity()[0].category, ActivityCategory::Error);
        EXPECT_EQ(bot.model.Status(), "Ready");
        EXPECT_EQ(bot.model.Stat(1), "Offline");
        EXPECT_STREQ(bot.model.ButtonCaption(), "&Login");
        EXPECT_TRUE(bot.model.ButtonEnabled());
        EXPECT_FALSE(bot.timerEnabled);
    }
}

TEST(Connection, DisconnectAndReconnect) {
    TestBot t;
    Bot& bot = t.Login();
    t.Enter(11, 7);
    t.Tick(2);
    ASSERT_EQ(bot.sessions.Count(), 1u);
    t.world.Disconnect();
    t.Tick();
    EXPECT_EQ(bot.model.Status(), "Disconnected; reconnecting...");
    EXPECT_EQ(bot.model.Stat(1), "Disconnected");
    EXPECT_EQ(bot.model.Stat(0), "");
    EXPECT_EQ(bot.sessions.Count(), 0u);
    t.world.Reconnect();
    t.Tick(2);
    auto messages = t.ActivityMessages();
    auto disconnected = std::find(messages.begin(), messages.end(), "Disconnected from world");
    auto reconnected = std::find(messages.begin(), messages.end(), "Reconnected to world");
    ASSERT_NE(disconnected, messages.end());
    ASSERT_NE(reconnected, messages.end());
    EXPECT_LT(disconnected, reconnected);
    EXPECT_EQ(bot.model.Status(), "Active");
    EXPECT_EQ(bot.model.Stat(1), "Online");
    EXPECT_EQ(bot.model.Stat(0), "terra");
    EXPECT_EQ(bot.sessions.Count(), 1u);
}

TEST(Logout, FlushesQueuedMessagesFivePerSecond) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick();
    t.Enter(11, 7);
    t.Tick();
    std::size_t before = t.ConsoleTo(11).size();
    for (int i = 0; i < 12; ++i) Reply(bot, 11, "message %d", {i});
    int64_t start = t.clock.ElapsedMs();
    std::vector<int64_t> sentAt;
    struct Watch final : SimListener {
        std::vector<int64_t>* times;
        VirtualClock* clock;
        void OnConsoleMessage(const SimConsoleMessage&) override { times->push_back(clock->ElapsedMs()); }
    } watch;
    watch.times = &sentAt;
    watch.clock = &t.clock;
    t.world.SetListener(&watch);
    LogoutClick(bot);
    // The features-offline notice joins the queue too; the twelve leave in order, five a second.
    auto texts = t.ConsoleTo(11);
    std::vector<std::string> ours(texts.begin() + static_cast<long>(before), texts.end());
    ASSERT_GE(ours.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(ours[static_cast<std::size_t>(i)], "message " + std::to_string(i));
    ASSERT_GE(sentAt.size(), 12u);
    EXPECT_GE(sentAt[0] - start, 1000);
    EXPECT_EQ(sentAt[4], sentAt[0]);
    EXPECT_GE(sentAt[5] - sentAt[0], 1000);
    EXPECT_GE(sentAt[10] - sentAt[5], 1000);
    EXPECT_EQ(t.world.aw_session(), 0);
    EXPECT_EQ(bot.model.Status(), "Ready");
    EXPECT_EQ(bot.model.TrayHint(), "Terravane - (offline)");
    EXPECT_TRUE(bot.messages.Empty());
}

}  // namespace
}  // namespace tv::test
