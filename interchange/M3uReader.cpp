#include "interchange/M3uReader.h"

#include <optional>

#include "interchange/StationColumns.h"
#include "interchange/TextLines.h"
#include "packet/AsciiCase.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The information an #EXTINF (and #EXTGRP) line gives the address that follows it.
struct PendingInfo {
    bool present = false;
    std::string title;
    std::string tvgName;
    std::string group;
    std::string country;
    std::string language;
    std::optional<bool> television;  // set when an attribute says radio or TV
};

std::optional<bool> televisionFromType(const std::string& type) {
    if (isTelevisionTypeText(utf8Text(type))) return true;
    if (equalsIgnoringAsciiCase(trimmedBytes(type), "radio")) return false;
    return std::nullopt;
}

PendingInfo infoFrom(const ExtInf& extInf) {
    PendingInfo info;
    info.present = true;
    info.title = extInf.title;
    for (const auto& [name, value] : extInf.attributes) {
        if (name == "tvg-name") {
            info.tvgName = value;
        } else if (name == "group-title") {
            info.group = value;
        } else if (name == "tvg-country") {
            info.country = value;
        } else if (name == "tvg-language") {
            info.language = value;
        } else if (name == "tvg-type" || name == "type") {
            if (const auto tv = televisionFromType(value)) info.television = tv;
        } else if (name == "radio") {
            if (equalsIgnoringAsciiCase(trimmedBytes(value), "true")) info.television = false;
        }
    }
    return info;
}

StationEntry entryFrom(const PendingInfo& info, std::string_view address) {
    StationEntry entry;
    entry.address = utf8Text(address);
    entry.name = utf8Text(trimmedBytes(info.title).empty() ? info.tvgName : info.title);
    entry.group = utf8Text(info.group);
    entry.country = utf8Text(info.country);
    entry.language = utf8Text(info.language);
    entry.television = info.television ? *info.television : isTelevisionGroup(entry.group);
    return entry;
}

}  // namespace

ExtInf parseExtInf(std::string_view s) {
    ExtInf result;
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
            result.title = std::string(trimmedBytes(s.substr(pos + 1)));
            return result;
        }
        const std::size_t keyStart = pos;
        while (pos < s.size() && s[pos] != '=' && s[pos] != ',' && !isBlank(s[pos])) ++pos;
        const std::string key = asciiLowerCase(s.substr(keyStart, pos - keyStart));
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
        result.attributes.emplace_back(key, std::string(value));
    }
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

PlaylistReadResult readM3u(std::string_view text) {
    PlaylistReadResult result;
    PendingInfo pending;
    std::string pendingGroup;  // from #EXTGRP
    const auto emit = [&](std::string_view address) {
        if (!pendingGroup.empty() && trimmedBytes(pending.group).empty()) {
            pending.group = pendingGroup;
        }
        result.entries.push_back(entryFrom(pending, address));
        pending = PendingInfo{};
        pendingGroup.clear();
        return result.entries.size() <= kMaxPlaylistEntries;
    };

    TextLineReader lines(text);
    std::string_view raw;
    while (lines.next(&raw)) {
        const std::string_view line = trimmedBytes(raw);
        if (line.empty()) continue;
        if (startsWithIgnoringAsciiCase(line, "#EXTINF:")) {
            if (pending.present && !emit({})) break;
            pending = infoFrom(parseExtInf(line.substr(8)));
        } else if (startsWithIgnoringAsciiCase(line, "#EXTGRP:")) {
            pendingGroup = std::string(trimmedBytes(line.substr(8)));
        } else if (line.starts_with('#')) {
            continue;
        } else if (!emit(line)) {
            break;
        }
    }
    if (pending.present) emit({});
    if (result.entries.size() > kMaxPlaylistEntries)
        return failedRead(PlaylistErrorKind::TooManyEntries);
    return result;
}
