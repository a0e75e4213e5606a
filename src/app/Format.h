#pragma once
// The one printf/Delphi-style formatter of the program. Specifiers: %d %u %x %X %s %p %f %n %e %g
// with flags "-", width, precision, "*" for width or precision from the arguments, and an index
// "%0:s". "%%" is a percent sign. %n is a fixed-point number with thousands separators. Framework
// semantics, not C: precision pads %d/%u/%x with zeros and truncates %s, both %x and %X give upper
// case digits, %f/%n default to two decimals and round halves away from zero, and each specifier
// takes only its own kind of argument (an integer for %f is a mismatch). A format that does not
// fit its arguments (missing argument, wrong kind, unknown specifier) throws EConvertError, as the
// chat dispatcher expects.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tv {

class FormatArg {
public:
    FormatArg(int value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(long value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(long long value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(unsigned value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(unsigned long value) : value_(static_cast<int64_t>(value)) {}
    FormatArg(double value) : value_(value) {}
    // Text is viewed, not copied: an argument lives only for the call it is passed to (the
    // full expression keeps any temporary string alive that long).
    FormatArg(const char* value) : value_(std::string_view(value ? value : "")) {}
    FormatArg(const std::string& value) : value_(std::string_view(value)) {}
    FormatArg(std::string_view value) : value_(value) {}
    FormatArg(const void* value) : value_(value) {}

    using Value = std::variant<int64_t, double, std::string_view, const void*>;
    const Value& Get() const { return value_; }

private:
    Value value_;
};

// Thousands and decimal separators of the user's locale; "," and "." where it defines none.
struct NumberSeparators {
    char thousands = ',';
    char decimal = '.';
};
const NumberSeparators& UserSeparators();

std::string Format(std::string_view format, std::initializer_list<FormatArg> args = {});
// The same, appended to out (which keeps what it held before).
void FormatAppend(std::string& out, std::string_view format,
                  std::initializer_list<FormatArg> args = {});
std::string Format(const NumberSeparators& separators, std::string_view format,
                   std::initializer_list<FormatArg> args);

// Text conversions of the framework, throwing EConvertError with its standard messages:
// "'%s' is not a valid integer value", "'%s' is not a valid floating point value".
int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);
double StrToFloat(const std::string& text);
bool TryStrToFloat(const std::string& text, double& value);

// ASCII-only case conversions (chat lines, command words).
std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);
// Case-insensitive comparison of 8-bit text (Windows-1252 letters folded too).
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

}  // namespace tv
