// Logging in, the world's rights check, losing and regaining the world, logging out.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Connection.h"
#include "app/Errors.h"
#include "app/MessageQueue.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

// Whatever failed, the bot is back where it was before the click.
void ExpectLoggedOut(TestBot& t, const std::string& label) {
    EXPECT_EQ(t.world.aw_session(), 0) << label;
    EXPECT_EQ(t.bot->model.Status(), "Ready") << label;
    EXPECT_EQ(t.bot->model.Stat(1), "Offline") << label;
    EXPECT_TRUE(t.bot->model.ButtonEnabled()) << label;
    EXPECT_STREQ(t.bot->model.ButtonCaption(), "&Login") << label;
    EXPECT_FALSE(t.bot->timerEnabled) << label;
}

TEST(Login, EachFailingStepNamesItsCallAndCleansUp) {
    for (const char* call : {"aw_create", "aw_login", "aw_enter"}) {
        TestBot t;
        t.world.FailNext(call, 7);
        Bot& bot = t.Start();
        EXPECT_EQ(ErrorOf<EMethodFailed>([&] { LoginClick(bot); }),
                  std::string(call) + " failed, reason 7");
        ExpectLoggedOut(t, call);
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
    const Texts messages = t.ActivityMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Reconnected to world"), 0);
}

TEST(Login, MissingRightsStopWithError) {
    for (auto [right, text] : {std::pair{57, "Caretaker rights are required in this world."},
                               {162, "Eminent Domain rights are required in this world."}}) {
        TestBot t;
        t.world.SetWorldRight(TestBot::kWorld, TestBot::kBotCitizen, right, false);
        Bot& bot = t.Start();
        LoginClick(bot);
        EXPECT_EQ(t.frontEnd.errors, Texts{text});
        // Newest first: the rights error, then the offline entry a logout also leaves.
        EXPECT_EQ(bot.model.Activity()[1].message, text);
        EXPECT_EQ(bot.model.Activity()[1].category, ActivityCategory::Error);
        EXPECT_EQ(bot.model.Activity()[0].message, "Terrain editor offline");
        EXPECT_EQ(bot.model.TrayHint(), "Terravane - (offline)");
        ExpectLoggedOut(t, text);
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
    ASSERT_NE(reconnected, messages.end());
    EXPECT_LT(disconnected, reconnected);
    EXPECT_EQ(bot.model.Status(), "Active");
    EXPECT_EQ(bot.model.Stat(1), "Online");
    EXPECT_EQ(bot.model.Stat(0), "terra");
    EXPECT_EQ(bot.sessions.Count(), 1u);
}

TEST(Logout, FlushesQueuedMessagesFivePerSecond) {
    struct Watch final : SimListener {
        explicit Watch(VirtualClock& c) : clock(c) {}
        void OnConsoleMessage(const SimConsoleMessage&) override {
            sentAt.push_back(clock.ElapsedMs());
        }
        VirtualClock& clock;
        std::vector<int64_t> sentAt;
    };
    TestBot t;
    Bot& bot = t.Login();
    t.Enter(11, 7);
    t.Tick(2);
    const std::size_t before = t.ConsoleTo(11).size();
    for (int i = 0; i < 12; ++i) Reply(bot, 11, "message %d", {i});
    const int64_t start = t.clock.ElapsedMs();
    Watch watch(t.clock);
    t.world.SetListener(&watch);
    LogoutClick(bot);
    // The features-offline notice joins the queue too; the twelve leave in order, five a second.
    const Texts texts = t.ConsoleTo(11);
    ASSERT_GE(texts.size(), before + 12);
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_EQ(texts[before + i], "message " + std::to_string(i));
    const auto& sentAt = watch.sentAt;
    ASSERT_GE(sentAt.size(), 12u);
    EXPECT_GE(sentAt[0] - start, 1000);
    EXPECT_EQ(sentAt[4], sentAt[0]);
    EXPECT_GE(sentAt[5] - sentAt[0], 1000);
    EXPECT_GE(sentAt[10] - sentAt[5], 1000);
    EXPECT_EQ(t.world.aw_session(), 0);
    EXPECT_EQ(bot.model.Status(), "Ready");
    EXPECT_EQ(bot.model.TrayHint(), "Terravane - (offline)");
    EXPECT_TRUE(bot.messages.Empty());

    // A queue too long for 30 seconds is cut off there, with an Error entry.
    LoginClick(bot);
    t.Tick(2);
    for (int i = 0; i < 400; ++i) Reply(bot, 11, "message %d", {i});
    const int queued = static_cast<int>(bot.messages.Count()) + 1;  // and the offline notice
    const int64_t again = t.clock.ElapsedMs();
    const std::size_t sentBefore = sentAt.size();
    LogoutClick(bot);
    EXPECT_EQ(t.clock.ElapsedMs() - again, 30000);
    EXPECT_EQ(sentAt.size() - sentBefore, 150u);
    EXPECT_TRUE(bot.messages.Empty());
    const Texts activity = t.ActivityMessages();
    EXPECT_EQ(activity[activity.size() - 2],
              Format("Logged out with %d messages unsent: the flush stops after 30 seconds",
                     {queued - 150}));
}

TEST(Connection, RightsLostWhileAwayStopTheBotAndOfferLogin) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick();
    t.world.Disconnect();
    t.Tick();
    t.world.SetWorldRight(TestBot::kWorld, TestBot::kBotCitizen, 57, false);
    t.world.Reconnect();
    t.Tick();
    EXPECT_EQ(t.frontEnd.errors,
              std::vector<std::string>{"Caretaker rights are required in this world."});
    EXPECT_EQ(t.world.aw_session(), 0);
    EXPECT_EQ(bot.model.Status(), "Ready");
    EXPECT_EQ(bot.model.Stat(1), "Offline");
    EXPECT_STREQ(bot.model.ButtonCaption(), "&Login");
    EXPECT_TRUE(bot.model.ButtonEnabled());
    EXPECT_FALSE(bot.timerEnabled);
}

}  // namespace
}  // namespace tv::test
