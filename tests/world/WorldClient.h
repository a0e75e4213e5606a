#pragma once
// A minimal client of the embedded world for its tests: logs in the way the bot does and records
// every event and callback it receives as one line of text with the attributes that matter.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/AwSdk.h"
#include "app/Clock.h"
#include "support/TestBot.h"
#include "world/SimWorld.h"

namespace tv::test {

class WorldClient {
public:
    explicit WorldClient(SimWorld& world) : world_(world) {}

    // init, create, login as citizen 1 / "secret", install the recorder, enter `name`.
    int Connect(const std::string& name = "terra") {
        if (int r = world_.aw_init(kSdkBuild)) return r;
        if (int r = world_.aw_create(SimWorld::kUniverseHost, SimWorld::kUniversePort, nullptr))
            return r;
        world_.aw_int_set(attr::LoginCitizen, 1);
        world_.aw_string_set(attr::LoginPrivilegePassword, "secret");
        if (int r = world_.aw_login()) return r;
        for (int number : {0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 18, 19})
            world_.aw_event_set(number, [this, number] { trace.push_back(Describe(number)); });
        for (int number : {3, 23, 29})
            world_.aw_callback_set(number, [this, number](int reason) {
                trace.push_back("cb" + std::to_string(number) + "=" + std::to_string(reason));
            });
        world_.aw_bool_set(attr::EnterGlobal, true);
        return world_.aw_enter(name);
    }

    // Waits once and returns what arrived during that wait.
    Texts Wait(int milliseconds = 0) {
        trace.clear();
        world_.aw_wait(milliseconds);
        return trace;
    }

    std::string Describe(int number) {
        auto i = [this](int a) { return std::to_string(world_.aw_int(a)); };
        auto s = [this](int a) { return world_.aw_string(a); };
        const std::string object =
            i(attr::ObjectNumber) + " id" + i(attr::ObjectId) + " at " + i(attr::ObjectX) + "," +
            i(attr::ObjectY) + "," + i(attr::ObjectZ) + " cell " + i(attr::CellX) + "," +
            i(attr::CellZ) + " " + s(attr::ObjectModel) + " '" + s(attr::ObjectDescription) +
            "' owner " + i(attr::ObjectOwner) + " t" + i(attr::ObjectTimestamp);
        const std::string avatar = i(attr::AvatarSession) + " " + s(attr::AvatarName) + " " +
                                   i(attr::AvatarX) + "," + i(attr::AvatarY) + "," +
                                   i(attr::AvatarZ) + " c" + i(attr::AvatarCitizen) + " p" +
                                   i(attr::AvatarPrivilege);
        const std::string cell = i(attr::CellX) + "," + i(attr::CellZ);
        const std::map<int, std::string> texts = {
            {0, "avatar-add " + avatar},
            {2, "avatar-delete " + i(attr::AvatarSession) + " " + s(attr::AvatarName)},
            {3, "cell-begin " + cell},
            {4, "cell-object " + object},
            {5, "cell-end " + cell},
            {6, "chat " + i(attr::ChatSession) + " " + s(attr::ChatText)},
            {7, "object-add " + object + " by " + i(attr::ObjectSession)},
            {8, "object-delete " + object + " by " + i(attr::ObjectSession)},
            {11, "world " + s(attr::WorldName) + " size " + i(attr::WorldSize) + " ct " +
                     i(attr::WorldCaretakerRight) + " ed " + i(attr::WorldEminentDomainRight)}};
        const auto found = texts.find(number);
        if (found != texts.end()) return found->second;
        return "event " + std::to_string(number);
    }

    // Sets the attributes of a marker-like object and calls aw_object_load.
    int Load(int x, int y, int z, const std::string& description = "5") {
        world_.aw_int_set(attr::ObjectType, 0);
        world_.aw_string_set(attr::ObjectModel, "terrain.rwx");
        world_.aw_int_set(attr::ObjectX, x);
        world_.aw_int_set(attr::ObjectY, y);
        world_.aw_int_set(attr::ObjectZ, z);
        world_.aw_string_set(attr::ObjectDescription, description);
        world_.aw_string_set(attr::ObjectAction, "");
        world_.aw_int_set(attr::ObjectOwner, 1);
        world_.aw_int_set(attr::ObjectNumber, 0);
        return world_.aw_object_load();
    }

    int QueryCell(int cellX, int cellZ) {
        world_.aw_int_set(attr::CellIterator,
                          static_cast<int>((static_cast<uint32_t>(cellX) << 16) |
                                           (static_cast<uint32_t>(cellZ) & 0xFFFF)));
        world_.aw_bool_set(attr::CellCombine, false);
        return world_.aw_cell_next();
    }

    Texts trace;

private:
    SimWorld& world_;
};

// World "terra" of size 10 with the bot's citizen 1 ("Keeper", "secret") holding caretaker and
// eminent-domain rights, and citizens 2 ("Alice") and 3 ("Bob").
inline void SetUpUniverse(SimWorld& world) {
    world.AddWorld("terra", 10);
    world.AddCitizen(1, "Keeper", "secret");
    world.AddCitizen(2, "Alice");
    world.AddCitizen(3, "Bob");
    world.SetWorldRight("terra", 1, 57, true);
    world.SetWorldRight("terra", 1, 162, true);
}

// The universe and a client that is not connected yet.
class WorldTest : public ::testing::Test {
protected:
    WorldTest() { SetUpUniverse(world); }
    // Connected, with the entry's deliveries taken.
    void Connected() {
        ASSERT_EQ(client.Connect(), 0);
        client.Wait();
    }
    VirtualClock clock;
    SimWorld world{clock};
    WorldClient client{world};
};

}  // namespace tv::test
