// Writes the seed packets of the fuzz targets into fuzz/corpus/<target>/. Run once after a
// change of the packet format; the files it writes are committed:
//   build/<dir>/tools/make_fuzz_seeds fuzz/corpus
//
// Seeds: the 117-byte three-column packet with two rows, the empty station table (619 bytes),
// the station table with a few rows, the same with a pending change log (a deletion, a
// modification and an insert), and the station table in both XML forms.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"
#include "stations/StationSchema.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The three-column packet: a string of width 20, a time and an integer; row 1 "Radio",
// 08:30:00, 15; row 2 with a null name and a null time, and 0.
const Bytes kWorkedExample = {
    0x96, 0x19, 0xE0, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,  // magic .. header
    0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x5F, 0x00,  // counts, flags
    0x0C, 0xE7, 0x94, 0xB5, 0xE5, 0x8F, 0xB0, 0xE5, 0x90, 0x8D, 0xE7, 0xA7, 0xB0,  // 电台名称
    0x01, 0x00, 0x49, 0x00, 0x00, 0x00, 0x01, 0x00,                                // string, 1 attr
    0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02, 0x00, 0x14, 0x00,        // WIDTH 20
    0x0C, 0xE5, 0xBC, 0x80, 0xE5, 0xA7, 0x8B, 0xE6, 0x97, 0xB6, 0xE9, 0x97, 0xB4,  // 开始时间
    0x04, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,                                // time
    0x06, 0xE9, 0x97, 0xB4, 0xE9, 0x9A, 0x94,                                      // 间隔
    0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,                                // i4
    0x00, 0x00,                                                                    // no table attrs
    0x00, 0x00, 0x05, 'R',  'a',  'd',  'i',  'o',  0x40, 0xEB, 0xD2, 0x01, 0x0F,
    0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00,
};

void createStationTable(TClientDataSet& ds) {
    defineStationFields(ds.FieldDefs());
    ds.CreateDataSet();
}

std::vector<TVarRec> station(const std::u16string& name, const std::u16string& address,
                             const std::u16string& start) {
    std::vector<TVarRec> values(kStationFieldCount, TVarRec::unicode(u""));
    const auto set = [&values](std::u16string_view field, const std::u16string& value) {
        values[static_cast<std::size_t>(stationFieldIndex(field))] = TVarRec::unicode(value);
    };
    set(StationFieldName::Name, name);
    set(StationFieldName::Country, u"中国");
    set(StationFieldName::Category, u"新闻");
    set(StationFieldName::BitRate, u"128kbps");
    set(StationFieldName::StartTime, start);
    set(StationFieldName::Language, u"汉语");
    set(StationFieldName::Address, address);
    set(StationFieldName::Interval, u"30");
    set(StationFieldName::StationType, u"电台");
    return values;
}

void addStations(TClientDataSet& ds) {
    ds.AppendRecord(station(u"中国之声", u"http://example.org/cnr1.m3u8", u"6:00:00"));
    ds.AppendRecord(station(u"Radio One", u"mms://example.org/radio1", u""));
    ds.AppendRecord(station(u"经济之声", u"rtsp://example.org/cnr2", u"23:59:59"));
}

Bytes packetOf(TClientDataSet& ds, TDataPacketFormat format = dfBinary) {
    TMemoryStream stream;
    ds.SaveToStream(stream, format);
    return stream.Bytes();
}

void write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    std::cout << path.string() << ": " << bytes.size() << " bytes\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds CORPUS_FOLDER\n";
        return 2;
    }
    std::vector<std::pair<std::string, Bytes>> seeds;
    seeds.emplace_back("worked_example.cds", kWorkedExample);

    TClientDataSet empty(u"ClientDataSet1");
    createStationTable(empty);
    seeds.emplace_back("empty_station_table.cds", packetOf(empty));

    TClientDataSet stations(u"ClientDataSet1");
    createStationTable(stations);
    addStations(stations);
    stations.MergeChangeLog();
    seeds.emplace_back("stations.cds", packetOf(stations));
    seeds.emplace_back("stations.xml", packetOf(stations, dfXML));
    seeds.emplace_back("stations_utf8.xml", packetOf(stations, dfXMLUTF8));

    // Pending changes after the last merge: delete the first station, rename the second, add
    // a fourth.
    stations.First();
    stations.Delete();
    stations.Edit();
    stations.FieldByName(u"电台名称")->SetAsString(u"Radio Two");
    stations.Post();
    stations.AppendRecord(station(u"音乐之声", u"http://example.org/music.m3u8", u"12:30:00"));
    seeds.emplace_back("pending_changes.cds", packetOf(stations));

    if (seeds[1].second.size() != 619) {
        std::cerr << "the empty station table is " << seeds[1].second.size() << " bytes, not 619\n";
        return 1;
    }
    for (const char* target : {"append_packet_fuzz", "load_stream_fuzz"}) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / target;
        std::filesystem::create_directories(folder);
        for (const auto& [name, bytes] : seeds) write(folder / name, bytes);
    }
    return 0;
}
