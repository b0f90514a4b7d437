// The text each writer puts out, byte for byte, for a plain station and an awkward one.

#include "interchange/PlaylistWriters.h"

#include "tests/interchange/InterchangeTestSupport.h"

namespace {

std::vector<StationEntry> twoStations() {
    StationEntry plain;
    plain.name = u"中国之声";
    plain.address = u"http://a.example/live";
    plain.country = u"中国";
    plain.language = u"汉语";
    plain.bitRate = u"128k";
    plain.homepage = u"http://a.example/";
    plain.group = u"新闻";

    StationEntry awkward;
    awkward.name = u"Line\nBreak & \"Q\", <x>";
    awkward.address = u"mms://b.example/x?a=1&b=2";
    awkward.group = u"Say \"TV\"";
    awkward.television = true;
    return {plain, awkward};
}

TEST(PlaylistWriters, WriteEachFormatExactly) {
    const std::vector<StationEntry> stations = twoStations();
    struct Case {
        PlaylistFormat format;
        std::string text;
    };
    const Case cases[] = {
        {PlaylistFormat::M3u,
         "#EXTM3U\n"
         "#EXTINF:-1 tvg-country=\"中国\" tvg-language=\"汉语\" group-title=\"新闻\",中国之声\n"
         "http://a.example/live\n"
         "#EXTINF:-1 group-title='Say \"TV\"' tvg-type=\"tv\",Line Break & \"Q\", <x>\n"
         "mms://b.example/x?a=1&b=2\n"},
        {PlaylistFormat::Pls,
         "[playlist]\n"
         "File1=http://a.example/live\nTitle1=中国之声\nLength1=-1\n"
         "File2=mms://b.example/x?a=1&b=2\nTitle2=Line Break & \"Q\", <x>\nLength2=-1\n"
         "NumberOfEntries=2\nVersion=2\n"},
        {PlaylistFormat::Xspf,
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n"
         "  <trackList>\n"
         "    <track>\n"
         "      <location>http://a.example/live</location>\n"
         "      <title>中国之声</title>\n"
         "      <info>http://a.example/</info>\n"
         "    </track>\n"
         "    <track>\n"
         "      <location>mms://b.example/x?a=1&amp;b=2</location>\n"
         "      <title>Line\nBreak &amp; \"Q\", &lt;x&gt;</title>\n"
         "    </track>\n"
         "  </trackList>\n"
         "</playlist>\n"},
        {PlaylistFormat::Csv,
         "\xEF\xBB\xBFname,url,country,language,bitrate,homepage,group,type\r\n"
         "中国之声,http://a.example/live,中国,汉语,128k,http://a.example/,新闻,radio\r\n"
         "\"Line\nBreak & \"\"Q\"\", <x>\",mms://b.example/x?a=1&b=2,,,,,\"Say "
         "\"\"TV\"\"\",tv\r\n"},
        {PlaylistFormat::Json,
         "[\n"
         "  {\n"
         "    \"name\": \"中国之声\",\n"
         "    \"url\": \"http://a.example/live\",\n"
         "    \"country\": \"中国\",\n"
         "    \"language\": \"汉语\",\n"
         "    \"bitrate\": \"128k\",\n"
         "    \"homepage\": \"http://a.example/\",\n"
         "    \"group\": \"新闻\",\n"
         "    \"type\": \"radio\"\n"
         "  },\n"
         "  {\n"
         "    \"name\": \"Line\\nBreak & \\\"Q\\\", <x>\",\n"
         "    \"url\": \"mms://b.example/x?a=1&b=2\",\n"
         "    \"country\": \"\",\n"
         "    \"language\": \"\",\n"
         "    \"bitrate\": \"\",\n"
         "    \"homepage\": \"\",\n"
         "    \"group\": \"Say \\\"TV\\\"\",\n"
         "    \"type\": \"tv\"\n"
         "  }\n"
         "]\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(writePlaylist(c.format, stations), c.text) << playlistFormatName(c.format);
    }
}

TEST(PlaylistWriters, EmptyLists) {
    EXPECT_EQ(writeM3u({}), "#EXTM3U\n");
    EXPECT_EQ(writePls({}), "[playlist]\nNumberOfEntries=0\nVersion=2\n");
    EXPECT_EQ(writeJsonStations({}), "[]\n");
    EXPECT_EQ(writeCsv({}),
              "\xEF\xBB\xBFname,url,country,language,bitrate,homepage,group,type\r\n");
}

TEST(PlaylistWriters, M3uAttributeQuotingAndRadioInATvGroup) {
    StationEntry e;
    e.name = u"N";
    e.address = u"http://a/";
    e.group = u"TV 'and' \"more\"";
    EXPECT_EQ(writeM3u({&e, 1}),
              "#EXTM3U\n#EXTINF:-1 group-title=\"TV 'and' 'more'\" radio=\"true\",N\nhttp://a/\n");
}

}  // namespace
