#include "app/Format.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Errors.h"

namespace tv {

namespace {

// A width or precision beyond this is a broken format, not a request for megabytes of blanks.
constexpr int64_t kMaxFieldSize = 100000;
// Fixed-point precision is capped like the framework's 18 significant digits.
constexpr int kMaxFixedDecimals = 18;

[[noreturn]] void Invalid(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) +
                        "' invalid or incompatible with argument");
}

// A separator from the locale only when it is one byte; the cp1252 no-break space stands in for
// the UTF-8 spaces some locales group digits with.
char SeparatorFrom(const char* text, char fallback) {
    if (!text || !*text) return fallback;
    std::string_view value(text);
    if (value.size() == 1) return value[0];
    if (value == "\xC2\xA0" || value == "\xE2\x80\xAF") return '\xA0';
    return fallback;
}

NumberSeparators ReadLocaleSeparators() {
    NumberSeparators separators;
    if (const std::lconv* conv = std::localeconv()) {
        separators.decimal = SeparatorFrom(conv->decimal_point, '.');
        separators.thousands = SeparatorFrom(conv->thousands_sep, ',');
        if (separators.thousands == separators.decimal)
            separators.thousands = separators.decimal == ',' ? '.' : ',';
    }
    return separators;
}

// A non-negative finite value as decimal digits: value = 0.digits x 10^point.
struct Decimal {
    std::string digits;
    int point = 0;
};

Decimal ToDecimal(double magnitude) {
    Decimal decimal;
    if (magnitude == 0) return decimal;
    // Seventeen significant digits hold every double exactly enough to round it once, in decimal.
    // to_chars gives the digits printf's "%.16e" gives, correctly rounded, without its locale
    // and stream machinery (the window's figures format a number at every cell learned).
    char buffer[40] = {};
    std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::scientific, 16);
    decimal.digits.push_back(buffer[0]);
    decimal.digits.append(buffer + 2, 16);
    decimal.point = std::atoi(buffer + 19) + 1;
    return decimal;
}

// Keeps the first `keep` digits, rounding half away from zero as the framework does.
void RoundTo(Decimal& decimal, int keep) {
    if (keep >= static_cast<int>(decimal.digits.size())) return;
    if (keep < 0) {
        decimal.digits.clear();
        return;
    }
    bool up = decimal.digits[keep] >= '5';
    decimal.digits.resize(keep);
    if (!up) return;
    int i = keep - 1;
    while (i >= 0 && decimal.digits[i] == '9') decimal.digits[i--] = '0';
    if (i >= 0) {
        ++decimal.digits[i];
    } else {
        decimal.digits.insert(decimal.digits.begin(), '1');
        ++decimal.point;
    }
}

bool IsZero(const Decimal& decimal) {
    return decimal.digits.find_first_not_of('0') == std::string::npos;
}

char DigitAt(const Decimal& decimal, int index) {
    return index >= 0 && index < static_cast<int>(decimal.digits.size()) ? decimal.digits[index]
                                                                         : '0';
}

std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string FixedText(double value, int decimals, const NumberSeparators& separators,
                      bool grouped) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal decimal = ToDecimal(std::fabs(value));
    RoundTo(decimal, decimal.point + decimals);
    std::string whole(static_cast<std::size_t>(std::max(decimal.point, 1)), '0');
    for (int i = 0; i < decimal.point; ++i)
        whole[static_cast<std::size_t>(i)] = DigitAt(decimal, i);
    std::string text = value < 0 && !IsZero(decimal) ? "-" : "";
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (grouped && i > 0 && (whole.size() - i) % 3 == 0) text.push_back(separators.thousands);
        text.push_back(whole[i]);
    }
    if (decimals > 0) {
        text.push_back(separators.decimal);
        for (int i = 0; i < decimals; ++i) text.push_back(DigitAt(decimal, decimal.point + i));
    }
    return text;
}

// "d.dddE+ddd" with `significant` digits; `trim` drops trailing zeros of the mantissa.
std::string ExponentText(double value, int significant, const NumberSeparators& separators,
                         bool trim) {
    Decimal decimal = ToDecimal(std::fabs(value));
    RoundTo(decimal, significant);
    decimal.digits.resize(significant, '0');
    if (trim) {
        while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
    }
    std::string text = value < 0 && !IsZero(decimal) ? "-" : "";
    text.push_back(decimal.digits[0]);
    if (decimal.digits.size() > 1) {
        text.push_back(separators.decimal);
        text.append(decimal.digits, 1);
    }
    int exponent = IsZero(decimal) ? 0 : decimal.point - 1;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return text + buffer;
}

std::string GeneralText(double value, int significant, const NumberSeparators& separators) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal decimal = ToDecimal(std::fabs(value));
    RoundTo(decimal, significant);
    if (IsZero(decimal)) return "0";
    if (decimal.point > significant || decimal.point < -4)
        return ExponentText(value, significant, separators, true);
    int decimals = 0;
    for (int i = static_cast<int>(decimal.digits.size()) - 1; i >= decimal.point; --i) {
        if (decimal.digits[i] != '0') {
            decimals = i - decimal.point + 1;
            break;
        }
    }
    return FixedText(value, decimals, separators, false);
}

// Appends value in base 10 or 16 (upper case digits), zero-padded to `precision` digits.
void AppendDigits(std::string& out, uint64_t value, unsigned base, int precision) {
    static const char kDigits[] = "0123456789ABCDEF";
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* first = end;
    do {
        *--first = kDigits[value % base];
        value /= base;
    } while (value != 0);
    const auto length = static_cast<int>(end - first);
    if (precision > length) out.append(static_cast<std::size_t>(precision - length), '0');
    out.append(first, end);
}

// Negative 32-bit values show as their unsigned 32-bit pattern, as the framework's integers do.
uint64_t UnsignedPattern(int64_t value) {
    if (value < 0 && value >= INT32_MIN) return static_cast<uint32_t>(value);
    return static_cast<uint64_t>(value);
}

class Formatter final {
public:
    Formatter(const NumberSeparators& separators, std::string_view format,
              std::initializer_list<FormatArg> args)
        : separators_(separators), format_(format), args_(args.begin()), count_(args.size()) {}

    void Run(std::string& out) {
        out.reserve(out.size() + format_.size() + 16);
        while (pos_ < format_.size()) {
            // Plain text up to the next specifier goes over in one piece.
            const std::size_t percent = format_.find('%', pos_);
            const std::size_t plainEnd =
                percent == std::string_view::npos ? format_.size() : percent;
            out.append(format_.data() + pos_, plainEnd - pos_);
            pos_ = plainEnd;
            if (pos_ >= format_.size()) break;
            ++pos_;
            if (pos_ < format_.size() && format_[pos_] == '%') {
                out.push_back('%');
                ++pos_;
            } else {
                Field(out);
            }
        }
    }

private:
    char Peek() const { return pos_ < format_.size() ? format_[pos_] : '\0'; }

    const FormatArg::Value& Take() {
        if (next_ >= count_) Invalid(format_);
        return args_[next_++].Get();
    }

    int64_t TakeInteger() {
        const auto& value = Take();
        if (!std::holds_alternative<int64_t>(value)) Invalid(format_);
        return std::get<int64_t>(value);
    }

    // Digits or "*" (taken from the arguments); nothing when neither is there.
    std::optional<int64_t> Number() {
        if (Peek() == '*') {
            ++pos_;
            return TakeInteger();
        }
        if (Peek() < '0' || Peek() > '9') return std::nullopt;
        int64_t value = 0;
        while (Peek() >= '0' && Peek() <= '9') {
            value = value * 10 + (format_[pos_++] - '0');
            if (value > kMaxFieldSize) Invalid(format_);
        }
        return value;
    }

    // One specifier, its text appended to out and padded to its width.
    void Field(std::string& out) {
        bool left = false;
        if (Peek() == '-') left = (++pos_, true);
        std::optional<int64_t> width = Number();
        if (Peek() == ':') {
            ++pos_;
            if (!width || *width < 0 || static_cast<uint64_t>(*width) >= count_) Invalid(format_);
            next_ = static_cast<std::size_t>(*width);
            if (Peek() == '-') left = (++pos_, true);
            width = Number();
        }
        // A negative width from the arguments left-justifies, as in C.
        if (width && *width < 0) {
            left = true;
            width = -*width;
        }
        int precision = -1;
        if (Peek() == '.') {
            ++pos_;
            std::optional<int64_t> given = Number();
            if (given && *given >= 0) precision = static_cast<int>(std::min(*given, kMaxFieldSize));
        }
        if (width && *width > kMaxFieldSize) Invalid(format_);
        if (pos_ >= format_.size()) Invalid(format_);
        char type = format_[pos_++];
        const std::size_t start = out.size();
        Convert(type, precision, out);
        const std::size_t length = out.size() - start;
        const std::size_t fieldWidth = width ? static_cast<std::size_t>(*width) : 0;
        if (fieldWidth > length) {
            if (left)
                out.append(fieldWidth - length, ' ');
            else
                out.insert(start, fieldWidth - length, ' ');
        }
    }

    void Convert(char type, int precision, std::string& out) {
        switch (type) {
            case 'd':
            case 'D': {
                int64_t value = TakeInteger();
                if (value < 0) out.push_back('-');
                AppendDigits(
                    out,
                    value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value), 10,
                    precision);
                return;
            }
            case 'u':
            case 'U':
            case 'x':
            case 'X': {
                bool hex = type == 'x' || type == 'X';
                AppendDigits(out, UnsignedPattern(TakeInteger()), hex ? 16 : 10, precision);
                return;
            }
            case 'p':
            case 'P': {
                const auto& value = Take();
                if (!std::holds_alternative<const void*>(value)) Invalid(format_);
                auto address = reinterpret_cast<uintptr_t>(std::get<const void*>(value));
                AppendDigits(out, address, 16, static_cast<int>(sizeof(void*) * 2));
                return;
            }
            case 's':
            case 'S': {
                const auto& value = Take();
                if (!std::holds_alternative<std::string_view>(value)) Invalid(format_);
                std::string_view text = std::get<std::string_view>(value);
                if (precision >= 0 && static_cast<std::size_t>(precision) < text.size())
                    text = text.substr(0, static_cast<std::size_t>(precision));
                out.append(text);
                return;
            }
            case 'f':
            case 'F':
            case 'n':
            case 'N':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
                out.append(ConvertFloat(type, precision));
                return;
            default:
                Invalid(format_);
        }
    }

    std::string ConvertFloat(char type, int precision) {
        const auto& value = Take();
        if (!std::holds_alternative<double>(value)) Invalid(format_);
        double number = std::get<double>(value);
        switch (type) {
            case 'e':
            case 'E': {
                int significant = precision < 1 ? 15 : std::min(precision, kMaxFixedDecimals);
                if (!std::isfinite(number)) return NonFinite(number);
                return ExponentText(number, significant, separators_, false);
            }
            case 'g':
            case 'G':
                return GeneralText(number,
                                   precision < 1 ? 15 : std::min(precision, kMaxFixedDecimals),
                                   separators_);
            default: {
                int decimals = precision < 0 ? 2 : std::min(precision, kMaxFixedDecimals);
                return FixedText(number, decimals, separators_, type == 'n' || type == 'N');
            }
        }
    }

    const NumberSeparators& separators_;
    std::string_view format_;
    const FormatArg* args_;
    std::size_t count_;
    std::size_t pos_ = 0;
    std::size_t next_ = 0;
};

}  // namespace

const NumberSeparators& UserSeparators() {
    static const NumberSeparators separators = ReadLocaleSeparators();
    return separators;
}

std::string Format(const NumberSeparators& separators, std::string_view format,
                   std::initializer_list<FormatArg> args) {
    std::string out;
    Formatter(separators, format, args).Run(out);
    return out;
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    return Format(UserSeparators(), format, args);
}

void FormatAppend(std::string& out, std::string_view format,
                  std::initializer_list<FormatArg> args) {
    Formatter(UserSeparators(), format, args).Run(out);
}

namespace {

int DigitValue(char c, unsigned base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Lower case of a Windows-1252 byte: ASCII, the accented letters and the few in 0x8A..0x9F.
unsigned char FoldCp1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x8A || c == 0x8C || c == 0x8E) return c + 16;
    if (c == 0x9F) return 0xFF;
    return c;
}

}  // namespace

bool TryStrToInt(const std::string& text, int32_t& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n) return false;
    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        int digit = DigitValue(text[i], base);
        if (digit < 0) return false;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        if (magnitude > 0xFFFFFFFFu) return false;
    }
    if (base == 10) {
        if (magnitude > (negative ? 2147483648u : 2147483647u)) return false;
        value = static_cast<int32_t>(negative ? 0 - magnitude : magnitude);
        return true;
    }
    // Hexadecimal spells the 32-bit pattern: "$FFFFFFFF" is -1.
    uint32_t pattern = static_cast<uint32_t>(magnitude);
    if (negative) pattern = 0u - pattern;
    value = static_cast<int32_t>(pattern);
    return true;
}

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

bool TryStrToFloat(const std::string& text, double& value) {
    const char separator = UserSeparators().decimal;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    std::size_t end = n;
    while (end > i && text[end - 1] == ' ') --end;
    // Rebuilt with '.' so that the conversion does not depend on the C library's locale.
    std::string plain;
    if (i < end && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
    bool digits = false;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
        plain.push_back(text[i]), digits = true;
    if (i < end && text[i] == separator) {
        plain.push_back('.');
        for (++i; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
            plain.push_back(text[i]), digits = true;
    }
    if (!digits) return false;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) plain.push_back(text[i++]);
        bool exponentDigits = false;
        for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i)
            plain.push_back(text[i]), exponentDigits = true;
        if (!exponentDigits) return false;
    }
    if (i != end) return false;
    const char* first = plain.data() + (plain[0] == '+' ? 1 : 0);
    double parsed = 0;
    auto [ptr, error] = std::from_chars(first, plain.data() + plain.size(), parsed);
    if (error != std::errc() || ptr != plain.data() + plain.size()) return false;
    value = parsed;
    return true;
}

double StrToFloat(const std::string& text) {
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int left = FoldCp1252(static_cast<unsigned char>(a[i]));
        int right = FoldCp1252(static_cast<unsigned char>(b[i]));
        if (left != right) return left - right;
    }
    return static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size());
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

}  // namespace tv
