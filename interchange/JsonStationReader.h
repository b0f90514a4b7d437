#pragma once
// Reads station lists in JSON (UTF-8 text as decodePlaylistText gives it), as station
// directories publish them:
//
//   [ {"name": "Example", "url": "http://...", "url_resolved": "http://...", "country": "China",
//      "countrycode": "CN", "language": "chinese", "bitrate": 128, "codec": "MP3",
//      "homepage": "http://...", "tags": "news,talk"}, ... ]
//
// or an object holding such an array as one of its members (the first member whose array
// holds an object), or one station object alone. Keys are the station columns of
// StationColumns.h in any letter case; url_resolved wins over url when not empty; tags may be a
// text or an array of texts; a number in "bitrate" becomes "128k" (0 is no bit rate), numbers
// elsewhere become their text; other keys and nested values are passed over. An element of the
// station array that is not an object is an entry without an address.
//
// The text is parsed as a stream: memory grows with the entries, not with the document, and
// values nested deeper than kMaxJsonDepth are refused.

#include <cstddef>
#include <string_view>

#include "interchange/PlaylistReadResult.h"

inline constexpr std::size_t kMaxJsonDepth = 64;

PlaylistError readJsonStations(std::string_view utf8Text, PlaylistEntrySink& sink);
PlaylistReadResult readJsonStations(std::string_view utf8Text);
