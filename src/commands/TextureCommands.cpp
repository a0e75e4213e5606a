// The texture, seed and click-mode commands: paint the user's cells, plant a marker where the
// user stands, and choose what a click on a marker does.

#include "app/ActivityLog.h"
#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "commands/AreaSelection.h"
#include "commands/TerrainCommand.h"
#include "events/SessionTable.h"
#include "journal/Journal.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int32_t kAroundUserBox = 2;
// Fixed words, not from the language file.
constexpr const char* kAllWord = "all";
constexpr const char* kAsWord = "as";

std::string ClickModeName(const Bot& bot, uint8_t mode) {
    switch (static_cast<CommandState>(mode)) {
        case CommandState::DELETE:
            return bot.language[Lang::cmd_delete];
        case CommandState::DETACH:
            return bot.language[Lang::cmd_detach];
        case CommandState::HIDE:
            return bot.language[Lang::cmd_hide];
        case CommandState::SHOW:
            return bot.language[Lang::cmd_show];
        case CommandState::TEXTURE:
            return bot.language[Lang::cmd_texture];
        default:
            return "<invalid>";
    }
}

void ReplySeeded(Bot& bot, const TTerrainSession& session, int32_t owner,
                 const std::string& where) {
    if (owner == session.privilege) {
        Reply(bot, session.session, "%s %s", {bot.language[Lang::new_marker_seed_message], where});
    } else {
        Reply(bot, session.session, "%s %s %s%d",
              {bot.language[Lang::new_marker_seed_message], where,
               bot.language[Lang::new_marker_seed_as_message], owner});
    }
}

}  // namespace

int TerrainCacheAreaTexture(Bot& bot, int32_t cellX, int32_t cellZ, int32_t citNum,
                            uint16_t rotation, int32_t texture, bool hole, int32_t session,
                            int32_t boxSize) {
    int count = 0;
    const uint32_t batch = NewCommandBatch(bot);
    for (const MarkedCell& cell :
         MarkedCellsInBox(bot, AreaCommandBox(bot, cellX, cellZ, boxSize))) {
        // Painting is always limited to the user's own markers.
        if (cell.owner != citNum) continue;
        TerrainQueueCommand(bot, cell.x, cell.z, CommandState::TEXTURE, session, false, hole,
                            texture, rotation, batch);
        ++count;
    }
    return count;
}

void DoTextureCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    // Two blanks leave an empty texture word, which would read as texture 0.
    if (words.size() < 2 || words[1].empty()) {
        Reply(bot, session.session, "%s", {bot.language[Lang::texture_error]});
        return;
    }
    int32_t texture = 0;
    uint16_t rotation = 0;
    bool hole = false;
    // Unreadable or out-of-range text paints the reader's fall-back texture.
    TerrainCacheExtractTexture(bot, words[1], texture, rotation, hole);

    int32_t boxSize = kAroundUserBox;
    if (words.size() >= 3 && SameText(words[2], kAllWord)) boxSize = bot.worldSize;
    const int32_t centreX = WorldToCell(session.x, true);
    const int32_t centreZ = WorldToCell(session.z, true);

    int count = TerrainCacheAreaTexture(bot, centreX, centreZ, session.privilege, rotation, texture,
                                        hole, session.session, boxSize);
    Reply(bot, session.session, "%d %s", {count, bot.language[Lang::cells_processed_message]});
}

void DoSeedCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    int32_t owner = session.privilege;
    const bool hasED = bot.sdk.aw_has_world_right(session.privilege, right::EminentDomain) != 0;
    if (hasED && words.size() >= 3 && SameText(words[1], kAsWord)) {
        if (!ParseCitNum(bot, session, words[2], owner)) return;
    }

    TMarkerRecord marker;
    TerrainCacheMarkerDefine(bot, marker, session.x, session.y, session.z, 0, "", "", owner, 0, 0);
    if (!InWorldRange(marker.CellZ, bot.worldSize) || !InWorldRange(marker.CellX, bot.worldSize)) {
        Reply(bot, session.session, "%s", {bot.language[Lang::seed_building_error]});
        return;
    }
    marker.X = CellAnchor(marker.CellX);
    marker.Z = CellAnchor(marker.CellZ);
    const std::string where = CoordText(marker.X, marker.Z, 0, 0);

    if (bot.cache.FindCell(marker.CellX, marker.CellZ) < 0) {
        // The cell's markers are unknown: ask the world first; the user may seed again then.
        TerrainQueueAddCell(bot, marker.CellX, marker.CellZ, true);
        AddActivity(bot, ActivityCategory::Error,
                    Format("Seed request failed: unknown cell '%s'", {where}), session.privilege,
                    session.name);
        Reply(bot, session.session, "%s", {bot.language[Lang::awaiting_query_error]});
        return;
    }
    const TTerrainCacheX* entry = bot.cache.Entry(marker.CellX, marker.CellZ);
    if (entry && entry->Id != 0 && entry->Owner != owner) {
        Reply(bot, session.session, "%s", {bot.language[Lang::seed_encroachment_error]});
        return;
    }

    JournalSeed(bot, session, marker.CellX, marker.CellZ);
    int result = TerrainMarkerLoad(bot, marker);
    if (result != 0) {
        Reply(bot, session.session, "Build error %d", {result});
        return;
    }
    AddActivity(bot, ActivityCategory::Command, "Seeds at " + where, session.privilege,
                session.name);
    ReplySeeded(bot, session, owner, where);
    if (session.detach != 0) RecordDetachCell(session, marker.CellX, marker.CellZ, owner);
}

void DoClickModeCommand(Bot& bot, TTerrainSession& session, const CommandWords& words) {
    if (words.size() >= 2) {
        const std::string& word = words[1];
        if (SameText(word, bot.language[Lang::cmd_hide])) {
            session.clickMode = static_cast<uint8_t>(CommandState::HIDE);
        } else if (SameText(word, bot.language[Lang::cmd_show])) {
            session.clickMode = static_cast<uint8_t>(CommandState::SHOW);
        } else if (SameText(word, bot.language[Lang::cmd_delete])) {
            session.clickMode = static_cast<uint8_t>(CommandState::DELETE);
        } else if (SameText(word, bot.language[Lang::cmd_detach])) {
            session.clickMode = static_cast<uint8_t>(CommandState::DETACH);
        } else {
            throw EFatalCommandError("Invalid clickmode");
        }
    }
    Reply(bot, session.session, "%s %s",
          {bot.language[Lang::clickmode_message], ClickModeName(bot, session.clickMode)});
}

}  // namespace tv
