#include "interchange/PlsReader.h"

#include <cstdint>
#include <map>
#include <string>

#include "interchange/TextLines.h"
#include "packet/AsciiCase.h"

namespace {

struct PlsItem {
    std::string_view file;
    std::string_view title;
};

// The entry number after a key's prefix ("File12" -> 12): digits only, at most 18 of them
// after leading zeros so the value fits; none otherwise.
bool entryNumber(std::string_view digits, std::uint64_t* number) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 18) return false;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    *number = value;
    return true;
}

}  // namespace

PlaylistError readPls(std::string_view text, PlaylistEntrySink& sink) {
    std::map<std::uint64_t, PlsItem> items;
    bool inPlaylist = true;  // until another section starts
    TextLineReader lines(text);
    std::string_view raw;
    while (lines.next(&raw)) {
        const std::string_view line = trimmedBytes(raw);
        if (line.empty() || line.starts_with(';') || line.starts_with('#')) continue;
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            inPlaylist =
                close != std::string_view::npos &&
                equalsIgnoringAsciiCase(trimmedBytes(line.substr(1, close - 1)), "playlist");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inPlaylist || equals == std::string_view::npos) continue;
        const std::string_view key = trimmedBytes(line.substr(0, equals));
        const std::string_view value = trimmedBytes(line.substr(equals + 1));
        std::uint64_t number = 0;
        if (startsWithIgnoringAsciiCase(key, "file") && entryNumber(key.substr(4), &number)) {
            items[number].file = value;
        } else if (startsWithIgnoringAsciiCase(key, "title") &&
                   entryNumber(key.substr(5), &number)) {
            items[number].title = value;
        } else {
            continue;  // LengthN, NumberOfEntries, Version and unknown keys
        }
        if (items.size() > kMaxPlaylistEntries) return readError(PlaylistErrorKind::TooManyEntries);
    }

    // The numbers give the order, so the entries are handed over once all are known.
    StationEntry entry;
    for (const auto& [number, item] : items) {
        entry.address = utf8Text(item.file);
        entry.name = utf8Text(item.title);
        sink.take(entry);
    }
    return {};
}

PlaylistReadResult readPls(std::string_view text) {
    return collectEntries([text](PlaylistEntrySink& sink) { return readPls(text, sink); });
}
