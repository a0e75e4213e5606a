// Logging in, the world's rights check, the figures when the world is lost, logging out.
#include <gtest/gtest.h>

#include "app/Connection.h"
#include "app/Errors.h"
#include "app/MessageQueue.h"
#include "support/TestBot.h"
#include "terrain/TerrainQueue.h"

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

TEST(Login, MissingRightsStopWithError) {
    for (auto [right, text] : {std::pair{57, "Caretaker rights are required in this world."},
                               {162, "Eminent Domain rights are required in this world."}}) {
        TestBot t;
        t.world.SetWorldRight(TestBot::kWorld, TestBot::kBotCitizen, right, false);
        Bot& bot = t.Start();
        LoginClick(bot);
        EXPECT_EQ(t.frontEnd.errors, Texts{text});
        EXPECT_EQ(bot.model.Activity()[1].category, ActivityCategory::Error);
        EXPECT_EQ(bot.model.TrayHint(), "Terravane - (offline)");
        ExpectLoggedOut(t, text);
    }
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
    // The features-offline notice joins the queue too; all leave, five a second (their order
    // is the pump's, checked with it).
    EXPECT_EQ(t.ConsoleTo(11).size(), before + 13);
    const auto& sentAt = watch.sentAt;
    ASSERT_GE(sentAt.size(), 12u);
    EXPECT_GE(sentAt[0] - start, 1000);
    EXPECT_EQ(sentAt[4], sentAt[0]);
    EXPECT_GE(sentAt[5] - sentAt[0], 1000);
    EXPECT_GE(sentAt[10] - sentAt[5], 1000);
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

// Rows 2 to 7 and the working users, as the window shows them.
Texts Figures(const Bot& bot) {
    Texts shown;
    for (int row = 2; row <= 7; ++row) shown.push_back(bot.model.Stat(row));
    shown.push_back(std::to_string(bot.model.SessionList().size()) + " listed");
    return shown;
}

TEST(Connection, FiguresAreTrueAtOnceWhenNoTickFollows) {
    TestBot t;
    Bot& bot = t.Login();
    t.world.PlaceObject(TestBot::kWorld, Shape(1000, 1000, "3"));
    for (int32_t session : {11, 12}) {
        t.Enter(session, session - 4, 1000, 1000);
        t.world.UserChat(session, "t:begin");
    }
    t.Tick(8);
    EXPECT_EQ(bot.model.TrayHint(), "Terravane - terra");
    ASSERT_EQ(Figures(bot), (Texts{"16", "0", "3.628118%", "1", "2", "2", "2 listed"}));
    for (int i = 0; i < 3; ++i)
        TerrainQueueCommand(bot, 1, 1, CommandState::SHOW, 11, false, false, 0, 0);
    t.world.Disconnect();
    bot.sdk.aw_wait(0);  // the lost connection arrives outside a tick
    EXPECT_EQ(Figures(bot), (Texts{"16", "3", "3.628118%", "1", "0", "0", "0 listed"}));
    t.world.Reconnect();
    t.Tick(2);
    t.world.UserChat(11, "t:begin");
    t.Tick();
    ASSERT_EQ(Figures(bot)[6], "1 listed");
    LogoutClick(bot);
    EXPECT_EQ(Figures(bot), (Texts{"0", "0", "0.000000%", "0", "0", "0", "0 listed"}));
}

}  // namespace
}  // namespace tv::test
