// The area commands show, hide, delete and detach: one handler selects the cached marker cells
// in a box around the user (or the whole world) and queues one terrain command per cell.

#include <algorithm>
#include <cstdlib>

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/AreaSelection.h"
#include "commands/TerrainCommand.h"
#include "events/SessionTable.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int32_t kAroundUserBox = 2;

// Booleans in the debug log are written as the framework writes them: -1 and 0.
const char* BoolText(bool value) {
    return value ? "-1" : "0";
}

const char* ActivityVerb(CommandState state) {
    switch (state) {
        case CommandState::DELETE:
            return "Deletes";
        case CommandState::DETACH:
            return "Detaches";
        case CommandState::HIDE:
            return "Hides";
        case CommandState::SHOW:
            return "Shows";
        default:
            return "<invalid>";
    }
}

CommandState StateOfWord(const Bot& bot, const std::string& word) {
    if (SameText(word, bot.language[Lang::cmd_show])) return CommandState::SHOW;
    if (SameText(word, bot.language[Lang::cmd_hide])) return CommandState::HIDE;
    if (SameText(word, bot.language[Lang::cmd_delete])) return CommandState::DELETE;
    if (SameText(word, bot.language[Lang::cmd_detach])) return CommandState::DETACH;
    throw EFatalCommandError("Unknown command request");
}

// Only words 1 and 2 carry the ed and all arguments; later words are ignored.
bool ArgumentPresent(const CommandWords& words, const std::string& argument) {
    for (std::size_t i = 1; i <= 2 && i < words.size(); ++i) {
        if (SameText(words[i], argument)) return true;
    }
    return false;
}

void ReplyAreaResult(Bot& bot, const TTerrainSession& session, CommandState state, int count,
                     int32_t centreX, int32_t centreZ) {
    if (count == 0) {
        Reply(bot, session.session, "%s", {bot.language[Lang::no_cells_message]});
        return;
    }
    if (bot.options.Flag(OptionFlag::UseSectorBox)) {
        int32_t sx = SectorOf(centreX);
        int32_t sz = SectorOf(centreZ);
        Reply(bot, session.session, "%d %s (%d, %d) (%d%s %d%s)",
              {count, bot.language[Lang::sector_processed_message], sz, sx, std::abs(sz),
               sz < 0 ? "S" : "N", std::abs(sx), sx < 0 ? "E" : "W"});
    } else {
        Reply(bot, session.session, "%d %s", {count, bot.language[Lang::cells_processed_message]});
    }
    AddActivity(bot, ActivityCategory::Command,
                Format("%s %d cell%s", {ActivityVerb(state), count, count == 1 ? "" : "s"}),
                session.privilege, session.name);
}

}  // namespace

CellBox AreaCommandBox(const Bot& bot, int32_t cellX, int32_t cellZ, int32_t boxSize) {
    CellBox box;
    if (bot.options.Flag(OptionFlag::UseSectorBox)) {
        int64_t originX = SectorOrigin(SectorOf(cellX));
        int64_t originZ = SectorOrigin(SectorOf(cellZ));
        box.x0 = originX - 5;
        box.x1 = originX + 5;
        box.z0 = originZ - 5;
        box.z1 = originZ + 5;
        return box;
    }
    box.x0 = static_cast<int64_t>(cellX) - boxSize;
    box.x1 = static_cast<int64_t>(cellX) + boxSize;
    box.z0 = static_cast<int64_t>(cellZ) - boxSize;
    box.z1 = static_cast<int64_t>(cellZ) + boxSize;
    return box;
}

std::vector<MarkedCell> MarkedCellsInBox(const Bot& bot, const CellBox& box) {
    std::vector<MarkedCell> cells;
    const int64_t worldSize = bot.worldSize;
    // Rows outside the world, or beyond the rows the cache can hold, are never selected, so the
    // walk skips them outright.
    const int64_t zFirst = std::max({box.z0, -worldSize, int64_t{kMinCacheRow}});
    const int64_t zLast = std::min({box.z1, worldSize, int64_t{kMaxCacheRow}});
    for (int64_t z = zFirst; z <= zLast; ++z) {
        const TTerrainCacheZ* row = bot.cache.FindRow(static_cast<int32_t>(z));
        if (!row) continue;
        for (const TTerrainCacheX& entry : row->Entries) {
            if (entry.Id == 0) continue;
            if (entry.X < box.x0 || entry.X > box.x1) continue;
            cells.push_back({entry.X, static_cast<int32_t>(z), entry.Owner});
        }
    }
    return cells;
}

int TerrainCacheAreaCommand(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum, uint8_t state,
                            int32_t boxSize, int32_t session, bool ignoreCitnum) {
    int count = 0;
    const uint32_t batch = NewCommandBatch(bot);
    for (const MarkedCell& cell :
         MarkedCellsInBox(bot, AreaCommandBox(bot, cellX, cellZ, boxSize))) {
        if (!ignoreCitnum && cell.owner != citNum) continue;
        TerrainQueueCommand(bot, cell.x, cell.z, static_cast<CommandState>(state), session, false,
                            false, 0, 0, batch);
        ++count;
    }
    return count;
}

void DoShowHideCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    const bool parmED = ArgumentPresent(words, bot.language[Lang::cmd_ed]);
    const bool parmAll = ArgumentPresent(words, bot.language[Lang::cmd_all]);
    const bool hasED = bot.sdk.aw_has_world_right(session.privilege, right::EminentDomain) != 0;

    for (const std::string& word : words) {
        DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: arg: \"%s\"", {word});
    }
    DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: parmED: %s, parmAll: %s, hasED: %s",
             {BoolText(parmED), BoolText(parmAll), BoolText(hasED)});

    if (parmED && !hasED) {
        Reply(bot, session.session, "%s", {bot.language[Lang::no_ed_message]});
        return;
    }
    if (!RequireNothingPending(bot, session)) return;
    const CommandState state = StateOfWord(bot, words.empty() ? std::string() : words[0]);

    // The all word in place 1 reads as no number and so leaves the user's own.
    int32_t citNum = session.privilege;
    if (!parmED && words.size() >= 2 && !ParseCitNum(bot, session, words[1], citNum)) return;

    int32_t centreX = 0;
    int32_t centreZ = 0;
    int32_t boxSize = bot.worldSize;
    if (!parmAll) {
        centreX = WorldToCell(session.x, true);
        centreZ = WorldToCell(session.z, true);
        boxSize = kAroundUserBox;
    }
    const bool ignoreCitnum = parmED;

    DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: citNum = %d", {citNum});
    DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: CenterCell = (%d, %d)",
             {centreX, centreZ});
    DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: BoxSize = %d", {boxSize});
    DebugLog(bot, DebugCategory::Command, "DoShowHideCommand: IgnoreCitnum = %s",
             {BoolText(ignoreCitnum)});

    int count = TerrainCacheAreaCommand(bot, centreX, centreZ, citNum, static_cast<uint8_t>(state),
                                        boxSize, session.session, ignoreCitnum);
    ReplyAreaResult(bot, session, state, count, centreX, centreZ);
}

}  // namespace tv
