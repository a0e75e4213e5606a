#include "terrain/Repairs.h"

#include <algorithm>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/Reconcile.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

constexpr int32_t kRetrySeconds = 1;
constexpr int32_t kConfirmSeconds = kCallbackTimeoutSeconds + 1;

TCellPair CellOf(const TMarkerRecord& marker) {
    return {marker.CellX, marker.CellZ};
}

// The cell the world files an object under: its position rounded down.
TCellPair WorldCellOf(const TMarkerRecord& object) {
    return {FloorToCell(object.X), FloorToCell(object.Z)};
}

// A refused attempt is tried again in a second and logged the first time; a taken one waits for
// the world's confirmation.
void Attempted(Bot& bot, TRepair& repair, int result, const char* failure) {
    const int32_t now = bot.ClockSeconds();
    if (result == 0) {
        repair.Due = now + kConfirmSeconds;
        return;
    }
    repair.Due = now + kRetrySeconds;
    if (repair.Refused) return;
    repair.Refused = true;
    AddActivity(bot, ActivityCategory::Error,
                Format(failure, {CoordText(repair.Marker.X, repair.Marker.Z), result}));
}

void TryRemove(Bot& bot, TRepair& repair) {
    AwSdk& sdk = bot.sdk;
    sdk.aw_int_set(attr::ObjectX, repair.Marker.X);
    sdk.aw_int_set(attr::ObjectZ, repair.Marker.Z);
    sdk.aw_int_set(attr::ObjectId, repair.Marker.Id);
    sdk.aw_int_set(attr::ObjectNumber, 0);
    const int result = sdk.aw_object_delete();
    Attempted(bot, repair, result, "Unable to remove marker @ %s, error %d");
    // Perhaps it is gone already: the cell's answer will say.
    if (result != 0)
        RefreshCell(bot, WorldCellOf(repair.Marker).first, WorldCellOf(repair.Marker).second);
}

void TryBuild(Bot& bot, TRepair& repair) {
    TMarkerRecord marker = repair.Marker;
    Attempted(bot, repair, TerrainMarkerLoad(bot, marker), "Unable to build marker @ %s, error %d");
}

}  // namespace

void TRepairBook::Clear() {
    terrain.clear();
    removals.clear();
    builds.clear();
}

void RepairRemove(Bot& bot, const TMarkerRecord& object) {
    if (object.Id == 0) return;
    TRepair& repair = bot.world.repairs.removals[object.Number];
    repair.Marker = object;
    TryRemove(bot, repair);
}

void RepairBuild(Bot& bot, const TMarkerRecord& marker) {
    TRepair& repair = bot.world.repairs.builds[CellOf(marker)];
    repair.Marker = marker;
    TryBuild(bot, repair);
}

bool RepairTerrainOutcome(Bot& bot, int32_t cellX, int32_t cellZ, int32_t value, int32_t height,
                          int result) {
    auto& terrain = bot.world.repairs.terrain;
    if (result == 0) {
        terrain.erase({cellX, cellZ});
        return false;
    }
    const bool first = terrain.count({cellX, cellZ}) == 0;
    terrain[{cellX, cellZ}] = {value, height, bot.ClockSeconds() + kRetrySeconds};
    return first;
}

void RepairObjectDeleted(Bot& bot, int32_t id) {
    std::erase_if(bot.world.repairs.removals,
                  [id](const auto& entry) { return entry.second.Marker.Id == id; });
}

void RepairMarkerBuilt(Bot& bot, int32_t cellX, int32_t cellZ) {
    bot.world.repairs.builds.erase({cellX, cellZ});
}

void RepairCellAnswered(Bot& bot, int32_t cellX, int32_t cellZ,
                        const std::vector<uint32_t>& reported) {
    std::erase_if(bot.world.repairs.removals, [&](const auto& entry) {
        return WorldCellOf(entry.second.Marker) == TCellPair{cellX, cellZ} &&
               std::find(reported.begin(), reported.end(), entry.first) == reported.end();
    });
}

bool RepairRemoving(const Bot& bot, uint32_t number) {
    return bot.world.repairs.removals.count(number) != 0;
}

void RepairsStep(Bot& bot) {
    TRepairBook& book = bot.world.repairs;
    if (book.Empty() || bot.model.ConnectionState() != StatusIndex::Active) return;
    const int32_t now = bot.ClockSeconds();
    for (auto& [number, repair] : book.removals)
        if (repair.Due <= now) TryRemove(bot, repair);
    for (auto it = book.builds.begin(); it != book.builds.end();) {
        TRepair& repair = it->second;
        const TTerrainCacheX* entry = bot.cache.Entry(it->first.first, it->first.second);
        // Somebody's marker stands there now: building ours would replace it.
        if (entry && entry->Id != 0) {
            it = book.builds.erase(it);
            continue;
        }
        if (repair.Due <= now) TryBuild(bot, repair);
        ++it;
    }
    std::vector<std::pair<TCellPair, TTerrainRepair>> due;
    for (const auto& entry : book.terrain)
        if (entry.second.Due <= now) due.push_back(entry);
    for (const auto& [cell, setting] : due)
        TerrainCacheSetTerrain(bot, cell.first, cell.second, setting.Value, setting.Height);
}

}  // namespace tv
