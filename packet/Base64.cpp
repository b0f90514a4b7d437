#include "packet/Base64.h"

#include <cstdint>

std::string base64Encode(const unsigned char* bytes, std::size_t length) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        for (int s = 18; s >= 0; s -= 6) out.push_back(kAlphabet[(v >> s) & 0x3F]);
    }
    if (length - i == 1) {
        const std::uint32_t v = bytes[i] << 16;
        out.push_back(kAlphabet[(v >> 18) & 0x3F]);
        out.push_back(kAlphabet[(v >> 12) & 0x3F]);
        out += "==";
    } else if (length - i == 2) {
        const std::uint32_t v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out.push_back(kAlphabet[(v >> 18) & 0x3F]);
        out.push_back(kAlphabet[(v >> 12) & 0x3F]);
        out.push_back(kAlphabet[(v >> 6) & 0x3F]);
        out.push_back('=');
    }
    return out;
}

std::vector<unsigned char> base64Decode(std::string_view text) {
    auto sextet = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::vector<unsigned char> out;
    std::size_t p = 0;
    while (p < text.size() && sextet(text[p]) < 0) ++p;
    out.reserve((text.size() - p) / 4 * 3 + 3);
    std::uint32_t acc = 0;
    int bits = 0;
    for (; p < text.size(); ++p) {
        const int v = sextet(text[p]);
        if (v < 0) {
            if (text[p] >= 0x01 && text[p] <= 0x20) continue;  // a blank
            break;
        }
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<unsigned char>(acc >> bits));
            acc &= (1u << bits) - 1;
        }
    }
    return out;
}
