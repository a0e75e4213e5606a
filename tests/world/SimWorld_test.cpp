// The embedded world driven through the SDK interface the way the bot drives it: the instance's
// life, the attribute store, delivery inside aw_wait, objects, cell queries and terrain.

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

TEST_F(SimWorldTest, EnterSetsWorldAttributesAtOnceAndQueuesArrival) {
    world.SetWorldRight("terra", 1, 162, false);
    world.UserEnter(7, 2, 1500, 0, -2500);
    world.UserEnter(5, 3, 0, 10, 0, 33, "Bobby");
    ASSERT_EQ(client.Connect("TERRA"), 0);
    EXPECT_EQ(world.aw_string(attr::WorldName), "terra");
    EXPECT_EQ(world.aw_int(attr::WorldSize), 10);
    EXPECT_TRUE(world.aw_bool(attr::WorldCaretakerRight));
    EXPECT_FALSE(world.aw_bool(attr::WorldEminentDomainRight));
    EXPECT_TRUE(client.trace.empty());
    EXPECT_EQ(world.PendingDeliveries(), 3u);
    EXPECT_EQ(client.Wait(),
              (Texts{"world terra size 10 ct 1 ed 0", "avatar-add 7 Alice 1500,0,-2500 c2 p2",
                     "avatar-add 5 Bobby 0,10,0 c3 p33"}));
    EXPECT_EQ(world.PendingDeliveries(), 0u);
}

TEST_F(SimWorldTest, AttributesAreOneStoreSharedByIntAndBoolViews) {
    world.aw_int_set(332, 1);
    EXPECT_TRUE(world.aw_bool(332));
    world.aw_bool_set(332, false);
    EXPECT_EQ(world.aw_int(332), 0);
    world.aw_string_set(334, "hello");
    EXPECT_EQ(world.aw_string(334), "hello");
    EXPECT_EQ(world.aw_int(999), 0);
    EXPECT_EQ(world.aw_string(999), "");
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

TEST_F(SimWorldTest, ObjectLoadCreatesAtOnceAndReportsLater) {
    Connected();
    clock.Advance(5000);
    const std::string t = std::to_string(clock.UnixNow());
    ASSERT_EQ(client.Load(-1000, 250, 2999), 0);
    const int number = world.aw_int(attr::ObjectNumber);
    const int id = world.aw_int(attr::ObjectId);
    EXPECT_NE(number, 0);
    EXPECT_NE(number, id);
    ASSERT_NE(world.ObjectAt("terra", -1000, 2999), nullptr);
    EXPECT_EQ(world.ObjectAt("terra", -1000, 2999)->timestamp, clock.UnixNow());
    EXPECT_EQ(
        client.Wait(),
        (Texts{"object-add " + std::to_string(number) + " id" + std::to_string(id) +
                   " at -1000,250,2999 cell -1,2 terrain.rwx '5' owner 1 t" + t + " by 100000",
               "cb3=0"}));

    // A second load gets the next number and the next id.
    ASSERT_EQ(client.Load(-1, 0, -1), 0);
    EXPECT_EQ(world.aw_int(attr::ObjectNumber), number + 1);
    EXPECT_EQ(world.aw_int(attr::ObjectId), id + 1);
    EXPECT_EQ(client.Wait(),
              (Texts{"object-add " + std::to_string(number + 1) + " id" + std::to_string(id + 1) +
                         " at -1,0,-1 cell -1,-1 terrain.rwx '5' owner 1 t" + t + " by 100000",
                     "cb3=0"}));
}

TEST_F(SimWorldTest, ObjectChangeKeepsNumberAndReportsDeleteThenAdd) {
    Connected();
    client.Load(3000, 10, 4000, "5");
    const int number = world.aw_int(attr::ObjectNumber);
    const int oldId = world.aw_int(attr::ObjectId);
    client.Wait();
    clock.Advance(2000);
    world.aw_int_set(attr::ObjectNumber, number);
    world.aw_int_set(attr::ObjectY, 20);
    world.aw_string_set(attr::ObjectDescription, "7,90");
    ASSERT_EQ(world.aw_object_change(), 0);
    const int newId = world.aw_int(attr::ObjectId);
    EXPECT_NE(newId, oldId);
    const std::string n = std::to_string(number);
    const int64_t t = clock.UnixNow();
    EXPECT_EQ(client.Wait(), (Texts{"object-delete " + n + " id" + std::to_string(oldId) +
                                        " at 3000,10,4000 cell 3,4 terrain.rwx '5' owner 1 t" +
                                        std::to_string(t - 2) + " by 100000",
                                    "object-add " + n + " id" + std::to_string(newId) +
                                        " at 3000,20,4000 cell 3,4 terrain.rwx '7,90' owner 1 t" +
                                        std::to_string(t) + " by 100000",
                                    "cb3=0"}));
    ASSERT_EQ(world.Objects("terra").size(), 1u);
    EXPECT_EQ(world.Objects("terra")[0].description, "7,90");

    world.aw_int_set(attr::ObjectNumber, number + 50);
    EXPECT_EQ(world.aw_object_change(), reason::NoSuchObject);
    world.aw_int_set(attr::ObjectNumber, number);
    world.aw_int_set(attr::ObjectX, 11000);
    EXPECT_EQ(world.aw_object_change(), reason::OutOfWorld);
    EXPECT_EQ(world.PendingDeliveries(), 0u);
}

TEST_F(SimWorldTest, ObjectDeleteNeedsIdAndExactPosition) {
    ASSERT_EQ(client.Connect(), 0);
    client.Load(3000, 0, 4000);
    const int id = world.aw_int(attr::ObjectId);
    const int number = world.aw_int(attr::ObjectNumber);
    client.Wait();
    for (auto [objectId, x, z, expected] : {std::tuple{id + 1, 3000, 4000, reason::NoSuchObject},
                                            {id, 3001, 4000, reason::NoSuchObject},
                                            {id, 3000, 3999, reason::NoSuchObject},
                                            {id, 3000, 4000, 0},
                                            {id, 3000, 4000, reason::NoSuchObject}}) {
        world.aw_int_set(attr::ObjectId, objectId);
        world.aw_int_set(attr::ObjectX, x);
        world.aw_int_set(attr::ObjectZ, z);
        EXPECT_EQ(world.aw_object_delete(), expected) << objectId << " " << x << "," << z;
    }
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].rfind("object-delete " + std::to_string(number) + " id" + std::to_string(id) +
                               " at 3000,0,4000 cell 3,4",
                           0),
              0u)
        << got[0];
    EXPECT_EQ(got[0].substr(got[0].size() - 10), " by 100000");
    EXPECT_EQ(got[1], "cb3=0");
    EXPECT_TRUE(world.Objects("terra").empty());
}

TEST_F(SimWorldTest, WorldCallsOutsideTheWorldAreRefused) {
    Connected();
    EXPECT_EQ(client.Load(11000, 0, 0), reason::OutOfWorld);
    EXPECT_EQ(client.Load(0, 0, -10001), reason::OutOfWorld);
    EXPECT_EQ(client.Load(10999, 0, -10000), 0);
    EXPECT_EQ(client.QueryCell(0, 11), reason::OutOfWorld);
    EXPECT_EQ(client.QueryCell(-11, 0), reason::OutOfWorld);
    const int heights[3] = {1, 2, 3};
    EXPECT_EQ(world.aw_terrain_set(9, 0, 3, 5, heights), reason::OutOfWorld);
    EXPECT_EQ(world.aw_terrain_set(0, -11, 1, 5, heights), reason::OutOfWorld);
    EXPECT_EQ(world.aw_terrain_set(0, 0, 0, 5, heights), reason::InvalidArgument);
    EXPECT_EQ(world.Objects("terra").size(), 1u);
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_NE(got[0].find(" at 10999,0,-10000 cell 10,-10 "), std::string::npos) << got[0];
    EXPECT_EQ(got[1], "cb3=0");
}

TEST_F(SimWorldTest, CellQueryReportsBeginObjectsEndThenResult) {
    // Objects in cell (-2, 3) placed out of order of position; one just outside on each side.
    const uint32_t a = world.PlaceObject("terra", Shape(-1001, 3999, "", 5));
    world.PlaceObject("terra", Shape(-1000, 3500));  // cell (-1, 3)
    const uint32_t b = world.PlaceObject("terra", Shape(-2000, 3000, "hole"));
    world.PlaceObject("terra", Shape(-1500, 4000));  // cell (-2, 4)
    Connected();
    ASSERT_EQ(client.QueryCell(-2, 3), 0);
    const Texts got = client.Wait();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], "cell-begin -2,3");
    EXPECT_EQ(got[1].rfind("cell-object " + std::to_string(a) + " id", 0), 0u) << got[1];
    EXPECT_NE(got[1].find(" at -1001,5,3999 cell -2,3 terrain.rwx '' owner 0"), std::string::npos);
    EXPECT_EQ(got[2].rfind("cell-object " + std::to_string(b) + " id", 0), 0u) << got[2];
    EXPECT_NE(got[2].find("'hole'"), std::string::npos);
    EXPECT_EQ(Texts(got.begin() + 3, got.end()), (Texts{"cell-end -2,3", "cb23=0"}));

    ASSERT_EQ(client.QueryCell(10, -10), 0);
    EXPECT_EQ(client.Wait(), (Texts{"cell-begin 10,-10", "cell-end 10,-10", "cb23=0"}));
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

TEST_F(SimWorldTest, TerrainSetStoresCellsAlongX) {
    Connected();
    const int heights[3] = {100, -20, 0};
    world.aw_int_set(attr::TerrainSetMode, 2);
    ASSERT_EQ(world.aw_terrain_set(-1, 4, 3, 0x4005, heights), 0);
    EXPECT_FALSE(world.TerrainAt("terra", -2, 4).has_value());
    EXPECT_EQ(world.TerrainAt("terra", -1, 4)->height, 100);
    EXPECT_EQ(world.TerrainAt("terra", 0, 4)->height, -20);
    EXPECT_EQ(world.TerrainAt("terra", 1, 4)->value, 0x4005);
    EXPECT_FALSE(world.TerrainAt("terra", 2, 4).has_value());
    EXPECT_EQ(client.Wait(), (Texts{"cb29=0"}));
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

TEST_F(SimWorldTest, TermEndsTheLibrary) {
    ASSERT_EQ(client.Connect(), 0);
    EXPECT_EQ(world.aw_term(), 0);
    EXPECT_EQ(world.aw_session(), 0);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr),
              reason::NotInitialized);
    EXPECT_EQ(world.aw_init(66), 0);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr), 0);
}

TEST_F(SimWorldTest, WorldCallsNeedAWorld) {
    world.aw_init(66);
    world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr);
    world.aw_int_set(attr::LoginCitizen, 1);
    world.aw_string_set(attr::LoginPrivilegePassword, "secret");
    ASSERT_EQ(world.aw_login(), 0);
    const int heights[1] = {0};
    EXPECT_EQ(client.Load(0, 0, 0), reason::NotInWorld);
    EXPECT_EQ(client.QueryCell(0, 0), reason::NotInWorld);
    EXPECT_EQ(world.aw_terrain_set(0, 0, 1, 0, heights), reason::NotInWorld);
    EXPECT_EQ(world.aw_console_message(5), reason::NotInWorld);
    EXPECT_EQ(world.aw_has_world_right(1, 57), 0);
}

}  // namespace
}  // namespace tv::test
