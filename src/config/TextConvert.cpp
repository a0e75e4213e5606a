#include "config/TextConvert.h"

#include <cctype>
#include <charconv>
#include <system_error>

#include "app/Errors.h"
#include "app/Format.h"

namespace tv {

namespace {

[[noreturn]] void Fail(const std::string& text, const char* kind) {
    throw EConvertError("'" + text + "' is not a valid " + kind + " value");
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trimmed(const std::string& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

bool TryTextToFloat(const std::string& text, double& value) {
    std::string number = Trimmed(text);
    for (char& c : number)
        if (c == ',') c = '.';
    std::size_t start = (!number.empty() && (number[0] == '+' || number[0] == '-')) ? 1 : 0;
    // from_chars would also take "inf" and "nan", which are no numbers in a file of ours.
    if (start >= number.size() ||
        !(std::isdigit(static_cast<unsigned char>(number[start])) || number[start] == '.'))
        return false;
    const char* begin = number.data() + start;
    const char* end = number.data() + number.size();
    auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error != std::errc() || stop != end) return false;
    if (number[0] == '-') value = -value;
    return true;
}

}  // namespace

double TextToFloat(const std::string& text) {
    double value = 0;
    if (!TryTextToFloat(text, value)) Fail(text, "floating point");
    return value;
}

bool TextToBoolean(const std::string& text) {
    std::string word = Trimmed(text);
    if (SameText(word, "True")) return true;
    if (SameText(word, "False")) return false;
    double number = 0;
    if (!TryTextToFloat(word, number)) Fail(text, "boolean");
    return number != 0;
}

std::string FloatToText(double value) {
    char buffer[512];  // room for the widest fixed-point double
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (error != std::errc()) return "0.00";
    return std::string(buffer, end);
}

std::string BooleanToText(bool value) {
    return value ? "True" : "False";
}

}  // namespace tv
