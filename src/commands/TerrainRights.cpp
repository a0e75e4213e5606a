#include "commands/TerrainRights.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "app/Bot.h"
#include "app/Format.h"
#include "app/MessageQueue.h"
#include "events/SessionTable.h"

namespace tv {

namespace {

constexpr int32_t kEveryoneLow = -1;
constexpr int32_t kEveryoneHigh = std::numeric_limits<int32_t>::max();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads an optional sign and decimal digits starting at `pos`, the way a C "%d" conversion does
// after its blanks. A number outside 32 bits is treated as unreadable rather than wrapped, so a
// typing slip can never turn into somebody else's citizen number.
bool ScanDecimal(const std::string& text, std::size_t& pos, int32_t& value) {
    std::size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !IsDigit(text[p])) return false;
    int64_t magnitude = 0;
    bool overflow = false;
    for (; p < text.size() && IsDigit(text[p]); ++p) {
        magnitude = magnitude * 10 + (text[p] - '0');
        if (magnitude > int64_t{1} << 31) {
            overflow = true;
            magnitude = int64_t{1} << 31;
        }
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    pos = p;
    return true;
}

// The whole text is one decimal integer (no blanks anywhere).
bool WholeDecimal(const std::string& text, int32_t& value) {
    std::size_t pos = 0;
    int32_t read = 0;
    if (!ScanDecimal(text, pos, read) || pos != text.size()) return false;
    value = read;
    return true;
}

bool IsScanBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// "%d~%d" as the C library scans it: each field skips leading blanks, the "~" must follow the
// first number at once, and a field that cannot be read leaves its target (and the rest) alone.
void ScanRange(const std::string& text, int32_t& low, int32_t& high) {
    std::size_t pos = 0;
    while (pos < text.size() && IsScanBlank(text[pos])) ++pos;
    if (!ScanDecimal(text, pos, low)) return;
    if (pos >= text.size() || text[pos] != '~') return;
    ++pos;
    while (pos < text.size() && IsScanBlank(text[pos])) ++pos;
    ScanDecimal(text, pos, high);
}

// Merge sort that never reads outside its range, whatever the comparison answers: the numeric
// order mixes two rules and text, so it is not transitive for every input.
void MergeSort(std::vector<std::string>& items,
               int (*compare)(const std::string&, const std::string&)) {
    std::vector<std::string> scratch(items.size());
    for (std::size_t width = 1; width < items.size(); width *= 2) {
        for (std::size_t left = 0; left < items.size(); left += 2 * width) {
            std::size_t mid = std::min(left + width, items.size());
            std::size_t right = std::min(left + 2 * width, items.size());
            std::size_t i = left, j = mid, out = left;
            while (i < mid && j < right)
                scratch[out++] =
                    compare(items[j], items[i]) < 0 ? std::move(items[j++]) : std::move(items[i++]);
            while (i < mid) scratch[out++] = std::move(items[i++]);
            while (j < right) scratch[out++] = std::move(items[j++]);
        }
        items.swap(scratch);
    }
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

}  // namespace

std::string TRightsTarget::Text() const {
    return Low == High ? std::to_string(Low) : std::to_string(Low) + "~" + std::to_string(High);
}

bool ParseDecimal(const std::string& text, int32_t& value) {
    return WholeDecimal(text, value);
}

bool ParseRightsTarget(const std::string& text, TRightsTarget& target) {
    const std::size_t tilde = text.find('~');
    const std::string low = text.substr(0, tilde);
    const std::string high = tilde == std::string::npos ? low : text.substr(tilde + 1);
    TRightsTarget read;
    if (!AllDigits(low) || !AllDigits(high) || !WholeDecimal(low, read.Low) ||
        !WholeDecimal(high, read.High) || read.Low > read.High)
        return false;
    target = read;
    return true;
}

bool TerrainRightsCoversAll(const TTerrainRightsList& list, const TRightsTarget& target) {
    for (const TTerrainRightsItem& item : list)
        if (item.Everyone() || (item.LowCitnum <= target.Low && target.High <= item.HighCitnum))
            return true;
    return false;
}

bool TerrainRightsCoversAny(const TTerrainRightsList& list, const TRightsTarget& target) {
    for (const TTerrainRightsItem& item : list)
        if (item.Everyone() || (item.LowCitnum <= target.High && target.Low <= item.HighCitnum))
            return true;
    return false;
}

void TerrainRightsRemoveTarget(TTerrainRightsList& list, const TRightsTarget& target) {
    if (target.Low == target.High) return TerrainRightsRemove(list, target.Low);
    for (std::size_t index = list.Count(); index-- > 0;) {
        const TTerrainRightsItem& item = list.Item(index);
        if (!item.Everyone() && target.Low <= item.LowCitnum && item.HighCitnum <= target.High)
            list.Delete(index);
    }
}

TTerrainRightsItem& TTerrainRightsList::Add() {
    return items_.emplace_back();
}

void TTerrainRightsList::Delete(std::size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::vector<std::string> SplitCommaList(const std::string& text) {
    std::vector<std::string> entries;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        std::size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        if (comma > pos) entries.push_back(text.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return entries;
}

int CompareNumericStrings(const std::string& a, const std::string& b) {
    int32_t numberA = 0, numberB = 0;
    if (WholeDecimal(a, numberA) && WholeDecimal(b, numberB)) {
        // 64-bit so that the magnitude of the lowest 32-bit number cannot overflow.
        int64_t A = numberA, B = numberB;
        int64_t difference = (A >= 0 && B >= 0) ? A - B : std::llabs(B) - std::llabs(A);
        return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
    }
    return CompareText(a, b);
}

void SortNumericStrings(std::vector<std::string>& list) {
    std::vector<std::string> scratch = list;
    MergeSort(scratch, &CompareNumericStrings);
    list = std::move(scratch);
}

std::string TerrainRightsFromString(TTerrainRightsList& list, const std::string& text) {
    std::vector<std::string> entries = SplitCommaList(text);
    SortNumericStrings(entries);
    list.Clear();
    for (const std::string& entry : entries) {
        if (entry == "*") {
            list.Clear();
            TTerrainRightsItem& everyone = list.Add();
            everyone.LowCitnum = kEveryoneLow;
            everyone.HighCitnum = kEveryoneHigh;
            break;
        }
        TTerrainRightsItem& item = list.Add();
        if (entry.find('~') == std::string::npos) {
            int32_t citizen = 0;
            if (!WholeDecimal(entry, citizen)) citizen = 0;
            item.LowCitnum = item.HighCitnum = citizen;
        } else {
            ScanRange(entry, item.LowCitnum, item.HighCitnum);
        }
    }
    return TerrainRightsToString(list);
}

std::string TerrainRightsToString(const TTerrainRightsList& list) {
    std::string result;
    for (const TTerrainRightsItem& item : list) {
        if (item.Everyone()) return "*";
        result += std::to_string(item.LowCitnum);
        if (item.LowCitnum != item.HighCitnum) result += "~" + std::to_string(item.HighCitnum);
        result += ",";
    }
    if (!result.empty()) result.pop_back();
    return result;
}

bool TerrainRightsHasCitizen(const TTerrainRightsList& list, int32_t citnum) {
    for (const TTerrainRightsItem& item : list) {
        if (item.Everyone()) return true;
        if (item.LowCitnum <= citnum && citnum <= item.HighCitnum) return true;
    }
    return false;
}

void TerrainRightsAdd(TTerrainRightsList& list, int32_t citnum) {
    TTerrainRightsItem& item = list.Add();
    item.LowCitnum = item.HighCitnum = citnum;
}

void TerrainRightsRemove(TTerrainRightsList& list, int32_t citnum) {
    std::size_t index = 0;
    while (index < list.Count()) {
        if (list.Item(index).LowCitnum == citnum) {
            list.Delete(index);
            index = 0;
        } else {
            ++index;
        }
    }
}

bool TerrainRightsCheckSession(Bot& bot, const TTerrainSession& session) {
    const int32_t privilege = session.privilege;
    if (bot.sdk.aw_has_world_right(privilege, right::Terrain) == 0) return false;
    if (TerrainRightsHasCitizen(bot.rights, privilege)) return true;
    if (bot.options.Flag(OptionFlag::RightsNotify)) {
        const std::string world = bot.sdk.aw_string(attr::WorldName);
        if (privilege != session.citizen) {
            Reply(bot, session.session,
                  "You are using the privileges of cit#%d, who does not have terrain rights in %s.",
                  {privilege, world});
        } else {
            Reply(bot, session.session, "You do not have terrain rights in %s.", {world});
        }
    }
    return false;
}

}  // namespace tv
