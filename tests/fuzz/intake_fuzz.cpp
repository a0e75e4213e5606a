// Fuzz target for the marker intake: one terrain.rwx object with a fuzzed description, position,
// height and rotation reaches the bot, either built by a user (object-add event) or found by a
// cell query. Bytes: 0 flags (bit 0 the builder's session is off, bit 1 found by a query, bit 2
// hidden, bit 3 built by the user with the caretaker's privileges, bit 4 model in capitals,
// bit 5 object type 1); 1 and 2 the cell (x 0..2, z -3..-1, around the starting markers);
// 3 and 4 the offset from the cell's anchor; 5 to 7 yaw, tilt and roll; 8 the height; the rest
// is the description. The bot must settle within a minute; then every cached marker agrees with
// the world, and the object is either gone or the marker of its cell.
#include "fuzz/FuzzScene.h"
#include "terrain/TerrainMarker.h"

using tv::fuzz::Check;
using tv::fuzz::FuzzScene;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9 || size > 4096) return 0;
    FuzzScene* scene = &FuzzScene::Next();
    tv::Bot& bot = scene->bot();
    tv::SimWorld& world = scene->tb.world;
    const uint8_t flags = data[0];
    auto Signed = [](uint8_t byte, int32_t scale) { return static_cast<int8_t>(byte) * scale; };
    const int32_t builder = flags & 8 ? FuzzScene::kCaretaker : FuzzScene::kUser;
    if (flags & 1) tv::SetSessionEnabled(bot, *bot.sessions.FindSession(builder), false, false);

    tv::SimObjectSpec shape;
    shape.x = (data[1] % 3) * tv::kCellSpan + Signed(data[3], 8);
    shape.z = (data[2] % 3 - 3) * tv::kCellSpan + Signed(data[4], 8);
    shape.yaw = Signed(data[5], 10);
    shape.tilt = Signed(data[6], 10);
    shape.roll = Signed(data[7], 10);
    shape.y = Signed(data[8], 37);
    shape.type = flags & 32 ? 1 : 0;
    shape.model = flags & 16 ? "TERRAIN.RWX" : tv::kMarkerModel;
    shape.action = flags & 4 ? tv::kHiddenAction : "";
    shape.description.assign(reinterpret_cast<const char*>(data) + 9, size - 9);
    uint32_t number = 0;
    if (flags & 2) {
        number = world.PlaceObject(tv::test::TestBot::kWorld, shape);
        bot.cache.ForgetCell(tv::FloorToCell(shape.x), tv::FloorToCell(shape.z));
        Check(world.UserSelect(builder, shape.x, shape.z) == 0);
    } else {
        Check(world.UserBuild(builder, shape) == 0);
        number = world.Objects(tv::test::TestBot::kWorld).back().number;
    }
    Check(scene->Settle(240));
    scene->CheckCacheMatchesWorld();
    for (const tv::SimObject& object : world.Objects(tv::test::TestBot::kWorld)) {
        if (object.number != number || object.type != 0) continue;
        const tv::TTerrainCacheX* entry =
            bot.cache.Entry(tv::WorldToCell(object.x, false), tv::WorldToCell(object.z, false));
        Check(entry && entry->HasMarker && entry->Number == number);
    }
    return 0;
}
