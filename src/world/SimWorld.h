#pragma once
// The embedded world: an in-process universe and world behind the SDK interface. It keeps one
// global attribute store, queues events and callbacks and delivers them only inside aw_wait, in
// order; world-changing calls return 0 at once and their effects arrive later as events. It also
// drives simulated users, injects faults, and reports what the bot did to a listener.
// Deterministic: the same calls give the same numbers, ids, timestamps and order of events.
// Delivery: aw_wait delivers, oldest first, what was queued before it began (a handler's own
// additions wait for the next aw_wait; an aw_wait inside a handler delivers nothing), sets each
// item's attributes just before its handler runs (an item without a handler is dropped), then
// sleeps on the clock. aw_destroy, also from inside a handler, drops everything undelivered.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/AwSdk.h"
#include "app/Clock.h"

namespace tv {

// Reason codes of the embedded world.
namespace reason {
inline constexpr int Success = 0;
inline constexpr int NotInitialized = 12;
inline constexpr int NoInstance = 13;
inline constexpr int WrongBuild = 14;
inline constexpr int AlreadyCreated = 15;
inline constexpr int UnknownHost = 16;
inline constexpr int NotLoggedIn = 17;
inline constexpr int InvalidCitizen = 20;
inline constexpr int InvalidPassword = 21;
inline constexpr int NoSuchWorld = 22;
inline constexpr int NotInWorld = 23;
inline constexpr int NoConnection = 24;
inline constexpr int NoSuchObject = 25;
inline constexpr int OutOfWorld = 26;
inline constexpr int NoSuchSession = 27;
inline constexpr int NoSuchCitizen = 28;
inline constexpr int NotAllowed = 29;
inline constexpr int Ejected = 30;
inline constexpr int InvalidArgument = 31;
}  // namespace reason

struct SimObject {
    uint32_t number = 0;
    int32_t id = 0;
    int32_t x = 0, y = 0, z = 0;
    int32_t yaw = 0, tilt = 0, roll = 0;
    int32_t type = 0;
    std::string model;
    std::string description;
    std::string action;
    int32_t owner = 0;
    int32_t timestamp = 0;
    std::string data;
};

// What a user builds or what setup places.
struct SimObjectSpec {
    int32_t x = 0, y = 0, z = 0;
    int32_t yaw = 0, tilt = 0, roll = 0;
    int32_t type = 0;
    std::string model = "terrain.rwx";
    std::string description;
    std::string action;
    std::optional<int32_t> owner;  // default: the builder's citizen (0 when placed by setup)
};

struct SimConsoleMessage {
    int32_t session = 0;
    std::string text;
    int red = 0, green = 0, blue = 0;
    bool flag0 = false, flag1 = false;
};

// Reports what the bot did to the world (and what simulated users did to objects).
class SimListener {
public:
    virtual ~SimListener() = default;
    virtual void OnConsoleMessage(const SimConsoleMessage&) {}
    virtual void OnSay(const std::string& /*text*/) {}
    virtual void OnWhisper(int32_t /*session*/, const std::string& /*text*/) {}
    virtual void OnObjectAdded(const SimObject&, int32_t /*bySession*/) {}
    virtual void OnObjectDeleted(const SimObject&, int32_t /*bySession*/) {}
    virtual void OnTerrainSet(int32_t /*cellX*/, int32_t /*cellZ*/, int32_t /*value*/,
                              int32_t /*height*/) {}
    virtual void OnEject(int32_t /*session*/, int32_t /*seconds*/) {}
    virtual void OnUrl(int32_t /*session*/, const std::string& /*url*/,
                       const std::string& /*target*/) {}
};

class SimWorld final : public AwSdk {
public:
    static constexpr const char* kUniverseHost = "universe.terravane.local";
    static constexpr int kUniversePort = 6670;
    static constexpr int32_t kBotSession = 100000;

    explicit SimWorld(Clock& clock);
    ~SimWorld() override;

    // ---- Universe setup -------------------------------------------------------------------
    // Adding a known number again renames the citizen; the password changes only when one is
    // given, so adding an avatar's citizen never locks the bot out.
    void AddCitizen(int32_t number, const std::string& name, const std::string& password = {});
    // Adding a known world again changes its size. World names are compared without case.
    void AddWorld(const std::string& name, int32_t size);
    // World rights 50, 51, 68 (and 57 caretaker, 162 eminent domain) of a citizen in a world.
    void SetWorldRight(const std::string& world, int32_t citizen, int right, bool granted);
    // Places an object without any event; returns its number. Setup mistakes (unknown world,
    // a position outside it) throw std::invalid_argument.
    uint32_t PlaceObject(const std::string& world, const SimObjectSpec& shape);
    // Places many objects at once (numbers in the order given); a position outside the world
    // throws before any is placed.
    void PlaceObjects(const std::string& world, const std::vector<SimObjectSpec>& shapes);

    // ---- Simulated users --------------------------------------------------------------------
    // Users act in the world the bot is in; while it is in none, in the world it entered last,
    // or else in the first world added. Their events reach the bot only while it is in that
    // world and connected. Tourists have citizen 0 (their name defaults to "Tourist").
    // Returns 0, or a reason code (Ejected while an eject lasts; a repeated session is a ghost:
    // a second avatar-add event for the same number).
    int UserEnter(int32_t session, int32_t citizen, int32_t x, int32_t y, int32_t z,
                  std::optional<int32_t> privilege = {}, std::optional<std::string> name = {});
    int UserMove(int32_t session, int32_t x, int32_t y, int32_t z);
    int UserLeave(int32_t session);
    int UserChat(int32_t session, const std::string& text);
    // Builds an object (event 7 with 245 = session); returns 0 or a reason code.
    int UserBuild(int32_t session, const SimObjectSpec& shape);
    // Deletes the object standing exactly at (x, z) (event 8 with 245 = session).
    int UserDelete(int32_t session, int32_t x, int32_t z);
    // Clicks (event 18) or selects (event 19) the object standing exactly at (x, z).
    int UserClick(int32_t session, int32_t x, int32_t z);
    int UserSelect(int32_t session, int32_t x, int32_t z);

    // ---- Connection -------------------------------------------------------------------------
    // Queues event 13 and drops the undelivered answers to the bot's earlier requests; world
    // calls fail with NoConnection (aw_session stays non-zero) until Reconnect, which queues
    // world attributes (11) and the avatars present again. Users' actions meanwhile change the
    // world but reach the bot only through what the reconnection reports.
    void Disconnect();
    void Reconnect();
    bool Connected() const;

    // ---- Faults -----------------------------------------------------------------------------
    // Faults on one call queue up in the order they were asked for and are used before anything
    // else the call would check. Getters answer the reason (aw_int), "" or false.
    // The next `count` calls of the named SDK function ("aw_object_load", ...) return `reason`
    // and do nothing.
    void FailNext(const std::string& call, int reason, int count = 1);
    // The next `count` calls succeed (0) but have no effect and are never answered.
    void MuteNext(const std::string& call, int count = 1);
    // Everything queued from now on becomes due only after `waits` further aw_wait calls; items
    // behind a held one wait for it, so the order is kept. DelayAnswers(0) switches it off.
    void DelayAnswers(int waits);
    // Forgets every fault still waiting to be used (fail and mute); the delay stays as it is.
    void ClearFaults();

    // ---- Inspection -------------------------------------------------------------------------
    // The listener hears each effect when it happens, i.e. during the SDK call or user action.
    void SetListener(SimListener* listener) { listener_ = listener; }
    // Every object of the world, lowest number first (a copy).
    std::vector<SimObject> Objects(const std::string& world) const;
    // The object with the lowest number standing exactly at (x, z), or null.
    const SimObject* ObjectAt(const std::string& world, int32_t x, int32_t z) const;
    struct Terrain {
        int32_t value = 0;
        int32_t height = 0;
    };
    std::optional<Terrain> TerrainAt(const std::string& world, int32_t cellX, int32_t cellZ) const;
    const std::vector<SimConsoleMessage>& ConsoleLog() const { return consoleLog_; }
    std::string EnteredWorld() const;  // empty when the bot is in no world
    std::size_t PendingDeliveries() const;
    // An attribute as the store holds it now, read without a call: no fault, no call log.
    int AttributeInt(int attribute) const;
    std::string AttributeText(int attribute) const;
    // Sessions of the avatars in the world users act in, in arrival order.
    std::vector<int32_t> AvatarSessions() const;
    // Say, whisper, URL sends and ejects, in order: say("text"), whisper(5,"text"),
    // url(5,"http://x","aw_3d"), eject(5,900). Texts are written raw between the quotes.
    const std::vector<std::string>& ActionLog() const { return actionLog_; }
    // Every SDK call made, in order, one line each: the call's name, then its arguments between
    // parentheses, separated by commas without spaces; strings raw between double quotes,
    // booleans as true/false, data as its length, heights as [h1,h2]; no result. Examples:
    //   aw_int_set(332,0)  aw_bool_set(332,false)  aw_string_set(334,"text")  aw_int(95)
    //   aw_console_message(7)  aw_object_load()  aw_wait(0)  aw_data_set(249,255)
    //   aw_terrain_set(1,-2,1,5,[100])  aw_create("host",6670)  aw_enter("terra")
    //   aw_event_set(7)  aw_callback_set(3)  aw_whisper(5,"hi")  aw_has_world_right(5,50)
    // Logging is off by default; SetCallLogging(true) starts it.
    const std::vector<std::string>& CallLog() const { return callLog_; }
    void ClearCallLog() { callLog_.clear(); }
    void SetCallLogging(bool on) { callLogging_ = on; }

    // ---- AwSdk -----------------------------------------------------------------------------
    int aw_init(int build) override;
    int aw_create(const std::string& host, int port, void** instance) override;
    int aw_login() override;
    int aw_enter(const std::string& world) override;
    int aw_wait(int milliseconds) override;
    int aw_session() override;
    int aw_destroy() override;
    int aw_term() override;
    int aw_event_set(int event, AwEventHandler handler) override;
    int aw_callback_set(int callback, AwCallbackHandler handler) override;
    int aw_int(int attribute) override;
    std::string aw_string(int attribute) override;
    bool aw_bool(int attribute) override;
    int aw_int_set(int attribute, int value) override;
    int aw_string_set(int attribute, const std::string& value) override;
    int aw_bool_set(int attribute, bool value) override;
    int aw_data_set(int attribute, const char* data, unsigned length) override;
    int aw_say(const std::string& text) override;
    int aw_whisper(int session, const std::string& text) override;
    int aw_console_message(int session) override;
    int aw_object_load() override;
    int aw_object_change() override;
    int aw_object_delete() override;
    int aw_cell_next() override;
    int aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) override;
    int aw_has_world_right(int citizen, int right) override;
    int aw_citizen_attributes_by_name(const std::string& name) override;
    int aw_url_send(int session, const std::string& url, const std::string& target) override;
    int aw_world_eject() override;
    int aw_traffic_count(unsigned* bytesIn, unsigned* bytesOut) override;

private:
    struct Impl;
    // Logs the call and applies a pending fault: the value to return at once, or none to go on.
    // The argument text is made only when the call is logged or a fault is planned: most calls
    // are neither, and a large world makes millions of them.
    template <typename Arguments>
    std::optional<int> Begin(const char* call, Arguments&& arguments) {
        if (!callLogging_ && plannedFaults_ == 0) return std::nullopt;
        return BeginWatched(call, arguments());
    }
    std::optional<int> BeginWatched(const char* call, const std::string& arguments);

    std::unique_ptr<Impl> impl_;
    SimListener* listener_ = nullptr;
    std::vector<SimConsoleMessage> consoleLog_;
    std::vector<std::string> actionLog_;
    std::vector<std::string> callLog_;
    bool callLogging_ = false;
    std::size_t plannedFaults_ = 0;  // fault entries not used up yet
};

}  // namespace tv
