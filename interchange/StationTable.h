#pragma once
// Moving stations between StationValues and the station table of a TClientDataSet.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "dataset/FieldClasses.h"
#include "interchange/EntryToStation.h"
#include "interchange/PlaylistReader.h"
#include "platform/FileResult.h"

class TClientDataSet;
class DuplicateAddressIndex;

// The 20 values as AppendRecord takes them.
std::vector<TVarRec> stationRecord(const StationValues& station);

// Appends the stations at the end of an open station table with AppendRecords (AppendRecord of
// each, in order, as the entry page appends a typed station); the change log keeps them until
// the caller's save sequence merges it. Errors of the dataset layer pass on to the caller.
void appendStations(TClientDataSet& table, std::span<const StationValues> stations);

// Imports entries straight into an open station table: each converted by the entry rules
// (importStations) and, when taken, appended as appendStations appends it, a progress step at a
// time, without holding all the stations at once. `progress`, when given, is called with the
// count of entries done after every kImportProgressStep entries (a window keeps painting from
// it; the table is whole then). Errors of the dataset layer pass on to the caller; the stations
// appended before one stay.
inline constexpr std::size_t kImportProgressStep = 500;
using ImportProgress = std::function<void(std::size_t)>;
ImportReport importStationsInto(TClientDataSet& table, std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses,
                                const ImportProgress& progress = {});

// The import of one station list file.
struct PlaylistImport {
    FileResult file;          // reading the file ("No such file or directory", ...)
    PlaylistReading reading;  // the list's format, encoding and outcome; its entries stay empty
    ImportReport report;      // what was imported and skipped; empty when the import failed

    bool ok() const { return file && reading.ok(); }
};

// Reads a station list file and imports its entries into an open station table as they are
// read, with importStationsInto's rules and progress. A second thread reads the list and applies
// the entry rules while the calling thread tests duplicates and appends (the table and
// `progress` are used on the calling thread only); at most a few batches of stations are held
// between the two. When the file cannot be read, its list is malformed or the dataset layer
// fails (its error passes on), the table is as it was, on the same record, and so is
// `addresses`: the stations appended before the fault are undone with the change log.
PlaylistImport importPlaylistFileInto(TClientDataSet& table, std::u16string_view path,
                                      std::optional<PlaylistFormat> format,
                                      DuplicateAddressIndex& addresses,
                                      const ImportProgress& progress = {});

// The stations of an open table in its order, each field read by name with AsString, so a table
// whose columns are in another order or a subset reads as well (a missing field reads empty).
// The table must be in browse state; its current record is the same afterwards.
std::vector<StationValues> readStations(TClientDataSet& table);
