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

PlaylistReadResult readPlaylistText(PlaylistFormat format, std::string_view text) {
    switch (format) {
        case PlaylistFormat::M3u:
            return readM3u(text);
        case PlaylistFormat::Pls:
            return readPls(text);
        case PlaylistFormat::Xspf:
            return readXspf(text);
        case PlaylistFormat::Csv:
            return readCsv(text);
        case PlaylistFormat::Json:
            return readJsonStations(text);
    }
    return {};
}

PlaylistReading readPlaylist(std::span<const std::uint8_t> bytes, std::u16string_view fileName,
                             std::optional<PlaylistFormat> format) {
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
    PlaylistReadResult read = readPlaylistText(reading.format, text);
    reading.entries = std::move(read.entries);
    reading.error = std::move(read.error);
    return reading;
}

FileResult readPlaylistFile(std::u16string_view path, std::optional<PlaylistFormat> format,
                            PlaylistReading* reading) {
    // A file far larger than any list is refused before its bytes are read.
    struct stat status {};
    const std::string name = utf16ToUtf8(path);
    if (::stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::uint64_t>(status.st_size) > kMaxPlaylistBytes) {
        *reading = PlaylistReading{};
        reading->format =
            format.value_or(playlistFormatFromFileName(path).value_or(PlaylistFormat::M3u));
        reading->error.kind = PlaylistErrorKind::TooLarge;
        return FileResult();
    }
    // Nor is one whose text, entries and stations would not fit in the memory free now.
    if (FileResult size = checkFileReadSize(path, kMaxPlaylistBytes, kReadMemoryPerPlaylistByte);
        !size)
        return size;
    std::vector<std::uint8_t> bytes;
    const FileResult read = readWholeFile(path, bytes);
    if (!read) return read;
    *reading = readPlaylist(bytes, path, format);
    return read;
}
