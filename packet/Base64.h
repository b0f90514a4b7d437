#pragma once
// Base64 with the standard alphabet (A-Z, a-z, 0-9, "+", "/") and "=" padding, no line breaks.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

std::string base64Encode(const unsigned char* bytes, std::size_t length);

// Skips characters outside the alphabet before the data and blanks (bytes 0x01 to 0x20) within
// it; stops at "=" or at any other character. A final group of 2 or 3 characters gives 1 or 2
// bytes, a lone final character none.
std::vector<unsigned char> base64Decode(std::string_view text);
