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

void TTerrainCallbackList::Index(Node* node, bool first) {
    const TTerrainCallback& record = *node->Item;
    ++perType_[TypeIndex(record.Type)];
    std::vector<Node*>& nodes = byCell_[Key(record.CellX, record.CellZ, record.Type)];
    nodes.insert(first ? nodes.begin() : nodes.end(), node);
}

void TTerrainCallbackList::Unindex(Node* node) {
    const TTerrainCallback& record = *node->Item;
    --perType_[TypeIndex(record.Type)];
    auto cell = byCell_.find(Key(record.CellX, record.CellZ, record.Type));
    if (cell == byCell_.end()) return;
    std::vector<Node*>& nodes = cell->second;
    auto listed = std::find(nodes.begin(), nodes.end(), node);
    if (listed != nodes.end()) nodes.erase(listed);
    if (nodes.empty()) byCell_.erase(cell);
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
    for (Node* node : cell->second) {
        if (node->Item.get() != record) continue;
        RemoveNode(node);
        return;
    }
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
    for (Node* node : cell->second) {
        TTerrainCallback& record = *node->Item;
        if (record.CellX == cellX && record.CellZ == cellZ && record.Type == type) return &record;
    }
    return nullptr;
}

}  // namespace tv
