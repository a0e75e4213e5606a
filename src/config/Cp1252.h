#pragma once
// Windows-1252, the program's text encoding, against UTF-8 (what files and the Qt front end
// speak). Case-insensitive comparison of this text is CompareText/SameText in app/Format.h.
//
// The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) travel as the
// C1 control code points of the same value, so every byte survives an encode and a decode.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

// What a character without a Windows-1252 byte becomes: the inverted question mark.
inline constexpr char kUnmappableChar = static_cast<char>(191);

uint32_t Cp1252ToCodePoint(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToCp1252(uint32_t codePoint);

// Decodes the UTF-8 sequence at text[pos] and advances pos past it (always by at least one).
// One-, two- and three-byte sequences give their Windows-1252 byte; four-byte sequences,
// malformed bytes and code points without a byte give kUnmappableChar.
char DecodeUtf8Char(std::string_view text, std::size_t& pos);

std::string Utf8ToCp1252(std::string_view text);
std::string Cp1252ToUtf8(std::string_view text);
// Appends the UTF-8 form of one Windows-1252 byte.
void AppendCp1252AsUtf8(std::string& out, char byte);

}  // namespace tv
