// The embedded world's object, cell and terrain calls. Each acts at once and returns 0; the
// world's report of the change is queued and reaches the bot in a later aw_wait.

#include "world/SimWorld.h"

#include "world/SimWorldImpl.h"

namespace tv {

namespace {

std::size_t ObjectPayload(const SimObject& object) {
    return 48 + object.model.size() + object.description.size() + object.action.size() +
           object.data.size();
}

bool InsideWorld(const SimWorldState& world, const SimObject& object) {
    return world.CellInside(FloorCell(object.x), FloorCell(object.z));
}

}  // namespace

int SimWorld::aw_object_load() {
    if (auto result = Begin("aw_object_load", [] { return std::string(); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    SimWorldState& world = *impl_->entered;
    SimObject object = impl_->ObjectFromAttributes();
    if (!InsideWorld(world, object)) return reason::OutOfWorld;
    object.number = impl_->nextNumber++;
    impl_->Stamp(object);
    world.objects.Add(object);
    impl_->SetInt(attr::ObjectNumber, static_cast<int>(object.number));
    impl_->SetInt(attr::ObjectId, object.id);
    impl_->Sent(ObjectPayload(object));
    impl_->QueueObjectEvent(event::ObjectAdd, object, kBotSession, true);
    impl_->QueueCallback(callback::ObjectResult, reason::Success);
    if (listener_) listener_->OnObjectAdded(object, kBotSession);
    return reason::Success;
}

int SimWorld::aw_object_change() {
    if (auto result = Begin("aw_object_change", [] { return std::string(); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    SimWorldState& world = *impl_->entered;
    const SimObject* object =
        world.objects.ByNumber(static_cast<uint32_t>(impl_->Int(attr::ObjectNumber)));
    if (!object) return reason::NoSuchObject;
    SimObject changed = impl_->ObjectFromAttributes();
    if (!InsideWorld(world, changed)) return reason::OutOfWorld;
    const SimObject old = *object;
    changed.number = old.number;
    impl_->Stamp(changed);
    world.objects.Replace(changed);
    impl_->SetInt(attr::ObjectId, changed.id);
    impl_->Sent(ObjectPayload(changed));
    impl_->QueueObjectEvent(event::ObjectDelete, old, kBotSession, true);
    impl_->QueueObjectEvent(event::ObjectAdd, changed, kBotSession, true);
    impl_->QueueCallback(callback::ObjectResult, reason::Success);
    if (listener_) {
        listener_->OnObjectDeleted(old, kBotSession);
        listener_->OnObjectAdded(changed, kBotSession);
    }
    return reason::Success;
}

int SimWorld::aw_object_delete() {
    if (auto result = Begin("aw_object_delete", [] { return std::string(); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    SimWorldState& world = *impl_->entered;
    const int32_t id = impl_->Int(attr::ObjectId);
    const int32_t x = impl_->Int(attr::ObjectX);
    const int32_t z = impl_->Int(attr::ObjectZ);
    const SimObject* found = world.objects.ById(id);
    if (!found || found->x != x || found->z != z) return reason::NoSuchObject;
    const SimObject old = *found;
    world.objects.Remove(old.number);
    impl_->Sent(12);
    impl_->QueueObjectEvent(event::ObjectDelete, old, kBotSession, true);
    impl_->QueueCallback(callback::ObjectResult, reason::Success);
    if (listener_) listener_->OnObjectDeleted(old, kBotSession);
    return reason::Success;
}

int SimWorld::aw_cell_next() {
    if (auto result = Begin("aw_cell_next", [] { return std::string(); })) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    const SimWorldState& world = *impl_->entered;
    const auto packed = static_cast<uint32_t>(impl_->Int(attr::CellIterator));
    const int32_t cellX = static_cast<int16_t>(packed >> 16);
    const int32_t cellZ = static_cast<int16_t>(packed & 0xFFFF);
    if (!world.CellInside(cellX, cellZ)) return reason::OutOfWorld;
    impl_->Sent(8);
    impl_->QueueCellEvent(event::CellBegin, cellX, cellZ);
    for (const SimObject* object : world.objects.InCell(cellX, cellZ))
        impl_->QueueObjectEvent(event::CellObject, *object, std::nullopt, true);
    impl_->QueueCellEvent(event::CellEnd, cellX, cellZ);
    impl_->QueueCallback(callback::CellResult, reason::Success);
    return reason::Success;
}

int SimWorld::aw_terrain_set(int cellX, int cellZ, int count, int value, const int* heights) {
    auto arguments = [&] {
        std::string text = std::to_string(cellX) + "," + std::to_string(cellZ) + "," +
                           std::to_string(count) + "," + std::to_string(value) + ",[";
        for (int i = 0; heights && i < count; ++i)
            text += (i ? "," : "") + std::to_string(heights[i]);
        return text + "]";
    };
    if (auto result = Begin("aw_terrain_set", arguments)) return *result;
    if (int check = impl_->WorldCallCheck()) return check;
    if (count < 1 || !heights) return reason::InvalidArgument;
    SimWorldState& world = *impl_->entered;
    const int64_t lastX = static_cast<int64_t>(cellX) + count - 1;
    if (!world.CellInside(cellX, cellZ) || lastX > world.size) return reason::OutOfWorld;
    for (int i = 0; i < count; ++i) {
        world.terrain.Set(cellX + i, cellZ, Terrain{value, heights[i]}, world.size);
        if (listener_) listener_->OnTerrainSet(cellX + i, cellZ, value, heights[i]);
    }
    impl_->Sent(16 + 4 * static_cast<std::size_t>(count));
    impl_->QueueCallback(callback::TerrainSetResult, reason::Success);
    return reason::Success;
}

}  // namespace tv
