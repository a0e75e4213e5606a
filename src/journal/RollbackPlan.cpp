#include "journal/RollbackPlan.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tv {

namespace {

struct CellWork {
    const JournalEntry* first = nullptr;  // the first change to undo
    const JournalEntry* last = nullptr;   // the latest entry that changed the cell's look
    bool changedSince = false;
    std::size_t order = 0;
};

}  // namespace

RollbackPlan PlanRollback(const std::vector<JournalEntry>& entries,
                          const std::function<bool(const JournalEntry&)>& undo) {
    std::map<std::pair<int32_t, int32_t>, CellWork> cells;
    std::size_t order = 0;
    for (const JournalEntry& entry : entries) {
        if (IsUndoAction(entry.action)) continue;
        CellWork& cell = cells[{entry.x, entry.z}];
        const bool ours = undo(entry);
        if (!cell.first) {
            if (!ours) continue;  // before the first change to undo: not our business
            cell.first = &entry;
            cell.order = order++;
        } else if (!ours) {
            cell.changedSince = true;
        }
        cell.last = &entry;
    }
    RollbackPlan plan;
    std::vector<std::pair<std::size_t, CellTarget>> targets;
    for (const auto& [key, cell] : cells) {
        if (!cell.first) continue;
        if (cell.changedSince) {
            ++plan.skipped;
            continue;
        }
        // Undone already (hidden, then shown again): nothing to put back.
        if (SameLook(cell.first->before, cell.last->after)) continue;
        targets.push_back(
            {cell.order, {key.first, key.second, cell.first->before, cell.last->after}});
    }
    std::sort(targets.begin(), targets.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& target : targets) plan.cells.push_back(std::move(target.second));
    return plan;
}

}  // namespace tv
