// Strict conversions of texts to integers, for texts the program reads as
// "a decimal integer" (profile fields, time-text pieces, INI numbers), and
// the one trim the program applies to texts it reads.
#pragma once

#include <cstdint>
#include <string>

// Decimal with an optional leading "+" or "-", or hexadecimal after a
// leading "$" (also "0x"/"0X"); no blanks. Locale-independent.
// False when the text is not such a number or lies outside 32 bits.
bool TryStrToInt(const std::string& text, int32_t& value);
// As TryStrToInt; throws EConvertError naming the text when it fails.
int32_t StrToInt(const std::string& text);

// The text without the blanks and control characters (codes 0..32) at
// either end; bytes above 127 are kept, so UTF-8 text is never cut.
std::string TrimControls(const std::string& text);
