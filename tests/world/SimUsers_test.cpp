// The embedded world's simulated users: what it refuses, ejects, and its determinism. Their
// ordinary actions and the fault knobs are shown end to end by the scenario scripts.

#include <gtest/gtest.h>

#include "world/SimWorld.h"
#include "world/WorldClient.h"

namespace tv::test {
namespace {

class SimUsersTest : public WorldTest {};

TEST_F(SimUsersTest, UserActionsOnWhatIsNotThereAreRefused) {
    Connected();
    ASSERT_EQ(world.UserEnter(7, 2, 0, 0, 0, std::nullopt, "Alice"), 0);
    ASSERT_EQ(world.UserBuild(7, Shape(-500, 1500, "12", 30)), 0);
    const int results[] = {world.UserEnter(9, 77, 0, 0, 0),
                           world.UserMove(9, 0, 0, 0),
                           world.UserLeave(9),
                           world.UserBuild(7, Shape(0, 11000)),
                           world.UserBuild(99, Shape(0, 0)),
                           world.UserClick(7, -501, 1500),
                           world.UserDelete(7, -500, 1501),
                           world.aw_console_message(8),
                           world.aw_whisper(8, "psst"),
                           world.UserChat(9, "t:show"),
                           world.aw_url_send(8, "http://x", ""),
                           world.aw_citizen_attributes_by_name("Nobody")};
    const int expected[] = {reason::NoSuchCitizen, reason::NoSuchSession, reason::NoSuchSession,
                            reason::OutOfWorld,    reason::NoSuchSession, reason::NoSuchObject,
                            reason::NoSuchObject,  reason::NoSuchSession, reason::NoSuchSession,
                            reason::NoSuchSession, reason::NoSuchSession, reason::NoSuchCitizen};
    for (std::size_t i = 0; i < std::size(results); ++i)
        EXPECT_EQ(results[i], expected[i]) << "case " << i;
    EXPECT_EQ(world.aw_citizen_attributes_by_name("aLiCe"), 0);
    EXPECT_EQ(world.aw_int(attr::FoundCitizenNumber), 2);
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
    EXPECT_EQ(world.ActionLog(), (Texts{"eject(7,900)"}));
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), reason::Ejected);
    EXPECT_EQ(world.UserEnter(9, 3, 0, 0, 0), 0);  // others are not affected
    clock.Advance(899'999);
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), reason::Ejected);
    clock.Advance(1);
    EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), 0);
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
