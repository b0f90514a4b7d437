#pragma once
// Reads PLS playlists (UTF-8 text as decodePlaylistText gives it).
//
//   [playlist]
//   File1=http://example.org/stream      the address of entry 1
//   Title1=Example                       its name
//   Length1=-1                           ignored
//   NumberOfEntries=1                    ignored: the entries present count
//   Version=2                            ignored
//
// Keys are matched in any letter case and may come in any order; the numbers may have gaps and
// give the entries' order. Lines before any section count as [playlist]; lines of other
// sections, comments (";" or "#") and lines without "=" are ignored. A number with a title but
// no file is an entry without an address. When a key repeats, its last value counts.

#include <string_view>

#include "interchange/PlaylistReadResult.h"

PlaylistError readPls(std::string_view utf8Text, PlaylistEntrySink& sink);
PlaylistReadResult readPls(std::string_view utf8Text);
