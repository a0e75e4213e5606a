#pragma once
// An ordered list of 32-bit integers, duplicates allowed.

#include <cstdint>
#include <vector>

namespace tv {

class TIntList final {
public:
    int Add(int32_t value);
    void Delete(int index);  // out of range: ignored
    int IndexOf(int32_t value) const;
    int Remove(int32_t value);  // index removed, or -1
    int Count() const { return static_cast<int>(items_.size()); }
    int32_t Items(int index) const;  // out of range: EListError "Invalid list index."
    void Clear() { items_.clear(); }

private:
    std::vector<int32_t> items_;
};

}  // namespace tv
