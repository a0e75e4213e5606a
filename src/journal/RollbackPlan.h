#pragma once
// What a rollback must make of each cell, worked out from journal entries alone (no SQLite, no
// world): every cell where the changes to undo happened goes back to its state before the first
// of them, unless someone else changed it afterwards (the cell is then skipped and counted), or
// it already looks that way.

#include <cstdint>
#include <functional>
#include <vector>

#include "journal/JournalTypes.h"

namespace tv {

struct CellTarget {
    int32_t x = 0, z = 0;
    CellState state;     // the cell as it must become
    CellState expected;  // the cell as the journal last saw it
};

struct RollbackPlan {
    std::vector<CellTarget> cells;  // in the order their first change to undo was made
    int skipped = 0;                // cells changed since by someone else
};

// `entries`: oldest first, any cells mixed, every entry of each cell from the first change to
// undo on. `undo`: whether an entry is one of the changes to undo.
RollbackPlan PlanRollback(const std::vector<JournalEntry>& entries,
                          const std::function<bool(const JournalEntry&)>& undo);

}  // namespace tv
