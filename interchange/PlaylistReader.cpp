#include "interchange/PlaylistReader.h"

#include <sys/stat.h>

#include <cerrno>

#include "interchange/CsvReader.h"
#include "interchange/JsonStationReader.h"
#include "interchange/M3uReader.h"
#include "interchange/PlsReader.h"
#include "interchange/XspfReader.h"
#include "platform/FileOps.h"
#include "platform/ReadSizeLimits.h"
#include "platform/Unicode.h"

namespace {
// Reading a list holds its bytes, its text as UTF-16, the entries and then the stations and the
// table they go into, several times the file's size: an estimate with room to spare.
constexpr std::uint64_t kReadMemoryPerPlaylistByte = 12;
}  // namespace

PlaylistError readPlaylistText(PlaylistFormat format, std::string_view text,
                               PlaylistEntrySink& sink) {
    switch (format) {
        case PlaylistFormat::M3u:
            return readM3u(text, sink);
        case PlaylistFormat::Pls:
            return readPls(text, sink);
        case PlaylistFormat::Xspf:
            return readXspf(text, sink);
        case PlaylistFormat::Csv:
            return readCsv(text, sink);
        case PlaylistFormat::Json:
            return readJsonStations(text, sink);
    }
    return {};
}

PlaylistReadResult readPlaylistText(PlaylistFormat format, std::string_view text) {
    return collectEntries(
        [&](PlaylistEntrySink& sink) { return readPlaylistText(format, text, sink); });
}

PlaylistReading readPlaylist(std::span<const std::uint8_t> bytes, std::u16string_view fileName,
                             std::optional<PlaylistFormat> format, PlaylistEntrySink& sink) {
    PlaylistReading reading;
    if (bytes.size() > kMaxPlaylistBytes) {
        reading.format =
            format.value_or(playlistFormatFromFileName(fileName).value_or(PlaylistFormat::M3u));
        reading.error.kind = PlaylistErrorKind::TooLarge;
        return reading;
    }
    // Plain UTF-8, the usual case, is read where it lies; anything else is decoded first.
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    DecodedText decoded;
    std::string_view text = raw;
    if (!isPlainUtf8Text(raw)) {
        decoded = decodePlaylistText(raw);
        reading.encoding = decoded.encoding;
        text = decoded.utf8;
    }
    reading.format = format ? *format : guessPlaylistFormat(utf16ToUtf8(fileName), text);
    reading.error = readPlaylistText(reading.format, text, sink);
    return reading;
}

PlaylistReading readPlaylist(std::span<const std::uint8_t> bytes, std::u16string_view fileName,
                             std::optional<PlaylistFormat> format) {
    PlaylistReading reading;
    PlaylistReadResult read = collectEntries([&](PlaylistEntrySink& sink) {
        reading = readPlaylist(bytes, fileName, format, sink);
        return reading.error;
    });
    reading.entries = std::move(read.entries);
    return reading;
}

FileResult readPlaylistBytes(std::u16string_view path, std::optional<PlaylistFormat> format,
                             std::vector<std::uint8_t>& bytes, PlaylistReading* reading) {
    *reading = PlaylistReading{};
    // A file far larger than any list is refused before its bytes are read.
    struct stat status {};
    const std::string name = utf16ToUtf8(path);
    if (::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::uint64_t>(status.st_size) > kMaxPlaylistBytes) {
        reading->format =
            format.value_or(playlistFormatFromFileName(path).value_or(PlaylistFormat::M3u));
        reading->error.kind = PlaylistErrorKind::TooLarge;
        return FileResult();
    }
    // Nor is one whose text, entries and stations would not fit in the memory free now.
    if (FileResult size = checkFileReadSize(path, kMaxPlaylistBytes, kReadMemoryPerPlaylistByte);
        !size)
        return size;
    return readWholeFile(path, bytes);
}

FileResult readPlaylistFile(std::u16string_view path, std::optional<PlaylistFormat> format,
                            PlaylistReading* reading, PlaylistEntrySink& sink) {
    std::vector<std::uint8_t> bytes;
    const FileResult read = readPlaylistBytes(path, format, bytes, reading);
    if (!read || !reading->ok()) return read;
    *reading = readPlaylist(bytes, path, format, sink);
    return read;
}

FileResult readPlaylistFile(std::u16string_view path, std::optional<PlaylistFormat> format,
                            PlaylistReading* reading) {
    FileResult file;
    PlaylistReadResult read = collectEntries([&](PlaylistEntrySink& sink) {
        file = readPlaylistFile(path, format, reading, sink);
        return reading->error;
    });
    reading->entries = std::move(read.entries);
    return file;
}
