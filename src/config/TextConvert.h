#pragma once
// Conversions between option values and their text in the configuration files (integers use
// StrToInt of app/Format.h). They raise EConvertError with the framework's standard messages,
// and they ignore the process locale: a file written under one locale must read back under
// any other.

#include <string>

namespace tv {

// A decimal number with "." or "," as decimal separator and an optional exponent;
// "'%s' is not a valid floating point value".
double TextToFloat(const std::string& text);
// "True"/"False" in any case, or a number (non-zero is true); "'%s' is not a valid boolean value".
bool TextToBoolean(const std::string& text);

// Fixed point with two decimals and "." ("10.05", "7.30").
std::string FloatToText(double value);
std::string BooleanToText(bool value);

}  // namespace tv
