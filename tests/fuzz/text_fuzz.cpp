// Fuzz target for the small text readers: the formatter (formats come from the language file and
// the code), number conversions, the chat command splitter and the rights text. The input's first
// byte picks the reader; none may crash, hang or leak, whatever the bytes, and each keeps the
// properties checked below.
#include <algorithm>

#include "app/Errors.h"
#include "app/Format.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"
#include "fuzz/FuzzScene.h"

using tv::fuzz::Check;

namespace {

void FuzzFormat(const std::string& format) {
    try {
        tv::Format(format, {42, "text", 3.25, 7u});
    } catch (const tv::EConvertError&) {
        // A format that does not fit its arguments is reported, never undefined.
    }
}

void FuzzConversions(const std::string& text) {
    int32_t integer = 0;
    bool isInteger = tv::TryStrToInt(text, integer);
    try {
        Check(tv::StrToInt(text) == integer && isInteger);
    } catch (const tv::EConvertError&) {
        Check(!isInteger);
    }
    double real = 0;
    (void)tv::TryStrToFloat(text, real);
}

using Entries = std::vector<std::pair<int32_t, int32_t>>;

Entries SortedEntries(const tv::TTerrainRightsList& list) {
    Entries entries;
    for (const tv::TTerrainRightsItem& item : list)
        entries.emplace_back(item.LowCitnum, item.HighCitnum);
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The normalised text is the list's text, reads back to the same entries (their order may differ:
// numbers and other text do not compare as a total order) and grants the same citizens; "*" and
// only "*" grants everyone. Adding a citizen grants it; removing a number leaves no entry that
// begins with it.
void FuzzRights(const std::string& text) {
    tv::TTerrainRightsList list;
    const std::string normal = tv::TerrainRightsFromString(list, text);
    Check(normal == tv::TerrainRightsToString(list));
    tv::TTerrainRightsList again;
    tv::TerrainRightsFromString(again, normal);
    const bool everyone = normal == "*";
    Check(everyone ? again.Count() == 1 && again.Item(0).Everyone()
                   : SortedEntries(again) == SortedEntries(list));
    std::vector<int32_t> probes{0, -1, INT32_MIN, INT32_MAX};
    for (const tv::TTerrainRightsItem& item : list)
        for (int64_t bound : {int64_t{item.LowCitnum}, int64_t{item.HighCitnum}})
            for (int64_t near = bound - 1; near <= bound + 1; ++near)
                if (near >= INT32_MIN && near <= INT32_MAX)
                    probes.push_back(static_cast<int32_t>(near));
    for (int32_t citizen : probes) {
        const bool granted = tv::TerrainRightsHasCitizen(list, citizen);
        Check(granted == tv::TerrainRightsHasCitizen(again, citizen) && (!everyone || granted));
    }
    const int32_t citizen = probes[probes.size() / 2];
    tv::TerrainRightsAdd(again, citizen);
    Check(tv::TerrainRightsHasCitizen(again, citizen));
    tv::TerrainRightsRemove(again, citizen);
    for (const tv::TTerrainRightsItem& item : again) Check(item.LowCitnum != citizen);
    std::vector<std::string> entries = tv::SplitCommaList(text);
    const std::size_t count = entries.size();
    tv::SortNumericStrings(entries);
    Check(entries.size() == count);
}

void FuzzSplit(const std::string& text) {
    std::size_t total = 0;
    for (const std::string& word : tv::SplitCommandLine(text)) total += word.size();
    Check(total <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    using Reader = void (*)(const std::string&);
    constexpr Reader kReaders[] = {FuzzFormat, FuzzConversions, FuzzRights, FuzzSplit};
    kReaders[data[0] % 4](std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
}
