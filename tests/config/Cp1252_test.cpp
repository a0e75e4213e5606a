#include "config/Cp1252.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tv {
namespace {

using Pair = std::pair<std::string, std::string>;

TEST(Cp1252Test, EncodesToUtf8) {
    const Pair cases[] = {
        // code page, UTF-8
        {"plain", "plain"},
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80", "\xE2\x82\xAC"},          // euro sign
        {"\x99", "\xE2\x84\xA2"},          // trade mark sign
        {"\x9F\xFF", "\xC5\xB8\xC3\xBF"},  // Y with diaeresis, both cases
        {"\x81\x8D", "\xC2\x81\xC2\x8D"},  // undefined bytes travel as C1 controls
        {std::string("a\0b", 3), std::string("a\0b", 3)}};
    for (const auto& [cp1252, utf8] : cases) {
        EXPECT_EQ(Cp1252ToUtf8(cp1252), utf8);
        EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
    }
    std::string everyByte;
    for (int c = 0; c < 256; ++c) everyByte += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(everyByte)), everyByte);
}

// Character references go through the same table: MicroXml_test.
TEST(Cp1252Test, DecodesWhatHasNoByteAsInvertedQuestionMark) {
    const Pair cases[] = {
        // UTF-8, code page
        {"\xE4\xB8\xAD", "\xBF"},        // a character outside the code page
        {"\xC2\x80", "\xBF"},            // a C1 control whose byte means something else
        {"\xF0\x9F\x98\x80x", "\xBFx"},  // four-byte sequences, whatever they hold
        {"\xE9t\xE9", "\xBFt\xBF"},      // 8-bit text mistaken for UTF-8
        {"\xE2\x82", "\xBF"},            // a truncated sequence is one character
        {"\x80\x80", "\xBF\xBF"},        // stray continuation bytes
        {"\xC0\xAF", "\xBF\xBF"},        // overlong two-byte form
        {"\xE0\x80\xAF", "\xBF"},        // overlong three-byte form
        {"\xED\xA0\x80", "\xBF"},        // surrogate half
        {"\xF8\x88\x80\x80\x80", "\xBF\xBF\xBF\xBF\xBF"}};
    for (const auto& [utf8, cp1252] : cases) EXPECT_EQ(Utf8ToCp1252(utf8), cp1252) << utf8;
}

}  // namespace
}  // namespace tv
