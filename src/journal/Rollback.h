#pragma once
// Rollbacks carried out. A rollback is planned from the journal (RollbackPlan) and queued as one
// RESTORE command per cell under one command batch: the command queue paces it, the pending-
// request list tracks each request, refusals are given up and reconciled like any command's,
// and once nothing of the batch is left its user hears that it is done. A rollback of a citizen
// is kept in journal.db until then, so that one cut short by a logout or a crash (or queued by
// the headless program) runs at the next login.

#include <cstdint>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "journal/Journal.h"
#include "journal/JournalStore.h"
#include "journal/RollbackPlan.h"

namespace tv {

class Bot;
struct TMarkerRecord;
struct TTerrainCallback;
struct TTerrainCommand;

struct RollbackRun {
    uint32_t batch = 0;
    int32_t session = 0;    // told when it is done; 0 for the operator
    JournalCause actor;     // in whose name the cells are changed
    int32_t citizen = -1;   // whose changes are undone; -1 for a selection
    int64_t requestId = 0;  // its row in journal.db; 0 when not kept there
    int cells = 0;
    int changedMeanwhile = 0;  // cells someone else changed while the rollback waited
};

// A large rollback waiting for its user's confirmation.
struct RollbackConfirmation {
    int32_t session = 0;
    RollbackRequest request;
    int32_t until = 0;  // ClockSeconds
};

// The rollbacks of the world the bot is in: live from login (or clearing the cache) to logout.
class TRollbackBook final {
public:
    std::map<std::tuple<uint32_t, int32_t, int32_t>, CellTarget> targets;  // batch, x, z
    std::vector<RollbackRun> runs;
    std::vector<RollbackConfirmation> confirmations;

    const CellTarget* Target(uint32_t batch, int32_t x, int32_t z) const;
    RollbackRun* Run(uint32_t batch);
    const RollbackRun* Run(uint32_t batch) const;
    void Clear();
};

inline constexpr int kConfirmAbove = 50;        // cells a rollback may change unasked
inline constexpr int32_t kConfirmSeconds = 30;  // how long a confirmation waits

RollbackPlan PlanCitizenRollback(Bot& bot, const RollbackRequest& request);
RollbackPlan PlanSelectionRollback(Bot& bot, const std::vector<int64_t>& ids);
// Queues the plan's cells under a new batch; nothing for an empty plan. Returns the batch.
uint32_t StartRollback(Bot& bot, const RollbackPlan& plan, const RollbackRun& run);
// A citizen's rollback: kept in journal.db until it is done, and queued now when the bot is in
// a world (else at the next login). An empty plan leaves nothing behind. Returns the batch.
uint32_t StartCitizenRollback(Bot& bot, RollbackRequest request, const RollbackPlan& plan,
                              int32_t session);
// The selected entries rolled back for the operator (the bot must be in the world).
RollbackPlan SelectionRollback(Bot& bot, const std::vector<int64_t>& ids);

// The command step of a RESTORE command.
struct RestoreStep {
    enum class Kind { Sent, Nothing, Wait, Refused } kind = Kind::Nothing;
    int reason = 0;                      // Refused: the SDK's reason
    TTerrainCallback* record = nullptr;  // Sent: the pending request
};
RestoreStep RestoreCell(Bot& bot, const TTerrainCommand& command);
// Whether a cell whose restore was given up holds, as the world answered, what was wanted.
bool RestoreReached(const Bot& bot, uint32_t batch, int32_t x, int32_t z, bool standing,
                    const TMarkerRecord& marker);
// Every heartbeat: rollbacks with nothing left are reported done and leave journal.db.
void RollbackHousekeeping(Bot& bot);
// Login: the rollbacks journal.db keeps for this world are planned and queued again.
void ResumeRollbacks(Bot& bot);

}  // namespace tv
