#pragma once
// Conversions between cell texts and numbers. They work on GBK texts byte by
// byte: "," and the blank never occur inside a double-byte character.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

constexpr double kNotANumber = -999; // the failure result of both conversions

std::string RemoveChar(std::string_view s, char ch);
std::string RemoveSpaces(std::string_view s);
// The value with thousands separators and exactly `decimals` decimals, no blanks.
std::string FormatNumber(std::uint8_t decimals, double value);
// The number written in s ("," allowed as thousands separator), or -999.
double TextToNumber(std::string_view s);
// The whole number written in s, or -999.
int TextToInt(std::string_view s);
// Strict conversion: the locale's decimal separator, no thousands separators.
// False when s is not a number.
bool StrToFloatStrict(std::string_view s, double& value);

} // namespace quillet
