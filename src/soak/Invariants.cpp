// The invariants between the bot and the embedded world, read from both sides without changing
// either (the texture reader only writes its debug lines).

#include "soak/Invariants.h"

#include <algorithm>
#include <map>

#include "app/Bot.h"
#include "app/Format.h"
#include "commands/TerrainRights.h"
#include "config/AtomicFile.h"
#include "config/MicroXml.h"
#include "config/Options.h"
#include "soak/SoakWatch.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainMarker.h"
#include "terrain/TerrainStruct.h"
#include "world/SimWorld.h"

namespace tv {

namespace {

using Found = std::vector<std::string>;

std::string CellName(int32_t cellX, int32_t cellZ) {
    return "cell " + std::to_string(cellX) + " " + std::to_string(cellZ);
}

// Entries and marked entries over a span of rows.
std::pair<int64_t, int64_t> Recount(const TTerrainCache& cache, int32_t first, int32_t last,
                                    int32_t worldSize) {
    int64_t entries = 0, marked = 0;
    for (int32_t z = std::max(first, kMinCacheRow); z <= std::min(last, kMaxCacheRow); ++z) {
        const TTerrainCacheZ* row = cache.FindRow(z);
        if (!row) continue;
        entries += static_cast<int64_t>(row->Entries.size());
        if (!InWorldRange(z, worldSize)) continue;
        for (const TTerrainCacheX& entry : row->Entries) marked += entry.Id != 0 ? 1 : 0;
    }
    return {entries, marked};
}

// The counters against a recount; `everyRow` also looks outside the world's rows.
void CheckCounters(Bot& bot, bool everyRow, Found& found) {
    const int32_t size = bot.cache.WorldSize();
    const auto [entries, marked] = everyRow ? Recount(bot.cache, kMinCacheRow, kMaxCacheRow, size)
                                            : Recount(bot.cache, -size - 1, size + 1, size);
    if (marked != bot.cache.MarkerCount())
        found.push_back("MarkerCount is " + std::to_string(bot.cache.MarkerCount()) +
                        " but the cache holds " + std::to_string(marked) + " markers");
    if (entries != bot.cache.QueriedCells())
        found.push_back("QueriedCells is " + std::to_string(bot.cache.QueriedCells()) +
                        " but the cache holds " + std::to_string(entries) + " cells");
}

std::string NormalRights(const std::string& text) {
    TTerrainRightsList list;
    return TerrainRightsFromString(list, text);
}

// After every save or load: config.xml is well-formed and holds the rights in force.
void CheckConfigFile(Bot& bot, SoakWatch& watch, Found& found) {
    const ConfigFileState& state = bot.options.ConfigFile;
    if (state.Signature == watch.checkedConfig) return;
    watch.checkedConfig = state.Signature;
    std::string content, error;
    if (state.Unreadable ||
        ReadFileContent(bot.PathOf(kConfigFileName).string(), content, error) != FileRead::Ok)
        return;
    TMicroXmlDocument document;
    try {
        document.LoadFromString(content, kConfigFileName);
    } catch (const EMicroXmlError& problem) {
        found.push_back(std::string("config.xml is malformed: ") + problem.what());
        return;
    }
    const TMicroXmlElement* root = document.Root();
    if (!root || !document.Unclosed().empty() || !SameText(root->Name, "TerravaneConfig") ||
        root->FindChild("Login") < 0 || root->FindChild("Options") < 0) {
        found.push_back("config.xml lacks its root, Login or Options, or ends too early");
        return;
    }
    const TMicroXmlElement& options = *root->Child(root->FindChild("Options"));
    const std::string inFile = NormalRights(options.ChildText("TerrainRights", "*"));
    const std::string inForce = NormalRights(TerrainRightsToString(bot.rights));
    if (inFile != inForce)
        found.push_back("the rights in force are \"" + inForce + "\" but config.xml holds \"" +
                        inFile + "\"");
}

void CheckQuiet(Bot& bot, SimWorld& world, Found& found) {
    auto left = [&found](int64_t count, const char* what) {
        if (count != 0) found.push_back(std::to_string(count) + " " + what + " left");
    };
    left(bot.world.callbacks.Count(), "pending requests");
    left(bot.world.queries.Count(), "cells waiting to be queried");
    left(bot.world.commands.Count(), "terrain commands");
    left(static_cast<int64_t>(bot.world.reconcile.cells.size()), "cells waiting to be reconciled");
    left(MessagesForPresentUsers(bot, world), "unsent messages");
    const TRepairBook& repairs = bot.world.repairs;
    left(static_cast<int64_t>(repairs.terrain.size() + repairs.removals.size() +
                              repairs.builds.size()),
         "repairs");
}

bool SameDescription(Bot& bot, const TMarkerRecord& marker, const std::string& description) {
    int32_t texture = 0;
    uint16_t rotation = 0;
    bool hole = false;
    TerrainCacheExtractTexture(bot, description, texture, rotation, hole);
    if (hole != marker.Hole) return false;
    return hole || (texture == marker.Texture && rotation == marker.Rotation);
}

// One cached cell against the marker objects standing on its anchor.
void CheckCell(Bot& bot, SimWorld& world, int32_t cellX, int32_t cellZ,
               const std::vector<const SimObject*>& standing, Found& found) {
    TMarkerRecord marker;
    TerrainMarkerInit(marker);
    bot.cache.ReadMarker(marker, cellX, cellZ, -1);
    const std::string where = CellName(cellX, cellZ);
    if (marker.Id == 0) {
        if (!standing.empty())
            found.push_back(where + ": the cache knows no marker but the world has object " +
                            std::to_string(standing.front()->number) + " on the anchor");
        return;
    }
    if (standing.size() != 1) {
        std::string numbers;
        for (const SimObject* object : standing)
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(object->number);
        found.push_back(where + ": the cache holds marker " + std::to_string(marker.Number) +
                        " but the world has " + std::to_string(standing.size()) +
                        " markers on the anchor (" + numbers + ")");
        return;
    }
    const SimObject& object = *standing.front();
    const bool visible = !SameText(object.action, kHiddenAction);
    if (object.id != marker.Id || object.number != marker.Number || object.owner != marker.Owner ||
        visible != marker.Visible || !SameDescription(bot, marker, object.description))
        found.push_back(
            Format("%s: the cache holds marker %u id %d owner %d \"%s\" %s but the "
                   "world has %u id %d owner %d \"%s\" %s",
                   {where, marker.Number, marker.Id, marker.Owner, TerrainMarkerDescription(marker),
                    marker.Visible ? "visible" : "hidden", object.number, object.id, object.owner,
                    object.description, visible ? "visible" : "hidden"}));
    const auto terrain = world.TerrainAt(world.EnteredWorld(), cellX, cellZ);
    const int32_t value = PackTerrain(marker.Hole, marker.Texture, marker.Rotation);
    if (!terrain || terrain->value != value || terrain->height != marker.Height)
        found.push_back(Format("%s: the marker asks for terrain %d height %d but the world has %s",
                               {where, value, marker.Height,
                                terrain ? Format("%d height %d", {terrain->value, terrain->height})
                                        : std::string("none")}));
}

using Anchors = std::map<CellPos, std::vector<const SimObject*>>;

// The terrain markers standing exactly on a cell anchor, by cell; they point into `objects`.
Anchors MarkersOnAnchors(const std::vector<SimObject>& objects) {
    Anchors anchors;
    for (const SimObject& object : objects)
        if (object.type == 0 && SameText(object.model, kMarkerModel) && object.x % kCellSpan == 0 &&
            object.z % kCellSpan == 0)
            anchors[{object.x / kCellSpan, object.z / kCellSpan}].push_back(&object);
    return anchors;
}

void CheckCache(Bot& bot, SimWorld& world, Anchors& anchors, Found& found) {
    const int32_t size = bot.cache.WorldSize();
    for (int32_t z = -size; z <= size; ++z) {
        const TTerrainCacheZ* row = bot.cache.FindRow(z);
        if (!row) continue;
        for (const TTerrainCacheX& entry : row->Entries)
            CheckCell(bot, world, entry.X, z, anchors[{entry.X, z}], found);
    }
}

// What the watch saw happen that must not last.
void CheckHistory(Bot& bot, SimWorld& world, SoakWatch& watch, Anchors& anchors, Found& found) {
    for (const SimObject& object : world.Objects(world.EnteredWorld()))
        if (watch.unauthorisedBuilds.count(object.number))
            found.push_back("marker " + std::to_string(object.number) +
                            ", built without an enabled session, still stands");
    for (const CellPos& cell : watch.unauthorisedDeletes)
        if (anchors[cell].empty())
            found.push_back(CellName(cell.first, cell.second) +
                            ": a marker deleted without an enabled session was not rebuilt");
    const std::vector<int32_t> present = world.AvatarSessions();
    for (const auto& [session, text] : watch.lostMessages)
        if (std::find(present.begin(), present.end(), session) != present.end())
            found.push_back("a message to session " + std::to_string(session) +
                            " was lost: " + text);
    for (const CellPos& cell : watch.queriedCells)
        if (bot.cache.FindCell(cell.first, cell.second) == -1)
            found.push_back(CellName(cell.first, cell.second) + " was queried but is not known");
}

}  // namespace

int64_t MessagesForPresentUsers(Bot& bot, SimWorld& world) {
    const std::vector<int32_t> present = world.AvatarSessions();
    int64_t count = 0;
    for (const TAwMessage& message : bot.messages.InSendOrder())
        count += std::find(present.begin(), present.end(), message.session) != present.end();
    return count;
}

std::vector<std::string> CheckSteady(Bot& bot, SoakWatch& watch) {
    Found found = watch.violations;
    CheckCounters(bot, false, found);
    CheckConfigFile(bot, watch, found);
    return found;
}

std::vector<std::string> CheckSettled(Bot& bot, SimWorld& world, SoakWatch& watch) {
    Found found = watch.violations;
    CheckCounters(bot, true, found);
    CheckConfigFile(bot, watch, found);
    if (bot.sdk.aw_session() == 0 || !world.Connected() || world.EnteredWorld().empty()) {
        found.push_back("the bot is not in the world");
        return found;
    }
    CheckQuiet(bot, world, found);
    const std::vector<SimObject> objects = world.Objects(world.EnteredWorld());
    Anchors anchors = MarkersOnAnchors(objects);
    CheckCache(bot, world, anchors, found);
    CheckHistory(bot, world, watch, anchors, found);
    return found;
}

}  // namespace tv
