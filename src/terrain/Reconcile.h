#pragma once
// Requests the world keeps refusing. One rule for every kind of terrain command: once the world
// has refused a cell's request for more than 10 seconds of connected time, the bot stops, forgets
// the cell and asks the world what the cell holds. When that answer arrives the cell is
// reconciled: the cache holds what the world holds, the cell's terrain follows the marker found
// (or goes back to the default when none stands), and the user hears how it ended: finished,
// or once per command that some cells could not be changed.

#include <cstdint>
#include <set>
#include <vector>

#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"

namespace tv {

class Bot;

// A given-up request waiting for the answer to its cell's query.
struct TReconcileCell {
    int32_t CellX = 0, CellZ = 0;
    int32_t Session = 0;
    uint32_t Batch = 0;
    CommandState State = CommandState::INVALID;
    bool Hole = false;
    int32_t Texture = 0;
    uint16_t Rotation = 0;
};

class TReconcileBook final {
public:
    std::vector<TReconcileCell> cells;
    std::set<uint32_t> toldBatches;  // commands whose user heard that some cells stayed
    uint32_t nextBatch = 0;
    // Counts lost connections, so that a refusal clock from before the loss starts again.
    uint32_t epoch = 0;

    bool Has(int32_t cellX, int32_t cellZ) const;
    bool SessionHas(int32_t session, CallbackType type) const;
    // The per-world reset; the connection count goes on.
    void Clear();
};

CallbackType CallbackTypeOf(CommandState state);
// The command a pending record stands for; INVALID for a cell query.
CommandState CommandStateOf(const TTerrainCallback& record);
// "deleting", "detaching", "hiding", "showing", "texturing" ("changing" for none).
const char* RefusalVerb(CommandState state);
// The finished message of the command's kind, when it was the user's last work of that kind.
void FinishCommandIfLast(Bot& bot, int32_t session, CommandState state);

// Notes one refusal of a request first sent (or first refused) at `startedAt`; true when the
// world has now refused it for more than 10 seconds of connected time.
bool RefusalExpired(Bot& bot, TRefusal& refusal, int32_t startedAt);
// Stops a request: the Error entry of the outcome, the cell forgotten and queried at once.
void GiveUpCell(Bot& bot, const TReconcileCell& request);
// A command that meets a cell waiting for reconciliation joins it; true when it did.
bool JoinReconciliation(Bot& bot, const TReconcileCell& request);
// The answer to a reconciled cell's query has arrived (the cache holds it): terrain and replies.
// False when the cell was not waiting.
bool ReconcileCell(Bot& bot, int32_t cellX, int32_t cellZ);

}  // namespace tv
