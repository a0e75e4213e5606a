// The heartbeat: its steps in order, and no tick inside a tick. Start-up and closing are shown by
// the connection scenarios.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/MessageQueue.h"
#include "support/TestBot.h"
#include "terrain/TerrainQueue.h"

namespace tv::test {
namespace {

TEST(BotHeartbeat, StepsRunInOrderOnceATickEvenWhenAHandlerFiresTheTimerAgain) {
    TestBot t;
    Bot& bot = t.Login();
    t.Tick(4);
    int nested = 0;
    // A handler that fires the timer again, as a dialog's nested message loop would.
    t.world.aw_event_set(event::Chat, [&] {
        ++nested;
        bot.Tick();
    });
    t.world.UserEnter(11, 1, 0, 0, 0);
    t.world.UserChat(11, "hello");
    TerrainQueueAddCell(bot, 3, 3, false);
    Reply(bot, 11, "%s", {"hello"});
    t.world.SetCallLogging(true);
    t.world.ClearCallLog();
    t.Tick();
    EXPECT_EQ(nested, 1);
    Texts steps;
    for (const std::string& call : t.world.CallLog())
        for (const char* step : {"aw_wait(", "aw_session(", "aw_cell_next(", "aw_console_message(",
                                 "aw_traffic_count("})
            if (call.rfind(step, 0) == 0 && (steps.empty() || steps.back() != step))
                steps.push_back(step);
    EXPECT_EQ(steps, (Texts{"aw_wait(", "aw_session(", "aw_cell_next(", "aw_console_message(",
                            "aw_wait(", "aw_traffic_count("}));
}

}  // namespace
}  // namespace tv::test
