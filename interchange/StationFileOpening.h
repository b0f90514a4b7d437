#pragma once
// Opening files handed to the window (named on the command line, dropped, chosen for import):
// what kind of file each one is, and reading a station file as stations of the station table.
// A station file is a datapacket, binary or XML, of a table whose columns are station fields;
// the columns may come in another order or be a subset, and are matched by field name.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/EntryToStation.h"

class TClientDataSet;

enum class OpenedFileKind {
    StationFile,  // ".cds", or content that begins as a binary or XML datapacket
    Playlist,     // a station-list extension: .m3u, .m3u8, .pls, .xspf, .csv, .json
    Unknown,
};

// Decides by the name's extension and by the file's first bytes: a datapacket is a station file
// whatever its name, so an XML datapacket saved as ".xml" opens as one.
OpenedFileKind openedFileKind(std::u16string_view path, std::span<const std::uint8_t> head);
// The same, reading up to the first 4 KiB of the file itself (an unreadable file: by name).
OpenedFileKind openedFileKind(std::u16string_view path);

struct StationFileReading {
    std::vector<StationValues> stations;  // in table order; empty on failure
    std::u16string failure;               // why the file was refused, in Chinese; empty on success

    bool ok() const { return failure.empty(); }
};

// Reads a station file into a table of its own and takes its stations by field name. Refused,
// with the reason: a file that cannot be read, a damaged packet, a packet of another table (a
// column that is no station field, or one of another type than the station field's) and a
// table without the address column.
StationFileReading readStationTableFile(std::u16string_view path);

// Makes the open station table hold exactly these stations, in order: a new empty station
// table, then the stations appended (the change log keeps them until the caller's save
// sequence merges it). Errors of the dataset layer pass on to the caller.
void replaceStations(TClientDataSet& table, std::span<const StationValues> stations);
