#include "interchange/TextLines.h"

#include "platform/Unicode.h"

bool TextLineReader::next(std::string_view* line) {
    if (FPos >= FText.size()) return false;
    std::size_t end = FPos;
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
    // Plain ASCII, by far the most common content of a playlist, needs no decoder.
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return utf8ToUtf16(text);
        out.push_back(static_cast<char16_t>(c));
    }
    return out;
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
