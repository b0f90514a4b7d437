#pragma once
// Writing the table's stations out as a station list: each station becomes an entry
// (entryFromStation) and the format's writer puts them out; the file is replaced atomically, as
// every file that holds the user's data is.

#include <span>
#include <string>
#include <string_view>

#include "interchange/EntryToStation.h"
#include "interchange/PlaylistFormat.h"
#include "platform/FileResult.h"

// The stations as a list in the format, UTF-8 text.
std::string stationListText(PlaylistFormat format, std::span<const StationValues> stations);

// Writes the list to `path` through a temporary file in the same folder, renamed over the
// target only when every byte is written and flushed; on failure the old file stays as it was.
FileResult exportStationList(std::u16string_view path, PlaylistFormat format,
                             std::span<const StationValues> stations);
