#include "packet/BcdText.h"

#include <algorithm>

namespace {

int bcdDigit(const unsigned char* digits, int k) {
    const unsigned char b = digits[k / 2];
    return k % 2 == 0 ? b >> 4 : b & 0x0F;
}

}  // namespace

void appendBcdText(std::string& out, const unsigned char* value, std::size_t length) {
    const int available = (static_cast<int>(length) - 2) * 2;
    const int precision = std::min<int>(value[0], std::max(available, 0));
    const int places = std::min<int>(value[1] & 0x3F, precision);
    const bool negative = (value[1] & 0x80) != 0;
    const unsigned char* digits = value + 2;
    const int intDigits = precision - places;
    std::string text;
    for (int k = 0; k < intDigits; ++k) {
        const int digit = bcdDigit(digits, k);
        if (text.empty() && digit == 0) continue;  // leading zero
        text.push_back(static_cast<char>('0' + std::min(digit, 9)));
    }
    if (text.empty()) text = "0";
    bool nonZero = text != "0";
    if (places > 0) {
        text.push_back('.');
        for (int k = intDigits; k < precision; ++k) {
            const int digit = bcdDigit(digits, k);
            nonZero = nonZero || digit != 0;
            text.push_back(static_cast<char>('0' + std::min(digit, 9)));
        }
    }
    if (!nonZero) {
        out += "0";
        return;
    }
    if (negative) out.push_back('-');
    out += text;
}
