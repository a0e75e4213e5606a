#include "app/Format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Errors.h"
#include "support/TestBot.h"

namespace tv::test {
namespace {

const NumberSeparators kEnglish{',', '.'};
const NumberSeparators kGerman{'.', ','};

std::string English(std::string_view format, std::initializer_list<FormatArg> args = {}) {
    return Format(kEnglish, format, args);
}

TEST(Format, FillsSpecifiersLikeTheFramework) {
    const void* pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(0xABCDEF));
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {English("%d cells", {42}), "42 cells"},      {English("%.5d", {-42}), "-00042"},
        {English("%5d|", {42}), "   42|"},
        {English("%-5d|", {42}), "42   |"},           {English("%u", {-1}), "4294967295"},
        {English("%u", {3000000000u}), "3000000000"},
        {English("%x %X", {255, 255}), "FF FF"},      {English("%.8X", {0x1A2B}), "00001A2B"},
        {English("%.8X", {-1}), "FFFFFFFF"},
        {English("%p", {pointer}), sizeof(void*) == 8 ? "0000000000ABCDEF" : "00ABCDEF"},
        {English("%.6f%%", {12.5}), "12.500000%"},    {English("%.6f", {100.0 / 3}), "33.333333"},
        {English("%.2f", {2.675}), "2.67"},  // the double just below 2.675
        {English("%.2f", {0.125}), "0.13"},  // an exact half rounds away from zero
        {English("%.0f", {-0.4}), "0"},  // no "-0"
        {English("%f", {1.0}), "1.00"},  // default precision 2
        {English("%.0n", {441.0}), "441"},            {English("%.0n", {1234567.0}), "1,234,567"},
        {English("%.0n", {999999.6}), "1,000,000"},   {English("%n", {-1234.5}), "-1,234.50"},
        {English("%.*n KiB", {1, 1.5}), "1.5 KiB"},
        {English("%.*n", {3, 1234.56789}), "1,234.568"},
        {English("%-24s|", {"2026-01-01 00:00:00"}), "2026-01-01 00:00:00     |"},
        {English("%-3s|", {"toolong"}), "toolong|"},  {English("%.3s", {"abcdef"}), "abc"},
        {English("%*d", {4, 7}), "   7"},
        {English("%0:s-%1:s-%0:s", {"a", "b"}), "a-b-a"},
        {English("%1:s %s %0:s %s", {"a", "b", "c"}), "b c a b"},
        {English("100%%"), "100%"},
        {English("%e", {1234.5}), "1.23450000000000E+003"},
        {English("%g", {0.5}), "0.5"},
        {English("%s and %s", {"x", std::string("y")}), "x and y"},
        // Other separators, and the defaults when the locale has none (tests run in "C").
        {Format(kGerman, "%.0n", {1234567.0}), "1.234.567"},
        {Format(kGerman, "%.2f", {1.5}), "1,50"},
        {Format(kGerman, "%.*n", {1, 1234.5}), "1.234,5"},
        {Format("%.0n", {1000.0}), "1,000"}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(Format, MismatchThrowsConvertErrorNamingTheFormat) {
    auto error = [](std::string_view format, std::initializer_list<FormatArg> args = {}) {
        return ErrorOf<EConvertError>([&] { English(format, args); });
    };
    // Missing argument, integer, string, floating point or pointer wanted, unknown specifier,
    // the end inside a specifier, no such index, a width that is no integer.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {error("%d"), "%d"},             {error("%d %d", {1}), "%d %d"},
        {error("%d", {"text"}), "%d"},   {error("%s", {5}), "%s"},
        {error("%f", {5}), "%f"},        {error("%.0n", {5}), "%.0n"},
        {error("%p", {5}), "%p"},        {error("%q", {5}), "%q"},
        {error("50%"), "50%"},           {error("%2:s", {"a", "b"}), "%2:s"},
        {error("%*d", {"x", 1}), "%*d"}};
    // clang-format on
    for (const auto& [message, format] : cases)
        EXPECT_EQ(message, "Format '" + format + "' invalid or incompatible with argument");
}

// A rejected text leaves the value alone and names itself; the fuzz replay checks that StrToInt
// fails exactly where TryStrToInt does.
TEST(TextConversion, WholeIntegersAndDecimalNumbers) {
    // clang-format off
    const std::pair<std::string, int32_t> integers[] = {
        {"0", 0},       {"-42", -42},       {"+7", 7},                  {"$1F", 31},
        {"0x10", 16},   {"$FFFFFFFF", -1},  {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}};
    const std::pair<std::string, double> reals[] = {
        {"10.05", 10.05}, {"-2.5", -2.5}, {"3", 3.0}, {".5", 0.5}, {"1e3", 1000.0}, {" 1.5 ", 1.5}};
    // clang-format on
    for (const auto& [text, value] : integers) EXPECT_EQ(StrToInt(text), value) << text;
    for (const auto& [text, value] : reals) EXPECT_DOUBLE_EQ(StrToFloat(text), value) << text;
    for (std::string text : {"", " ", "1 ", " 1", "1.0", "abc", "2147483648", "-", "$", "$1G",
                             "99999999999999999999"}) {
        int32_t value = 12345;
        EXPECT_FALSE(TryStrToInt(text, value) || value != 12345) << text;
        EXPECT_EQ(ErrorOf<EConvertError>([&] { StrToInt(text); }),
                  "'" + text + "' is not a valid integer value");
    }
    for (std::string text : {"", "abc", "1,5", "1.5x", "e5", "1e", "inf", "nan", "1e999", "x1"}) {
        double value = 0;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(ErrorOf<EConvertError>([&] { StrToFloat(text); }),
                  "'" + text + "' is not a valid floating point value");
    }
}

TEST(TextConversion, CaseFolding) {
    EXPECT_EQ(LowerAscii("T:Show ALL \xC4"), "t:show all \xC4");
    EXPECT_EQ(UpperAscii("texture \xE4"), "TEXTURE \xE4");
    EXPECT_TRUE(SameText("Keeper", "kEEPER"));
    EXPECT_TRUE(SameText("J\xD6RG \x8A", "j\xF6rg \x9A"));  // Windows-1252 letters fold too
    EXPECT_FALSE(SameText("\xD7", "\xF7"));                 // multiplication and division signs
    EXPECT_FALSE(SameText("abc", "abcd"));
    // Ordering ignores case too (the working users' list shows it); a prefix comes first.
    EXPECT_GT(CompareText("beta", "ALPHA"), 0);
    EXPECT_LT(CompareText("ab", "ABC"), 0);
}

}  // namespace
}  // namespace tv::test
