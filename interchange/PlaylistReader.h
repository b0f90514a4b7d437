#pragma once
// Reading a station list from its bytes or from a file: the text decoded (TextDecoding.h), the
// format taken as given or guessed from the file's name and content (PlaylistFormat.h), and the
// format's reader run on it.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "interchange/PlaylistError.h"
#include "interchange/PlaylistFormat.h"
#include "interchange/PlaylistReadResult.h"
#include "interchange/TextDecoding.h"
#include "platform/FileResult.h"

struct PlaylistReading {
    PlaylistFormat format = PlaylistFormat::M3u;  // the format read as
    TextEncoding encoding = TextEncoding::Utf8;
    std::vector<StationEntry> entries;  // empty when the read failed or went to a sink
    PlaylistError error;

    bool ok() const { return !error.failed(); }
};

// The reader of a format run on decoded text.
PlaylistError readPlaylistText(PlaylistFormat format, std::string_view utf8Text,
                               PlaylistEntrySink& sink);
PlaylistReadResult readPlaylistText(PlaylistFormat format, std::string_view utf8Text);

// Reads a station list from its bytes. Without a format, the format is guessed from the file's
// name (used for its extension only) and the text. More than kMaxPlaylistBytes are refused.
// The entries go to `sink` as they are read, or, without one, into the reading's entries.
PlaylistReading readPlaylist(std::span<const std::uint8_t> bytes, std::u16string_view fileName,
                             std::optional<PlaylistFormat> format, PlaylistEntrySink& sink);
PlaylistReading readPlaylist(std::span<const std::uint8_t> bytes, std::u16string_view fileName,
                             std::optional<PlaylistFormat> format = std::nullopt);

// Reads the file and then its station list. The answer is the file's outcome ("No such file or
// directory", "Is a directory", ...); only when it succeeded does `reading` hold the list's.
FileResult readPlaylistFile(std::u16string_view path, std::optional<PlaylistFormat> format,
                            PlaylistReading* reading, PlaylistEntrySink& sink);
// The first step of readPlaylistFile: the file's bytes, after the checks of its size (a file
// too large for a list is refused with `reading` saying so, the answer being success).
FileResult readPlaylistBytes(std::u16string_view path, std::optional<PlaylistFormat> format,
                             std::vector<std::uint8_t>& bytes, PlaylistReading* reading);
FileResult readPlaylistFile(std::u16string_view path, std::optional<PlaylistFormat> format,
                            PlaylistReading* reading);
