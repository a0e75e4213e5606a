// Fuzz target for the small text readers: the formatter (formats come from the language file and
// the code), number conversions, the chat command splitter and the rights text. The input's first
// byte picks the reader; none may crash, hang or leak, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Errors.h"
#include "app/Format.h"
#include "commands/TerrainCommand.h"
#include "commands/TerrainRights.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

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

void FuzzRights(const std::string& text) {
    tv::TTerrainRightsList list;
    std::string normal = tv::TerrainRightsFromString(list, text);
    // The normalised text reads back to a list of the same size (the order may differ: the
    // comparison of numbers and text is not a total order).
    tv::TTerrainRightsList again;
    tv::TerrainRightsFromString(again, normal);
    Check(normal == "*" || again.Count() == list.Count());
    std::vector<std::string> entries = tv::SplitCommaList(text);
    std::size_t count = entries.size();
    tv::SortNumericStrings(entries);
    Check(entries.size() == count);
}

void FuzzSplit(const std::string& text) {
    std::vector<std::string> words = tv::SplitCommandLine(text);
    std::size_t total = 0;
    for (const auto& word : words) total += word.size();
    Check(total <= text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 4096) return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
            FuzzFormat(text);
            break;
        case 1:
            FuzzConversions(text);
            break;
        case 2:
            FuzzRights(text);
            break;
        default:
            FuzzSplit(text);
            break;
    }
    return 0;
}
