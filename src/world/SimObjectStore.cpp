#include "world/SimObjectStore.h"

#include <algorithm>

#include "world/SimWorldImpl.h"

namespace tv {

uint64_t SimObjectStore::CellKey(int32_t cellX, int32_t cellZ) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(cellX)) << 32) |
           static_cast<uint32_t>(cellZ);
}

uint64_t SimObjectStore::CellOf(const SimObject& object) {
    return CellKey(FloorCell(object.x), FloorCell(object.z));
}

void SimObjectStore::Reserve(std::size_t objects) {
    byNumber_.reserve(objects);
    byId_.reserve(objects);
    byCell_.reserve(objects);
}

void SimObjectStore::Index(const SimObject& object) {
    byId_[object.id] = object.number;
    std::vector<uint32_t>& numbers = byCell_[CellOf(object)];
    // Numbers only grow, so a new object almost always goes to the end.
    numbers.insert(std::upper_bound(numbers.begin(), numbers.end(), object.number), object.number);
}

void SimObjectStore::Unindex(const SimObject& object) {
    byId_.erase(object.id);
    auto cell = byCell_.find(CellOf(object));
    if (cell == byCell_.end()) return;
    std::vector<uint32_t>& numbers = cell->second;
    auto at = std::lower_bound(numbers.begin(), numbers.end(), object.number);
    if (at != numbers.end() && *at == object.number) numbers.erase(at);
    if (numbers.empty()) byCell_.erase(cell);
}

void SimObjectStore::Add(const SimObject& object) {
    if (!byNumber_.emplace(object.number, object).second) return;
    Index(object);
}

SimObject* SimObjectStore::ByNumber(uint32_t number) {
    auto it = byNumber_.find(number);
    return it == byNumber_.end() ? nullptr : &it->second;
}

const SimObject* SimObjectStore::ById(int32_t id) const {
    auto it = byId_.find(id);
    if (it == byId_.end()) return nullptr;
    return &byNumber_.at(it->second);
}

const SimObject* SimObjectStore::At(int32_t x, int32_t z) const {
    auto cell = byCell_.find(CellKey(FloorCell(x), FloorCell(z)));
    if (cell == byCell_.end()) return nullptr;
    for (uint32_t number : cell->second) {
        const SimObject& object = byNumber_.at(number);
        if (object.x == x && object.z == z) return &object;
    }
    return nullptr;
}

std::vector<const SimObject*> SimObjectStore::InCell(int32_t cellX, int32_t cellZ) const {
    std::vector<const SimObject*> objects;
    auto cell = byCell_.find(CellKey(cellX, cellZ));
    if (cell == byCell_.end()) return objects;
    objects.reserve(cell->second.size());
    for (uint32_t number : cell->second) objects.push_back(&byNumber_.at(number));
    return objects;
}

void SimObjectStore::Replace(const SimObject& changed) {
    SimObject* object = ByNumber(changed.number);
    if (!object) return;
    if (CellOf(*object) != CellOf(changed)) {
        Unindex(*object);
        *object = changed;
        Index(*object);
        return;
    }
    // Same cell (a hide, a show, a new description): only the id changes its index.
    byId_.erase(object->id);
    *object = changed;
    byId_[object->id] = object->number;
}

void SimObjectStore::Remove(uint32_t number) {
    auto it = byNumber_.find(number);
    if (it == byNumber_.end()) return;
    Unindex(it->second);
    byNumber_.erase(it);
}

std::vector<SimObject> SimObjectStore::All() const {
    std::vector<SimObject> objects;
    objects.reserve(byNumber_.size());
    for (const auto& entry : byNumber_) objects.push_back(entry.second);
    std::sort(objects.begin(), objects.end(),
              [](const SimObject& a, const SimObject& b) { return a.number < b.number; });
    return objects;
}

}  // namespace tv
