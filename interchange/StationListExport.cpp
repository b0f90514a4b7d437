#include "interchange/StationListExport.h"

#include <cstdint>
#include <vector>

#include "interchange/PlaylistWriters.h"
#include "platform/AtomicFileWriter.h"

std::string stationListText(PlaylistFormat format, std::span<const StationValues> stations) {
    std::vector<StationEntry> entries;
    entries.reserve(stations.size());
    for (const StationValues& station : stations) entries.push_back(entryFromStation(station));
    return writePlaylist(format, entries);
}

FileResult exportStationList(std::u16string_view path, PlaylistFormat format,
                             std::span<const StationValues> stations) {
    const std::string text = stationListText(format, stations);
    return writeFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
