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
// The record AppendRecord takes, made once and refilled for every station (the strings keep
// their storage, so a long list appends without a copy made per value).
class StationRecordBuffer {
  public:
    StationRecordBuffer() : FRecord(kStationFieldCount) {}
    const std::vector<TVarRec>& fill(const StationValues& station) {
        for (std::size_t i = 0; i < kStationFieldCount; ++i) FRecord[i].VUnicode = station[i];
        return FRecord;
    }

  private:
    std::vector<TVarRec> FRecord;
};
}  // namespace

void appendStations(TClientDataSet& table, std::span<const StationValues> stations) {
    StationRecordBuffer record;
    for (const StationValues& station : stations) table.AppendRecord(record.fill(station));
}

ImportReport importStationsInto(TClientDataSet& table, std::span<const StationEntry> entries,
                                DuplicateAddressIndex& addresses,
                                const std::function<void(std::size_t)>& progress) {
    ImportReport report;
    report.entries = entries.size();
    addresses.reserve(addresses.size() + entries.size());
    EntryConversion converted;
    StationRecordBuffer record;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entryToStation(entries[i], converted);
        if (takeConversion(converted, addresses, report))
            table.AppendRecord(record.fill(converted.values));
        if (progress && (i + 1) % kImportProgressStep == 0) progress(i + 1);
    }
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
