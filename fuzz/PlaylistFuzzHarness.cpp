#include "fuzz/PlaylistFuzzHarness.h"

#include <cstdlib>
#include <span>
#include <vector>

#include "interchange/DuplicateAddressIndex.h"
#include "interchange/EntryToStation.h"
#include "interchange/PlaylistReader.h"
#include "interchange/PlaylistWriters.h"
#include "platform/CodePage.h"
#include "stations/StationInput.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// What a station promises: an address with a stream marker that fits its field, and the
// fixed values of a typed station.
void checkStation(const StationValues& station) {
    const std::u16string& address = stationValue(station, StationFieldName::Address);
    check(!address.empty() && hasStreamMarker(address));
    check(unicodeToAnsi(address).size() <= 100);
    check(stationValue(station, StationFieldName::Category) == kUserDefinedCategory);
    check(unicodeToAnsi(stationValue(station, StationFieldName::WebSite)).size() <= 100);
}

// The values a format must give back after writing and reading.
bool sameCarried(PlaylistFormat format, const StationValues& a, const StationValues& b) {
    const auto same = [&](std::u16string_view field) {
        return stationValue(a, field) == stationValue(b, field);
    };
    switch (format) {
        case PlaylistFormat::M3u:
            // Country, language and group are M3U attributes, where a value holding both quote
            // characters cannot stand unchanged.
            return same(StationFieldName::Name) && same(StationFieldName::Address) &&
                   isTelevisionStation(a) == isTelevisionStation(b);
        case PlaylistFormat::Pls:
            return same(StationFieldName::Name) && same(StationFieldName::Address);
        case PlaylistFormat::Xspf:
            return same(StationFieldName::Name) && same(StationFieldName::Address) &&
                   same(StationFieldName::WebSite);
        case PlaylistFormat::Csv:
        case PlaylistFormat::Json:
            return a == b;
    }
    return false;
}

}  // namespace

int fuzzPlaylistFormat(PlaylistFormat format, const std::uint8_t* data, std::size_t size) {
    const PlaylistReading reading = readPlaylist(std::span(data, size), u"", format);
    if (!reading.ok()) {
        check(reading.entries.empty());
        return 0;
    }
    DuplicateAddressIndex addresses;
    const ImportedStations imported = importStations(reading.entries, addresses);
    const ImportReport& report = imported.report;
    check(report.imported + report.skipped() == reading.entries.size());
    check(imported.stations.size() == report.imported);
    check(!importSummaryText(report).empty());

    std::vector<StationEntry> exported;
    std::vector<const StationValues*> kept;
    for (const StationValues& station : imported.stations) {
        checkStation(station);
        // An M3U line that begins with "#" is a comment, so such an address cannot come back.
        if (format == PlaylistFormat::M3u &&
            stationValue(station, StationFieldName::Address).starts_with(u'#')) {
            continue;
        }
        exported.push_back(entryFromStation(station));
        kept.push_back(&station);
    }
    const std::string text = writePlaylist(format, exported);
    const PlaylistReading again = readPlaylist(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), u"", format);
    check(again.ok());
    DuplicateAddressIndex fresh;
    const ImportedStations back = importStations(again.entries, fresh);
    check(back.stations.size() == kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        check(sameCarried(format, *kept[i], back.stations[i]));
    }
    return 0;
}
