#pragma once
// Letter case of ASCII text: names in packets, XML tags, type names, file extensions and
// address markers are compared and folded without regard to case, and only A-Z and a-z count
// as letters. Every other byte or code unit (a UTF-8 or code page 936 lead byte included) is
// left as it is, so the result never depends on a locale.

#include <string>
#include <string_view>

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}
constexpr char16_t asciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The text with A-Z made a-z.
std::string asciiLowerCase(std::string_view text);

// True when `a` and `b` are equal without regard to ASCII case.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix` without regard to ASCII case.
bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);
