#pragma once
// A minimal client of the embedded world for its tests: logs in the way the bot does and records
// every event and callback it receives as one line of text with the attributes that matter.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AwSdk.h"
#include "app/Clock.h"
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
        InstallRecorder();
        world_.aw_bool_set(attr::EnterGlobal, true);
        return world_.aw_enter(name);
    }

    void InstallRecorder() {
        for (int number : {0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 18, 19})
            world_.aw_event_set(number, [this, number] { trace.push_back(Describe(number)); });
        for (int number : {3, 23, 29})
            world_.aw_callback_set(number, [this, number](int reason) {
                trace.push_back("cb" + std::to_string(number) + "=" + std::to_string(reason));
            });
    }

    // Waits once and returns what arrived during that wait.
    std::vector<std::string> Wait(int milliseconds = 0) {
        trace.clear();
        world_.aw_wait(milliseconds);
        return trace;
    }

    std::string Describe(int number) {
        auto i = [this](int a) { return std::to_string(world_.aw_int(a)); };
        auto s = [this](int a) { return world_.aw_string(a); };
        auto object = [&] {
            return i(attr::ObjectNumber) + " id" + i(attr::ObjectId) + " at " + i(attr::ObjectX) +
                   "," + i(attr::ObjectY) + "," + i(attr::ObjectZ) + " cell " + i(attr::CellX) +
                   "," + i(attr::CellZ) + " " + s(attr::ObjectModel) + " '" +
                   s(attr::ObjectDescription) + "' owner " + i(attr::ObjectOwner) + " t" +
                   i(attr::ObjectTimestamp);
        };
        auto avatar = [&] {
            return i(attr::AvatarSession) + " " + s(attr::AvatarName) + " " + i(attr::AvatarX) +
                   "," + i(attr::AvatarY) + "," + i(attr::AvatarZ) + " c" + i(attr::AvatarCitizen) +
                   " p" + i(attr::AvatarPrivilege);
        };
        switch (number) {
            case 0:
                return "avatar-add " + avatar();
            case 1:
                return "avatar-change " + avatar();
            case 2:
                return "avatar-delete " + i(attr::AvatarSession) + " " + s(attr::AvatarName);
            case 3:
                return "cell-begin " + i(attr::CellX) + "," + i(attr::CellZ);
            case 4:
                return "cell-object " + object();
            case 5:
                return "cell-end " + i(attr::CellX) + "," + i(attr::CellZ);
            case 6:
                return "chat " + i(attr::ChatSession) + " " + s(attr::ChatText);
            case 7:
                return "object-add " + object() + " by " + i(attr::ObjectSession);
            case 8:
                return "object-delete " + object() + " by " + i(attr::ObjectSession);
            case 11:
                return "world " + s(attr::WorldName) + " size " + i(attr::WorldSize) + " ct " +
                       i(attr::WorldCaretakerRight) + " ed " + i(attr::WorldEminentDomainRight);
            case 13:
                return "disconnect";
            case 18:
                return "click " + i(attr::AvatarSession) + " " + object();
            case 19:
                return "select " + i(attr::AvatarSession) + " " + object();
        }
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

    std::vector<std::string> trace;

private:
    SimWorld& world_;
};

inline SimObjectSpec Spec(int32_t x, int32_t y, int32_t z, const std::string& description = {}) {
    SimObjectSpec shape;
    shape.x = x;
    shape.y = y;
    shape.z = z;
    shape.description = description;
    return shape;
}

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

}  // namespace tv::test
