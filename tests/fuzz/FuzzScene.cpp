#include "fuzz/FuzzScene.h"

#include "app/Connection.h"
#include "events/SessionTable.h"
#include "terrain/MarkerIntake.h"
#include "terrain/TerrainMarker.h"

namespace tv::fuzz {

namespace {

constexpr const char* kWorld = test::TestBot::kWorld;
std::unique_ptr<FuzzScene> shared;
int sharedUses = 0;

void PlaceMarker(SimWorld& world, int32_t cellX, int32_t cellZ, const std::string& description,
                 int32_t owner, const std::string& action = {}) {
    SimObjectSpec shape = test::Shape(cellX * kCellSpan, cellZ * kCellSpan, description);
    shape.owner = owner;
    shape.action = action;
    world.PlaceObject(kWorld, shape);
}

}  // namespace

FuzzScene::FuzzScene() {
    std::filesystem::create_symlink("/dev/null", tb.dir.Path() / "debug.log");
    tb.WriteConfig(kWorld, {{"TextureMin", "3"}, {"DefaultTexture", "4"}});
    PlaceMarker(tb.world, 2, -1, "", kUserCitizen);
    PlaceMarker(tb.world, 1, -2, "5", kUserCitizen);
    PlaceMarker(tb.world, 2, -2, "hole", test::TestBot::kBotCitizen);
    PlaceMarker(tb.world, 1, -1, "7,90", kUserCitizen, kHiddenAction);
    tb.Start();
    LoginClick(bot());
    Check(tb.world.aw_session() != 0);
    for (int right : {right::Terrain, right::EminentDomain, right::ListSessions})
        tb.world.SetWorldRight(kWorld, test::TestBot::kBotCitizen, right, true);
    tb.world.AddCitizen(kCaretaker, "Warden");
    tb.world.UserEnter(kCaretaker, kCaretaker, kHomes[0].x, 0, kHomes[0].z,
                       test::TestBot::kBotCitizen);
    tb.Enter(kUser, kUserCitizen, kHomes[1].x, kHomes[1].z, "Mason");
    tb.Tick();
    Check(ResetUsers() && Settle(400));
}

FuzzScene& FuzzScene::Next() {
    if (!shared || ++sharedUses > 2000 || !shared->ResetUsers()) {
        shared = std::make_unique<FuzzScene>();
        sharedUses = 0;
    }
    return *shared;
}

void FuzzScene::Discard() {
    shared.reset();
}

bool FuzzScene::Settle(int maxTicks) {
    Bot& b = bot();
    for (int i = 0; i < maxTicks; ++i) {
        if (b.world.queries.Empty() && b.world.callbacks.Empty() && b.world.commands.Empty() &&
            tb.world.PendingDeliveries() == 0 && b.messages.Empty())
            return true;
        tb.Tick();
    }
    return false;
}

void FuzzScene::CheckCacheMatchesWorld() {
    Bot& b = bot();
    std::map<std::pair<int32_t, int32_t>, std::vector<const SimObject*>> onAnchors;
    const std::vector<SimObject> all = tb.world.Objects(kWorld);  // `onAnchors` points into it
    for (const SimObject& object : all)
        if (object.type == 0 && SameText(object.model, kMarkerModel) && object.x % kCellSpan == 0 &&
            object.z % kCellSpan == 0)
            onAnchors[{object.x / kCellSpan, object.z / kCellSpan}].push_back(&object);
    for (int32_t cellZ = -b.worldSize; cellZ <= b.worldSize; ++cellZ) {
        const TTerrainCacheZ* row = b.cache.FindRow(cellZ);
        for (std::size_t i = 0; row && i < row->Entries.size(); ++i) {
            const TTerrainCacheX& entry = row->Entries[i];
            const auto& objects = onAnchors[{entry.X, cellZ}];
            if (!entry.HasMarker) {
                Check(objects.empty());
                continue;
            }
            Check(objects.size() == 1 && objects[0]->number == entry.Number);
            TMarkerRecord cached;
            TerrainMarkerInit(cached);
            Check(b.cache.ReadMarker(cached, entry.X, cellZ, static_cast<int>(i)) >= 0);
            const std::string& description = objects[0]->description;
            if (description != TerrainMarkerDescription(b, cached)) {  // a user's own spelling
                int32_t texture = 0;
                uint16_t turn = 0;
                bool hole = false;
                Check(TerrainCacheExtractTexture(b, description, texture, turn, hole));
                Check(hole == cached.Hole &&
                      (hole || (texture == cached.Texture && turn == cached.Rotation)));
            }
            Check(cached.Visible == !SameText(objects[0]->action, kHiddenAction));
            // A marker first learned by a query leaves the cell's terrain as the world had it.
            const auto terrain = tb.world.TerrainAt(kWorld, entry.X, cellZ);
            Check(!terrain || (terrain->value == entry.Terrain && terrain->height == entry.Height));
        }
    }
}

bool FuzzScene::ResetUsers() {
    Bot& b = bot();
    TerrainRightsFromString(b.rights, "*");
    bool moved = false;
    for (const Home& home : kHomes) {
        const TTerrainSession* session = b.sessions.FindSession(home.session);
        if (session && (session->x != home.x || session->z != home.z)) {
            tb.world.UserMove(home.session, home.x, 0, home.z);
            moved = true;
        }
    }
    if (moved) tb.Tick();
    for (const Home& home : kHomes) {
        TTerrainSession* session = b.sessions.FindSession(home.session);
        if (!session) return false;
        if (!session->enabled && !SetSessionEnabled(b, *session, true, false)) return false;
        session->clickMode = static_cast<uint8_t>(CommandState::HIDE);
        session->detach = 0;
        session->cells.Clear();
        session->warned = false;
        session->lastActivity = b.ClockSeconds();
        session->floodCount = 0;
        session->lastCommandMs = 0;
    }
    return true;
}

}  // namespace tv::fuzz
