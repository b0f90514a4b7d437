#pragma once
// A packed BCD value as decimal text.
//
//   byte 0      precision: the number of digits
//   byte 1      bits 0-5 the places (digits after the decimal point), bit 7 the sign
//   bytes 2...  the digits, two to a byte, high nibble first
//
// The text is "-" for a negative value, the integer digits without leading zeros ("0" when
// there are none), then "." and the places when there are places; a value whose digits are all
// zero is "0" whatever its sign and places. Precision and places are cut to the digits the
// bytes hold, and a nibble above 9 is written as 9.

#include <cstddef>
#include <string>

// `length` counts the bytes of `value`, at least 2.
void appendBcdText(std::string& out, const unsigned char* value, std::size_t length);
