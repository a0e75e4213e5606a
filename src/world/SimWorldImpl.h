#pragma once
// The embedded world's inner state, shared by its implementation files only: the universe
// (citizens, worlds with rights, objects, terrain, avatars), the one attribute store, the
// delivery queue, the fault plan and the traffic counters.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
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

// Attributes by number. The SDK's numbers are small, so they index a table (an event sets a
// dozen of them for every object it reports); any other number still reads back what was set.
class SimAttributeTable {
public:
    SimAttribute& operator[](int number) {
        if (number >= 0 && number < kSlots) return slots_[static_cast<std::size_t>(number)];
        return others_[number];
    }
    const SimAttribute* Find(int number) const {
        if (number >= 0 && number < kSlots) return &slots_[static_cast<std::size_t>(number)];
        auto it = others_.find(number);
        return it == others_.end() ? nullptr : &it->second;
    }
    void Clear() {
        slots_.assign(kSlots, SimAttribute{});
        others_.clear();
    }

private:
    static constexpr int kSlots = 512;
    std::vector<SimAttribute> slots_ = std::vector<SimAttribute>(kSlots);
    std::map<int, SimAttribute> others_;
};

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

// A world's terrain: a row of cells for each z, made the width of the world when its first cell
// is set, so that setting or reading a cell costs two look-ups however large the world is. A
// cell nobody set has no terrain.
class SimTerrainGrid {
public:
    void Set(int32_t x, int32_t z, SimWorld::Terrain terrain, int32_t worldSize) {
        // A world the platform could not have (a size beyond 32767) gets rows as wide as used.
        const int32_t half = worldSize >= 0 && worldSize <= 32767 ? worldSize : 0;
        Row& row = rows_[z];
        if (row.cells.empty()) row.first = std::min(x, -half);
        if (x < row.first) {  // only when the world has grown since the row was made
            row.cells.insert(row.cells.begin(), static_cast<std::size_t>(row.first - x), {});
            row.first = x;
        }
        const auto at = static_cast<std::size_t>(int64_t{x} - row.first);
        if (at >= row.cells.size())
            row.cells.resize(std::max(at + 1, static_cast<std::size_t>(2 * int64_t{half} + 1)));
        row.cells[at] = terrain;
    }
    std::optional<SimWorld::Terrain> At(int32_t x, int32_t z) const {
        auto row = rows_.find(z);
        if (row == rows_.end() || x < row->second.first) return std::nullopt;
        const auto at = static_cast<std::size_t>(int64_t{x} - row->second.first);
        return at < row->second.cells.size() ? row->second.cells[at] : std::nullopt;
    }

private:
    struct Row {
        int32_t first = 0;  // the x of cells[0]
        std::vector<std::optional<SimWorld::Terrain>> cells;
    };
    std::unordered_map<int32_t, Row> rows_;
};

struct SimWorldState {
    std::string name;
    int32_t size = 0;
    std::map<int32_t, std::set<int>> rights;  // citizen -> rights held
    SimObjectStore objects;
    SimTerrainGrid terrain;
    std::vector<SimAvatar> avatars;                 // arrival order
    std::map<std::string, int64_t> ejectedUntilMs;  // EjectKey -> monotonic ms

    bool CellInside(int32_t cellX, int32_t cellZ) const;
    SimAvatar* FindAvatar(int32_t session);
};

// An object an event reports, with the session that caused the event when there was one. Its
// attributes are set from it as the event is delivered: a cell query reports every object of the
// cell, so no list of attributes is built for each.
struct SimObjectReport {
    SimObject object;
    std::optional<int32_t> bySession;
};

struct SimDelivery {
    bool isCallback = false;
    int number = 0;
    int reason = 0;
    std::optional<std::pair<int32_t, int32_t>> cell;  // sets 224, 225 first
    std::optional<SimObjectReport> object;            // then these
    // then these
    SimAttributes attributes;
    uint64_t sequence = 0;
    uint64_t dueWait = 0;
    bool answer = false;  // answers a request of the bot: lost when the connection drops
};

// The deliveries waiting, oldest first. Deliveries are large, so a deque would allocate a block
// for nearly every one; this keeps its storage and moves what is left down only now and then.
class SimDeliveryQueue {
public:
    bool empty() const { return head_ == items_.size(); }
    std::size_t size() const { return items_.size() - head_; }
    const SimDelivery& front() const { return items_[head_]; }
    SimDelivery& back() { return items_.back(); }
    void push_back(SimDelivery delivery) { items_.push_back(std::move(delivery)); }
    SimDelivery TakeFront() {
        SimDelivery taken = std::move(items_[head_++]);
        if (head_ == items_.size()) {
            clear();
        } else if (head_ >= 1024 && 2 * head_ >= items_.size()) {
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        return taken;
    }
    template <typename Wanted>
    void EraseIf(Wanted wanted) {
        items_.erase(std::remove_if(items_.begin() + static_cast<std::ptrdiff_t>(head_),
                                    items_.end(), wanted),
                     items_.end());
        if (empty()) clear();
    }
    void clear() {
        items_.clear();
        head_ = 0;
    }

private:
    std::vector<SimDelivery> items_;
    std::size_t head_ = 0;
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

    SimAttributeTable attributes;
    std::map<int, AwEventHandler> eventHandlers;
    std::map<int, AwCallbackHandler> callbackHandlers;

    SimDeliveryQueue queue;
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
    // An event reporting an object: every field of it plus its cell (224, 225), then 245 when
    // a session caused the event, then `more`.
    void QueueObjectEvent(int number, const SimObject& object, std::optional<int32_t> bySession,
                          bool answer = false, SimAttributes more = {});
    // A cell query's begin or end event: the cell (224, 225).
    void QueueCellEvent(int number, int32_t cellX, int32_t cellZ) {
        Queue(false, number, 0, {}, true);
        queue.back().cell = {cellX, cellZ};
    }
    void QueueCallback(int number, int reason) { Queue(true, number, reason, {}, true); }
    // World attributes (11), then an avatar-add for each avatar present, in arrival order.
    void QueueWorldArrival();
    void DropAnswers();
    void Deliver();
    // Sets the attributes of a reported object; returns the bytes they take on the wire.
    std::size_t SetObjectAttributes(const SimObjectReport& report);
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
