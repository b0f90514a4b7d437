#pragma once
// Reads M3U and M3U8 playlists (UTF-8 text as decodePlaylistText gives it).
//
//   #EXTM3U                                         optional header, attributes ignored
//   #EXTINF:-1 tvg-name="A" group-title='News',Title   information for the next address
//   #EXTGRP:News                                    a group for the next address
//   http://example.org/stream                       an address: one entry
//   # anything else                                 a comment
//
// Lines end with CRLF, LF or a lone CR; blank lines are skipped. The title after the first comma
// outside quotes names the entry, else the tvg-name attribute. Attribute values stand in double
// or single quotes (commas inside them are not the title's comma) or bare up to a blank or
// comma. group-title (else #EXTGRP) gives the group, tvg-country and tvg-language the country
// and language. An entry is TV when tvg-type or type says tv, television or video, or when its
// group is a TV group (see isTelevisionGroup); radio="true" keeps it radio. An #EXTINF line
// that no address follows (another #EXTINF comes first, or the end) is an entry without an
// address, so that it is counted when skipped.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interchange/PlaylistReadResult.h"

PlaylistError readM3u(std::string_view utf8Text, PlaylistEntrySink& sink);
PlaylistReadResult readM3u(std::string_view utf8Text);

// The parts of an #EXTINF line after "#EXTINF:": attributes (names in lower case) and title.
struct ExtInf {
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string title;
};
ExtInf parseExtInf(std::string_view afterColon);

// True for a group that names TV: one of its words (split at blanks and punctuation) is "tv" or
// "television" in any letter case, or it contains "电视".
bool isTelevisionGroup(std::u16string_view group);
