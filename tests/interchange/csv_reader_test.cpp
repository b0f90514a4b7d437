// The CSV reader on fixtures with the awkward cases, header-less files and faults.

#include "interchange/CsvReader.h"

#include "interchange/TextDecoding.h"
#include "tests/interchange/InterchangeTestSupport.h"

namespace {

TEST(CsvReader, ReadsTheAwkwardFixture) {
    // A header in mixed case with a column the station list does not use, quoted fields with
    // separators, doubled quotes and a line break, a record of empty fields, a short record with
    // a blank before its quote, an empty last line.
    const PlaylistReadResult read = readCsv(fixtureText("awkward.csv"));
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.entries.size(), 4u);
    EntryView first;
    first.name = "Radio \"Quoted\", Inc";
    first.address = "http://q.example/live";
    first.country = "Germany";
    first.language = "german";
    first.bitRate = "128";
    first.homepage = "http://q.example/";
    first.group = "Pop, Rock";
    EXPECT_EQ(view(read.entries[0]), first);
    EXPECT_EQ(u8(read.entries[0].codec), "MP3");
    EXPECT_EQ(u8(read.entries[1].name), "Two\r\nLines");
    EXPECT_TRUE(read.entries[1].television);
    EXPECT_EQ(view(read.entries[2]), EntryView{});
    EXPECT_EQ(u8(read.entries[3].name), "Short");
    EXPECT_EQ(u8(read.entries[3].address), "http://short.example/");
}

TEST(CsvReader, SemicolonsAndTheTableFieldNamesInCodePage936) {
    const std::string bytes = fixtureText("table_fields_gbk.csv");
    const DecodedText text = decodePlaylistText(bytes);
    ASSERT_EQ(text.encoding, TextEncoding::CodePage936);
    EXPECT_EQ(csvSeparator(text.utf8), ';');
    const PlaylistReadResult read = readCsv(text.utf8);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(u8(read.entries[0].name), "经济之声");
    EXPECT_EQ(u8(read.entries[0].address), "http://jjzs.example.cn/live");
    EXPECT_EQ(u8(read.entries[0].country), "中国");
    EXPECT_EQ(u8(read.entries[0].bitRate), "128k");
    EXPECT_EQ(u8(read.entries[0].group), "财经");
    EXPECT_FALSE(read.entries[0].television);
    EXPECT_EQ(u8(read.entries[1].name), "CCTV-13");
    EXPECT_TRUE(read.entries[1].television);
}

TEST(CsvReader, TheSeparatorIsTheOneTheFirstRecordHoldsMoreOfOutsideQuotes) {
    EXPECT_EQ(csvSeparator("a;b,c;d\n1,2,3,4,5\n"), ';');
    EXPECT_EQ(csvSeparator("\"a;b;c\",d\n"), ',');
    EXPECT_EQ(csvSeparator("\r\n\r\nname;url\n"), ';');
    EXPECT_EQ(csvSeparator("a\n;;;\n"), ',');
    EXPECT_EQ(csvSeparator(""), ',');
}

TEST(CsvReader, WithoutAHeaderTheWritersColumnOrderOrAnAddressAlone) {
    const PlaylistReadResult read = readCsv(
        "http://alone.example/\n"
        "Name,http://b.example/,CN,汉语,64k,http://b.example/home,Group,tv,extra\n");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(u8(read.entries[0].address), "http://alone.example/");
    EXPECT_EQ(u8(read.entries[0].name), "");
    EntryView second{"Name", "http://b.example/",     "CN",    "", "汉语",
                     "64k",  "http://b.example/home", "Group", "", true};
    EXPECT_EQ(view(read.entries[1]), second);
}

TEST(CsvReader, UrlResolvedCountryCodeAndTags) {
    const PlaylistReadResult read = readCsv(
        "name,url,url_resolved,countrycode,tags\n"
        "A,http://a.example/,http://a.example/resolved,DE,\"rock,pop\"\n"
        "B,http://b.example/,,FR,\n");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(u8(read.entries[0].address), "http://a.example/resolved");
    EXPECT_EQ(u8(read.entries[0].countryCode), "DE");
    EXPECT_EQ(u8(read.entries[0].tags), "rock,pop");
    EXPECT_EQ(u8(read.entries[1].address), "http://b.example/") << "an empty url_resolved";
}

TEST(CsvReader, Faults) {
    struct Case {
        const char* text;
        PlaylistErrorKind kind;
        std::size_t line;
    };
    const Case cases[] = {
        {"name,url\nA,\"http://a.example/\nB,http://b.example/\n",
         PlaylistErrorKind::CsvUnterminatedQuote, 2},
        {"name,url\r\n\"x\r\ny\",http://a\r\n\"open", PlaylistErrorKind::CsvUnterminatedQuote, 4},
        {"name,country\nA,CN\n", PlaylistErrorKind::CsvNoAddressColumn, 1},
        {"\n\nName;Homepage\n", PlaylistErrorKind::CsvNoAddressColumn, 3},
    };
    for (const Case& c : cases) {
        const PlaylistReadResult read = readCsv(c.text);
        EXPECT_EQ(read.error.kind, c.kind) << c.text;
        EXPECT_EQ(read.error.line, c.line) << c.text;
        EXPECT_TRUE(read.entries.empty());
    }
}

}  // namespace
