#include "interchange/TextLines.h"

#include <cstdint>
#include <cstring>

#include "platform/Unicode.h"

namespace {
// True when one of the eight bytes of `word` is a CR or an LF.
bool hasLineBreakByte(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const auto hasZeroByte = [](std::uint64_t w) { return ((w - ones) & ~w & highs) != 0; };
    return hasZeroByte(word ^ (ones * '\n')) || hasZeroByte(word ^ (ones * '\r'));
}
}  // namespace

bool TextLineReader::next(std::string_view* line) {
    if (FPos >= FText.size()) return false;
    std::size_t end = FPos;
    // Eight bytes at a time past the bytes of a line, then byte by byte to its break.
    while (end + 8 <= FText.size()) {
        std::uint64_t word;
        std::memcpy(&word, FText.data() + end, sizeof word);
        if (hasLineBreakByte(word)) break;
        end += 8;
    }
    while (end < FText.size() && FText[end] != '\n' && FText[end] != '\r') ++end;
    *line = FText.substr(FPos, end - FPos);
    if (end < FText.size() && FText[end] == '\r' && end + 1 < FText.size() &&
        FText[end + 1] == '\n') {
        ++end;
    }
    FPos = end + 1;
    ++FLineNumber;
    return true;
}

std::string_view trimmedBytes(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20) ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20) --last;
    return text.substr(first, last - first);
}

std::u16string utf8Text(std::string_view text) {
    std::u16string out;
    assignUtf8Text(out, text);
    return out;
}

void assignUtf8Text(std::u16string& out, std::string_view text) {
    // Decoded here in one pass (ASCII, by far the most common content of a playlist, and the two-
    // and three-byte sequences of other scripts); anything else goes to the full decoder.
    out.resize(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t used = 0;
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        if (b < 0x80) {
            out[used++] = b;
            ++i;
        } else if (b >= 0xC2 && b <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            out[used++] = static_cast<char16_t>((b & 0x1F) << 6 | (s[i + 1] & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 &&
                   (s[i + 2] & 0xC0) == 0x80) {
            const char16_t c = static_cast<char16_t>((b & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 |
                                                     (s[i + 2] & 0x3F));
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) {
                out = utf8ToUtf16(text);
                return;
            }
            out[used++] = c;
            i += 3;
        } else {
            out = utf8ToUtf16(text);
            return;
        }
    }
    out.resize(used);
}

std::size_t lineOfOffset(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    const std::size_t end = offset < text.size() ? offset : text.size();
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            ++line;
    }
    return line;
}
