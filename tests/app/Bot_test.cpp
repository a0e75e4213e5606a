// Start-up, the heartbeat and closing.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/Connection.h"
#include "app/MessageQueue.h"
#include "support/TestBot.h"
#include "terrain/TerrainQueue.h"

namespace tv::test {
namespace {

int IndexOf(const Texts& calls, const std::string& prefix) {
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
}

TEST(BotStartup, SdkUnavailableTerminates) {
    TestBot t;
    t.world.FailNext("aw_init", 99);
    Bot& bot = t.Start();
    EXPECT_EQ(bot.model.Caption(), "Terravane 2.1.14");
    ASSERT_GE(bot.model.Activity().size(), 2u);
    EXPECT_EQ(bot.model.Activity()[0].message, "Unable to initialize AW.DLL (reason 99)");
    EXPECT_EQ(bot.model.Activity()[0].category, ActivityCategory::Error);
    EXPECT_EQ(bot.model.Activity()[1].message, "Application started");
    EXPECT_EQ(bot.model.Status(), "Terminated; restart required.");
    EXPECT_FALSE(bot.model.ButtonEnabled());
    EXPECT_EQ(t.frontEnd.errors, Texts{"Unable to initialize AW.DLL (reason 99)"});
    // The configuration is not loaded after a failed start.
    EXPECT_EQ(bot.options.Login.UniPort, 0);
}

TEST(BotStartup, ConfigWithOnlyALoginSectionIsReadyToLogIn) {
    TestBot t;
    Bot& bot = t.Start();
    EXPECT_EQ(bot.model.Status(), "Ready");
    EXPECT_EQ(bot.options.Login.CitizenNumber, TestBot::kBotCitizen);
    EXPECT_EQ(bot.options.Login.World, "terra");
    EXPECT_EQ(bot.options.Login.UniPort, 6670);
    EXPECT_EQ(bot.options.MaxQueries, 5);
    EXPECT_FALSE(bot.language[Lang::cmd_begin].empty());
    EXPECT_FALSE(bot.terminated);
}

TEST(BotStartup, BadConfigurationIsShownAndTheBotGoesOn) {
    TestBot t;
    t.dir.Write("config.xml",
                "<TerravaneConfig><Options><WarnTime>soon</WarnTime></Options></TerravaneConfig>");
    Bot& bot = t.Start();
    EXPECT_EQ(t.frontEnd.errors,
              Texts{"config.xml: WarnTime: 'soon' is not a valid integer value"});
    EXPECT_FALSE(bot.terminated);
    EXPECT_EQ(bot.model.Status(), "Ready");
    // The language was still loaded.
    EXPECT_EQ(bot.language[Lang::cmd_begin], "begin");
}

TEST(BotHeartbeat, StepsRunInOrder) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick(4);
    // Queue one cell query and one message, then watch a single tick.
    TerrainQueueAddCell(bot, 3, 3, false);
    Reply(bot, 42, "%s", {"hello"});
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    t.Tick();
    const auto& calls = t.world.CallLog();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "aw_wait(0)");
    const int session = IndexOf(calls, "aw_session("), query = IndexOf(calls, "aw_cell_next("),
              console = IndexOf(calls, "aw_console_message("),
              traffic = IndexOf(calls, "aw_traffic_count(");
    EXPECT_LT(0, session);
    EXPECT_LT(session, query);
    EXPECT_LT(query, console);
    EXPECT_LT(console, traffic);
    EXPECT_EQ(traffic, static_cast<int>(calls.size()) - 1);
}

TEST(BotHeartbeat, NoTickInsideATick) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick(2);
    int nested = 0;
    // A handler that fires the timer again, as a dialog's nested message loop would.
    t.world.aw_event_set(event::Chat, [&] {
        ++nested;
        bot.Tick();
    });
    t.world.UserEnter(11, 1, 0, 0, 0);
    t.world.UserChat(11, "hello");
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    t.Tick();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(std::count_if(
                  t.world.CallLog().begin(), t.world.CallLog().end(),
                  [](const std::string& call) { return call.rfind("aw_traffic_count", 0) == 0; }),
              1);
    EXPECT_FALSE(bot.InTick());
}

TEST(BotHeartbeat, LostSessionStillRefreshesWindow) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick();
    t.world.aw_destroy();
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    t.Tick();
    EXPECT_EQ(IndexOf(t.world.CallLog(), "aw_cell_next"), -1);
    EXPECT_NE(IndexOf(t.world.CallLog(), "aw_traffic_count"), -1);
    EXPECT_EQ(bot.model.Stat(6), "0");
    EXPECT_EQ(bot.model.Stat(3), "0");
}

TEST(BotClose, AsksOnlyWhileConnectedAndNoKeepsTheBotConnected) {
    TestBot idle;
    EXPECT_TRUE(idle.Start().CloseQuery());
    EXPECT_TRUE(idle.frontEnd.questions.empty());

    TestBot t;
    Bot& bot = t.Login();
    t.Tick();
    t.frontEnd.nextAnswer = false;
    EXPECT_FALSE(bot.CloseQuery());
    EXPECT_EQ(t.frontEnd.questions,
              Texts{"Closing Terravane will disable terrain features in terra.\r\n\r\n"
                    "Are you sure you wish to close Terravane?"});
    EXPECT_NE(t.world.aw_session(), 0);
    EXPECT_TRUE(bot.timerEnabled);
    t.frontEnd.nextAnswer = true;
    EXPECT_TRUE(bot.CloseQuery());
    EXPECT_EQ(t.world.aw_session(), 0);
    EXPECT_EQ(bot.model.Activity()[0].message, "Terrain editor offline");
}

}  // namespace
}  // namespace tv::test
