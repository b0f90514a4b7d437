// The JSON reader on a directory-style fixture, on the shapes it accepts and on faults.

#include "interchange/JsonStationReader.h"

#include "tests/interchange/InterchangeTestSupport.h"

namespace {

TEST(JsonStationReader, ReadsTheDirectoryFixture) {
    // An object holding the station array after a number member; url_resolved over url (and an
    // empty one not), both country forms, bit rates as numbers (0 is none) and as text, tags as
    // text and as an array with a blank first tag, a nested object with its own "tags", a type,
    // a \u escape, an element that is not an object, a station without an address.
    const PlaylistReadResult read = readJsonStations(fixtureText("directory.json"));
    ASSERT_TRUE(read.ok()) << read.error.detail;
    ASSERT_EQ(read.entries.size(), 5u);

    EntryView first;
    first.name = "  Deutschlandfunk  ";
    first.address = "https://st01.example/dlf/high/aac/stream.aac";
    first.country = "Germany";
    first.countryCode = "DE";
    first.language = "german";
    first.bitRate = "128k";
    first.homepage = "https://www.deutschlandfunk.de/";
    first.tags = "news,culture";
    EXPECT_EQ(view(read.entries[0]), first);
    EXPECT_EQ(u8(read.entries[0].codec), "AAC");

    EXPECT_EQ(u8(read.entries[1].address), "http://uk.example/live");
    EXPECT_EQ(u8(read.entries[1].bitRate), "");
    EXPECT_EQ(u8(read.entries[1].tags), ",chillout,lounge");
    EXPECT_EQ(u8(read.entries[1].countryCode), "GB");

    EXPECT_EQ(u8(read.entries[2].name), "中央人民广播电台中国之声频道");
    EXPECT_EQ(u8(read.entries[2].bitRate), "64") << "a bit rate given as text stays as it is";
    EXPECT_TRUE(read.entries[2].television);

    EXPECT_EQ(view(read.entries[3]), EntryView{});
    EXPECT_EQ(u8(read.entries[4].name), "No url");
    EXPECT_EQ(u8(read.entries[4].bitRate), "320.5k");
}

TEST(JsonStationReader, Shapes) {
    struct Case {
        std::string json;
        std::vector<std::string> addresses;
    };
    const Case cases[] = {
        {"[]", {}},
        {"[{\"url\":\"http://a/\"},{\"URL\":\"http://b/\",\"Name\":7}]",
         {"http://a/", "http://b/"}},
        {"{\"meta\":[1,2],\"empty\":[],\"data\":[{\"url\":\"http://a/\"}],"
         "\"more\":[{\"url\":\"http://b/\"}]}",
         {"http://a/"}},
        {"{\"url\":\"http://single/\",\"name\":\"One\"}", {"http://single/"}},
        {"{\"name\":\"One\",\"tags\":[\"a\",\"b\"],\"list\":[{\"url\":\"http://l/\"}]}",
         {"http://l/"}},
        {"[[{\"url\":\"http://nested/\"}], 5, null]", {"", "", ""}},
        {std::string(64, '[') + std::string(64, ']'), {""}},
        {"[{\"url\":null,\"url_resolved\":{\"x\":\"http://no/\"}}]", {""}},
    };
    for (const Case& c : cases) {
        const PlaylistReadResult read = readJsonStations(c.json);
        ASSERT_TRUE(read.ok()) << c.json;
        std::vector<std::string> addresses;
        for (const StationEntry& e : read.entries) addresses.push_back(u8(e.address));
        EXPECT_EQ(addresses, c.addresses) << c.json;
    }
}

TEST(JsonStationReader, Faults) {
    struct Case {
        std::string json;
        PlaylistErrorKind kind;
        std::size_t line;
    };
    const Case cases[] = {
        {"", PlaylistErrorKind::JsonMalformed, 1},
        {"[{\"url\": \"http://a/\"},\n{\"url\": }]", PlaylistErrorKind::JsonMalformed, 2},
        {"[{\"url\": \"http://a/\"}", PlaylistErrorKind::JsonMalformed, 1},
        {"[\"\\ud800\"]", PlaylistErrorKind::JsonMalformed, 1},
        {"[1] [2]", PlaylistErrorKind::JsonMalformed, 1},
        {"42", PlaylistErrorKind::JsonNoStations, 0},
        {"{\"count\": 3, \"stations\": {}}", PlaylistErrorKind::JsonNoStations, 0},
        {"{\"lists\": [[1]]}", PlaylistErrorKind::JsonNoStations, 0},
        {std::string(100, '['), PlaylistErrorKind::TooDeep, 0},
    };
    for (const Case& c : cases) {
        const PlaylistReadResult read = readJsonStations(c.json);
        EXPECT_EQ(read.error.kind, c.kind) << c.json.substr(0, 60);
        EXPECT_EQ(read.error.line, c.line) << c.json.substr(0, 60);
        EXPECT_TRUE(read.entries.empty());
    }
}

TEST(JsonStationReader, MalformedJsonSaysWhatWasFound) {
    const PlaylistReadResult read = readJsonStations("[{\"url\": tru}]");
    EXPECT_EQ(read.error.kind, PlaylistErrorKind::JsonMalformed);
    EXPECT_NE(read.error.detail.find("invalid literal"), std::string::npos) << read.error.detail;
    EXPECT_EQ(read.error.detail.find("json.exception"), std::string::npos) << read.error.detail;
}

}  // namespace
