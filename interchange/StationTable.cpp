#include "interchange/StationTable.h"

#include <array>

#include "dataset/ClientDataSet.h"

std::vector<TVarRec> stationRecord(const StationValues& station) {
    std::vector<TVarRec> record;
    record.reserve(station.size());
    for (const std::u16string& value : station) record.push_back(TVarRec::unicode(value));
    return record;
}

void appendStations(TClientDataSet& table, std::span<const StationValues> stations) {
    for (const StationValues& station : stations) table.AppendRecord(stationRecord(station));
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
