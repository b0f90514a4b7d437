#include "platform/IntegerText.h"

#include <string>

namespace {
int hexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}
}  // namespace

std::optional<std::int32_t> parseInteger(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == u'$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == u'0' &&
               (text[pos + 1] == u'x' || text[pos + 1] == u'X')) {
        base = 16;
        pos += 2;
    }
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (pos == text.size()) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        int digit = hexDigitValue(text[pos]);
        if (digit < 0 || digit >= base) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::u16string integerToText(std::int64_t value) {
    std::string ascii = std::to_string(value);
    return std::u16string(ascii.begin(), ascii.end());
}
