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
}  // namespace

void appendStations(TClientDataSet& table, std::span<const StationValues> stations) {
    StationRecordChunk chunk(table);
    for (const StationValues& station : stations) {
        chunk.add(station);
        if (chunk.full()) chunk.flush();
    }
    chunk.flush();
}

ImportReport importStationsInto(TClientDataSet& table, std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses,
                                const std::function<void(std::size_t)>& progress) {
    ImportReport report;
    report.entries = entries.size();
    addresses.reserve(addresses.size() + entries.size());
    EntryConversion converted;
    StationRecordChunk chunk(table);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entryToStation(entries[i], converted);
        if (takeConversion(converted, addresses, report)) chunk.add(converted.values);
        if ((i + 1) % kImportProgressStep == 0) {
            chunk.flush();  // the table is whole again before the window's events run
            if (progress) progress(i + 1);
        }
    }
    chunk.flush();
    return report;
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
