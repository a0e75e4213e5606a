#pragma once
// The bot's own list of citizen numbers that may change terrain: single citizens, ranges
// ("%d~%d") and everyone ("*"), read from config.xml and changed by the rights editor and by chat.

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

class Bot;
struct TTerrainSession;

struct TTerrainRightsItem {
    int32_t LowCitnum = 0;
    int32_t HighCitnum = 0;
    bool Everyone() const { return LowCitnum == -1; }
};

class TTerrainRightsList final {
public:
    TTerrainRightsItem& Add();  // a new zeroed item at the end
    std::size_t Count() const { return items_.size(); }
    const TTerrainRightsItem& Item(std::size_t index) const { return items_[index]; }
    void Delete(std::size_t index);
    void Clear() { items_.clear(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<TTerrainRightsItem> items_;
};

// Citizens Low to High, both included; one citizen when they are equal. What a chat grant or
// revoke names.
struct TRightsTarget {
    int32_t Low = 0;
    int32_t High = 0;
    std::string Text() const;  // "7" or "5~10"
};

// Whole decimal numbers only, with an optional sign ("0x10" and "$10" are no numbers); false
// beyond 32 bits.
bool ParseDecimal(const std::string& text, int32_t& value);
// A citizen number ("12") or a range of them ("5~10", rising): decimal digits, no sign, no blanks.
bool ParseRightsTarget(const std::string& text, TRightsTarget& target);
// One entry covers every citizen of the target (the everyone entry covers all).
bool TerrainRightsCoversAll(const TTerrainRightsList& list, const TRightsTarget& target);
// Some entry covers at least one citizen of the target.
bool TerrainRightsCoversAny(const TTerrainRightsList& list, const TRightsTarget& target);
// A single citizen: TerrainRightsRemove. A range: every entry lying wholly inside it.
void TerrainRightsRemoveTarget(TTerrainRightsList& list, const TRightsTarget& target);

// Replaces the list with the entries of `text` and returns its normalised text form. Unreadable
// entries become citizen 0 and unreadable range bounds 0; a number beyond 32 bits is unreadable.
std::string TerrainRightsFromString(TTerrainRightsList& list, const std::string& text);
std::string TerrainRightsToString(const TTerrainRightsList& list);
bool TerrainRightsHasCitizen(const TTerrainRightsList& list, int32_t citnum);
void TerrainRightsAdd(TTerrainRightsList& list, int32_t citnum);
void TerrainRightsRemove(TTerrainRightsList& list, int32_t citnum);
// The rights gate: world right 50, then the list; may tell the user why not.
bool TerrainRightsCheckSession(Bot& bot, const TTerrainSession& session);

// Splits at "," skipping blanks and tabs before an entry and dropping empty entries.
std::vector<std::string> SplitCommaList(const std::string& text);
// Numbers numerically (negatives by magnitude after), other text case-insensitively. The order
// is not transitive for every input; the sort tolerates that and always keeps every string.
void SortNumericStrings(std::vector<std::string>& list);
int CompareNumericStrings(const std::string& a, const std::string& b);

}  // namespace tv
