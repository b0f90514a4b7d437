#include "interchange/M3uReader.h"

#include <optional>

#include "interchange/StationColumns.h"
#include "interchange/TextLines.h"
#include "packet/AsciiCase.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Walks an #EXTINF line after "#EXTINF:": `attribute(key, value)` for each attribute, key as
// written (callers compare it without letter case); the title, when a comma starts one, into
// `title`. Views into the line: nothing is copied.
template <typename OnAttribute>
void walkExtInf(std::string_view s, OnAttribute attribute, std::string_view* title) {
    std::size_t pos = 0;
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    // The duration: a number, perhaps signed or with a fraction.
    if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) ++pos;
    while (pos < s.size() && ((s[pos] >= '0' && s[pos] <= '9') || s[pos] == '.')) ++pos;

    while (pos < s.size()) {
        if (isBlank(s[pos])) {
            ++pos;
            continue;
        }
        if (s[pos] == ',') {
            *title = trimmedBytes(s.substr(pos + 1));
            return;
        }
        const std::size_t keyStart = pos;
        while (pos < s.size() && s[pos] != '=' && s[pos] != ',' && !isBlank(s[pos])) ++pos;
        const std::string_view key = s.substr(keyStart, pos - keyStart);
        if (pos >= s.size() || s[pos] != '=') continue;  // a bare word: no attribute
        ++pos;
        std::string_view value;
        const char quote = pos < s.size() ? s[pos] : '\0';
        const std::size_t close =
            quote == '"' || quote == '\'' ? s.find(quote, pos + 1) : std::string_view::npos;
        if (close != std::string_view::npos) {
            value = s.substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            // Bare, or an opening quote that is never closed: the value runs to a blank or comma.
            const std::size_t valueStart = pos;
            while (pos < s.size() && s[pos] != ',' && !isBlank(s[pos])) ++pos;
            value = s.substr(valueStart, pos - valueStart);
        }
        attribute(key, value);
    }
}

// The information an #EXTINF (and #EXTGRP) line gives the address that follows it: views into
// the text being read.
struct PendingInfo {
    bool present = false;
    std::string_view title;
    std::string_view tvgName;
    std::string_view group;
    std::string_view country;
    std::string_view language;
    std::optional<bool> television;  // set when an attribute says radio or TV
};

std::optional<bool> televisionFromType(std::string_view type) {
    if (isTelevisionTypeText(utf8Text(type))) return true;
    if (equalsIgnoringAsciiCase(trimmedBytes(type), "radio")) return false;
    return std::nullopt;
}

PendingInfo infoFromExtInf(std::string_view afterColon) {
    PendingInfo info;
    info.present = true;
    walkExtInf(
        afterColon,
        [&info](std::string_view name, std::string_view value) {
            if (equalsIgnoringAsciiCase(name, "tvg-name")) {
                info.tvgName = value;
            } else if (equalsIgnoringAsciiCase(name, "group-title")) {
                info.group = value;
            } else if (equalsIgnoringAsciiCase(name, "tvg-country")) {
                info.country = value;
            } else if (equalsIgnoringAsciiCase(name, "tvg-language")) {
                info.language = value;
            } else if (equalsIgnoringAsciiCase(name, "tvg-type") ||
                       equalsIgnoringAsciiCase(name, "type")) {
                if (const auto tv = televisionFromType(value)) info.television = tv;
            } else if (equalsIgnoringAsciiCase(name, "radio")) {
                if (equalsIgnoringAsciiCase(trimmedBytes(value), "true")) info.television = false;
            }
        },
        &info.title);
    return info;
}

void fillEntry(StationEntry& entry, const PendingInfo& info, std::string_view address) {
    assignUtf8Text(entry.address, address);
    assignUtf8Text(entry.name, trimmedBytes(info.title).empty() ? info.tvgName : info.title);
    assignUtf8Text(entry.group, info.group);
    assignUtf8Text(entry.country, info.country);
    assignUtf8Text(entry.language, info.language);
    entry.television = info.television ? *info.television : isTelevisionGroup(entry.group);
}

}  // namespace

ExtInf parseExtInf(std::string_view s) {
    ExtInf result;
    std::string_view title;
    walkExtInf(
        s,
        [&result](std::string_view key, std::string_view value) {
            result.attributes.emplace_back(asciiLowerCase(key), std::string(value));
        },
        &title);
    result.title = std::string(title);
    return result;
}

bool isTelevisionGroup(std::u16string_view group) {
    if (group.find(u"电视") != std::u16string_view::npos) return true;
    std::string word;
    const auto isTvWord = [&word] {
        return equalsIgnoringAsciiCase(word, "tv") || equalsIgnoringAsciiCase(word, "television");
    };
    for (char16_t c : group) {
        const bool alphanumeric =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (alphanumeric) {
            word.push_back(static_cast<char>(c));
            continue;
        }
        if (isTvWord()) return true;
        word.clear();
    }
    return isTvWord();
}

PlaylistError readM3u(std::string_view text, PlaylistEntrySink& sink) {
    StationEntry entry;  // handed to the sink and refilled for the next address
    std::size_t count = 0;
    PendingInfo pending;
    std::string_view pendingGroup;  // from #EXTGRP
    const auto emit = [&](std::string_view address) {
        if (!pendingGroup.empty() && trimmedBytes(pending.group).empty()) {
            pending.group = pendingGroup;
        }
        if (++count > kMaxPlaylistEntries) return false;
        fillEntry(entry, pending, address);
        sink.take(entry);
        pending = PendingInfo{};
        pendingGroup = {};
        return true;
    };

    TextLineReader lines(text);
    std::string_view raw;
    while (lines.next(&raw)) {
        const std::string_view line = trimmedBytes(raw);
        if (line.empty()) continue;
        if (line[0] == '#' && startsWithIgnoringAsciiCase(line, "#EXTINF:")) {
            if (pending.present && !emit({})) break;
            pending = infoFromExtInf(line.substr(8));
        } else if (line[0] == '#' && startsWithIgnoringAsciiCase(line, "#EXTGRP:")) {
            pendingGroup = trimmedBytes(line.substr(8));
        } else if (line.starts_with('#')) {
            continue;
        } else if (!emit(line)) {
            break;
        }
    }
    if (pending.present && count <= kMaxPlaylistEntries) emit({});
    if (count > kMaxPlaylistEntries) return readError(PlaylistErrorKind::TooManyEntries);
    return {};
}

PlaylistReadResult readM3u(std::string_view text) {
    return collectEntries([text](PlaylistEntrySink& sink) { return readM3u(text, sink); });
}
