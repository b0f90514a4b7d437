// The M3U reader on a fixture with the awkward cases, and the #EXTINF line on its own.

#include "interchange/M3uReader.h"

#include "interchange/TextDecoding.h"
#include "tests/interchange/InterchangeTestSupport.h"

namespace {

EntryView entry(std::string name, std::string address, std::string group = {},
                bool television = false) {
    EntryView e;
    e.name = std::move(name);
    e.address = std::move(address);
    e.group = std::move(group);
    e.television = television;
    return e;
}

TEST(M3uReader, ReadsTheAwkwardFixture) {
    // BOM, CRLF and LF mixed, comments, blank lines, quotes of both kinds with commas inside,
    // a bare attribute value, TV by group and by attribute, radio="true", an #EXTINF without an
    // address, #EXTGRP, a directive between #EXTINF and its address, no final line break.
    const DecodedText text = decodePlaylistText(fixtureText("awkward.m3u"));
    ASSERT_EQ(text.encoding, TextEncoding::Utf8WithBom);
    const PlaylistReadResult read = readM3u(text.utf8);
    ASSERT_TRUE(read.ok());
    const std::vector<EntryView> expected = {
        entry("中国之声", "http://ngcdn001.cnr.cn/live/zgzs/index.m3u8", "新闻"),
        entry("Jazz, Smooth", "HTTP://Jazz.Example.org:8000/smooth", "Music"),
        entry("CCTV-1 综合", "rtmp://tv.example.cn/live/cctv1", "TV Channels", true),
        entry("Radio about TV", "mms://radio.example/tvtalk", "TV", false),
        entry("Entry without address", ""),
        entry("Ftp feed", "ftp://files.example/feed", "", true),
        entry("", "http://sport.example/live", "Sports"),
        entry("", "http://jazz.example.org:8000/smooth/"),
    };
    EXPECT_EQ(views(read.entries), expected);
}

TEST(M3uReader, CountryAndLanguageAttributesAndALoneCarriageReturn) {
    const PlaylistReadResult read = readM3u(
        "#EXTINF:-1 tvg-country=\"CN\" TVG-LANGUAGE=\"汉语\",A\rhttp://a.example/\r"
        "#EXTINF:-1 tvg-type=radio group-title=\"TV\",B\rhttp://b.example/");
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(u8(read.entries[0].country), "CN");
    EXPECT_EQ(u8(read.entries[0].language), "汉语");
    EXPECT_FALSE(read.entries[1].television) << "tvg-type=radio outweighs the TV group";
}

TEST(M3uReader, ExtInfLines) {
    struct Case {
        const char* line;  // after "#EXTINF:"
        std::vector<std::pair<std::string, std::string>> attributes;
        const char* title;
    };
    const Case cases[] = {
        {"-1,Plain", {}, "Plain"},
        {"0 ,  Blanks around  ", {}, "Blanks around"},
        {"123.5 a=\"1,2\" b='3,4' c=5,Title, with, commas",
         {{"a", "1,2"}, {"b", "3,4"}, {"c", "5"}},
         "Title, with, commas"},
        {"-1 Group-Title=\"X\"", {{"group-title", "X"}}, ""},
        {"-1 a=\"never closed,T", {{"a", "\"never"}}, "T"},
        {"-1 bare word a=,T", {{"a", ""}}, "T"},
        {"", {}, ""},
        {"-1 ='v',T", {{"", "v"}}, "T"},
    };
    for (const Case& c : cases) {
        const ExtInf parsed = parseExtInf(c.line);
        EXPECT_EQ(parsed.attributes, c.attributes) << c.line;
        EXPECT_EQ(parsed.title, c.title) << c.line;
    }
}

TEST(M3uReader, TelevisionGroups) {
    for (const char16_t* group :
         {u"TV", u"tv", u"News TV", u"TV-Sport", u"Television", u"电视", u"卫视电视台"}) {
        EXPECT_TRUE(isTelevisionGroup(group)) << u8(group);
    }
    for (const char16_t* group : {u"", u"CCTV", u"TVB Radio", u"Radio", u"电台", u"tvguide"}) {
        EXPECT_FALSE(isTelevisionGroup(group)) << u8(group);
    }
}

TEST(M3uReader, TextWithoutEntries) {
    for (const char* text : {"", "#EXTM3U\n", "\r\n\r\n# only comments\n"}) {
        const PlaylistReadResult read = readM3u(text);
        EXPECT_TRUE(read.ok());
        EXPECT_TRUE(read.entries.empty()) << text;
    }
}

}  // namespace
