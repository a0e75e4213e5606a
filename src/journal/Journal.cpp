// The journal's recorder: causes, cell states before and after, and the heartbeat's transaction.

#include "journal/Journal.h"

#include <algorithm>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "journal/Rollback.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int64_t kDaySeconds = 86400;
// The bot's request and the world's answer to it are this close at most: a request unanswered
// for 10 seconds is sent again, and with it its cause.
constexpr int32_t kIntentSeconds = 3 * kCallbackTimeoutSeconds;
constexpr const char* kBotName = "Terravane";

uint64_t CellKey64(int32_t x, int32_t z) {
    return (uint64_t{static_cast<uint32_t>(x)} << 32) | static_cast<uint32_t>(z);
}

MarkerState MarkerStateOf(const TMarkerRecord& marker) {
    return {TerrainMarkerDescription(marker), marker.Owner, marker.Visible, marker.Number,
            marker.Height};
}

JournalCause BotCause(const Bot& bot, JournalAction action) {
    return {bot.options.Login.CitizenNumber, kBotName, action};
}

JournalCause SessionCause(const TTerrainSession& session, JournalAction action) {
    return {session.privilege, session.name, action};
}

// A marker event whose actor is a user: that user's citizen, or nobody known.
JournalCause UserCause(Bot& bot, int32_t actor, JournalAction action) {
    if (const TTerrainSession* session = bot.sessions.FindSession(actor))
        return SessionCause(*session, action);
    return {0, "", action};
}

std::optional<JournalCause> IntentOf(Bot& bot, int32_t x, int32_t z) {
    const auto found = bot.journal.intents.find(CellKey64(x, z));
    if (found == bot.journal.intents.end() || found->second.until < bot.ClockSeconds())
        return std::nullopt;
    return found->second.cause;
}

// The bot's own event: the cause it left on the cell, else its own doing (a correction of a
// marker a cell query reported is the one change the bot makes unasked).
JournalCause BotEventCause(Bot& bot, int32_t x, int32_t z, JournalAction fallback) {
    if (std::optional<JournalCause> intent = IntentOf(bot, x, z)) return *intent;
    return BotCause(bot, fallback);
}

void Finish(Bot& bot, const TJournal::Pending& pending) {
    if (SameState(pending.before, pending.after)) return;
    JournalEntry entry;
    entry.time = pending.time;
    entry.world = bot.options.Login.World;
    entry.x = pending.x;
    entry.z = pending.z;
    entry.citizen = pending.cause.citizen;
    entry.name = pending.cause.name;
    entry.action = pending.cause.action;
    entry.before = pending.before;
    entry.after = pending.after;
    bot.journal.finished.emplace_back(pending.order, std::move(entry));
}

// The cell's entry of this heartbeat under `cause`; a change of cause closes the one before.
TJournal::Pending& OpenCell(Bot& bot, int32_t x, int32_t z, const JournalCause& cause) {
    TJournal& journal = bot.journal;
    const uint64_t key = CellKey64(x, z);
    auto found = journal.pending.find(key);
    if (found != journal.pending.end()) {
        if (found->second.cause == cause) return found->second;
        Finish(bot, found->second);
        journal.pending.erase(found);
    }
    const CellState now = JournalCellState(bot, x, z);
    TJournal::Pending pending{cause, bot.clock.UnixNow(), now, now, journal.nextOrder++, x, z};
    return journal.pending.emplace(key, std::move(pending)).first->second;
}

// Runs a recorder step; a journal that fails on the way is switched off, never the caller.
template <typename F>
void Guarded(Bot& bot, F&& step) {
    if (!JournalOn(bot)) return;
    try {
        step();
    } catch (const std::exception& error) {
        JournalFailed(bot, error);
    }
}

}  // namespace

TJournal::TJournal() = default;
TJournal::~TJournal() = default;

bool JournalOn(const Bot& bot) {
    return bot.journal.writer != nullptr;
}

JournalStore& JournalDb(Bot& bot) {
    return bot.journal.writer->Idle();
}

void JournalOpen(Bot& bot) {
    bot.journal.writer.reset();
    if (bot.options.JournalKeepDays <= 0) return;
    try {
        auto store = std::make_unique<JournalStore>(bot.workDir, true);
        bot.journal.prunedAt = bot.clock.UnixNow();
        store->Prune(bot.journal.prunedAt - bot.options.JournalKeepDays * kDaySeconds);
        bot.journal.writer = std::make_unique<JournalWriter>(std::move(store));
    } catch (const std::exception& error) {
        AddActivity(bot, ActivityCategory::Error,
                    Format("Unable to open the terrain journal (%s); changes are not journaled",
                           {error.what()}));
    }
}

void JournalFailed(Bot& bot, const std::exception& error) {
    if (!JournalOn(bot)) return;
    bot.journal.writer.reset();
    bot.journal.pending.clear();
    bot.journal.finished.clear();
    AddActivity(bot, ActivityCategory::Error,
                Format("Unable to write the terrain journal (%s); changes are no longer journaled",
                       {error.what()}));
}

void JournalFlush(Bot& bot) {
    Guarded(bot, [&] {
        TJournal& journal = bot.journal;
        for (const auto& [key, pending] : journal.pending) Finish(bot, pending);
        journal.pending.clear();
        std::sort(journal.finished.begin(), journal.finished.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<JournalEntry> entries;
        entries.reserve(journal.finished.size());
        for (auto& [order, entry] : journal.finished) {
            if (journal.journaled) journal.journaled->insert(CellKey64(entry.x, entry.z));
            entries.push_back(std::move(entry));
        }
        journal.finished.clear();
        // A write of an earlier heartbeat that failed ends the journal here.
        if (const std::string error = journal.writer->TakeError(); !error.empty())
            throw ESqliteError(error);
        journal.writer->Submit(std::move(entries));
        const int64_t now = bot.clock.UnixNow();
        if (now - journal.prunedAt >= kDaySeconds) {
            journal.prunedAt = now;
            JournalDb(bot).Prune(now - bot.options.JournalKeepDays * kDaySeconds);
        }
    });
    Guarded(bot, [&] { RollbackHousekeeping(bot); });
    // Intents last seconds; those gone by are dropped now and then, so that the map holds only
    // the cells the bot is changing rather than every cell it ever changed.
    TJournal& journal = bot.journal;
    const int32_t seconds = bot.ClockSeconds();
    if (seconds - journal.intentsPrunedAt >= kIntentSeconds || seconds < journal.intentsPrunedAt) {
        journal.intentsPrunedAt = seconds;
        std::erase_if(journal.intents,
                      [&](const auto& intent) { return intent.second.until < seconds; });
    }
}

void JournalResetWorld(Bot& bot) {
    TJournal& journal = bot.journal;
    journal.intents.clear();
    journal.terrain.clear();
    journal.journaled.reset();
    journal.actors.clear();
}

JournalCause OperatorCause(const Bot& bot, JournalAction action) {
    return {bot.options.Login.CitizenNumber, "operator", action};
}

static const std::unordered_set<uint64_t>& JournaledCells(Bot& bot) {
    std::optional<std::unordered_set<uint64_t>>& cells = bot.journal.journaled;
    if (!cells) {
        cells.emplace();
        for (const auto& [x, z] : JournalDb(bot).JournaledCells(bot.options.Login.World))
            cells->insert(CellKey64(x, z));
    }
    return *cells;
}

// The cell's marker as the cache holds it, read into `marker`.
static std::optional<MarkerState> CachedMarker(Bot& bot, int32_t x, int32_t z,
                                               TMarkerRecord& marker) {
    TerrainMarkerInit(marker);
    const TTerrainCacheX* entry = bot.cache.Entry(x, z);
    if (entry && entry->HasMarker && bot.cache.ReadMarker(marker, x, z, -1) != -1 && marker.Id != 0)
        return MarkerStateOf(marker);
    return std::nullopt;
}

CellState JournalCellState(Bot& bot, int32_t x, int32_t z) {
    CellState state;
    TMarkerRecord marker;
    state.marker = CachedMarker(bot, x, z, marker);
    const uint64_t key = CellKey64(x, z);
    auto known = bot.journal.terrain.find(key);
    if (known == bot.journal.terrain.end()) {
        // First sight of the cell: the bot keeps terrain and marker together, so a marker tells
        // the terrain; an empty cell has what the journal last left there.
        std::optional<TerrainState> terrain;
        if (state.marker)
            terrain = TerrainState{PackTerrain(marker.Hole, marker.Texture, marker.Rotation),
                                   marker.Height};
        else if (JournalOn(bot) && JournaledCells(bot).count(key))
            terrain = JournalDb(bot).LastTerrain(bot.options.Login.World, x, z);
        known = bot.journal.terrain.emplace(key, terrain).first;
    }
    state.terrain = known->second;
    return state;
}

void JournalIntent(Bot& bot, int32_t x, int32_t z, const JournalCause& cause) {
    bot.journal.intents[CellKey64(x, z)] = {cause, bot.ClockSeconds() + kIntentSeconds};
}

JournalEventScope::JournalEventScope(Bot& bot, const TMarkerRecord& marker, bool live, int32_t yaw,
                                     int32_t tilt, int32_t roll) {
    if (!live || !JournalOn(bot) || !InCacheRows(marker.CellZ)) return;
    Guarded(bot, [&] {
        const int32_t actor = bot.sdk.aw_int(attr::ObjectSession);
        x_ = marker.CellX;
        z_ = marker.CellZ;
        if (actor == bot.sdk.aw_session()) {
            bot_ = &bot;
            Open(BotEventCause(bot, x_, z_, JournalAction::Correct));
            return;
        }
        const TTerrainSession* session = bot.sessions.FindSession(actor);
        if (session && !session->enabled) {
            // The intake deletes the object at once; the cell itself does not change.
            const CellState cell = JournalCellState(bot, x_, z_);
            JournalEntry entry;
            entry.time = bot.clock.UnixNow();
            entry.world = bot.options.Login.World;
            entry.x = x_;
            entry.z = z_;
            entry.citizen = session->privilege;
            entry.name = session->name;
            entry.action = JournalAction::UndoBuild;
            entry.before.marker = MarkerStateOf(marker);
            entry.before.terrain = entry.after.terrain = cell.terrain;
            bot.journal.finished.emplace_back(bot.journal.nextOrder++, std::move(entry));
            return;
        }
        bot_ = &bot;
        const JournalCause cause = UserCause(bot, actor, JournalAction::Build);
        // A misplaced or unreadable marker comes back as the bot's corrected copy: the user's.
        TMarkerRecord corrected;
        if (!TerrainMarkerCorrect(marker, corrected, yaw, tilt, roll))
            JournalIntent(bot, x_, z_, {cause.citizen, cause.name, JournalAction::Correct});
        Open(cause);
    });
}

JournalEventScope::JournalEventScope(Bot& bot, int32_t cellX, int32_t cellZ, int32_t id) {
    if (!JournalOn(bot) || !InCacheRows(cellZ)) return;
    Guarded(bot, [&] {
        x_ = cellX;
        z_ = cellZ;
        bot_ = &bot;
        const int32_t actor = bot.sdk.aw_int(attr::ObjectSession);
        if (actor == bot.sdk.aw_session()) {
            Open(BotEventCause(bot, x_, z_, JournalAction::Delete));
            return;
        }
        const TTerrainSession* session = bot.sessions.FindSession(actor);
        const TTerrainCacheX* entry = bot.cache.Entry(x_, z_);
        const bool refused = session && !session->enabled && entry && entry->HasMarker &&
                             entry->Id == id && !entry->ChangePending;
        if (!refused) {
            Open(UserCause(bot, actor, JournalAction::Delete));
            return;
        }
        // The intake builds the marker again: that addition belongs to this entry's story.
        const JournalCause cause = SessionCause(*session, JournalAction::UndoDelete);
        JournalIntent(bot, x_, z_, cause);
        Open(cause);
    });
}

void JournalEventScope::Open(const JournalCause& cause) {
    rollback_ = cause.action == JournalAction::Rollback;
    before_ = OpenCell(*bot_, x_, z_, cause).after;
}

JournalEventScope::~JournalEventScope() {
    if (!bot_) return;
    Bot& bot = *bot_;
    Guarded(bot, [&] {
        auto found = bot.journal.pending.find(CellKey64(x_, z_));
        if (found == bot.journal.pending.end()) return;
        found->second.after = JournalCellState(bot, x_, z_);
        // The world has answered the rollback's request for this cell.
        if (rollback_ && !SameState(before_, found->second.after))
            CallbackDelete(bot, x_, z_, CallbackType::Restore);
    });
}

void JournalTerrainSet(Bot& bot, int32_t x, int32_t z, int32_t value, int32_t height) {
    Guarded(bot, [&] {
        const uint64_t key = CellKey64(x, z);
        TJournal& journal = bot.journal;
        auto open = journal.pending.find(key);
        TJournal::Pending& pending =
            open != journal.pending.end()
                ? open->second
                : OpenCell(bot, x, z,
                           IntentOf(bot, x, z).value_or(BotCause(bot, JournalAction::Terrain)));
        std::optional<TerrainState>& known = journal.terrain[key];
        known = TerrainState{value, height};
        TMarkerRecord marker;
        pending.after = CellState{CachedMarker(bot, x, z, marker), known};
    });
}

void JournalCommandQueued(Bot& bot, const TTerrainCommand& command) {
    if (!JournalOn(bot) || command.AvatarSession == 0) return;
    if (const TTerrainSession* session = bot.sessions.FindSession(command.AvatarSession))
        bot.journal.actors[command.AvatarSession] = {session->privilege, session->name};
}

void JournalCommandStep(Bot& bot, const TTerrainCommand& command) {
    if (!JournalOn(bot)) return;
    JournalAction action = JournalAction::Rollback;
    switch (command.State) {
        case CommandState::DELETE:
            action = JournalAction::Delete;
            break;
        case CommandState::DETACH:
            action = JournalAction::Detach;
            break;
        case CommandState::HIDE:
            action = JournalAction::Hide;
            break;
        case CommandState::SHOW:
            action = JournalAction::Show;
            break;
        case CommandState::TEXTURE:
            action = JournalAction::Texture;
            break;
        case CommandState::RESTORE:
            if (const RollbackRun* run = bot.world.rollbacks.Run(command.Batch)) {
                JournalIntent(bot, command.CellX, command.CellZ, run->actor);
                return;
            }
            break;
        default:
            return;
    }
    JournalCause cause = OperatorCause(bot, action);
    const auto known = bot.journal.actors.find(command.AvatarSession);
    if (known != bot.journal.actors.end()) {
        cause.citizen = known->second.first;
        cause.name = known->second.second;
    } else if (command.AvatarSession != 0) {
        cause = UserCause(bot, command.AvatarSession, action);
    }
    JournalIntent(bot, command.CellX, command.CellZ, cause);
}

void JournalSeed(Bot& bot, const TTerrainSession& session, int32_t x, int32_t z) {
    if (JournalOn(bot)) JournalIntent(bot, x, z, SessionCause(session, JournalAction::Seed));
}

}  // namespace tv
