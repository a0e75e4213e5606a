#pragma once
// The bot's own repairs of the world, made outside the command queue: a cell's terrain set to
// match its marker, an object removed (a marker built without an enabled session, the older of
// two rival markers, a misplaced marker) and a marker built (one deleted without an enabled
// session, the corrected copy of a misplaced one). The world may refuse such a call or never
// carry it out, so a repair is kept until the world confirms it: tried again a second after a
// refusal, and again when no confirming event came within 10 seconds; nothing is tried while the
// world is away. Only the first refusal of each repair is logged. A removal the world refuses
// makes the bot ask about the object's cell: an answer that no longer lists it ends the removal.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "terrain/TerrainCache.h"

namespace tv {

class Bot;

using TCellPair = std::pair<int32_t, int32_t>;

struct TRepair {
    TMarkerRecord Marker;  // the object to remove, or the marker to build
    int32_t Due = 0;       // ClockSeconds of the next attempt
    bool Refused = false;  // refused at least once (the Error entry is written)
};

struct TTerrainRepair {
    int32_t Value = 0;
    int32_t Height = 0;
    int32_t Due = 0;
};

class TRepairBook final {
public:
    std::map<TCellPair, TTerrainRepair> terrain;
    std::map<uint32_t, TRepair> removals;  // by object number
    std::map<TCellPair, TRepair> builds;   // by cell

    bool Empty() const { return terrain.empty() && removals.empty() && builds.empty(); }
    void Clear();
};

// Removes an object now, and again until the world reports it deleted.
void RepairRemove(Bot& bot, const TMarkerRecord& object);
// Builds a marker now, and again until the world reports a marker the bot built in the cell;
// a later attempt is dropped when the cache meanwhile learned another marker there.
void RepairBuild(Bot& bot, const TMarkerRecord& marker);
// The outcome of setting a cell's terrain: a refusal is kept to be tried again (true when it is
// the cell's first, the one to log); a success ends what was kept for the cell.
bool RepairTerrainOutcome(Bot& bot, int32_t cellX, int32_t cellZ, int32_t value, int32_t height,
                          int result);

// What the world reports.
void RepairObjectDeleted(Bot& bot, int32_t id);
void RepairMarkerBuilt(Bot& bot, int32_t cellX, int32_t cellZ);
// A cell's query answer ended: removals of its objects that the answer did not list are done.
void RepairCellAnswered(Bot& bot, int32_t cellX, int32_t cellZ,
                        const std::vector<uint32_t>& reported);
// True while the object is to be removed: the cache must not take it as a cell's marker.
bool RepairRemoving(const Bot& bot, uint32_t number);

// The heartbeat's step: what is due is tried again while the world is there.
void RepairsStep(Bot& bot);

}  // namespace tv
