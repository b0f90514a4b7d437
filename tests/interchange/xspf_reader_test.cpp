// The XSPF reader on a fixture with the awkward cases, and on documents it must refuse.

#include "interchange/XspfReader.h"

#include "tests/interchange/InterchangeTestSupport.h"

namespace {

TEST(XspfReader, ReadsTheAwkwardFixture) {
    // A namespace prefix, a document type with an internal subset, comments, entities and
    // character references (an unknown entity stays as written), two locations, an extension
    // holding its own title, CDATA, annotation in place of a title, a track without a location,
    // an empty track.
    const PlaylistReadResult read = readXspf(fixtureText("awkward.xspf"));
    ASSERT_TRUE(read.ok()) << read.error.detail;
    ASSERT_EQ(read.entries.size(), 4u);
    EXPECT_EQ(u8(read.entries[0].address), "http://a.example/live?x=1&y=2");
    EXPECT_EQ(u8(read.entries[0].name), "Café <Jazz> 中文 &unknown; AT&T");
    EXPECT_EQ(u8(read.entries[0].homepage), "http://a.example/");
    EXPECT_EQ(u8(read.entries[1].address), "http://b.example/live?a=1&b=2");
    EXPECT_EQ(u8(read.entries[1].name), "Only annotation");
    EXPECT_EQ(u8(read.entries[2].address), "");
    EXPECT_EQ(u8(read.entries[2].name), "No location");
    EXPECT_EQ(view(read.entries[3]), EntryView{});
}

TEST(XspfReader, NamespaceLeftOutOrDefault) {
    for (const char* open : {"<playlist>", "<playlist xmlns=\"http://xspf.org/ns/0/\">",
                             "<playlist version='1' xmlns = 'http://xspf.org/ns/0/' >"}) {
        const std::string doc = std::string(open) +
                                "<trackList><track><location> http://a.example/ </location>"
                                "<title>&#65;&#x42;&#0;&#xD800;&#1114112;</title></track>"
                                "</trackList></playlist>";
        const PlaylistReadResult read = readXspf(doc);
        ASSERT_EQ(read.entries.size(), 1u) << open;
        EXPECT_EQ(u8(read.entries[0].address), " http://a.example/ ");
        EXPECT_EQ(u8(read.entries[0].name), "AB\uFFFD\uFFFD\uFFFD") << "no character: U+FFFD";
    }
}

TEST(XspfReader, TracksOutsideTheTrackListAreNotStations) {
    const PlaylistReadResult read = readXspf(
        "<playlist><track><location>http://outside.example/</location></track>"
        "<trackList><track><location>http://inside.example/</location></track></trackList>"
        "<extension><trackList><track><location>http://deep.example/</location></track>"
        "</trackList></extension></playlist>");
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(u8(read.entries[0].address), "http://inside.example/");
}

TEST(XspfReader, RefusesDocumentsThatAreNotWellFormed) {
    struct Case {
        std::string doc;
        PlaylistErrorKind kind;
        std::size_t line;
    };
    std::string nested = "<playlist>";
    for (int i = 0; i < 300; ++i) nested += "<a>";
    const Case cases[] = {
        {"", PlaylistErrorKind::XmlMalformed, 1},
        {"just text", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist><trackList></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist>\n<trackList>\n<track>", PlaylistErrorKind::XmlMalformed, 3},
        {"<playlist>\n</trackList>", PlaylistErrorKind::XmlMalformed, 2},
        {"<playlist><!-- open", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist><![CDATA[ open", PlaylistErrorKind::XmlMalformed, 1},
        {"<?xml version='1.0'", PlaylistErrorKind::XmlMalformed, 1},
        {"<!DOCTYPE playlist [ <!ENTITY a '>'>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist a=1></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist a></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist a='x></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist/ ></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist></playlist><playlist/>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist>< track/></playlist>", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist></playlist\n", PlaylistErrorKind::XmlMalformed, 1},
        {"<playlist></playlist><!DOCTYPE x>", PlaylistErrorKind::XmlMalformed, 1},
        {"<html><body/></html>", PlaylistErrorKind::NotXspf, 0},
        {"<x:rss xmlns:x='y'/>", PlaylistErrorKind::NotXspf, 0},
        {nested, PlaylistErrorKind::TooDeep, 1},
    };
    for (const Case& c : cases) {
        const PlaylistReadResult read = readXspf(c.doc);
        EXPECT_EQ(read.error.kind, c.kind) << c.doc.substr(0, 60);
        EXPECT_EQ(read.error.line, c.line) << c.doc.substr(0, 60);
        EXPECT_TRUE(read.entries.empty());
    }
}

TEST(XspfReader, AFaultAfterGoodTracksStillRefusesTheWholeDocument) {
    const PlaylistReadResult read = readXspf(
        "<playlist><trackList><track><location>http://a.example/</location></track>"
        "<track><location>http://b.example/</location></track></trackList></playlist");
    EXPECT_EQ(read.error.kind, PlaylistErrorKind::XmlMalformed);
    EXPECT_TRUE(read.entries.empty()) << "a malformed file changes nothing";
}

}  // namespace
