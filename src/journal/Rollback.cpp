// Rollbacks carried out: queued as RESTORE commands, each cell made what the plan says, and the
// user told once nothing of the rollback is left.

#include "journal/Rollback.h"

#include <algorithm>
#include <set>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

bool SameMarker(const MarkerState& a, const MarkerState& b) {
    return a.description == b.description && a.owner == b.owner && a.visible == b.visible &&
           a.height == b.height;
}

// The marker object of a target state, on its cell's anchor.
TMarkerRecord RecordOf(Bot& bot, int32_t x, int32_t z, const MarkerState& state) {
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    marker.CellX = x;
    marker.CellZ = z;
    marker.X = CellAnchor(x);
    marker.Z = CellAnchor(z);
    marker.Height = state.height;
    marker.Owner = state.owner;
    marker.Visible = state.visible;
    TerrainCacheExtractTexture(bot, state.description, marker.Texture, marker.Rotation,
                               marker.Hole);
    return marker;
}

TerrainState DefaultTerrain(const Bot& bot) {
    return {PackTerrain(false, 0, 0), bot.options.DefaultHeight};
}

bool Outstanding(Bot& bot, uint32_t batch) {
    for (auto* node = bot.world.commands.Head(); node; node = node->Next)
        if (node->Item->Batch == batch) return true;
    for (auto* node = bot.world.callbacks.Head(); node; node = node->Next)
        if (node->Item->Batch == batch) return true;
    return std::any_of(bot.world.reconcile.cells.begin(), bot.world.reconcile.cells.end(),
                       [batch](const TReconcileCell& cell) { return cell.Batch == batch; });
}

void Finished(Bot& bot, const RollbackRun& run) {
    if (run.session != 0 && bot.sessions.FindSession(run.session))
        Reply(bot, run.session, "%s", {bot.language[Added::rollback_finished_message]});
    std::string message = run.citizen >= 0
                              ? Format("Rollback of #%d finished: %d cell%s",
                                       {run.citizen, run.cells, run.cells == 1 ? "" : "s"})
                              : Format("Rollback of the selection finished: %d cell%s",
                                       {run.cells, run.cells == 1 ? "" : "s"});
    if (run.changedMeanwhile > 0)
        message += Format(", %d changed meanwhile and left", {run.changedMeanwhile});
    AddActivity(bot, ActivityCategory::Message, message, run.actor.citizen, run.actor.name);
    if (run.requestId != 0 && JournalOn(bot)) JournalDb(bot).RemoveRollback(run.requestId);
}

}  // namespace

const CellTarget* TRollbackBook::Target(uint32_t batch, int32_t x, int32_t z) const {
    const auto found = targets.find({batch, x, z});
    return found == targets.end() ? nullptr : &found->second;
}

RollbackRun* TRollbackBook::Run(uint32_t batch) {
    const auto found = std::find_if(runs.begin(), runs.end(),
                                    [batch](const RollbackRun& run) { return run.batch == batch; });
    return found == runs.end() ? nullptr : &*found;
}

const RollbackRun* TRollbackBook::Run(uint32_t batch) const {
    return const_cast<TRollbackBook*>(this)->Run(batch);
}

void TRollbackBook::Clear() {
    targets.clear();
    runs.clear();
    confirmations.clear();
}

RollbackPlan PlanCitizenRollback(Bot& bot, const RollbackRequest& request) {
    if (!JournalOn(bot)) return {};
    const std::vector<JournalEntry> entries =
        JournalDb(bot).CitizenCells(request.world, request.citizen, request.since, request.area);
    return PlanRollback(entries, [&](const JournalEntry& entry) {
        return entry.citizen == request.citizen && entry.time >= request.since;
    });
}

RollbackPlan PlanSelectionRollback(Bot& bot, const std::vector<int64_t>& ids) {
    if (!JournalOn(bot)) return {};
    const std::set<int64_t> selected(ids.begin(), ids.end());
    return PlanRollback(JournalDb(bot).SelectionCells(bot.options.Login.World, ids),
                        [&](const JournalEntry& entry) { return selected.count(entry.id) != 0; });
}

uint32_t StartRollback(Bot& bot, const RollbackPlan& plan, const RollbackRun& run) {
    if (plan.cells.empty()) return 0;
    TRollbackBook& book = bot.world.rollbacks;
    RollbackRun started = run;
    started.batch = NewCommandBatch(bot);
    started.cells = static_cast<int>(plan.cells.size());
    for (const CellTarget& cell : plan.cells) {
        book.targets[{started.batch, cell.x, cell.z}] = cell;
        TerrainQueueCommand(bot, cell.x, cell.z, CommandState::RESTORE, run.session, false, false,
                            0, 0, started.batch);
    }
    book.runs.push_back(started);
    const std::string whose =
        run.citizen >= 0 ? Format("#%d", {run.citizen}) : std::string("the selection");
    AddActivity(
        bot, ActivityCategory::Command,
        Format("Rolls back %s: %d cell%s", {whose, started.cells, started.cells == 1 ? "" : "s"}),
        run.actor.citizen, run.actor.name);
    return started.batch;
}

uint32_t StartCitizenRollback(Bot& bot, RollbackRequest request, const RollbackPlan& plan,
                              int32_t session) {
    if (!JournalOn(bot)) return 0;
    if (plan.cells.empty()) {
        if (request.id != 0) JournalDb(bot).RemoveRollback(request.id);
        return 0;
    }
    if (request.id == 0) request.id = JournalDb(bot).AddRollback(request);
    RollbackRun run;
    run.session = session;
    run.actor = {request.actor, request.actorName, JournalAction::Rollback};
    run.citizen = request.citizen;
    run.requestId = request.id;
    return StartRollback(bot, plan, run);
}

RollbackPlan SelectionRollback(Bot& bot, const std::vector<int64_t>& ids) {
    RollbackPlan plan = PlanSelectionRollback(bot, ids);
    RollbackRun run;
    run.actor = OperatorCause(bot, JournalAction::Rollback);
    StartRollback(bot, plan, run);
    return plan;
}

RestoreStep RestoreCell(Bot& bot, const TTerrainCommand& command) {
    const int32_t x = command.CellX, z = command.CellZ;
    TRollbackBook& book = bot.world.rollbacks;
    const CellTarget* target = book.Target(command.Batch, x, z);
    if (!target) return {};
    if (bot.cache.FindCell(x, z) == -1) {
        // Known cells only: after a restart the cache learns the cell first.
        TerrainQueueAddCell(bot, x, z, true);
        return {RestoreStep::Kind::Wait};
    }
    TMarkerRecord current;
    TerrainMarkerInit(current);
    bot.cache.ReadMarker(current, x, z, -1);
    const CellState now = JournalCellState(bot, x, z);
    const CellState& want = target->state;
    const TerrainState goal = want.terrain.value_or(DefaultTerrain(bot));
    const bool done = want.marker ? now.marker && SameMarker(*now.marker, *want.marker)
                                  : !now.marker && now.terrain == goal;
    if (done) return {};
    // Only the bot sets terrain, so a marker other than the one the plan saw is someone's
    // change since: it stays.
    if (!SameLook({now.marker, std::nullopt}, {target->expected.marker, std::nullopt})) {
        if (RollbackRun* run = book.Run(command.Batch)) ++run->changedMeanwhile;
        return {};
    }
    int reason = 0;
    if (want.marker) {
        TMarkerRecord wanted = RecordOf(bot, x, z, *want.marker);
        reason = TerrainMarkerLoad(bot, wanted);
    } else if (!now.marker) {
        TerrainCacheSetTerrain(bot, x, z, goal.value, goal.height);
        return {};
    } else {
        // The terrain becomes what the rollback sets, unless that is the default anyway.
        const bool keep = goal != DefaultTerrain(bot);
        reason = TerrainMarkerDelete(bot, current, keep, false);
        if (reason == 0 && keep) TerrainCacheSetTerrain(bot, x, z, goal.value, goal.height);
    }
    if (reason != 0) return {RestoreStep::Kind::Refused, reason};
    return {
        RestoreStep::Kind::Sent, 0,
        CallbackAdd(bot, command.AvatarSession, CallbackType::Restore, x, z, false, false, 0, 0)};
}

bool RestoreReached(const Bot& bot, uint32_t batch, int32_t x, int32_t z, bool standing,
                    const TMarkerRecord& marker) {
    const CellTarget* target = bot.world.rollbacks.Target(batch, x, z);
    if (!target) return true;
    const std::optional<MarkerState>& want = target->state.marker;
    if (!want) return !standing;
    return standing && marker.Owner == want->owner && marker.Visible == want->visible &&
           TerrainMarkerDescription(marker) == want->description;
}

void RollbackHousekeeping(Bot& bot) {
    TRollbackBook& book = bot.world.rollbacks;
    const int32_t now = bot.ClockSeconds();
    std::erase_if(book.confirmations,
                  [now](const RollbackConfirmation& waiting) { return waiting.until < now; });
    for (std::size_t i = 0; i < book.runs.size();) {
        const RollbackRun run = book.runs[i];
        if (Outstanding(bot, run.batch)) {
            ++i;
            continue;
        }
        book.runs.erase(book.runs.begin() + static_cast<long>(i));
        std::erase_if(book.targets, [&run](const auto& target) {
            return std::get<0>(target.first) == run.batch;
        });
        Finished(bot, run);
    }
}

void ResumeRollbacks(Bot& bot) {
    if (!JournalOn(bot)) return;
    try {
        for (const RollbackRequest& request : JournalDb(bot).Rollbacks(bot.options.Login.World))
            StartCitizenRollback(bot, request, PlanCitizenRollback(bot, request), 0);
    } catch (const std::exception& error) {
        JournalFailed(bot, error);
    }
}

}  // namespace tv
