#pragma once
// The embedded world's inner state, shared by its implementation files only: the universe
// (citizens, worlds with rights, objects, terrain, avatars), the one attribute store, the
// delivery queue, the fault plan and the traffic counters.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "world/SimObjectStore.h"
#include "world/SimWorld.h"

namespace tv {

// One attribute holds an int view (shared with the bool view) and a text view (shared with data),
// so a flag set with aw_int_set reads back with aw_bool and the other way round.
struct SimAttribute {
    int value = 0;
    std::string text;
};

// An attribute an event sets just before its handler runs.
struct SimAttributeSet {
    int number = 0;
    bool isText = false;
    int value = 0;
    std::string text;
};
using SimAttributes = std::vector<SimAttributeSet>;

struct SimCitizen {
    int32_t number = 0;
    std::string name;
    std::string password;
};

struct SimAvatar {
    int32_t session = 0;
    std::string name;
    int32_t citizen = 0;
    int32_t privilege = 0;
    int32_t x = 0, y = 0, z = 0;
};

struct SimWorldState {
    std::string name;
    int32_t size = 0;
    std::map<int32_t, std::set<int>> rights;  // citizen -> rights held
    SimObjectStore objects;
    std::map<std::pair<int32_t, int32_t>, SimWorld::Terrain> terrain;
    std::vector<SimAvatar> avatars;                 // arrival order
    std::map<std::string, int64_t> ejectedUntilMs;  // EjectKey -> monotonic ms

    bool CellInside(int32_t cellX, int32_t cellZ) const;
    SimAvatar* FindAvatar(int32_t session);
};

struct SimDelivery {
    bool isCallback = false;
    int number = 0;
    int reason = 0;
    SimAttributes attributes;
    uint64_t sequence = 0;
    uint64_t dueWait = 0;
    bool answer = false;  // answers a request of the bot: lost when the connection drops
};

struct SimFault {
    bool mute = false;
    int reason = 0;
    int remaining = 0;
};

int32_t FloorCell(int32_t worldUnits);
std::string LowerCase(std::string text);
// Who an eject keeps out: the citizen, or a tourist by name.
std::string EjectKey(int32_t citizen, const std::string& name);
std::string Quoted(const std::string& text);

SimAttributeSet IntAttribute(int number, int value);
SimAttributeSet TextAttribute(int number, const std::string& text);
// Every field of an object plus its cell (224, 225); 245 only when a session caused the event.
SimAttributes ObjectAttributes(const SimObject& object, std::optional<int32_t> bySession);
SimAttributes AvatarAttributes(const SimAvatar& avatar);

struct SimWorld::Impl {
    explicit Impl(Clock& clock) : clock(clock) {}

    Clock& clock;
    std::vector<SimCitizen> citizens;
    std::deque<SimWorldState> worlds;  // deque: pointers stay valid as worlds are added

    bool initialized = false;
    bool created = false;
    bool loggedIn = false;
    bool disconnected = false;
    int32_t loginCitizen = 0;
    SimWorldState* entered = nullptr;
    SimWorldState* lastEntered = nullptr;

    std::map<int, SimAttribute> attributes;
    std::map<int, AwEventHandler> eventHandlers;
    std::map<int, AwCallbackHandler> callbackHandlers;

    std::deque<SimDelivery> queue;
    uint64_t nextSequence = 1;
    uint64_t waitCount = 0;
    int answerDelay = 0;
    bool delivering = false;

    std::map<std::string, std::deque<SimFault>> faults;

    uint32_t nextNumber = 0x00010001;
    int32_t nextId = 1;
    uint64_t bytesIn = 0;
    uint64_t bytesOut = 0;

    SimCitizen* FindCitizen(int32_t number);
    SimWorldState* FindWorld(const std::string& name);
    const SimWorldState* FindWorld(const std::string& name) const;
    // The world simulated users act in.
    SimWorldState* UserWorld();
    const SimWorldState* UserWorld() const;
    bool BotSees(const SimWorldState& world) const;
    // 0 when a world call may go ahead, else NoInstance, NoConnection, NotLoggedIn or NotInWorld.
    int WorldCallCheck() const;

    int Int(int number) const;
    std::string Text(int number) const;
    void SetInt(int number, int value);
    void SetText(int number, const std::string& text);

    void Queue(bool isCallback, int number, int reason, SimAttributes attributes, bool answer);
    void QueueEvent(int number, SimAttributes attributes, bool answer = false) {
        Queue(false, number, 0, std::move(attributes), answer);
    }
    void QueueCallback(int number, int reason) { Queue(true, number, reason, {}, true); }
    // World attributes (11), then an avatar-add for each avatar present, in arrival order.
    void QueueWorldArrival();
    void DropAnswers();
    void Deliver();
    void DestroyInstance();

    void Sent(std::size_t payloadBytes) { bytesOut += 16 + payloadBytes; }
    // A new object of the world from the current attributes 232-240, 244, 248, 249.
    SimObject ObjectFromAttributes() const;
    void Stamp(SimObject& object);
    // A new numbered object of the given shape.
    SimObject ObjectFromShape(const SimObjectSpec& shape, int32_t owner);
    // A user's click (18) or select (19) of the object standing exactly at (x, z).
    int PointAt(int eventNumber, int32_t session, int32_t x, int32_t z);
};

}  // namespace tv
