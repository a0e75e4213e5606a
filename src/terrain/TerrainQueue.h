#pragma once
// The two paced queues: cell queries (cells the cache does not hold yet, at most MaxQueries in
// flight) and terrain commands (show, hide, delete, detach, texture; at most MaxCommands a tick).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "terrain/LinkList.h"
#include "terrain/TerrainCallback.h"

namespace tv {

class Bot;

struct TTerrainQueueCell {
    int32_t CellX = 0, CellZ = 0;
};

// The query queue: a linked list of cells without duplicates, in the order they were queued,
// with an index of its cells beside it so that the duplicate check does not walk the list.
class TTerrainQueryQueue final {
public:
    using List = TLinkedList<TTerrainQueueCell>;
    using Node = List::Node;

    int64_t Count() const { return list_.Count(); }
    bool Empty() const { return list_.Empty(); }
    Node* Head() const { return list_.Head(); }
    Node* Tail() const { return list_.Tail(); }
    bool Next(Node*& node) const { return list_.Next(node); }

    bool Contains(int32_t cellX, int32_t cellZ) const;
    // Callers check Contains first: the queue never holds a cell twice.
    void AddFirst(int32_t cellX, int32_t cellZ);
    void AddLast(int32_t cellX, int32_t cellZ);
    void RemoveFirst();
    void Clear();

private:
    static uint64_t Key(int32_t cellX, int32_t cellZ);
    void Add(int32_t cellX, int32_t cellZ, bool first);
    List list_;
    std::unordered_set<uint64_t> keys_;
};

enum class CommandState : uint8_t {
    INVALID = 0,
    DELETE = 1,
    DETACH = 2,
    HIDE = 3,
    SHOW = 4,
    TEXTURE = 5,
    RESTORE = 6  // a rollback's cell: made what the journal says it was
};
const char* CommandStateName(CommandState state);  // "INVALID", "DELETE", ..., "RESTORE"

struct TTerrainCommand {
    int32_t CellX = 0, CellZ = 0;
    CommandState State = CommandState::INVALID;
    int32_t AvatarSession = 0;
    bool Hole = false;
    int32_t Texture = 0;
    uint16_t Rotation = 0;
    uint32_t Batch = 0;  // the user command it belongs to (one reply per command); 0 for none
    TRefusal Refusal;
};
// The command queue: a linked list of commands in the order they are carried out (duplicates
// allowed), with the number of each session's commands kept beside it, so that asking whether a
// user has work left does not walk ten thousand queued commands.
class TTerrainCommandQueue final {
public:
    using List = TLinkedList<TTerrainCommand>;
    using Node = List::Node;

    int64_t Count() const { return list_.Count(); }
    bool Empty() const { return list_.Empty(); }
    Node* Head() const { return list_.Head(); }
    Node* Tail() const { return list_.Tail(); }
    bool Next(Node*& node) const { return list_.Next(node); }

    Node* AddFirst(std::unique_ptr<TTerrainCommand> command);
    Node* AddLast(std::unique_ptr<TTerrainCommand> command);
    void RemoveNode(Node* node);
    void RemoveFirst();
    void Clear();
    // The number of queued commands of a session.
    int CountOf(int32_t session) const;

private:
    void Counted(const TTerrainCommand& command, int delta);
    List list_;
    std::unordered_map<int32_t, int> perSession_;
};

// Cell queries.
int CellQuery(Bot& bot, int32_t cellX, int32_t cellZ);
bool TerrainQueueFindCell(Bot& bot, int32_t cellX, int32_t cellZ);
void TerrainQueueAddCell(Bot& bot, int32_t cellX, int32_t cellZ, bool priority);
void TerrainQueueAddArea(Bot& bot, int32_t cellX, int32_t cellZ);
void TerrainQueryQueueProcess(Bot& bot);

// Terrain commands. The new command, or null when the cell lies outside the cache rows.
TTerrainCommand* TerrainQueueCommand(Bot& bot, int32_t cellX, int32_t cellZ, CommandState state,
                                     int32_t session, bool priority, bool hole, int32_t texture,
                                     uint16_t rotation, uint32_t batch = 0);
// A new batch number: the commands one user command queues share it.
uint32_t NewCommandBatch(Bot& bot);
void TerrainCommandQueueProcess(Bot& bot);
int TerrainCommandQueueNumberFromSession(Bot& bot, int32_t session);
bool TerrainCommandQueueNumberFromSessionBool(Bot& bot, int32_t session);

}  // namespace tv
