// Files handed to the window: which ones open as station files and which import as playlists,
// and a station file read as stations, whatever order or subset of the station columns it has,
// or refused with its reason.

#include <gtest/gtest.h>

#include <fstream>

#include "dataset/ClientDataSet.h"
#include "interchange/StationFileOpening.h"
#include "interchange/StationTable.h"
#include "tests/interchange/InterchangeTestSupport.h"
#include "tests/platform/TempFolder.h"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(OpenedFileKind, ByNameAndFirstBytes) {
    struct Case {
        std::u16string name;
        std::string head;
        OpenedFileKind kind;
    };
    const std::string binaryMagic("\x96\x19\xE0\xBD\x01\x00", 6);
    const Case cases[] = {
        {u"list.cds", "", OpenedFileKind::StationFile},
        {u"LIST.CDS", "#EXTM3U", OpenedFileKind::StationFile},
        {u"saved.bin", binaryMagic, OpenedFileKind::StationFile},
        {u"list.m3u", binaryMagic, OpenedFileKind::StationFile},
        {u"table.xml",
         "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- a <comment> -->\n<!DOCTYPE x>\n"
         "<DATAPACKET Version=\"2.0\">",
         OpenedFileKind::StationFile},
        {u"table.xml", "<DATAPACKETS>", OpenedFileKind::Unknown},
        {u"list.xspf", "<?xml version=\"1.0\"?><playlist>", OpenedFileKind::Playlist},
        {u"list.M3U8", "#EXTM3U", OpenedFileKind::Playlist},
        {u"list.pls", "[playlist]", OpenedFileKind::Playlist},
        {u"list.csv", "name,url", OpenedFileKind::Playlist},
        {u"list.json", "[]", OpenedFileKind::Playlist},
        {u"notes.txt", "http://a.example/", OpenedFileKind::Unknown},
        {u"cds", "", OpenedFileKind::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.name));
        EXPECT_EQ(openedFileKind(c.name, bytesOf(c.head)), c.kind);
    }
}

TEST(OpenedFileKind, LooksIntoTheFile) {
    TempFolder folder;
    std::ofstream(folder.file("packet.dat"), std::ios::binary) << "<DATAPACKET>";
    EXPECT_EQ(openedFileKind(folder.file16("packet.dat")), OpenedFileKind::StationFile);
    EXPECT_EQ(openedFileKind(folder.file16("missing.m3u")), OpenedFileKind::Playlist);
    EXPECT_EQ(openedFileKind(folder.file16("")), OpenedFileKind::Unknown);
}

// A table of the given columns (name, type, size) with the rows given as texts.
void writeTable(const std::string& path,
                const std::vector<std::tuple<std::u16string, TFieldType, int>>& columns,
                const std::vector<std::vector<std::u16string>>& rows,
                TDataPacketFormat format = dfBinary) {
    TClientDataSet table;
    for (const auto& [name, type, size] : columns) table.FieldDefs().Add(name, type, size, false);
    table.CreateDataSet();
    for (const auto& row : rows) {
        std::vector<TVarRec> values;
        for (const std::u16string& value : row) values.push_back(TVarRec::unicode(value));
        table.AppendRecord(values);
    }
    table.MergeChangeLog();
    table.SaveToFile(utf8ToUtf16(path), format);
}

std::vector<std::tuple<std::u16string, TFieldType, int>> stationColumns() {
    std::vector<std::tuple<std::u16string, TFieldType, int>> columns;
    for (const StationField& field : stationSchema())
        columns.emplace_back(std::u16string(field.name), field.type, field.size);
    return columns;
}

std::vector<std::u16string> stationRow(std::u16string name, std::u16string address) {
    StationValues values;
    stationValue(values, StationFieldName::Name) = std::move(name);
    stationValue(values, StationFieldName::Address) = std::move(address);
    stationValue(values, StationFieldName::StartTime) = u"8:30:00";
    stationValue(values, StationFieldName::Interval) = u"15";
    return {values.begin(), values.end()};
}

TEST(StationFileReading, ReadsBinaryAndXmlStationFiles) {
    TempFolder folder;
    for (TDataPacketFormat format : {dfBinary, dfXML, dfXMLUTF8}) {
        SCOPED_TRACE(static_cast<int>(format));
        const std::string path = folder.file("stations" + std::to_string(format) + ".xml");
        writeTable(path, stationColumns(),
                   {stationRow(u"中国之声", u"http://a.example/"),
                    stationRow(u"Radio B", u"mms://b.example/")},
                   format);
        const StationFileReading reading = readStationTableFile(utf8ToUtf16(path));
        ASSERT_TRUE(reading.ok()) << u8(reading.failure);
        ASSERT_EQ(reading.stations.size(), 2u);
        EXPECT_EQ(u8(stationValue(reading.stations[0], StationFieldName::Name)), "中国之声");
        EXPECT_EQ(u8(stationValue(reading.stations[1], StationFieldName::Address)),
                  "mms://b.example/");
        EXPECT_EQ(u8(stationValue(reading.stations[1], StationFieldName::StartTime)), "8:30:00");
        EXPECT_EQ(u8(stationValue(reading.stations[1], StationFieldName::Interval)), "15");
    }
}

TEST(StationFileReading, MatchesColumnsByName) {
    TempFolder folder;
    writeTable(folder.file("subset.cds"),
               {{u"电台地址", ftString, 100}, {u"电台名称", ftString, 40}},
               {{u"http://a.example/", u"A"}});
    const StationFileReading reading = readStationTableFile(folder.file16("subset.cds"));
    ASSERT_TRUE(reading.ok()) << u8(reading.failure);
    ASSERT_EQ(reading.stations.size(), 1u);
    EXPECT_EQ(u8(stationValue(reading.stations[0], StationFieldName::Name)), "A");
    EXPECT_EQ(u8(stationValue(reading.stations[0], StationFieldName::Address)),
              "http://a.example/");
    EXPECT_EQ(u8(stationValue(reading.stations[0], StationFieldName::Country)), "");
}

TEST(StationFileReading, RefusesWhatIsNoStationTable) {
    TempFolder folder;
    writeTable(folder.file("good.cds"), stationColumns(), {stationRow(u"A", u"http://a/")});
    std::ifstream in(folder.file("good.cds"), std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(folder.file("cut.cds"), std::ios::binary) << good.substr(0, good.size() / 2);
    std::ofstream(folder.file("text.cds"), std::ios::binary) << "#EXTM3U\nhttp://a/\n";
    writeTable(folder.file("foreign.cds"), {{u"电台地址", ftString, 100}, {u"id", ftInteger, 0}},
               {});
    writeTable(folder.file("nameonly.cds"), {{u"电台名称", ftString, 20}}, {{u"A"}});
    writeTable(folder.file("types.cds"), {{u"电台地址", ftString, 100}, {u"间隔", ftString, 10}},
               {});
    writeTable(folder.file("wide.cds"), {{u"电台地址", ftWideString, 100}}, {});

    struct Case {
        std::string file;
        std::string reasonStart;
    };
    const Case cases[] = {
        {"missing.cds", "无法读取文件："},
        {"cut.cds", "文件已损坏或不是数据包"},
        {"text.cds", "文件已损坏或不是数据包"},
        {"foreign.cds", "不是电台列表：含有电台表没有的字段“id”"},
        {"nameonly.cds", "不是电台列表：缺少字段“电台地址”"},
        {"types.cds", "不是电台列表：字段“间隔”的类型不同"},
        {"wide.cds", "不是电台列表：字段“电台地址”的类型不同"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const StationFileReading reading = readStationTableFile(folder.file16(c.file));
        EXPECT_FALSE(reading.ok());
        EXPECT_TRUE(reading.stations.empty());
        EXPECT_EQ(u8(reading.failure).substr(0, c.reasonStart.size()), c.reasonStart);
    }
}

TEST(StationFileReading, ReplaceLeavesExactlyTheGivenStations) {
    TClientDataSet table(u"ClientDataSet1");
    defineStationFields(table.FieldDefs());
    table.CreateDataSet();
    StationValues old;
    stationValue(old, StationFieldName::Name) = u"old";
    const std::vector<StationValues> before{old, old};
    appendStations(table, before);
    table.MergeChangeLog();

    StationValues fresh;
    stationValue(fresh, StationFieldName::Name) = u"new";
    stationValue(fresh, StationFieldName::Address) = u"http://new.example/";
    const std::vector<StationValues> after{fresh};
    replaceStations(table, after);
    table.MergeChangeLog();
    const std::vector<StationValues> read = readStations(table);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], fresh);
    EXPECT_EQ(table.Fields().Count(), static_cast<int>(kStationFieldCount));
}

}  // namespace
