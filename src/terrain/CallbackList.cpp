// The pending-request list's indexes: per type, and per cell and type in list order.

#include "terrain/TerrainCallback.h"

#include <algorithm>

namespace tv {

namespace {

std::size_t TypeIndex(CallbackType type) {
    return static_cast<std::size_t>(type) & 7u;
}

}  // namespace

uint64_t TTerrainCallbackList::Key(int32_t cellX, int32_t cellZ, CallbackType type) {
    // Cells far apart may share a key; look-ups compare the record itself.
    return (static_cast<uint64_t>(static_cast<uint32_t>(cellX)) << 32) ^
           (static_cast<uint64_t>(static_cast<uint32_t>(cellZ)) << 8) ^ static_cast<uint8_t>(type);
}

void TTerrainCallbackList::Run::Insert(Node* node, bool atFront) {
    if (!first) {
        first = node;
    } else if (atFront) {
        rest.insert(rest.begin(), first);
        first = node;
    } else {
        rest.push_back(node);
    }
}

void TTerrainCallbackList::Run::Erase(Node* node) {
    if (first == node) {
        first = rest.empty() ? nullptr : rest.front();
        if (first) rest.erase(rest.begin());
        return;
    }
    auto listed = std::find(rest.begin(), rest.end(), node);
    if (listed != rest.end()) rest.erase(listed);
}

void TTerrainCallbackList::Index(Node* node, bool first) {
    const TTerrainCallback& record = *node->Item;
    ++perType_[TypeIndex(record.Type)];
    byCell_[Key(record.CellX, record.CellZ, record.Type)].Insert(node, first);
}

void TTerrainCallbackList::Unindex(Node* node) {
    const TTerrainCallback& record = *node->Item;
    --perType_[TypeIndex(record.Type)];
    auto cell = byCell_.find(Key(record.CellX, record.CellZ, record.Type));
    if (cell == byCell_.end()) return;
    cell->second.Erase(node);
    if (!cell->second.first) byCell_.erase(cell);
}

TTerrainCallbackList::Node* TTerrainCallbackList::AddFirst(
    std::unique_ptr<TTerrainCallback> record) {
    Node* node = list_.AddFirst(std::move(record));
    Index(node, true);
    return node;
}

TTerrainCallbackList::Node* TTerrainCallbackList::AddLast(
    std::unique_ptr<TTerrainCallback> record) {
    Node* node = list_.AddLast(std::move(record));
    Index(node, false);
    return node;
}

void TTerrainCallbackList::RemoveNode(Node* node) {
    Unindex(node);
    list_.RemoveNode(node);
}

void TTerrainCallbackList::RemoveItem(const TTerrainCallback* record) {
    auto cell = byCell_.find(Key(record->CellX, record->CellZ, record->Type));
    if (cell == byCell_.end()) return;
    if (Node* node = cell->second.FindIf([&](Node* n) { return n->Item.get() == record; }))
        RemoveNode(node);
}

void TTerrainCallbackList::RemoveFirst() {
    if (Node* head = list_.Head()) RemoveNode(head);
}

void TTerrainCallbackList::Clear() {
    list_.Clear();
    perType_.fill(0);
    byCell_.clear();
}

int TTerrainCallbackList::CountOf(CallbackType type) const {
    return perType_[TypeIndex(type)];
}

TTerrainCallback* TTerrainCallbackList::Find(int32_t cellX, int32_t cellZ,
                                             CallbackType type) const {
    auto cell = byCell_.find(Key(cellX, cellZ, type));
    if (cell == byCell_.end()) return nullptr;
    Node* node = cell->second.FindIf([&](Node* n) {
        const TTerrainCallback& record = *n->Item;
        return record.CellX == cellX && record.CellZ == cellZ && record.Type == type;
    });
    return node ? node->Item.get() : nullptr;
}

}  // namespace tv
