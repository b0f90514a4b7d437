#pragma once
// Conversions between UTF-8 and UTF-16 and the case folding used for names.

#include <string>
#include <string_view>

// UTF-8 to UTF-16; an ill-formed byte sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// Appends one code point as UTF-8; a surrogate or a value above U+10FFFF becomes U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

// Upper-cases every code unit that has a simple upper-case mapping.
std::u16string upperCase(std::u16string_view text);
// Case-insensitive equality after upper-casing both texts.
bool sameTextIgnoringCase(std::u16string_view a, std::u16string_view b);

// ASCII text to UTF-16 (for literals and formatted numbers).
std::u16string asciiToUtf16(std::string_view text);
