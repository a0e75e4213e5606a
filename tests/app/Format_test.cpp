#include "app/Format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Errors.h"

namespace tv {
namespace {

const NumberSeparators kEnglish{',', '.'};
const NumberSeparators kGerman{'.', ','};

struct FormatCase {
    std::string format;
    std::vector<FormatArg> args;
    std::string expected;
};

// The initializer-list interface takes at most a handful of arguments; spell them out.
std::string FormatWith(const NumberSeparators& separators, const std::string& format,
                       const std::vector<FormatArg>& a) {
    switch (a.size()) {
        case 0:
            return Format(separators, format, {});
        case 1:
            return Format(separators, format, {a[0]});
        case 2:
            return Format(separators, format, {a[0], a[1]});
        case 3:
            return Format(separators, format, {a[0], a[1], a[2]});
        default:
            return Format(separators, format, {a[0], a[1], a[2], a[3]});
    }
}

TEST(Format, FillsSpecifiersLikeTheFramework) {
    const void* pointer = reinterpret_cast<const void*>(static_cast<uintptr_t>(0xABCDEF));
    const std::vector<FormatCase> cases = {
        {"%d cells", {42}, "42 cells"},
        {"%d", {-7}, "-7"},
        {"%.5d", {-42}, "-00042"},
        {"%5d|", {42}, "   42|"},
        {"%-5d|", {42}, "42   |"},
        {"%u", {-1}, "4294967295"},
        {"%u", {3000000000u}, "3000000000"},
        {"%x %X", {255, 255}, "FF FF"},
        {"%.8X", {0x1A2B}, "00001A2B"},
        {"%.8X", {-1}, "FFFFFFFF"},
        {"%p", {pointer}, sizeof(void*) == 8 ? "0000000000ABCDEF" : "00ABCDEF"},
        {"%.6f%%", {12.5}, "12.500000%"},
        {"%.6f", {100.0 / 3}, "33.333333"},
        {"%.2f", {2.675}, "2.67"},  // the double just below 2.675
        {"%.2f", {0.125}, "0.13"},  // an exact half rounds away from zero
        {"%.0f", {-0.4}, "0"},      // no "-0"
        {"%f", {1.0}, "1.00"},      // default precision 2
        {"%.0n", {441.0}, "441"},
        {"%.0n", {1234567.0}, "1,234,567"},
        {"%.0n", {999999.6}, "1,000,000"},
        {"%n", {-1234.5}, "-1,234.50"},
        {"%.*n KiB", {1, 1.5}, "1.5 KiB"},
        {"%.*n", {3, 1234.56789}, "1,234.568"},
        {"%-24s|", {"2026-01-01 00:00:00"}, "2026-01-01 00:00:00     |"},
        {"%-3s|", {"toolong"}, "toolong|"},
        {"%.3s", {"abcdef"}, "abc"},
        {"%*d", {4, 7}, "   7"},
        {"%0:s-%1:s-%0:s", {"a", "b"}, "a-b-a"},
        {"%1:s %s %0:s %s", {"a", "b", "c"}, "b c a b"},
        {"100%%", {}, "100%"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%g", {0.5}, "0.5"},
        {"%s and %s", {"x", std::string("y")}, "x and y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatWith(kEnglish, c.format, c.args), c.expected) << c.format;
    }
}

TEST(Format, UsesTheGivenSeparators) {
    EXPECT_EQ(Format(kGerman, "%.0n", {1234567.0}), "1.234.567");
    EXPECT_EQ(Format(kGerman, "%.2f", {1.5}), "1,50");
    EXPECT_EQ(Format(kGerman, "%.*n", {1, 1234.5}), "1.234,5");
}

TEST(Format, MismatchThrowsConvertErrorNamingTheFormat) {
    const std::vector<FormatCase> cases = {
        {"%d", {}, ""},                                              // missing argument
        {"%d %d", {1}, ""},                                          // second one missing
        {"%d", {"text"}, ""},                                        // integer wanted
        {"%s", {5}, ""},                                             // string wanted
        {"%f", {5}, ""},                                             // floating point wanted
        {"%.0n", {5}, ""},        {"%p", {5}, ""}, {"%q", {5}, ""},  // unknown specifier
        {"50%", {}, ""},           // format ends inside a specifier
        {"%2:s", {"a", "b"}, ""},  // index beyond the arguments
        {"%*d", {"x", 1}, ""},     // width must be an integer
    };
    for (const auto& c : cases) {
        try {
            FormatWith(kEnglish, c.format, c.args);
            ADD_FAILURE() << "no error for " << c.format;
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Format '" + c.format + "' invalid or incompatible with argument");
        }
    }
}

TEST(Format, DefaultSeparatorsWhenTheLocaleHasNone) {
    // Tests run in the "C" locale, which defines no thousands separator.
    EXPECT_EQ(UserSeparators().thousands, ',');
    EXPECT_EQ(UserSeparators().decimal, '.');
    EXPECT_EQ(Format("%.0n", {1000.0}), "1,000");
}

TEST(TextConversion, StrToIntAcceptsOnlyWholeIntegers) {
    const std::vector<std::pair<std::string, int32_t>> good = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"$1F", 31},
        {"0x10", 16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, value] : good) {
        EXPECT_EQ(StrToInt(text), value) << text;
    }
    for (std::string text : {"", " ", "1 ", " 1", "1.0", "abc", "2147483648", "-", "$", "$1G",
                             "99999999999999999999"}) {
        int32_t value = 12345;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
        EXPECT_EQ(value, 12345) << "value left alone for " << text;
        try {
            StrToInt(text);
            ADD_FAILURE() << "no error for '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
        }
    }
}

TEST(TextConversion, StrToFloatReadsDecimalNumbers) {
    const std::vector<std::pair<std::string, double>> good = {
        {"10.05", 10.05}, {"-2.5", -2.5}, {"3", 3.0}, {".5", 0.5}, {"1e3", 1000.0}, {" 1.5 ", 1.5},
    };
    for (const auto& [text, value] : good) {
        EXPECT_DOUBLE_EQ(StrToFloat(text), value) << text;
    }
    for (std::string text : {"", "abc", "1,5", "1.5x", "e5", "1e", "inf", "nan", "1e999"}) {
        double value = 0;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_THROW(StrToFloat(text), EConvertError) << text;
    }
    try {
        StrToFloat("x1");
        ADD_FAILURE();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'x1' is not a valid floating point value");
    }
}

TEST(TextConversion, CaseFolding) {
    EXPECT_EQ(LowerAscii("T:Show ALL \xC4"), "t:show all \xC4");
    EXPECT_EQ(UpperAscii("texture \xE4"), "TEXTURE \xE4");
    EXPECT_TRUE(SameText("Keeper", "kEEPER"));
    EXPECT_TRUE(SameText("J\xD6RG \x8A", "j\xF6rg \x9A"));  // Windows-1252 letters fold too
    EXPECT_FALSE(SameText("\xD7", "\xF7"));                 // multiplication and division signs
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_LT(CompareText("alpha", "Beta"), 0);
    EXPECT_GT(CompareText("beta", "ALPHA"), 0);
    EXPECT_LT(CompareText("ab", "ABC"), 0);
    EXPECT_EQ(CompareText("", ""), 0);
}

}  // namespace
}  // namespace tv
