#include "terrain/TerrainMarker.h"

#include <array>

#include "app/ActivityLog.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/TerrainStruct.h"

namespace tv {

namespace {

// The object data a marker carries: all zero, sent with one byte less than the buffer holds.
constexpr std::size_t kObjectDataSize = 256;
constexpr unsigned kObjectDataLength = 255;

void SetEmptyObjectData(AwSdk& sdk) {
    static const std::array<char, kObjectDataSize> zeros{};
    sdk.aw_data_set(attr::ObjectData, zeros.data(), kObjectDataLength);
}

const char* ActionOf(const TMarkerRecord& marker) {
    return marker.Visible ? "" : kHiddenAction;
}

// The marker on its cell anchor at its height, never rotated.
void SetPlacement(AwSdk& sdk, const TMarkerRecord& marker) {
    sdk.aw_int_set(attr::ObjectX, marker.X);
    sdk.aw_int_set(attr::ObjectY, marker.Height);
    sdk.aw_int_set(attr::ObjectZ, marker.Z);
    sdk.aw_int_set(attr::ObjectYaw, 0);
    sdk.aw_int_set(attr::ObjectTilt, 0);
    sdk.aw_int_set(attr::ObjectRoll, 0);
}

// What the marker shows: texture text, visibility and owner.
void SetLook(const Bot& bot, AwSdk& sdk, const TMarkerRecord& marker) {
    sdk.aw_string_set(attr::ObjectDescription, TerrainMarkerDescription(bot, marker));
    sdk.aw_string_set(attr::ObjectAction, ActionOf(marker));
    sdk.aw_int_set(attr::ObjectOwner, marker.Owner);
}

}  // namespace

std::string TerrainMarkerDescription(const TMarkerRecord& marker) {
    if (marker.Hole) return "hole";
    const std::string texture = std::to_string(marker.Texture);
    switch (marker.Rotation) {
        case rotation::None:
            return texture;
        case rotation::Quarter:
            return texture + ",90";
        case rotation::Half:
            return texture + ",180";
        case rotation::ThreeQuarters:
            return texture + ",270";
        default:
            return {};
    }
}

std::string TerrainMarkerDescription(const Bot& bot, const TMarkerRecord& marker) {
    const bool emptyBelowMinimum = !marker.Hole && marker.Texture == 0 &&
                                   marker.Rotation == rotation::None && bot.options.TextureMin > 0;
    return emptyBelowMinimum ? std::string() : TerrainMarkerDescription(marker);
}

int TerrainMarkerLoad(Bot& bot, TMarkerRecord& marker) {
    AwSdk& sdk = bot.sdk;
    sdk.aw_int_set(attr::ObjectType, 0);
    SetEmptyObjectData(sdk);
    sdk.aw_string_set(attr::ObjectModel, kMarkerModel);
    SetPlacement(sdk, marker);
    SetLook(bot, sdk, marker);
    sdk.aw_int_set(attr::ObjectNumber, 0);
    const int result = sdk.aw_object_load();
    DebugLog(bot, DebugCategory::Marker, "TerrainMarkerLoad: aw_object_load = %d", {result});
    if (result == 0) {
        marker.Id = sdk.aw_int(attr::ObjectId);
        marker.Number = static_cast<uint32_t>(sdk.aw_int(attr::ObjectNumber));
    }
    return result;
}

int TerrainMarkerChange(Bot& bot, TMarkerRecord& marker) {
    AwSdk& sdk = bot.sdk;
    sdk.aw_int_set(attr::ObjectType, 0);
    SetEmptyObjectData(sdk);
    sdk.aw_int_set(attr::ObjectOldNumber, 0);
    sdk.aw_int_set(attr::ObjectOldX, 0);
    sdk.aw_int_set(attr::ObjectOldZ, 0);
    sdk.aw_int_set(attr::ObjectNumber, static_cast<int>(marker.Number));
    sdk.aw_string_set(attr::ObjectModel, kMarkerModel);
    SetPlacement(sdk, marker);
    SetLook(bot, sdk, marker);
    // Marked before the call so that the deletion event the change causes is not taken for a
    // user's deletion.
    TTerrainCacheX* entry = bot.cache.Entry(marker.CellX, marker.CellZ);
    const bool wasPending = entry && entry->ChangePending;
    if (entry) entry->ChangePending = true;
    const int result = sdk.aw_object_change();
    DebugLog(bot, DebugCategory::Marker, "TerrainMarkerChange: aw_object_change = %d", {result});
    if (result == 0) {
        marker.Id = sdk.aw_int(attr::ObjectId);
    } else if (entry) {
        // No change is under way, so a later deletion of this marker must count as a real one.
        entry->ChangePending = wasPending;
    }
    return result;
}

int TerrainMarkerDelete(Bot& bot, TMarkerRecord& marker, bool keepTerrain, bool report) {
    if (marker.Id == 0 || !InCacheRows(marker.CellZ)) return 0;
    AwSdk& sdk = bot.sdk;
    sdk.aw_int_set(attr::ObjectX, marker.X);
    sdk.aw_int_set(attr::ObjectZ, marker.Z);
    sdk.aw_int_set(attr::ObjectId, marker.Id);
    sdk.aw_int_set(attr::ObjectNumber, 0);
    const int result = sdk.aw_object_delete();
    DebugLog(bot, DebugCategory::Marker, "TerrainMarkerDelete: aw_object_delete = %d", {result});
    if (result != 0 && report) {
        AddActivity(bot, ActivityCategory::Error,
                    Format("Unable to delete marker @ %s", {CoordText(marker.X, marker.Z)}));
    }
    if (TTerrainCacheX* entry = bot.cache.Entry(marker.CellX, marker.CellZ))
        entry->KeepTerrain = keepTerrain;
    marker.Id = 0;
    marker.Number = 0;
    return result;
}

}  // namespace tv
