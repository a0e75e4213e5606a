#pragma once
// The terrain journal as the bot keeps it. Every change of a marker or a cell's terrain that the
// world reports (object-add and object-delete events at the marker intake) or that the bot makes
// (a terrain set) is taken down with its cause, cell by cell; a cell's changes of one cause within
// a heartbeat make one entry (a marker changed by the world arrives as a deletion and an
// addition), and the heartbeat's entries are written in one transaction. The bot's own requests
// reach the world later, so the command step, the seed and the undoing of a deletion leave their
// cause on the cell for the events that follow. A journal that cannot be opened or written gives
// one Error entry and the bot goes on without it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "journal/JournalStore.h"
#include "journal/JournalTypes.h"
#include "journal/JournalWriter.h"

namespace tv {

class Bot;
struct TMarkerRecord;
struct TTerrainCommand;
struct TTerrainSession;

struct JournalCause {
    int32_t citizen = 0;
    std::string name;
    JournalAction action = JournalAction::Terrain;
    bool operator==(const JournalCause&) const = default;
};

class TJournal final {
public:
    TJournal();
    ~TJournal();
    TJournal(const TJournal&) = delete;
    TJournal& operator=(const TJournal&) = delete;

    // Null while the journal is off (switched off, or it failed).
    std::unique_ptr<JournalWriter> writer;

    struct Pending {
        JournalCause cause;
        int64_t time = 0;
        CellState before, after;
        uint64_t order = 0;
        int32_t x = 0, z = 0;
    };
    struct Intent {
        JournalCause cause;
        int32_t until = 0;  // ClockSeconds
    };
    std::unordered_map<uint64_t, Pending> pending;            // cells changed this heartbeat
    std::vector<std::pair<uint64_t, JournalEntry>> finished;  // waiting for the transaction
    std::unordered_map<uint64_t, Intent> intents;  // what the bot's next events in a cell mean
    std::unordered_map<uint64_t, std::optional<TerrainState>> terrain;  // as the bot knows it
    // The cells journal.db holds entries for (read once a world), so that the first sight of
    // an empty cell asks the file only when there is something to find.
    std::optional<std::unordered_set<uint64_t>> journaled;
    std::unordered_map<int32_t, std::pair<int32_t, std::string>> actors;  // session: who queued
    uint64_t nextOrder = 0;
    int64_t prunedAt = 0;         // Unix seconds of the last pruning
    int32_t intentsPrunedAt = 0;  // ClockSeconds when gone-by intents were last dropped
};

// Opens journal.db unless JournalKeepDays is 0, then drops entries older than that many days.
void JournalOpen(Bot& bot);
bool JournalOn(const Bot& bot);
// journal.db for a query, once every entry handed to the writer is in it; the journal is on.
JournalStore& JournalDb(Bot& bot);
// The rest of the heartbeat's entries, handed to the writer for one transaction; a failed
// write reported; finished rollbacks told; daily pruning. Also run when a logout has taken in the
// world's last events.
void JournalFlush(Bot& bot);
// Login and cache clearing: what the bot knew of the cells' terrain and intents goes.
void JournalResetWorld(Bot& bot);
// The journal failed: one Error entry, then it is off.
void JournalFailed(Bot& bot, const std::exception& error);

// The cause of the bot's own changes for the operator (no user asked).
JournalCause OperatorCause(const Bot& bot, JournalAction action);
// The cell's state as the cache and the terrain set last show it.
CellState JournalCellState(Bot& bot, int32_t x, int32_t z);
// The cause the bot's next events in the cell are taken for.
void JournalIntent(Bot& bot, int32_t x, int32_t z, const JournalCause& cause);

// The marker intake's one call each: the event the intake is handling, from before it acts to
// when it is done.
class JournalEventScope final {
public:
    // An object-add event (a cell query's report changes nothing in the world), with the
    // object's rotation.
    JournalEventScope(Bot& bot, const TMarkerRecord& marker, bool live, int32_t yaw, int32_t tilt,
                      int32_t roll);
    // An object-delete event.
    JournalEventScope(Bot& bot, int32_t cellX, int32_t cellZ, int32_t id);
    ~JournalEventScope();
    JournalEventScope(const JournalEventScope&) = delete;
    JournalEventScope& operator=(const JournalEventScope&) = delete;

private:
    void Open(const JournalCause& cause);
    Bot* bot_ = nullptr;  // null: nothing to take down
    int32_t x_ = 0, z_ = 0;
    CellState before_;
    bool rollback_ = false;
};

// A terrain set the world accepted.
void JournalTerrainSet(Bot& bot, int32_t x, int32_t z, int32_t value, int32_t height);
// A command queued: who asked, kept for when it runs (the user may have left by then).
void JournalCommandQueued(Bot& bot, const TTerrainCommand& command);
// A command about to run: its cause for the events it brings.
void JournalCommandStep(Bot& bot, const TTerrainCommand& command);
// A seed about to be planted in the cell.
void JournalSeed(Bot& bot, const TTerrainSession& session, int32_t x, int32_t z);

}  // namespace tv
