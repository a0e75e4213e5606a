#pragma once
// The pending-request list: one record per terrain request in flight, completed by the matching
// world event, re-issued when no answer came within 10 seconds or the connection was lost. The
// completion of a user's last request of a kind sends the user the finished message.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "terrain/LinkList.h"

namespace tv {

class Bot;
struct TMarkerRecord;

enum class CallbackType : uint8_t {
    None = 0,
    Delete = 1,
    Detach = 2,
    CellQuery = 3,
    ShowHide = 4,
    Texture = 5,
    Restore = 6  // a rollback's cell, completed when the journal sees the world change it
};

// How long the world has refused one cell's request. The episode opens at the first refusal (the
// one entry the activity log gets) and travels with the request through retries and time-outs;
// its clock counts connected time only and starts again after each reconnection.
struct TRefusal {
    int32_t Attempts = 0;  // refusals so far
    bool Timing = false;   // the clock runs
    int32_t Since = 0;     // ClockSeconds when it started
    uint32_t Epoch = 0;    // the connection it started in
};

struct TTerrainCallback {
    int32_t Session = 0;
    int32_t CellX = 0, CellZ = 0;
    CallbackType Type = CallbackType::None;
    int32_t Time = 0;
    bool Show = false;
    bool Hole = false;
    int32_t Texture = 0;
    uint16_t Rotation = 0;
    uint32_t Batch = 0;  // the user command the request belongs to; 0 for none
    TRefusal Refusal;
};

// The pending requests in the order they were made, with two indexes beside them so that the
// heartbeat's questions need no walk: how many of a type are in flight, and the first record of
// a cell and type. A record's cell and type do not change while it is listed.
class TTerrainCallbackList final {
public:
    using List = TLinkedList<TTerrainCallback>;
    using Node = List::Node;

    int64_t Count() const { return list_.Count(); }
    bool Empty() const { return list_.Empty(); }
    Node* Head() const { return list_.Head(); }
    Node* Tail() const { return list_.Tail(); }
    bool Next(Node*& node) const { return list_.Next(node); }

    Node* AddFirst(std::unique_ptr<TTerrainCallback> record);
    Node* AddLast(std::unique_ptr<TTerrainCallback> record);
    void RemoveNode(Node* node);
    void RemoveItem(const TTerrainCallback* record);
    void RemoveFirst();
    void Clear();

    int CountOf(CallbackType type) const;
    // The first record (in list order) of the cell and type; null when there is none.
    TTerrainCallback* Find(int32_t cellX, int32_t cellZ, CallbackType type) const;

private:
    static uint64_t Key(int32_t cellX, int32_t cellZ, CallbackType type);
    void Index(Node* node, bool first);
    void Unindex(Node* node);
    List list_;
    std::array<int, 8> perType_{};
    // The records of one key in list order. Nearly always there is one, which needs no vector.
    struct Run {
        Node* first = nullptr;
        std::vector<Node*> rest;
        void Insert(Node* node, bool atFront);
        void Erase(Node* node);  // the run is empty afterwards when `first` is null
        template <typename F>
        Node* FindIf(F&& wanted) const {
            if (first && wanted(first)) return first;
            for (Node* node : rest)
                if (wanted(node)) return node;
            return nullptr;
        }
    };
    std::unordered_map<uint64_t, Run> byCell_;  // by Key
};

inline constexpr int32_t kCallbackTimeoutSeconds = 10;

// The new record, or null when the cell lies outside the cache rows.
TTerrainCallback* CallbackAdd(Bot& bot, int32_t session, CallbackType type, int32_t cellX,
                              int32_t cellZ, bool show, bool hole, int32_t texture,
                              uint16_t rotation);
// Throws ETerrainNoCallback when there is none.
TTerrainCallback& CallbackFind(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type);
// Null when there is none (the non-throwing form the queues use).
TTerrainCallback* CallbackLookup(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type);
void CallbackDelete(Bot& bot, int32_t cellX, int32_t cellZ, CallbackType type);
void CallbackRemove(Bot& bot, const TTerrainCallback& record);
int CallbackCount(Bot& bot, CallbackType type);
bool CallbackSessionHasType(Bot& bot, int32_t session, CallbackType type);
bool CallbackSessionHasAny(Bot& bot, int32_t session);
void CallbackComplete(Bot& bot, const TMarkerRecord& marker, CallbackType type,
                      const std::string& text);
// The finished message of a kind, when the user has nothing of that kind left: no pending
// record, no queued command, no cell waiting to be reconciled.
void FinishIfLast(Bot& bot, int32_t session, CallbackType type, const std::string& text);
void TerrainCallbackReAdd(Bot& bot, const TTerrainCallback& record);
void CallbackReAddAll(Bot& bot);
void CallbackTimeouts(Bot& bot);

}  // namespace tv
