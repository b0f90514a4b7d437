#include "interchange/StationTable.h"

#include <array>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"

std::vector<TVarRec> stationRecord(const StationValues& station) {
    std::vector<TVarRec> record;
    record.reserve(station.size());
    for (const std::u16string& value : station) record.push_back(TVarRec::unicode(value));
    return record;
}

namespace {
// Records as AppendRecords takes them, made once and refilled station by station (the strings
// keep their storage, so a long list appends without a copy made per value), and handed to the
// table a chunk at a time.
class StationRecordChunk {
  public:
    explicit StationRecordChunk(TClientDataSet& table) : FTable(table) {}
    void add(const StationValues& station) {
        if (FUsed == FRecords.size()) FRecords.emplace_back(kStationFieldCount);
        std::vector<TVarRec>& record = FRecords[FUsed++];
        for (std::size_t i = 0; i < kStationFieldCount; ++i) record[i].VUnicode = station[i];
    }
    bool full() const { return FUsed >= kImportProgressStep; }
    void flush() {
        if (FUsed == 0) return;
        const std::size_t used = FUsed;
        FUsed = 0;
        FTable.AppendRecords(std::span(FRecords).first(used));
    }

  private:
    TClientDataSet& FTable;
    std::vector<std::vector<TVarRec>> FRecords;
    std::size_t FUsed = 0;
};

// Takes the table back to the save point taken before an import, on the record that was current.
void undoImport(TClientDataSet& table, std::int32_t savePoint, std::int32_t current) {
    table.SetSavePoint(savePoint);
    if (current > 0 && current <= table.RecordCount()) table.SetRecNo(current);
}

}  // namespace

void appendStations(TClientDataSet& table, std::span<const StationValues> stations) {
    StationRecordChunk chunk(table);
    for (const StationValues& station : stations) {
        chunk.add(station);
        if (chunk.full()) chunk.flush();
    }
    chunk.flush();
}

namespace {
// Converts entry after entry and appends the stations taken, a progress step at a time.
class TableImport final : public PlaylistEntrySink {
  public:
    TableImport(TClientDataSet& table, DuplicateAddressIndex& addresses,
                const ImportProgress& progress)
        : FChunk(table), FAddresses(addresses), FProgress(progress) {}

    void take(const StationEntry& entry) override {
        ++FReport.entries;
        entryToStation(entry, FConverted);
        if (takeConversion(FConverted, FAddresses, FReport)) FChunk.add(FConverted.values);
        if (FReport.entries % kImportProgressStep == 0) {
            FChunk.flush();  // the table is whole again before the window's events run
            if (FProgress) FProgress(FReport.entries);
        }
    }
    ImportReport finish() {
        FChunk.flush();
        return std::move(FReport);
    }

  private:
    StationRecordChunk FChunk;
    DuplicateAddressIndex& FAddresses;
    const ImportProgress& FProgress;
    EntryConversion FConverted;
    ImportReport FReport;
};
}  // namespace

ImportReport importStationsInto(TClientDataSet& table, std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses, const ImportProgress& progress) {
    addresses.reserve(addresses.size() + entries.size());
    TableImport import(table, addresses, progress);
    for (const StationEntry& entry : entries) import.take(entry);
    return import.finish();
}

PlaylistImport importPlaylistFileInto(TClientDataSet& table, std::u16string_view path,
                                      std::optional<PlaylistFormat> format,
                                      DuplicateAddressIndex& addresses,
                                      const ImportProgress& progress) {
    PlaylistImport result;
    const std::int32_t savePoint = table.SavePoint();
    const std::int32_t current = table.RecNo();
    TableImport import(table, addresses, progress);
    try {
        result.file = readPlaylistFile(path, format, &result.reading, import);
        if (result.ok()) {
            result.report = import.finish();
            return result;
        }
        import.finish();
    } catch (...) {
        undoImport(table, savePoint, current);
        throw;
    }
    undoImport(table, savePoint, current);
    return result;
}

std::vector<StationValues> readStations(TClientDataSet& table) {
    std::vector<StationValues> stations;
    if (table.IsEmpty()) return stations;
    std::array<TField*, kStationFieldCount> fields{};
    for (std::size_t i = 0; i < kStationFieldCount; ++i) {
        fields[i] = table.FindField(stationSchema()[i].name);
    }
    const std::int32_t current = table.RecNo();
    stations.reserve(static_cast<std::size_t>(table.RecordCount()));
    table.First();
    while (!table.Eof()) {
        StationValues& station = stations.emplace_back();
        for (std::size_t i = 0; i < kStationFieldCount; ++i) {
            if (fields[i]) station[i] = fields[i]->AsString();
        }
        table.Next();
    }
    if (current > 0) {
        table.SetRecNo(current);
    } else {
        table.First();
    }
    return stations;
}
