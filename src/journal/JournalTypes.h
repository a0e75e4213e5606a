#pragma once
// What the journal records: one entry per change of one cell, with who caused it, how, and the
// cell before and after (its marker, if any, and its terrain, if known). Plain data shared by the
// store, the recorder, the rollback planner and the front ends.

#include <cstdint>
#include <optional>
#include <string>

namespace tv {

// How a change came about. Stored by name, so the numbers may change.
enum class JournalAction : uint8_t {
    Build,    // a user's marker built in the world and accepted
    Delete,   // a user's deletion in the world accepted, or the bot's for a delete command
    Seed,     // the bot planted a marker for a user's seed
    Texture,  // texture, hide, show, detach: the bot's change for a user's command or click
    Hide,
    Show,
    Detach,
    Correct,     // the bot's corrected copy of a misplaced or unreadable marker
    UndoBuild,   // a marker built without an enabled terrain session, deleted again
    UndoDelete,  // a marker deleted without an enabled terrain session, built again
    Rollback,    // the bot's change for a rollback
    Terrain,     // the bot set a cell's terrain on its own (no marker changed)
};
const char* JournalActionName(JournalAction action);
std::optional<JournalAction> JournalActionOf(const std::string& name);
// Undoing an unauthorised change leaves the cell as it was: such entries are neither a
// citizen's change to roll back nor a change that makes a cell someone else's since.
bool IsUndoAction(JournalAction action);

struct MarkerState {
    std::string description;  // "5", "12,90", "hole"
    int32_t owner = 0;
    bool visible = true;
    uint32_t number = 0;
    int32_t height = 0;
};

struct TerrainState {
    int32_t value = 0;
    int32_t height = 0;
    bool operator==(const TerrainState&) const = default;
};

struct CellState {
    std::optional<MarkerState> marker;    // none: the cell has no marker
    std::optional<TerrainState> terrain;  // none: not known to the bot
};
// Whether two states look alike in the world: the object number does not count, an unknown
// terrain matches any.
bool SameLook(const CellState& a, const CellState& b);
// Whether anything at all differs, the object number included.
bool SameState(const CellState& a, const CellState& b);

struct JournalEntry {
    int64_t id = 0;    // order of recording
    int64_t time = 0;  // Unix seconds, UTC
    std::string world;
    int32_t x = 0, z = 0;  // the cell
    int32_t citizen = 0;   // who caused it (a privilege number)
    std::string name;      // that user's avatar name, when known
    JournalAction action = JournalAction::Terrain;
    CellState before, after;
};

// A box of cells, both bounds included.
struct JournalArea {
    int32_t x0 = 0, x1 = 0, z0 = 0, z1 = 0;
    bool Contains(int32_t x, int32_t z) const { return x0 <= x && x <= x1 && z0 <= z && z <= z1; }
};

// A span of time in chat: digits and one of s, m, h, d ("90m", "2h", "3d"); seconds, or none
// for anything else (no sign, no blanks, at most ten years).
std::optional<int64_t> ParseSpan(const std::string& text);

// "5", "5 hidden", "hole", "none": a marker state as one short word or two.
std::string DescribeMarker(const std::optional<MarkerState>& marker);
// "yyyy-mm-dd hh:nn" in UTC.
std::string UtcMinuteText(int64_t unixSeconds);

}  // namespace tv
