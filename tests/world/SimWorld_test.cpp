// The embedded world driven through the SDK interface the way the bot drives it: the instance's
// life, delivery inside aw_wait, objects, and the calls it refuses with their reasons.

#include "world/SimWorld.h"

#include <gtest/gtest.h>

#include "world/WorldClient.h"

namespace tv::test {
namespace {

using SimWorldTest = WorldTest;

TEST_F(SimWorldTest, StartUpCallsFailWithTheirReasons) {
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, 6670, nullptr), reason::NotInitialized);
    EXPECT_EQ(world.aw_init(65), reason::WrongBuild);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, 6670, nullptr), reason::NotInitialized);
    ASSERT_EQ(world.aw_init(66), 0);
    EXPECT_EQ(world.aw_login(), reason::NoInstance);
    EXPECT_EQ(world.aw_session(), 0);
    for (auto [host, port, expected] : {std::tuple{"elsewhere.example", 6670, reason::UnknownHost},
                                        {SimWorld::kUniverseHost, 6671, reason::UnknownHost},
                                        {"UNIVERSE.Terravane.LOCAL", 6670, reason::Success},
                                        {SimWorld::kUniverseHost, 6670, reason::AlreadyCreated}}) {
        EXPECT_EQ(world.aw_create(host, port, nullptr), expected) << host << ":" << port;
    }
    EXPECT_EQ(world.aw_session(), SimWorld::kBotSession);
    EXPECT_EQ(world.aw_enter("terra"), reason::NotLoggedIn);
}

TEST_F(SimWorldTest, LoginChecksCitizenAndPassword) {
    world.aw_init(66);
    world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr);
    for (auto [citizen, password, expected] : {std::tuple{9, "secret", reason::InvalidCitizen},
                                               {1, "Secret", reason::InvalidPassword},
                                               {1, "", reason::InvalidPassword},
                                               {1, "secret", 0}}) {
        world.aw_int_set(attr::LoginCitizen, citizen);
        world.aw_string_set(attr::LoginPrivilegePassword, password);
        EXPECT_EQ(world.aw_login(), expected) << citizen << " " << password;
    }
    EXPECT_EQ(world.aw_enter("nowhere"), reason::NoSuchWorld);
    EXPECT_EQ(world.EnteredWorld(), "");
}

TEST_F(SimWorldTest, DeliveryOnlyInsideWaitInOrderAndNotReentrant) {
    Connected();
    const int64_t start = clock.MonotonicMs();
    world.UserEnter(7, 2, 0, 0, 0);
    world.UserChat(7, "one");
    EXPECT_EQ(world.PendingDeliveries(), 2u);
    int nestedResult = -1;
    world.aw_event_set(event::Chat, [&] {
        client.trace.push_back("chat " + world.aw_string(attr::ChatText));
        nestedResult = world.aw_wait(0);  // delivers nothing
        world.UserChat(7, "again");       // waits for the next aw_wait
    });
    EXPECT_EQ(client.Wait(100), (Texts{"avatar-add 7 Alice 0,0,0 c2 p2", "chat one"}));
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(clock.MonotonicMs() - start, 100);
    EXPECT_EQ(client.Wait(), (Texts{"chat again"}));
    EXPECT_EQ(client.Wait(), (Texts{"chat again"}));
}

TEST_F(SimWorldTest, ObjectChangeKeepsNumberAndReportsDeleteThenAdd) {
    Connected();
    client.Load(3000, 10, 4000, "5");
    const int number = world.aw_int(attr::ObjectNumber);
    const int oldId = world.aw_int(attr::ObjectId);
    client.Wait();
    world.aw_string_set(attr::ObjectDescription, "7,90");
    ASSERT_EQ(world.aw_object_change(), 0);
    EXPECT_NE(world.aw_int(attr::ObjectId), oldId);
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 3u);
    const std::string n = std::to_string(number);
    EXPECT_EQ(got[0].rfind("object-delete " + n + " id" + std::to_string(oldId), 0), 0u) << got[0];
    EXPECT_EQ(got[1].rfind("object-add " + n + " id", 0), 0u) << got[1];
    EXPECT_EQ(got[2], "cb3=0");
    ASSERT_EQ(world.Objects("terra").size(), 1u);
    EXPECT_EQ(world.Objects("terra")[0].description, "7,90");
    world.aw_int_set(attr::ObjectNumber, number + 50);
    EXPECT_EQ(world.aw_object_change(), reason::NoSuchObject);
    world.aw_int_set(attr::ObjectNumber, number);
    world.aw_int_set(attr::ObjectX, 11000);
    EXPECT_EQ(world.aw_object_change(), reason::OutOfWorld);
}

TEST_F(SimWorldTest, ObjectIndexesFollowPlacingChangesAndDeletes) {
    EXPECT_THROW(world.PlaceObjects("terra", {Shape(0, 0), Shape(0, 11000)}),
                 std::invalid_argument);
    EXPECT_TRUE(world.Objects("terra").empty());
    world.PlaceObjects("terra", {Shape(2000, 2000, "1"), Shape(2000, 2000, "2")});
    EXPECT_EQ(world.ObjectAt("terra", 2000, 2000)->description, "1");  // the lower number
    Connected();
    // The lower-numbered object moves to cell (5, 5): both cells answer from the moved index.
    world.aw_int_set(attr::ObjectNumber, static_cast<int>(world.Objects("terra")[0].number));
    client.Load(5000, 0, 5000, "1");  // sets the shape; the load itself adds a third object
    world.aw_int_set(attr::ObjectNumber, static_cast<int>(world.Objects("terra")[0].number));
    ASSERT_EQ(world.aw_object_change(), 0);
    client.Wait();
    EXPECT_EQ(world.ObjectAt("terra", 2000, 2000)->description, "2");
    client.QueryCell(5, 5);
    EXPECT_EQ(client.Wait().size(), 5u);  // begin, two objects, end, result
    client.QueryCell(2, 2);
    EXPECT_EQ(client.Wait().size(), 4u);
    // Deleting by id leaves the cell's other objects found.
    const SimObject* moved = world.ObjectAt("terra", 5000, 5000);
    world.aw_int_set(attr::ObjectId, moved->id);
    world.aw_int_set(attr::ObjectX, 5000);
    world.aw_int_set(attr::ObjectZ, 5000);
    ASSERT_EQ(world.aw_object_delete(), 0);
    EXPECT_EQ(world.ObjectAt("terra", 5000, 5000)->description, "1");
    EXPECT_EQ(world.Objects("terra").size(), 2u);
}

// Every world call refused: before entering, outside the world's extent, a delete that misses
// the object's id or exact position, and after aw_term.
TEST_F(SimWorldTest, WorldCallsRefusedWithTheirReasons) {
    const int heights[3] = {1, 2, 3};
    auto del = [&](int id, int x, int z) {
        world.aw_int_set(attr::ObjectId, id);
        world.aw_int_set(attr::ObjectX, x);
        world.aw_int_set(attr::ObjectZ, z);
        return world.aw_object_delete();
    };
    world.aw_init(66);
    world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr);
    world.aw_int_set(attr::LoginCitizen, 1);
    world.aw_string_set(attr::LoginPrivilegePassword, "secret");
    ASSERT_EQ(world.aw_login(), 0);
    EXPECT_EQ(client.Load(0, 0, 0), reason::NotInWorld);
    EXPECT_EQ(client.QueryCell(0, 0), reason::NotInWorld);
    EXPECT_EQ(world.aw_terrain_set(0, 0, 1, 0, heights), reason::NotInWorld);
    EXPECT_EQ(world.aw_console_message(5), reason::NotInWorld);
    EXPECT_EQ(world.aw_has_world_right(1, 57), 0);
    ASSERT_EQ(world.aw_enter("terra"), 0);
    ASSERT_EQ(client.Load(10999, 0, -10000), 0);
    const int id = world.aw_int(attr::ObjectId);
    for (auto [result, expected] :
         {std::pair{client.Load(11000, 0, 0), reason::OutOfWorld},
          {client.Load(0, 0, -10001), reason::OutOfWorld},
          {client.QueryCell(0, 11), reason::OutOfWorld},
          {client.QueryCell(-11, 0), reason::OutOfWorld},
          {world.aw_terrain_set(9, 0, 3, 5, heights), reason::OutOfWorld},
          {world.aw_terrain_set(0, -11, 1, 5, heights), reason::OutOfWorld},
          {world.aw_terrain_set(0, 0, 0, 5, heights), reason::InvalidArgument},
          {del(id + 1, 10999, -10000), reason::NoSuchObject},
          {del(id, 10998, -10000), reason::NoSuchObject},
          {del(id, 10999, -9999), reason::NoSuchObject},
          {del(id, 10999, -10000), 0},
          {del(id, 10999, -10000), reason::NoSuchObject}})
        EXPECT_EQ(result, expected);
    EXPECT_TRUE(world.Objects("terra").empty());
    EXPECT_EQ(world.aw_term(), 0);
    EXPECT_EQ(world.aw_session(), 0);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr),
              reason::NotInitialized);
}

TEST_F(SimWorldTest, DestroyFromInsideAHandlerStopsDelivery) {
    ASSERT_EQ(client.Connect(), 0);
    world.UserEnter(7, 2, 0, 0, 0);
    world.aw_event_set(event::WorldAttributes, [&] {
        client.trace.push_back("world");
        world.aw_destroy();
    });
    EXPECT_EQ(client.Wait(), (Texts{"world"}));
    EXPECT_EQ(world.aw_session(), 0);
    EXPECT_EQ(world.PendingDeliveries(), 0u);
    EXPECT_EQ(world.aw_wait(0), reason::NoInstance);
    EXPECT_EQ(world.EnteredWorld(), "");
    // Attributes of the old session are gone; a new instance starts clean.
    EXPECT_EQ(world.aw_int(attr::WorldSize), 0);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr), 0);
    EXPECT_EQ(world.aw_login(), reason::InvalidCitizen);
}

}  // namespace
}  // namespace tv::test
