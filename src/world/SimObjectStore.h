#pragma once
// The objects of one embedded world, indexed three ways so that a world of millions of objects
// answers every call in constant or logarithmic time: by number (the key), by id (unique: every
// new or changed object gets a fresh one) and by cell (each cell's numbers kept ascending, the
// order a cell query reports them in).

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "world/SimWorld.h"

namespace tv {

class SimObjectStore final {
public:
    std::size_t Size() const { return byNumber_.size(); }
    bool Empty() const { return byNumber_.empty(); }
    void Reserve(std::size_t objects);

    // Adds an object whose number is new to the store.
    void Add(const SimObject& object);
    SimObject* ByNumber(uint32_t number);
    const SimObject* ById(int32_t id) const;
    // The object with the lowest number standing exactly at (x, z); null when none does.
    const SimObject* At(int32_t x, int32_t z) const;
    // The objects of a cell, lowest number first.
    std::vector<const SimObject*> InCell(int32_t cellX, int32_t cellZ) const;
    // Puts `changed` in the place of the object with its number (id and position may differ).
    void Replace(const SimObject& changed);
    void Remove(uint32_t number);
    // Every object, lowest number first (a copy: for inspection, not for hot paths).
    std::vector<SimObject> All() const;

private:
    static uint64_t CellKey(int32_t cellX, int32_t cellZ);
    static uint64_t CellOf(const SimObject& object);
    void Unindex(const SimObject& object);
    void Index(const SimObject& object);

    std::unordered_map<uint32_t, SimObject> byNumber_;
    std::unordered_map<int32_t, uint32_t> byId_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> byCell_;
};

}  // namespace tv
