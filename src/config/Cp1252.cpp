#include "config/Cp1252.h"

#include <array>

namespace tv {

namespace {

// Code points of the bytes 0x80..0x9F; the undefined five map to themselves.
constexpr std::array<uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Counts the continuation bytes present after a lead byte, up to `wanted`.
std::size_t ContinuationsAt(std::string_view text, std::size_t pos, std::size_t wanted) {
    std::size_t found = 0;
    while (found < wanted && pos + found < text.size() &&
           IsContinuation(static_cast<unsigned char>(text[pos + found])))
        ++found;
    return found;
}

}  // namespace

uint32_t Cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

int CodePointToCp1252(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == codePoint) return static_cast<int>(0x80 + i);
    return -1;
}

char DecodeUtf8Char(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return static_cast<char>(lead);
    }
    std::size_t length = 0;
    uint32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        ++pos;  // a stray continuation byte or a lead byte that never starts a valid sequence
        return kUnmappableChar;
    }
    std::size_t present = ContinuationsAt(text, pos + 1, length - 1);
    if (present < length - 1 || length == 4) {
        // Truncated sequences are replaced as a whole, like four-byte ones.
        pos += 1 + present;
        return kUnmappableChar;
    }
    for (std::size_t i = 1; i < length; ++i)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += length;
    // Overlong three-byte forms and surrogate halves are not characters.
    if (length == 3 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)))
        return kUnmappableChar;
    int byte = CodePointToCp1252(codePoint);
    return byte < 0 ? kUnmappableChar : static_cast<char>(byte);
}

std::string Utf8ToCp1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) out += DecodeUtf8Char(text, pos);
    return out;
}

void AppendCp1252AsUtf8(std::string& out, char byte) {
    uint32_t codePoint = Cp1252ToCodePoint(static_cast<unsigned char>(byte));
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) AppendCp1252AsUtf8(out, c);
    return out;
}

}  // namespace tv
