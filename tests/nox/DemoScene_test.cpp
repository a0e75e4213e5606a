// The newcomer's demo scene, played in virtual time: it must show what it promises.
#include <gtest/gtest.h>

#include <algorithm>

#include "commands/TerrainRights.h"
#include "nox/DemoScene.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

bool Contains(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(DemoScene, ShowsTheBotAtWork) {
    TestBot t;
    Bot& bot = t.Login();
    DemoScene demo(t.world, TestBot::kWorld);
    demo.Prepare();
    TerrainRightsFromString(bot.rights, DemoScene::kRights);
    for (int64_t elapsed = 0; !demo.Finished() || elapsed < 40000; elapsed += 250) {
        demo.Advance(elapsed);
        t.Tick();
    }
    const Texts activity = t.ActivityMessages();
    for (const char* entry : {"Seeds at 1N 1W", "Seeds at 2N 2W", "Hides 2 cells", "Shows 2 cells",
                              "Ejected for flooding", "Disables terrain"})
        EXPECT_TRUE(Contains(activity, entry)) << entry;
    // The textured markers stand visible on their anchors.
    for (int32_t at : {1000, 2000}) {
        const SimObject* marker = t.world.ObjectAt(TestBot::kWorld, at, at);
        EXPECT_EQ(marker ? marker->description + "|" + marker->action : "none", "12,90|") << at;
    }
    // The user without terrain rights is refused, and his marker does not stay.
    EXPECT_TRUE(Contains(t.ConsoleTo(12), "You do not have terrain rights in terra."));
    EXPECT_EQ(t.world.ObjectAt(TestBot::kWorld, -3000, 4000), nullptr);
    EXPECT_EQ(bot.sessions.FindSession(13), nullptr);
}

}  // namespace
}  // namespace tv::test
