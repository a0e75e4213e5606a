#include "journal/RollbackPlan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tv::test {
namespace {

// "none", "5#7" (texture 5 of citizen 7), "5#7h" (hidden), each optionally "@value/height".
CellState State(const std::string& text) {
    CellState state;
    const std::size_t at = text.find('@');
    const std::string marker = text.substr(0, at);
    if (marker != "none") {
        const std::size_t hash = marker.find('#');
        MarkerState m;
        m.description = marker.substr(0, hash);
        m.owner = std::stoi(marker.substr(hash + 1));
        m.visible = marker.back() != 'h';
        state.marker = m;
    }
    if (at != std::string::npos) {
        const std::size_t slash = text.find('/', at);
        state.terrain = TerrainState{std::stoi(text.substr(at + 1, slash - at - 1)),
                                     std::stoi(text.substr(slash + 1))};
    }
    return state;
}

std::string Text(const CellState& state) {
    std::string text = "none";
    if (state.marker)
        text = state.marker->description + "#" + std::to_string(state.marker->owner) +
               (state.marker->visible ? "" : "h");
    if (state.terrain)
        text += "@" + std::to_string(state.terrain->value) + "/" +
                std::to_string(state.terrain->height);
    return text;
}

struct Row {
    int32_t x;  // cell x; every cell has z 0
    int32_t citizen;
    JournalAction action;
    const char* before;
    const char* after;
};

// Cells put back, the state before the first change, cells changed since by others skipped and a
// planted marker removed: journal_rollback.scn.
TEST(RollbackPlan, UndoneChangesAndUndoingTheUnauthorisedAreNobodysAndCellsKeepTheirOrder) {
    using A = JournalAction;
    struct Case {
        const char* label;
        std::vector<Row> rows;             // oldest first; citizen 9's changes are undone
        std::vector<std::string> targets;  // "x:state", in the order of the first change
    };
    const std::vector<Case> cases = {
        {"undoing an unauthorised change is nobody's change",
         {{0, 9, A::Hide, "5#7", "5#7h"},
          {0, 5, A::UndoDelete, "5#7h", "none"},
          {0, 5, A::UndoDelete, "none", "5#7h"}},
         {"0:5#7"}},
        {"a change undone already needs nothing",
         {{0, 9, A::Hide, "5#7", "5#7h"}, {0, 9, A::Show, "5#7h", "5#7"}},
         {}},
        {"cells in the order of their first change",
         {{4, 9, A::Texture, "1#9", "2#9"},
          {2, 9, A::Detach, "3#9@3/0", "none@3/0"},
          {4, 9, A::Texture, "2#9", "7#9"}},
         {"4:1#9", "2:3#9@3/0"}},
    };
    for (const Case& c : cases) {
        std::vector<JournalEntry> entries;
        for (const Row& row : c.rows) {
            JournalEntry entry;
            entry.id = static_cast<int64_t>(entries.size()) + 1;
            entry.x = row.x;
            entry.citizen = row.citizen;
            entry.action = row.action;
            entry.before = State(row.before);
            entry.after = State(row.after);
            entries.push_back(entry);
        }
        const RollbackPlan plan =
            PlanRollback(entries, [](const JournalEntry& entry) { return entry.citizen == 9; });
        std::vector<std::string> targets;
        for (const CellTarget& cell : plan.cells)
            targets.push_back(std::to_string(cell.x) + ":" + Text(cell.state));
        EXPECT_EQ(targets, c.targets) << c.label;
        EXPECT_EQ(plan.skipped, 0) << c.label;
    }
}

TEST(JournalTypes, SpansOfChat) {
    const std::vector<std::pair<std::string, int64_t>> cases = {
        {"45s", 45}, {"90m", 5400}, {"2h", 7200}, {"3d", 259200}, {"0h", -1},           {"h", -1},
        {"2x", -1},  {"-2h", -1},   {"2 h", -1},  {"3651d", -1},  {"3650d", 315360000},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(ParseSpan(text).value_or(-1), seconds) << text;
}

}  // namespace
}  // namespace tv::test
