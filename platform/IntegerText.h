#pragma once
// Integer text: parsing with a sign and decimal or hexadecimal digits, and decimal formatting.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Parses a 32-bit integer: optional leading blanks (spaces, tabs), an optional "+" or "-", then
// either decimal digits or hexadecimal digits after "$", "0x" or "0X". Nothing may follow the
// digits. Decimal values must lie in -2147483648..2147483647; hexadecimal values may use all
// 32 bits ("$FFFFFFFF" is -1) and a "-" negates the bit pattern. Empty text, missing digits,
// other characters and values out of range give no value.
std::optional<std::int32_t> parseInteger(std::u16string_view text);

// Decimal text of a value, with "-" for negative values.
std::u16string integerToText(std::int64_t value);
