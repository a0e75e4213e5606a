// The embedded world driven through the SDK interface the way the bot drives it: the instance's
// life, delivery inside aw_wait, objects, the calls it refuses with their reasons, its users'
// refusals and ejects, and determinism. Ordinary user actions and the fault knobs are shown end
// to end by the scenario scripts.

#include "world/SimWorld.h"

#include <gtest/gtest.h>

#include <optional>

#include "app/AwSdk.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

// World "terra" of size 10 with the bot's citizen 1 ("Keeper", "secret") holding caretaker and
// eminent-domain rights, citizens 2 ("Alice") and 3 ("Bob"), and a minimal client of it that
// logs in the way the bot does and records every event and callback as one line of text.
struct Universe {
    Universe() {
        world.AddWorld("terra", 10);
        world.AddCitizen(1, "Keeper", "secret");
        world.AddCitizen(2, "Alice");
        world.AddCitizen(3, "Bob");
        world.SetWorldRight("terra", 1, 57, true);
        world.SetWorldRight("terra", 1, 162, true);
    }

    // init, create, login as citizen 1 / "secret", install the recorder, then enter "terra".
    int Connect(bool enter = true) {
        if (int r = world.aw_init(kSdkBuild)) return r;
        if (int r = world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr))
            return r;
        world.aw_int_set(attr::LoginCitizen, 1);
        world.aw_string_set(attr::LoginPrivilegePassword, "secret");
        if (int r = world.aw_login()) return r;
        for (int number : {0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 18, 19})
            world.aw_event_set(number, [this, number] { trace.push_back(Describe(number)); });
        for (int number : {3, 23, 29})
            world.aw_callback_set(number, [this, number](int reason) {
                trace.push_back("cb" + std::to_string(number) + "=" + std::to_string(reason));
            });
        world.aw_bool_set(attr::EnterGlobal, true);
        return enter ? world.aw_enter("terra") : 0;
    }
    // Connected, with the entry's deliveries taken.
    void Connected() {
        ASSERT_EQ(Connect(), 0);
        Wait();
    }
    // Waits once and returns what arrived during that wait.
    Texts Wait(int milliseconds = 0) {
        trace.clear();
        world.aw_wait(milliseconds);
        return trace;
    }

    // "e<event number>", with the avatar's or the object's attributes for those events.
    std::string Describe(int number) {
        auto i = [this](int a) { return " " + std::to_string(world.aw_int(a)); };
        const std::string e = "e" + std::to_string(number);
        if (number == event::AvatarAdd || number == event::AvatarDelete)
            return e + i(attr::AvatarSession) + " " + world.aw_string(attr::AvatarName) +
                   i(attr::AvatarCitizen);
        if (number != event::CellObject && number != event::ObjectAdd &&
            number != event::ObjectDelete)
            return e;
        return e + i(attr::ObjectNumber) + i(attr::ObjectId) + i(attr::ObjectX) + i(attr::ObjectZ) +
               " " + world.aw_string(attr::ObjectDescription);
    }

    // A marker-like object of citizen 1 through aw_object_load.
    int Load(int x, int y, int z, const std::string& description = "5") {
        // clang-format off
        for (auto [a, value] : {std::pair{attr::ObjectType, 0}, {attr::ObjectX, x},
                                {attr::ObjectY, y}, {attr::ObjectZ, z}, {attr::ObjectOwner, 1},
                                {attr::ObjectNumber, 0}})
            world.aw_int_set(a, value);
        // clang-format on
        world.aw_string_set(attr::ObjectModel, "terrain.rwx");
        world.aw_string_set(attr::ObjectDescription, description);
        world.aw_string_set(attr::ObjectAction, "");
        return world.aw_object_load();
    }

    int QueryCell(int cellX, int cellZ) {
        world.aw_int_set(attr::CellIterator,
                         static_cast<int>((static_cast<uint32_t>(cellX) << 16) |
                                          (static_cast<uint32_t>(cellZ) & 0xFFFF)));
        world.aw_bool_set(attr::CellCombine, false);
        return world.aw_cell_next();
    }

    VirtualClock clock;
    SimWorld world{clock};
    Texts trace;
};

class SimWorldTest : public ::testing::Test, public Universe {};

// Every call refused in the instance's life, in order: start-up, login, before entering, outside
// the world's extent, a delete that misses the object's id or exact position, users acting on
// what is not there, and after aw_term.
TEST_F(SimWorldTest, CallsRefusedWithTheirReasons) {
    const int h[3] = {1, 2, 3};
    const std::string host = SimWorld::kUniverseHost;
    int id = 0;
    auto create = [&](const std::string& at, int port) {
        return world.aw_create(at, port, nullptr);
    };
    auto login = [&](int citizen, const char* password) {
        world.aw_int_set(attr::LoginCitizen, citizen);
        world.aw_string_set(attr::LoginPrivilegePassword, password);
        return world.aw_login();
    };
    auto keepId = [&](int result) { return id = world.aw_int(attr::ObjectId), result; };
    auto del = [&](int idOffset, int x, int z) {
        world.aw_int_set(attr::ObjectId, id + idOffset);
        world.aw_int_set(attr::ObjectX, x);
        world.aw_int_set(attr::ObjectZ, z);
        return world.aw_object_delete();
    };
    namespace r = reason;
    SimWorld& w = world;
    // clang-format off
    const std::pair<int, int> steps[] = {
        {create(host, 6670), r::NotInitialized},       {w.aw_init(65), r::WrongBuild},
        {create(host, 6670), r::NotInitialized},       {w.aw_init(66), 0},
        {w.aw_login(), r::NoInstance},                 {w.aw_session(), 0},
        {create("elsewhere.example", 6670), r::UnknownHost},  {create(host, 6671), r::UnknownHost},
        {create("UNIVERSE.Terravane.LOCAL", 6670), 0}, {create(host, 6670), r::AlreadyCreated},
        {w.aw_session(), SimWorld::kBotSession},       {w.aw_enter("terra"), r::NotLoggedIn},
        {login(9, "secret"), r::InvalidCitizen},       {login(1, "Secret"), r::InvalidPassword},
        {login(1, ""), r::InvalidPassword},            {login(1, "secret"), 0},
        {w.aw_enter("nowhere"), r::NoSuchWorld},       {Load(0, 0, 0), r::NotInWorld},
        {QueryCell(0, 0), r::NotInWorld},
        {w.aw_terrain_set(0, 0, 1, 0, h), r::NotInWorld},
        {w.aw_console_message(5), r::NotInWorld},      {w.aw_has_world_right(1, 57), 0},
        {w.aw_enter("terra"), 0},                      {keepId(Load(10999, 0, -10000)), 0},
        {Load(11000, 0, 0), r::OutOfWorld},     {Load(0, 0, -10001), r::OutOfWorld},
        {QueryCell(0, 11), r::OutOfWorld},      {QueryCell(-11, 0), r::OutOfWorld},
        {w.aw_terrain_set(9, 0, 3, 5, h), r::OutOfWorld},
        {w.aw_terrain_set(0, -11, 1, 5, h), r::OutOfWorld},
        {w.aw_terrain_set(0, 0, 0, 5, h), r::InvalidArgument},
        {del(1, 10999, -10000), r::NoSuchObject},
        {del(0, 10998, -10000), r::NoSuchObject},      {del(0, 10999, -9999), r::NoSuchObject},
        {del(0, 10999, -10000), 0},                    {del(0, 10999, -10000), r::NoSuchObject},
        {w.UserEnter(7, 2, 0, 0, 0, std::nullopt, "Alice"), 0},
        {w.UserBuild(7, Shape(-500, 1500)), 0},
        {w.UserEnter(9, 77, 0, 0, 0), r::NoSuchCitizen},
        {w.UserMove(9, 0, 0, 0), r::NoSuchSession},
        {w.UserLeave(9), r::NoSuchSession},
        {w.UserBuild(7, Shape(0, 11000)), r::OutOfWorld},
        {w.UserBuild(99, Shape(0, 0)), r::NoSuchSession},
        {w.UserClick(7, -501, 1500), r::NoSuchObject},
        {w.UserDelete(7, -500, 1501), r::NoSuchObject},
        {w.aw_console_message(8), r::NoSuchSession},
        {w.aw_whisper(8, "psst"), r::NoSuchSession},   {w.UserChat(9, "t:show"), r::NoSuchSession},
        {w.aw_url_send(8, "http://x", ""), r::NoSuchSession},
        {w.aw_citizen_attributes_by_name("Nobody"), r::NoSuchCitizen},
        {w.aw_citizen_attributes_by_name("aLiCe"), 0}, {w.aw_int(attr::FoundCitizenNumber), 2},
        {w.aw_term(), 0},                              {w.aw_session(), 0},
        {create(host, 6670), r::NotInitialized}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(steps[i].first, steps[i].second) << "step " << i;
}

TEST_F(SimWorldTest, DeliveryOnlyInsideWaitInOrderNotReentrantAndStoppedByDestroy) {
    Connected();
    const int64_t start = clock.MonotonicMs();
    world.UserEnter(7, 2, 0, 0, 0);
    world.UserChat(7, "one");
    EXPECT_EQ(world.PendingDeliveries(), 2u);
    int nestedResult = -1;
    world.aw_event_set(event::Chat, [&] {
        trace.push_back("chat " + world.aw_string(attr::ChatText));
        nestedResult = world.aw_wait(0);  // delivers nothing
        world.UserChat(7, "again");       // waits for the next aw_wait
    });
    EXPECT_EQ(Wait(100), (Texts{"e0 7 Alice 2", "chat one"}));
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(clock.MonotonicMs() - start, 100);
    EXPECT_EQ(Wait(), (Texts{"chat again"}));
    // Destroyed from inside a handler: nothing more is delivered, the session's attributes go,
    // and a new instance starts clean.
    world.UserMove(7, 5, 0, 5);
    world.aw_event_set(event::Chat, [&] {
        trace.push_back("last");
        world.aw_destroy();
    });
    EXPECT_EQ(Wait(), (Texts{"last"}));
    EXPECT_EQ(world.PendingDeliveries(), 0u);
    EXPECT_EQ(world.aw_session(), 0);
    EXPECT_EQ(world.aw_wait(0), reason::NoInstance);
    EXPECT_EQ(world.EnteredWorld(), "");
    EXPECT_EQ(world.aw_int(attr::WorldSize), 0);
    EXPECT_EQ(world.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr), 0);
    EXPECT_EQ(world.aw_login(), reason::InvalidCitizen);
}

TEST_F(SimWorldTest, ObjectChangeKeepsTheNumberReportsDeleteThenAddAndMovesTheIndexes) {
    EXPECT_THROW(world.PlaceObjects("terra", {Shape(0, 0), Shape(0, 11000)}),
                 std::invalid_argument);
    EXPECT_TRUE(world.Objects("terra").empty());
    world.PlaceObjects("terra", {Shape(2000, 2000, "1"), Shape(2000, 2000, "2")});
    EXPECT_EQ(world.ObjectAt("terra", 2000, 2000)->description, "1");  // the lower number
    const SimObject first = world.Objects("terra")[0];
    Connected();
    // The lower-numbered object moves to cell (5, 5): both cells answer from the moved index.
    Load(5000, 0, 5000, "7,90");  // sets the shape; the load itself adds a third object
    Wait();
    world.aw_int_set(attr::ObjectNumber, static_cast<int>(first.number));
    ASSERT_EQ(world.aw_object_change(), 0);
    const std::string n = std::to_string(first.number),
                      newId = std::to_string(world.aw_int(attr::ObjectId));
    EXPECT_NE(newId, std::to_string(first.id));
    EXPECT_EQ(Wait(), (Texts{"e8 " + n + " " + std::to_string(first.id) + " 2000 2000 1",
                             "e7 " + n + " " + newId + " 5000 5000 7,90", "cb3=0"}));
    EXPECT_EQ(world.ObjectAt("terra", 2000, 2000)->description, "2");
    QueryCell(5, 5);
    EXPECT_EQ(Wait().size(), 5u);  // begin, two objects, end, result
    QueryCell(2, 2);
    EXPECT_EQ(Wait().size(), 4u);
    world.aw_int_set(attr::ObjectNumber, static_cast<int>(first.number) + 50);
    EXPECT_EQ(world.aw_object_change(), reason::NoSuchObject);
    world.aw_int_set(attr::ObjectNumber, static_cast<int>(first.number));
    world.aw_int_set(attr::ObjectX, 11000);
    EXPECT_EQ(world.aw_object_change(), reason::OutOfWorld);
    // Deleting by id leaves the cell's other objects found.
    world.aw_int_set(attr::ObjectId, world.ObjectAt("terra", 5000, 5000)->id);
    world.aw_int_set(attr::ObjectX, 5000);
    world.aw_int_set(attr::ObjectZ, 5000);
    ASSERT_EQ(world.aw_object_delete(), 0);
    EXPECT_EQ(world.ObjectAt("terra", 5000, 5000)->description, "7,90");
    EXPECT_EQ(world.Objects("terra").size(), 2u);
}

TEST_F(SimWorldTest, EjectRemovesTheAvatarAndBarsReentryForItsDuration) {
    Connected();
    world.UserEnter(7, 2, 0, 0, 0, std::nullopt, "Alice");
    Wait();
    world.aw_int_set(attr::EjectSession, 7);
    world.aw_int_set(attr::EjectDuration, 900);
    EXPECT_EQ(world.aw_world_eject(), 0);
    EXPECT_EQ(world.aw_world_eject(), reason::NoSuchSession);
    EXPECT_EQ(Wait(), (Texts{"e2 7 Alice 2"}));
    EXPECT_EQ(world.ActionLog(), (Texts{"eject(7,900)"}));
    EXPECT_EQ(world.UserEnter(9, 3, 0, 0, 0), 0);  // others are not affected
    for (int advance : {0, 899'999, 1}) {
        clock.Advance(advance);
        EXPECT_EQ(world.UserEnter(8, 2, 0, 0, 0), advance == 1 ? 0 : reason::Ejected) << advance;
    }
}

// Two identical scripted sessions give identical traces and objects.
TEST(SimWorldDeterminism, IdenticalRunsGiveIdenticalTraces) {
    auto run = [] {
        Universe u;
        u.world.PlaceObject("terra", Shape(100, 100, "3"));
        u.Connect();
        u.world.UserEnter(7, 2, 0, 0, 0);
        Texts all;
        for (int i = 0; i < 5; ++i) {
            u.Load(i * 1000, i, -i * 1000);
            u.world.UserBuild(7, Shape(i * 700, i * 300));
            u.QueryCell(0, 0);
            u.clock.Advance(1500);
            for (const std::string& got : u.Wait(250)) all.push_back(got);
        }
        for (const auto& o : u.world.Objects("terra"))
            all.push_back(std::to_string(o.id) + " t" + std::to_string(o.timestamp));
        return all;
    };
    const Texts first = run();
    EXPECT_GT(first.size(), 40u);
    EXPECT_EQ(first, run());
}

}  // namespace
}  // namespace tv::test
