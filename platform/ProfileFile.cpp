#include "platform/ProfileFile.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"
#include "platform/FileOps.h"
#include "platform/IntegerText.h"
#include "platform/Unicode.h"

namespace {
constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One line of the file: its bytes without the line end, and the line end itself ("\n",
// "\r\n" or nothing for a last line without one).
struct ProfileLine {
    std::string FText;
    std::string FEnd;
};

// The file's text split into lines. The bytes of every line are kept as they are, so a write
// changes only the lines it means to.
struct ProfileText {
    std::string FBom;
    std::vector<ProfileLine> FLines;

    static ProfileText parse(std::string_view bytes) {
        ProfileText text;
        if (bytes.substr(0, kBom.size()) == kBom) {
            text.FBom = kBom;
            bytes.remove_prefix(kBom.size());
        }
        while (!bytes.empty()) {
            std::size_t nl = bytes.find('\n');
            ProfileLine line;
            if (nl == std::string_view::npos) {
                // A last line cut off after the CR of its CRLF ends there as well: the CR is its
                // line end, not part of its text, as it would be with the LF present.
                const bool crAtEnd = bytes.back() == '\r';
                line.FText = bytes.substr(0, bytes.size() - (crAtEnd ? 1 : 0));
                if (crAtEnd) line.FEnd = "\r";
                bytes = {};
            } else {
                std::size_t end = nl;
                if (end > 0 && bytes[end - 1] == '\r') --end;
                line.FText = bytes.substr(0, end);
                line.FEnd = bytes.substr(end, nl + 1 - end);
                bytes.remove_prefix(nl + 1);
            }
            text.FLines.push_back(std::move(line));
        }
        return text;
    }

    std::string bytes() const {
        std::string out = FBom;
        for (const auto& line : FLines) out += line.FText + line.FEnd;
        return out;
    }

    // The line end new lines get: the file's own, else "\n". A lone CR (only ever at the end of
    // the file) stands for CRLF.
    std::string lineEnd() const {
        for (const auto& line : FLines)
            if (!line.FEnd.empty()) return line.FEnd == "\r" ? "\r\n" : line.FEnd;
        return "\n";
    }
};

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = line.find(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    return trim(line);
}

// The key and value of a "key=value" line, or nothing for other lines (blank lines, comments
// starting with ";", lines without "=").
struct KeyLine {
    std::string_view FKey;
    std::string_view FValue;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    KeyLine k{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
    if (k.FKey.empty()) return std::nullopt;
    return k;
}

bool sameName(std::string_view fileName, std::u16string_view wanted) {
    return sameTextIgnoringCase(utf8ToUtf16(fileName), wanted);
}

std::u16string_view trim16(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
}

bool hasLineBreakOrNul(std::u16string_view s) {
    return s.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

// Where a section lies: its header line and one past its last line.
struct SectionSpan {
    std::size_t FHeader;
    std::size_t FEnd;
};

std::optional<SectionSpan> findSection(const ProfileText& text, std::u16string_view section) {
    const auto& lines = text.FLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i].FText);
        if (!name || !sameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].FText)) ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const ProfileText& text, SectionSpan span,
                                   std::u16string_view key) {
    for (std::size_t i = span.FHeader + 1; i < span.FEnd; ++i) {
        auto k = keyLine(text.FLines[i].FText);
        if (k && sameName(k->FKey, key)) return i;
    }
    return std::nullopt;
}

// The value as it goes into the file (see writeProfileString).
std::string encodeValue(std::u16string_view value) {
    std::size_t cut = value.find_first_of(std::u16string_view(u"\r\n\0", 3));
    if (cut != std::u16string_view::npos) value = value.substr(0, cut);
    std::string out = utf16ToUtf8(value);
    bool blankAtEnd = !out.empty() && (isBlank(out.front()) || isBlank(out.back()));
    bool quoted =
        out.size() >= 2 && out.front() == out.back() && (out.front() == '"' || out.front() == '\'');
    if (blankAtEnd || quoted) out = "\"" + out + "\"";
    return out;
}

// Gives a line that ends the file without a line break (or with a lone CR, which the next
// reading would not take as one once a line follows) a full line end, so lines can follow it.
void endLine(ProfileText& text, ProfileLine& line) {
    if (line.FEnd == "\r")
        line.FEnd = "\r\n";
    else if (line.FEnd.empty())
        line.FEnd = text.lineEnd();
}

void endLastLine(ProfileText& text) {
    if (!text.FLines.empty()) endLine(text, text.FLines.back());
}
}  // namespace

std::u16string readProfileString(std::u16string_view path, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view defaultValue,
                                 std::size_t bufferSize) {
    std::u16string result(defaultValue);
    std::vector<std::uint8_t> bytes;
    if (readWholeFile(path, bytes).ok()) {
        ProfileText text = ProfileText::parse(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        section = trim16(section);
        key = trim16(key);
        if (auto span = findSection(text, section)) {
            if (auto index = findKey(text, *span, key)) {
                std::string_view value = keyLine(text.FLines[*index].FText)->FValue;
                if (value.size() >= 2 && value.front() == value.back() &&
                    (value.front() == '"' || value.front() == '\''))
                    value = value.substr(1, value.size() - 2);
                result = utf8ToUtf16(value);
            }
        }
    }
    std::size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
    if (result.size() > limit) {
        if (limit > 0 && result[limit - 1] >= 0xD800 && result[limit - 1] <= 0xDBFF) --limit;
        result.resize(limit);
    }
    return result;
}

FileResult writeProfileString(std::u16string_view path, std::optional<std::u16string_view> section,
                              std::optional<std::u16string_view> key,
                              std::optional<std::u16string_view> value) {
    if (!section) return FileResult();  // a flush: nothing is cached
    std::u16string_view sectionText = trim16(*section);
    if (sectionText.empty() || hasLineBreakOrNul(sectionText) ||
        sectionText.find(u']') != std::u16string_view::npos)
        return FileResult(EINVAL);
    std::u16string_view keyText;
    if (key) {
        keyText = trim16(*key);
        if (keyText.empty() || hasLineBreakOrNul(keyText) ||
            keyText.find(u'=') != std::u16string_view::npos || keyText.front() == u'[' ||
            keyText.front() == u';')
            return FileResult(EINVAL);
    }

    std::vector<std::uint8_t> bytes;
    FileResult read = readWholeFile(path, bytes);
    if (!read.ok() && read.error() != ENOENT) return read;
    ProfileText text = ProfileText::parse(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    auto& lines = text.FLines;
    auto span = findSection(text, sectionText);

    if (!key) {
        if (!span) return FileResult();
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->FHeader),
                    lines.begin() + static_cast<std::ptrdiff_t>(span->FEnd));
    } else if (!value) {
        auto index = span ? findKey(text, *span, keyText) : std::nullopt;
        if (!index) return FileResult();
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*index));
    } else {
        std::string encoded = encodeValue(*value);
        if (!span) {
            endLastLine(text);
            std::string end = text.lineEnd();
            lines.push_back({"[" + utf16ToUtf8(sectionText) + "]", end});
            lines.push_back({utf16ToUtf8(keyText) + "=" + encoded, end});
        } else if (auto index = findKey(text, *span, keyText)) {
            std::string storedKey(keyLine(lines[*index].FText)->FKey);
            lines[*index].FText = storedKey + "=" + encoded;
        } else {
            // After the section's last non-blank line, so a blank line before the next
            // section stays where it is.
            std::size_t at = span->FEnd;
            while (at > span->FHeader + 1 && trim(lines[at - 1].FText).empty()) --at;
            if (at == lines.size()) endLastLine(text);
            std::string end = text.lineEnd();
            if (at > 0) endLine(text, lines[at - 1]);
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                         ProfileLine{utf16ToUtf8(keyText) + "=" + encoded, end});
        }
    }
    std::string out = text.bytes();
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()));
}

bool profileTextToFlag(std::u16string_view text, bool defaultValue) {
    std::u16string number(text);
    if (number.size() > 2 && number[0] == u'0' && (number[1] == u'x' || number[1] == u'X'))
        number.replace(0, 2, u"$");
    std::optional<std::int32_t> value = parseInteger(number);
    return (value ? *value : (defaultValue ? 1 : 0)) != 0;
}

std::u16string ProfileFile::readString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view defaultValue) const {
    return readProfileString(FFileName, section, key, defaultValue);
}

bool ProfileFile::readBool(std::u16string_view section, std::u16string_view key,
                           bool defaultValue) const {
    return profileTextToFlag(readString(section, key, u""), defaultValue);
}

FileResult ProfileFile::writeString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view value) {
    return writeProfileString(FFileName, section, key, value);
}

FileResult ProfileFile::writeBool(std::u16string_view section, std::u16string_view key,
                                  bool value) {
    return writeString(section, key, value ? u"1" : u"0");
}

FileResult ProfileFile::updateFile() {
    return writeProfileString(FFileName, std::nullopt, std::nullopt, std::nullopt);
}
