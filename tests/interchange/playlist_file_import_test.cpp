// Importing a station list file straight into a table: the stations go in as they are read
// (read and converted on a second thread, appended on the caller's), and a malformed file leaves
// the table as it was.

#include <filesystem>
#include <fstream>

#include "dataset/ClientDataSet.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/StationTable.h"
#include "platform/CodePage.h"
#include "stations/StationInput.h"
#include "tests/interchange/InterchangeTestSupport.h"

namespace {
namespace fs = std::filesystem;

class PlaylistFileImport : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("rovena-file-import-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        defineStationFields(table.FieldDefs());
        table.CreateDataSet();
        StationInputs typed;
        typed.name = u"已有";
        typed.address = u"http://Radio.Example/kept/";
        typed.stationType = u"普通电台";
        table.AppendRecord(appendedStationValues(typed));
        table.MergeChangeLog();
    }
    void TearDown() override { fs::remove_all(folder); }

    std::u16string write(const std::string& name, const std::string& text) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return utf8ToUtf16(path.string());
    }
    std::string value(std::int32_t recNo, std::u16string_view field) {
        table.SetRecNo(recNo);
        return u8(table.FieldByName(std::u16string(field))->AsString());
    }

    fs::path folder;
    TClientDataSet table{u"ClientDataSet1"};
};

// More entries than three batches, with values that change from one entry to the next and back
// (each must be stored as its own entry has it), duplicates of the table and of earlier entries,
// and entries the rules skip.
TEST_F(PlaylistFileImport, StationsArriveInOrderWithTheirOwnValues) {
    std::string text = "#EXTM3U\n";
    const char* countries[] = {"中国", "日本", "中国", ""};
    for (int i = 0; i < 1600; ++i) {
        const std::string n = std::to_string(i);
        text += "#EXTINF:-1 tvg-country=\"" + std::string(countries[i % 4]) + "\" group-title=\"" +
                (i % 3 == 0 ? "新闻" : "TV") + "\",台" + n + "\n";
        if (i % 100 == 99) {
            text += "http://radio.example/" + std::to_string(i - 50) + "/\n";  // a duplicate
        } else if (i == 7) {
            text += "http://RADIO.example/kept\n";  // the table's own station
        } else if (i == 8) {
            text += "ftp://radio.example/8\n";  // no stream marker
        } else {
            text += "http://radio.example/" + n + "\n";
        }
    }
    text += "#EXTINF:-1,No address\n";
    DuplicateAddressIndex addresses;
    addresses.addTable(table);
    std::vector<std::size_t> progress;
    const PlaylistImport import =
        importPlaylistFileInto(table, write("list.m3u8", text), std::nullopt, addresses,
                               [&progress](std::size_t done) { progress.push_back(done); });

    ASSERT_TRUE(import.ok());
    EXPECT_EQ(import.report.entries, 1601u);
    EXPECT_EQ(import.report.duplicate, 17u);  // 16 within the list, 1 against the table
    EXPECT_EQ(import.report.invalidAddress, 1u);
    EXPECT_EQ(import.report.noAddress, 1u);
    EXPECT_EQ(import.report.imported, 1582u);
    EXPECT_EQ(progress, (std::vector<std::size_t>{500, 1000, 1500}));
    ASSERT_EQ(table.RecordCount(), 1583);
    EXPECT_EQ(table.ChangeCount(), 1582);

    // Record 2 is entry 0; entries 7 and 8 were skipped, so entry i > 8 below 99 is record i.
    for (const int i : {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 42, 43}) {
        SCOPED_TRACE(i);
        const std::int32_t recNo = i < 7 ? i + 2 : i;
        EXPECT_EQ(value(recNo, StationFieldName::Name), "台" + std::to_string(i));
        EXPECT_EQ(value(recNo, StationFieldName::Country), countries[i % 4]);
        EXPECT_EQ(value(recNo, StationFieldName::Group), i % 3 == 0 ? "新闻" : "TV");
        EXPECT_EQ(value(recNo, StationFieldName::StationType), i % 3 == 0 ? "普通电台" : "电视台");
        EXPECT_EQ(value(recNo, StationFieldName::Category), "用户自定义");
    }
    EXPECT_EQ(value(1583, StationFieldName::Name), "台1598");
}

// A list that is not plain UTF-8 is found so before any of its stations reaches the table, and is
// decoded and read again: each station arrives once, with its text decoded.
TEST_F(PlaylistFileImport, ListsInOtherEncodingsArriveOnce) {
    std::string cp936 = "#EXTM3U\n";
    std::string utf16 = "\xFF\xFE";  // UTF-16 little endian with its mark
    for (int i = 0; i < 1200; ++i) {
        const std::u16string line = u"#EXTINF:-1,电台" + utf8ToUtf16(std::to_string(i)) +
                                    u"\nhttp://radio.example/" + utf8ToUtf16(std::to_string(i)) +
                                    u"\n";
        cp936 += unicodeToAnsi(line);
        for (const char16_t unit : line) {
            utf16 += static_cast<char>(unit & 0xFF);
            utf16 += static_cast<char>(unit >> 8);
        }
    }
    // Plain ASCII (UTF-8 too) for far more than one batch, and code page 936 only at the end:
    // the stations already appended as UTF-8 are taken back, and so are their addresses.
    std::string lateCp936 = "#EXTM3U\n";
    for (int i = 0; i < 2999; ++i) {
        lateCp936 += "#EXTINF:-1,radio" + std::to_string(i) + "\nhttp://radio.example/" +
                     std::to_string(i) + "/live.mp3\n";
    }
    lateCp936 += unicodeToAnsi(u"#EXTINF:-1,电台2999\nhttp://radio.example/2999/live.mp3\n");
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::int32_t count;
        const char* lastName;
    };
    for (const Case& c :
         {Case{"gbk.m3u", cp936, TextEncoding::CodePage936, 1200, "电台1199"},
          Case{"utf16.m3u", utf16, TextEncoding::Utf16LittleEndian, 1200, "电台1199"},
          Case{"late-gbk.m3u", lateCp936, TextEncoding::CodePage936, 3000, "电台2999"}}) {
        SCOPED_TRACE(c.name);
        TClientDataSet fresh{u"ClientDataSet1"};
        defineStationFields(fresh.FieldDefs());
        fresh.CreateDataSet();
        DuplicateAddressIndex addresses;
        const PlaylistImport import =
            importPlaylistFileInto(fresh, write(c.name, c.bytes), std::nullopt, addresses);
        ASSERT_TRUE(import.ok());
        EXPECT_EQ(import.reading.encoding, c.encoding);
        EXPECT_EQ(import.report.imported, static_cast<std::size_t>(c.count));
        EXPECT_EQ(import.report.duplicate, 0u);
        EXPECT_EQ(addresses.size(), static_cast<std::size_t>(c.count));
        ASSERT_EQ(fresh.RecordCount(), c.count);
        fresh.SetRecNo(c.count);
        EXPECT_EQ(u8(fresh.FieldByName(u"电台名称")->AsString()), c.lastName);
    }
}

// A fault found after hundreds of stations went in: they are undone, and the table is as it was,
// on the record it was on.
TEST_F(PlaylistFileImport, AMalformedFileChangesNothing) {
    StationInputs typed;
    typed.name = u"第二";
    typed.address = u"http://radio.example/second";
    typed.stationType = u"普通电台";
    table.AppendRecord(appendedStationValues(typed));  // a change not yet merged stays
    table.First();
    std::string text = "<playlist><trackList>";
    for (int i = 0; i < 1200; ++i)
        text += "<track><location>http://late.example/" + std::to_string(i) + "</location></track>";
    text += "<track>";
    DuplicateAddressIndex addresses;
    addresses.addTable(table);
    const PlaylistImport import =
        importPlaylistFileInto(table, write("late.xspf", text), std::nullopt, addresses);

    EXPECT_FALSE(import.ok());
    EXPECT_TRUE(import.file);
    EXPECT_EQ(import.reading.error.kind, PlaylistErrorKind::XmlMalformed);
    EXPECT_EQ(import.report.imported, 0u);
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.ChangeCount(), 1);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(value(2, StationFieldName::Name), "第二");
    // The addresses of the stations undone are forgotten as well.
    EXPECT_EQ(addresses.size(), 2u);
    EXPECT_FALSE(addresses.contains(u"http://late.example/0"));
    EXPECT_TRUE(addresses.contains(u"http://radio.example/second"));

    const PlaylistImport missing = importPlaylistFileInto(
        table, utf8ToUtf16((folder / "missing.m3u").string()), std::nullopt, addresses);
    EXPECT_FALSE(missing.file);
    EXPECT_EQ(table.RecordCount(), 2);
}

}  // namespace
