// Strict conversions of texts to integers, for texts the program reads as
// "a decimal integer" (profile fields, time-text pieces, INI numbers).
#pragma once

#include <cstdint>
#include <string>

// Decimal with an optional leading "+" or "-", or hexadecimal after a
// leading "$" (also "0x"/"0X"); no blanks. Locale-independent.
// False when the text is not such a number or lies outside 32 bits.
bool TryStrToInt(const std::string& text, int32_t& value);
// As TryStrToInt; throws EConvertError naming the text when it fails.
int32_t StrToInt(const std::string& text);
