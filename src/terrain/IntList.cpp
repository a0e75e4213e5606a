#include "terrain/IntList.h"

#include <algorithm>

#include "app/Errors.h"

namespace tv {

int TIntList::Add(int32_t value) {
    items_.push_back(value);
    return Count() - 1;
}

void TIntList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    items_.erase(items_.begin() + index);
}

int TIntList::IndexOf(int32_t value) const {
    auto it = std::find(items_.begin(), items_.end(), value);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TIntList::Remove(int32_t value) {
    int index = IndexOf(value);
    if (index != -1) Delete(index);
    return index;
}

int32_t TIntList::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError("Invalid list index.");
    return items_[static_cast<std::size_t>(index)];
}

}  // namespace tv
