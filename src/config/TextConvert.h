#pragma once
// Conversions between option values and their text in the configuration files. They raise
// EConvertError with the framework's standard messages, and they ignore the process locale:
// a file written under one locale must read back under any other.

#include <cstdint>
#include <string>

namespace tv {

// Optional blanks and sign, then decimal digits; "'%s' is not a valid integer value".
int32_t TextToInteger(const std::string& text);
// A decimal number with "." or "," as decimal separator and an optional exponent;
// "'%s' is not a valid floating point value".
double TextToFloat(const std::string& text);
// "True"/"False" in any case, or a number (non-zero is true); "'%s' is not a valid boolean value".
bool TextToBoolean(const std::string& text);

std::string IntegerToText(int32_t value);
// Fixed point with two decimals and "." ("10.05", "7.30").
std::string FloatToText(double value);
std::string BooleanToText(bool value);

}  // namespace tv
