// The marker intake: every marker object the world reports (just built, just deleted, or listed
// by a cell query) goes through here before the cache believes it.

#include "terrain/MarkerIntake.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/MessageQueue.h"
#include "terrain/Repairs.h"
#include "journal/Journal.h"
#include "terrain/TerrainCallback.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainQueue.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

// One "%d" of a C formatted scan: blanks skipped, an optional sign, at least one digit. A number
// that does not fit 32 bits is refused rather than wrapped into some other texture.
bool ScanInt(const std::string& text, std::size_t& pos, int32_t& value) {
    std::size_t i = pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::size_t digits = i;
    int64_t magnitude = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        magnitude = magnitude * 10 + (text[i++] - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    if (i == digits) return false;
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    pos = i;
    return true;
}

// The C scan of "%d,%d": fields converted from the left until the first mismatch.
int ScanTextureAndRotation(const std::string& text, int32_t& texture, int32_t& rotation) {
    std::size_t pos = 0;
    if (!ScanInt(text, pos, texture)) return 0;
    if (pos >= text.size() || text[pos] != ',') return 1;
    ++pos;
    return ScanInt(text, pos, rotation) ? 2 : 1;
}

bool RotationOfDegrees(int32_t degrees, uint16_t& rotation) {
    switch (degrees) {
        case 0:
            rotation = rotation::None;
            return true;
        case 90:
            rotation = rotation::Quarter;
            return true;
        case 180:
            rotation = rotation::Half;
            return true;
        case 270:
            rotation = rotation::ThreeQuarters;
            return true;
        default:
            rotation = rotation::None;
            return false;
    }
}

int64_t Anchor(int32_t cell) {
    return int64_t{cell} * kCellSpan;
}

static_assert(kMaxTexture == kTextureLimit, "the options cap textures where packing does");

// The textures a marker may name: the options' range, within what a terrain value can carry
// whatever the options say. A texture turned so that its value would read as a hole is refused.
bool TextureAccepted(const Options& options, int32_t texture, uint16_t rotation) {
    if (texture < std::max(options.TextureMin, 0)) return false;
    if (texture > std::min(options.TextureMax, kMaxTexture)) return false;
    return (static_cast<int32_t>(rotation) | texture) != kHoleTerrain;
}

// The cell whose anchor a corrected copy goes to: its own, except that a marker just beyond the
// last anchor of the world (still inside it) goes to that anchor, and no anchor lies beyond what
// a world coordinate can hold.
int32_t CorrectedCell(int32_t cell, int32_t worldSize) {
    constexpr int32_t kLastAnchorCell = std::numeric_limits<int32_t>::max() / kCellSpan;
    if (int64_t{cell} == int64_t{worldSize} + 1) return worldSize;
    if (int64_t{cell} == -int64_t{worldSize} - 1) return -worldSize;
    return std::clamp(cell, -kLastAnchorCell, kLastAnchorCell);
}

}  // namespace

bool TerrainCacheExtractTexture(Bot& bot, const std::string& text, int32_t& texture,
                                uint16_t& rotation, bool& hole) {
    DebugLog(bot, DebugCategory::Cache, "TerrainCacheExtractTexture \"%s\"", {text});
    bool result = true;
    if (text.empty()) {
        texture = 0;
        rotation = 0;
        hole = false;
    } else if (SameText(text, "hole")) {
        texture = 0;
        rotation = 0;
        hole = true;
    } else {
        hole = false;
        int32_t t = 0;
        int32_t r = 0;
        int count = 0;
        if (TryStrToInt(text, t))
            count = 1;
        else
            count = ScanTextureAndRotation(text, t, r);
        DebugLog(bot, DebugCategory::Cache, "TerrainCacheExtractTexture: chk = %d [%d, %d]",
                 {count, t, r});
        if (count < 1) {
            result = false;
            texture = bot.options.DefaultTexture;
            rotation = 0;
        } else {
            texture = t;
            result = RotationOfDegrees(r, rotation);
        }
        if (!TextureAccepted(bot.options, texture, rotation)) {
            DebugLog(bot, DebugCategory::Cache, "TerrainCacheExtractTexture: values out of range");
            result = false;
            // Even a default outside what a terrain value carries cannot reach a marker.
            texture = std::clamp(bot.options.DefaultTexture, 0, kMaxTexture);
            rotation = 0;
        }
    }
    DebugLog(bot, DebugCategory::Cache, "TerrainCacheExtractTexture: Result = %s [%d, %d]",
             {result ? "-1" : "0", texture, static_cast<int>(rotation)});
    return result;
}

void TerrainCacheMarkerDefine(Bot& bot, TMarkerRecord& marker, int32_t x, int32_t height, int32_t z,
                              int32_t id, const std::string& description, const std::string& action,
                              int32_t owner, int32_t timestamp, uint32_t number) {
    DebugLog(bot, DebugCategory::Cache,
             "TerrainCacheMarkerDefine %d,%d,%d %d \"%s\" \"%s\" %d %d %u",
             {x, height, z, id, description, action, owner, timestamp, number});
    marker.X = x;
    marker.Z = z;
    marker.CellX = WorldToCell(x, false);
    marker.CellZ = WorldToCell(z, false);
    marker.Height = height;
    marker.Id = id;
    marker.Owner = owner;
    marker.Number = number;
    marker.Timestamp = timestamp != 0 ? timestamp : static_cast<int32_t>(bot.clock.UnixNow());
    marker.Visible = !SameText(action, kHiddenAction);
    marker.Valid = true;
    if (!TerrainCacheExtractTexture(bot, description, marker.Texture, marker.Rotation, marker.Hole))
        marker.Valid = false;
    if (x != Anchor(marker.CellX) || z != Anchor(marker.CellZ)) marker.Valid = false;
    DumpMarker(bot, DebugCategory::Cache, marker);
}

bool TerrainMarkerCorrect(const TMarkerRecord& marker, TMarkerRecord& corrected, int32_t yaw,
                          int32_t tilt, int32_t roll) {
    corrected.CellX = marker.CellX;
    corrected.CellZ = marker.CellZ;
    corrected.X = static_cast<int32_t>(Anchor(marker.CellX));
    corrected.Z = static_cast<int32_t>(Anchor(marker.CellZ));
    corrected.Texture = marker.Texture;
    corrected.Hole = marker.Hole;
    corrected.Rotation = marker.Rotation;
    corrected.Height = marker.Height;
    corrected.Visible = marker.Visible;
    corrected.Owner = marker.Owner;
    corrected.Number = marker.Number;
    corrected.Id = 0;
    corrected.Timestamp = 0;
    corrected.Valid = true;
    return yaw == 0 && tilt == 0 && roll == 0 ? marker.Valid : false;
}

// Timestamps have whole seconds: a marker built in the same second as the one it replaces (a
// texture change, a rebuilt or corrected marker) must win, or the new object would be deleted
// while its user is told the work is done. So on a tie the arriving marker is the newer.
bool MarkerIsNewer(const TMarkerRecord& oldMarker, const TMarkerRecord& newMarker) {
    const int32_t o = oldMarker.Timestamp;
    const int32_t n = newMarker.Timestamp;
    if (n > 0 && o > 0) return n >= o;
    if (n < 0 && o < 0) return n <= o;
    if (n > 0 && o < 0) return false;
    return true;
}

namespace {

// The session record of the user whose action raised an object event; none for the bot's own.
TTerrainSession* ActingSession(Bot& bot, int32_t actor) {
    if (actor == bot.sdk.aw_session()) return nullptr;
    return bot.sessions.FindSession(actor);
}

}  // namespace

void TerrainCacheMarkerAdd(Bot& bot, TMarkerRecord& marker, int32_t yaw, int32_t tilt, int32_t roll,
                           bool live) {
    DebugLog(bot, DebugCategory::Cache, "TerrainCacheMarkerAdd %.8X[%s] %d %d %d",
             {marker.Number, CoordText(marker.X, marker.Z, 0, 0), yaw, tilt, roll});
    if (!InCacheRows(marker.CellZ)) return;
    // An object the bot is removing is never a cell's marker, however the world reports it.
    if (RepairRemoving(bot, marker.Number)) return;
    const JournalEventScope journal(bot, marker, live, yaw, tilt, roll);
    const int32_t builder = bot.sdk.aw_int(attr::ObjectSession);
    // A cell query reports objects, not builders: only a live addition has one.
    TTerrainSession* session = live ? ActingSession(bot, builder) : nullptr;
    if (session) {
        TouchSession(bot, *session);
        if (!session->enabled) {
            RepairRemove(bot, marker);
            Reply(bot, builder, "%s", {bot.language[Lang::not_enabled_message]});
            return;
        }
    }

    TMarkerRecord corrected;
    TerrainMarkerInit(corrected);
    // A marker the bot built itself is never corrected again: when the options refuse even the
    // default texture, each copy would call for another, one object a tick for ever. It stands
    // on its anchor, unrotated, and is taken as it is.
    const bool ownBuild = live && builder == bot.sdk.aw_session();
    if (ownBuild) RepairMarkerBuilt(bot, marker.CellX, marker.CellZ);
    if (!TerrainMarkerCorrect(marker, corrected, yaw, tilt, roll) && !ownBuild) {
        DebugLog(bot, DebugCategory::Cache, "TerrainCacheMarkerAdd: correcting terrain marker");
        corrected.CellX = CorrectedCell(marker.CellX, bot.worldSize);
        corrected.CellZ = CorrectedCell(marker.CellZ, bot.worldSize);
        corrected.X = CellAnchor(corrected.CellX);
        corrected.Z = CellAnchor(corrected.CellZ);
        RepairBuild(bot, corrected);
        RepairRemove(bot, marker);
        // The copy is the user's marker, built on their behalf.
        if (session && session->detach)
            RecordDetachCell(*session, corrected.CellX, corrected.CellZ, corrected.Owner);
        return;
    }

    const int index = bot.cache.FindCell(marker.CellX, marker.CellZ);
    DebugLog(bot, DebugCategory::Cache, "TerrainCacheMarkerAdd: got cellXIndex \"%d\"", {index});
    if (index == -1) {
        bot.cache.StoreMarker(marker, -1);
        if (live) {
            // The rest of the cell is unknown. It is asked about as a known cell: a plain query
            // would be skipped now that the cell is cached, and a rival marker built while the
            // bot was away would never be found.
            RefreshCell(bot, marker.CellX, marker.CellZ);
            ApplyMarkerTerrain(bot, marker);
        } else {
            // Perhaps built while the bot was away: its terrain is set when the query ends.
            bot.cache.CellHadMarker = true;
        }
    } else {
        TMarkerRecord old;
        TerrainMarkerInit(old);
        if (bot.cache.ReadMarker(old, marker.CellX, marker.CellZ, index) == -1) return;
        const bool same = marker.Number == old.Number;
        if (!same && !MarkerIsNewer(old, marker)) {
            RepairRemove(bot, marker);
            return;
        }
        if (!same) RepairRemove(bot, old);
        bot.cache.StoreMarker(marker, index);
        if (live)
            ApplyMarkerTerrain(bot, marker);
        else
            bot.cache.CellHadMarker = true;
    }

    // Cells planted during a detach session are detached again when the session ends.
    if (session && session->detach)
        RecordDetachCell(*session, marker.CellX, marker.CellZ, marker.Owner);
}

void TerrainCacheMarkerDelete(Bot& bot, int32_t cellX, int32_t cellZ, int32_t id) {
    if (!InCacheRows(cellZ)) return;
    const JournalEventScope journal(bot, cellX, cellZ, id);
    const int32_t actor = bot.sdk.aw_int(attr::ObjectSession);
    const bool byBot = actor == bot.sdk.aw_session();
    TTerrainSession* session = byBot ? nullptr : bot.sessions.FindSession(actor);
    const bool allowed = byBot || !session || session->enabled;

    const int index = bot.cache.FindCell(cellX, cellZ);
    if (index == -1) {
        // Whatever went, the cell's markers are unknown: it is learned by its query, not marked
        // known without a marker (a marker standing there would never be learned).
        TerrainQueueAddCell(bot, cellX, cellZ, false);
        return;
    }
    const TTerrainCacheX* entry = bot.cache.Entry(cellX, cellZ);
    if (!entry) return;
    // The keep mark describes the bot's own last deletion in the cell (a detach); it stays in
    // the entry afterwards, so it must not spare the terrain when somebody else deletes a later
    // marker there.
    const bool keep = entry->KeepTerrain && byBot;
    const bool pending = entry->ChangePending;
    if (!entry->HasMarker || entry->Id != id) return;

    if (!allowed && !pending) {
        // A user without an enabled terrain session removed the marker: build it again.
        TMarkerRecord marker;
        TerrainMarkerInit(marker);
        if (bot.cache.ReadMarker(marker, cellX, cellZ, index) != -1) RepairBuild(bot, marker);
        Reply(bot, actor, "%s", {bot.language[Lang::not_enabled_message]});
    } else if (allowed) {
        if (byBot) {
            TMarkerRecord marker;
            TerrainMarkerInit(marker);
            if (bot.cache.ReadMarker(marker, cellX, cellZ, index) != -1) {
                CallbackComplete(bot, marker, CallbackType::Delete,
                                 bot.language[Lang::delete_finished_message]);
                CallbackComplete(bot, marker, CallbackType::Detach,
                                 bot.language[Lang::detach_finished_message]);
            }
        } else if (session) {
            TouchSession(bot, *session);
            if (session->detach) ForgetDetachCell(*session, cellX, cellZ);
        }
    }

    bot.cache.ClearCell(cellX, cellZ);
    if (!keep && !pending)
        TerrainCacheSetTerrain(bot, cellX, cellZ, PackTerrain(false, 0, 0),
                               bot.options.DefaultHeight);
}

}  // namespace tv
