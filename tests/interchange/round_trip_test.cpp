// Station file -> export in each format -> import: the stations come back with every value the
// format carries, and CSV and JSON carry them all. Run over a binary and an XML station file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/PlaylistReader.h"
#include "interchange/PlaylistWriters.h"
#include "interchange/StationListExport.h"
#include "interchange/StationTable.h"
#include "tests/interchange/InterchangeTestSupport.h"
#include "tests/platform/TempFolder.h"

namespace {

std::vector<StationEntry> sampleEntries() {
    std::vector<StationEntry> entries(5);
    entries[0].name = u"中国之声";
    entries[0].address = u"http://ngcdn001.cnr.cn/live/zgzs/index.m3u8";
    entries[0].country = u"中国";
    entries[0].language = u"汉语";
    entries[0].bitRate = u"128";  // as typed: digits stay digits
    entries[0].homepage = u"http://www.cnr.cn/";
    entries[0].group = u"新闻";

    entries[1].name = u"Radio \"Q\", <&> ;";
    entries[1].address = u"mms://b.example/x?a=1&b=2;c,d";
    entries[1].country = u"DE";
    entries[1].group = u"TV Talk";  // a radio station in a group that reads as TV
    entries[1].bitRate = u"64k";

    entries[2].name = u"CCTV-1 综合";
    entries[2].address = u"rtmp://tv.example.cn/live/cctv1";
    entries[2].television = true;
    entries[2].group = u"卫视";

    entries[3].name = u"  #not a comment";
    entries[3].address = u"HTTPS://Upper.Example/Stream";
    entries[3].language = u"English, Deutsch";

    entries[4].name = u"[playlist]";
    entries[4].address = u"http://e.example/'quoted'/\"double\"";
    entries[4].homepage = u"http://e.example/?q=<x>&y='1'";
    return entries;
}

// The station table the sample entries make, saved under the name in the given form.
std::string writeStationFile(const TempFolder& folder, const std::string& name,
                             TDataPacketFormat format) {
    DuplicateAddressIndex addresses;
    const std::vector<StationEntry> entries = sampleEntries();
    const ImportedStations imported = importStations(entries, addresses);
    EXPECT_EQ(imported.report.imported, entries.size());
    TClientDataSet table(u"ClientDataSet1");
    defineStationFields(table.FieldDefs());
    table.CreateDataSet();
    appendStations(table, imported.stations);
    table.MergeChangeLog();
    table.SaveToFile(folder.file16(name), format);
    return folder.file(name);
}

// An entry with only the values a format carries.
StationEntry carriedPart(const StationEntry& full, PlaylistFormat format) {
    StationEntry kept;
    for (StationColumn column : carriedColumns(format)) {
        switch (column) {
            case StationColumn::Name:
                kept.name = full.name;
                break;
            case StationColumn::Url:
                kept.address = full.address;
                break;
            case StationColumn::Country:
                kept.country = full.country;
                break;
            case StationColumn::Language:
                kept.language = full.language;
                break;
            case StationColumn::BitRate:
                kept.bitRate = full.bitRate;
                break;
            case StationColumn::Homepage:
                kept.homepage = full.homepage;
                break;
            case StationColumn::Group:
                kept.group = full.group;
                break;
            case StationColumn::Type:
                kept.television = full.television;
                break;
            default:
                break;
        }
    }
    return kept;
}

std::vector<std::vector<std::string>> texts(const std::vector<StationValues>& stations) {
    std::vector<std::vector<std::string>> out;
    for (const StationValues& s : stations) {
        std::vector<std::string>& row = out.emplace_back();
        for (const std::u16string& v : s) row.push_back(u8(v));
    }
    return out;
}

class RoundTrip : public ::testing::TestWithParam<TDataPacketFormat> {};

TEST_P(RoundTrip, ExportThenImportGivesTheSameStations) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    const std::string file = writeStationFile(folder, "stations.cds", GetParam());
    TClientDataSet loaded(u"ClientDataSet1");
    loaded.LoadFromFile(utf8ToUtf16(file));
    const std::vector<StationValues> original = readStations(loaded);
    ASSERT_EQ(original.size(), sampleEntries().size());

    for (PlaylistFormat format : kPlaylistFormats) {
        SCOPED_TRACE(std::string(playlistFormatName(format)));
        const std::string text = stationListText(format, original);
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        const PlaylistReading reading =
            readPlaylist(bytes, u"list" + utf8ToUtf16(std::string(playlistFileExtension(format))));
        ASSERT_TRUE(reading.ok()) << playlistErrorText(reading.error);
        EXPECT_EQ(reading.format, format);

        DuplicateAddressIndex addresses;
        const ImportedStations imported = importStations(reading.entries, addresses);
        EXPECT_EQ(imported.report.imported, original.size());

        // What the format carries comes back; the rest is what an entry without it gets.
        std::vector<StationValues> expected;
        for (const StationValues& s : original) {
            expected.push_back(entryToStation(carriedPart(entryFromStation(s), format)).values);
        }
        EXPECT_EQ(texts(imported.stations), texts(expected));

        if (format == PlaylistFormat::Csv || format == PlaylistFormat::Json) {
            TClientDataSet again;
            defineStationFields(again.FieldDefs());
            again.CreateDataSet();
            appendStations(again, imported.stations);
            again.MergeChangeLog();
            EXPECT_EQ(texts(readStations(again)), texts(original)) << "every value comes back";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(StationFiles, RoundTrip, ::testing::Values(dfBinary, dfXML, dfXMLUTF8));

TEST(StationTable, ReadsATableWhoseColumnsAreAnotherOrderOrASubset) {
    TClientDataSet table;
    table.FieldDefs().Add(std::u16string(StationFieldName::Address), ftString, 100, false);
    table.FieldDefs().Add(u"Other", ftString, 10, false);
    table.FieldDefs().Add(std::u16string(StationFieldName::Name), ftString, 20, false);
    table.CreateDataSet();
    table.AppendRecord(
        {TVarRec::unicode(u"http://a.example/"), TVarRec::unicode(u"x"), TVarRec::unicode(u"A")});
    table.AppendRecord(
        {TVarRec::unicode(u"http://b.example/"), TVarRec::unicode(u"y"), TVarRec::unicode(u"B")});
    table.SetRecNo(2);
    const std::vector<StationValues> stations = readStations(table);
    ASSERT_EQ(stations.size(), 2u);
    EXPECT_EQ(u8(stationValue(stations[0], StationFieldName::Name)), "A");
    EXPECT_EQ(u8(stationValue(stations[1], StationFieldName::Address)), "http://b.example/");
    EXPECT_EQ(u8(stationValue(stations[1], StationFieldName::Country)), "");
    EXPECT_EQ(table.RecNo(), 2);
}

TEST(StationListExport, ReplacesTheFileOrLeavesItAsItWas) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    writeText(folder.file("list.pls"), "old list");
    StationValues station = entryToStation(sampleEntries()[0]).values;
    ASSERT_TRUE(exportStationList(folder.file16("list.pls"), PlaylistFormat::Pls, {&station, 1}));
    EXPECT_EQ(readText(folder.file("list.pls")),
              "[playlist]\nFile1=http://ngcdn001.cnr.cn/live/zgzs/index.m3u8\nTitle1=中国之声\n"
              "Length1=-1\nNumberOfEntries=1\nVersion=2\n");
    EXPECT_FALSE(
        exportStationList(folder.file16("missing/list.pls"), PlaylistFormat::Pls, {&station, 1}));
    ASSERT_EQ(::mkdir(folder.file("list.csv").c_str(), 0755), 0);
    EXPECT_FALSE(exportStationList(folder.file16("list.csv"), PlaylistFormat::Csv, {&station, 1}));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"list.csv", "list.pls"}));
}

}  // namespace
