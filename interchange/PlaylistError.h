#pragma once
// Why a station list could not be read. A reader that fails hands back no entries at all, so a
// malformed file changes nothing; the caller shows the text with the file's name.

#include <cstddef>
#include <string>

#include "platform/FileResult.h"

enum class PlaylistErrorKind {
    None,
    TooLarge,              // more bytes than kMaxPlaylistBytes
    TooManyEntries,        // more entries than kMaxPlaylistEntries
    TooDeep,               // XML elements or JSON values nested too deep
    XmlMalformed,          // not well-formed XML; detail says what was found
    NotXspf,               // XML whose root element is not "playlist"
    JsonMalformed,         // not valid JSON; detail is the parser's message
    JsonNoStations,        // valid JSON without an array of station objects
    CsvUnterminatedQuote,  // a quoted field runs to the end of the file
    CsvNoAddressColumn,    // a header row that names no address column
};

struct PlaylistError {
    PlaylistErrorKind kind = PlaylistErrorKind::None;
    std::size_t line = 0;  // 1-based line of the fault; 0 when it has none
    std::string detail;    // English, for XML and JSON faults

    bool failed() const { return kind != PlaylistErrorKind::None; }
};

// The largest station list read, and the most entries one may hold: far beyond any real list,
// and a bound on the memory a read can ask for.
inline constexpr std::size_t kMaxPlaylistBytes = std::size_t{256} << 20;
inline constexpr std::size_t kMaxPlaylistEntries = 1'000'000;

// The reason as a sentence without a final full stop, in English (as cdstool prints it) or in
// Chinese (as the window shows it).
std::string playlistErrorText(const PlaylistError& error,
                              ErrorTextLanguage language = ErrorTextLanguage::System);
