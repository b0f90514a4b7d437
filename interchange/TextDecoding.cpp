#include "interchange/TextDecoding.h"

#include <cstdint>
#include <cstring>

#include "packet/xml/XmlText.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// UTF-16 code units from byte pairs; an odd last byte becomes U+FFFD. Unpaired surrogates are
// left for the UTF-8 conversion, which replaces them.
std::string utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    if (i < bytes.size()) units.push_back(u'\uFFFD');
    return utf16ToUtf8(units);
}

}  // namespace

bool hasByteOrderMark(std::string_view bytes) {
    return startsWith(bytes, "\xEF\xBB\xBF") || startsWith(bytes, "\xFF\xFE") ||
           startsWith(bytes, "\xFE\xFF");
}

bool isWellFormedUtf8Text(std::string_view bytes) {
    // ASCII eight bytes at a time, and the two- and three-byte sequences of most scripts (CJK
    // among them) checked here; anything else goes to the full check, from the byte where it
    // starts to the next ASCII byte. An ASCII byte never lies inside a well-formed sequence, and
    // one that stands where a sequence needs a continuation byte makes the sequence end short.
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const auto continuation = [s](std::size_t at) { return (s[at] & 0xC0) == 0x80; };
    std::size_t i = 0;
    while (i < n) {
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, sizeof word);
            if (word & 0x8080808080808080ULL) break;
            i += 8;
        }
        if (i == n) break;
        const unsigned char b = s[i];
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xC2 && b <= 0xDF && i + 1 < n && continuation(i + 1)) {
            i += 2;
        } else if (b >= 0xE1 && b <= 0xEC && i + 2 < n && continuation(i + 1) &&
                   continuation(i + 2)) {
            i += 3;  // no overlong form and no surrogate starts with these
        } else {
            std::size_t end = i;
            while (end < n && s[end] >= 0x80) ++end;
            if (!isWellFormedUtf8(bytes.substr(i, end - i))) return false;
            i = end;
        }
    }
    return true;
}

bool isPlainUtf8Text(std::string_view bytes) {
    return !hasByteOrderMark(bytes) && isWellFormedUtf8Text(bytes);
}

DecodedText decodePlaylistText(std::string_view bytes) {
    DecodedText decoded;
    if (startsWith(bytes, "\xEF\xBB\xBF")) {
        const std::string_view body = bytes.substr(3);
        decoded.encoding = TextEncoding::Utf8WithBom;
        // A mark promises UTF-8; bytes that break the promise still become replacement
        // characters rather than code page 936 text.
        decoded.utf8 =
            isWellFormedUtf8Text(body) ? std::string(body) : utf16ToUtf8(utf8ToUtf16(body));
    } else if (startsWith(bytes, "\xFF\xFE")) {
        decoded.encoding = TextEncoding::Utf16LittleEndian;
        decoded.utf8 = utf16BytesToUtf8(bytes.substr(2), false);
    } else if (startsWith(bytes, "\xFE\xFF")) {
        decoded.encoding = TextEncoding::Utf16BigEndian;
        decoded.utf8 = utf16BytesToUtf8(bytes.substr(2), true);
    } else if (isWellFormedUtf8Text(bytes)) {
        decoded.encoding = TextEncoding::Utf8;
        decoded.utf8 = std::string(bytes);
    } else {
        decoded.encoding = TextEncoding::CodePage936;
        decoded.utf8 = utf16ToUtf8(ansiToUnicode(bytes));
    }
    return decoded;
}

std::string_view textEncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return "UTF-8";
        case TextEncoding::Utf8WithBom:
            return "UTF-8 with BOM";
        case TextEncoding::Utf16LittleEndian:
            return "UTF-16LE";
        case TextEncoding::Utf16BigEndian:
            return "UTF-16BE";
        case TextEncoding::CodePage936:
            return "GBK";
    }
    return "UTF-8";
}
