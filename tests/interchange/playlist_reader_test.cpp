// Reading a list from its bytes: encodings, the format guess, files that cannot be read.

#include "interchange/PlaylistReader.h"

#include "interchange/TextLines.h"
#include "packet/xml/XmlText.h"
#include "platform/Unicode.h"

#include "tests/interchange/InterchangeTestSupport.h"
#include "tests/platform/TempFolder.h"

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string utf16Bytes(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(TextDecoding, BomFirstThenUtf8ThenCodePage936) {
    const std::u16string list = u"#EXTINF:-1,中国之声 Café\nhttp://a.example/\n";
    // The same list in code page 936, where "é" is 0xA8A6 among the pinyin letters.
    const std::string gbk =
        "#EXTINF:-1,\xD6\xD0\xB9\xFA\xD6\xAE\xC9\xF9 Caf\xA8\xA6\nhttp://a.example/\n";
    struct Case {
        std::string bytes;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {u8(list), TextEncoding::Utf8},
        {"\xEF\xBB\xBF" + u8(list), TextEncoding::Utf8WithBom},
        {utf16Bytes(list, false), TextEncoding::Utf16LittleEndian},
        {utf16Bytes(list, true), TextEncoding::Utf16BigEndian},
        {gbk, TextEncoding::CodePage936},
    };
    for (const Case& c : cases) {
        const PlaylistReading reading = readPlaylist(bytesOf(c.bytes), u"list.m3u");
        EXPECT_EQ(reading.encoding, c.encoding) << textEncodingName(c.encoding);
        ASSERT_EQ(reading.entries.size(), 1u) << textEncodingName(c.encoding);
        EXPECT_EQ(u8(reading.entries[0].name), "中国之声 Café") << textEncodingName(c.encoding);
    }
}

TEST(TextDecoding, OddAndBrokenBytes) {
    EXPECT_EQ(decodePlaylistText(std::string_view("\xFF\xFE"
                                                  "A\0B",
                                                  5))
                  .utf8,
              "A\uFFFD");
    EXPECT_EQ(decodePlaylistText(std::string_view("\xFE\xFF\xD8\x00\x00"
                                                  "A",
                                                  6))
                  .utf8,
              "\uFFFDA")
        << "an unpaired surrogate";
    const DecodedText marked = decodePlaylistText(
        "\xEF\xBB\xBF"
        "a\xFFz");
    EXPECT_EQ(marked.encoding, TextEncoding::Utf8WithBom);
    EXPECT_EQ(marked.utf8, "a\uFFFDz") << "a UTF-8 mark is kept to, broken bytes and all";
}

TEST(TextDecoding, OnlyWellFormedUtf8IsTakenAsUtf8) {
    const std::pair<std::string, TextEncoding> cases[] = {
        {"", TextEncoding::Utf8},
        {"plain", TextEncoding::Utf8},
        {"中文 \xF0\x9F\x98\x80", TextEncoding::Utf8},
        {"\xC0\xAF", TextEncoding::CodePage936},          // overlong "/"
        {"\xED\xA0\x80", TextEncoding::CodePage936},      // a surrogate
        {"\xF4\x90\x80\x80", TextEncoding::CodePage936},  // beyond U+10FFFF
        {"ok \xE4\xB8", TextEncoding::CodePage936},       // cut short
        {"\xD6\xD0\xB9\xFA", TextEncoding::CodePage936},  // "中国" in code page 936
    };
    for (const auto& [bytes, encoding] : cases) {
        EXPECT_EQ(decodePlaylistText(bytes).encoding, encoding) << bytes;
    }
    EXPECT_EQ(decodePlaylistText("\xD6\xD0\xB9\xFA").utf8, "中国");
}

// The text helpers go a word of eight bytes at a time through ASCII and take the common UTF-8
// sequences themselves: at every offset against a word, they must answer as the plain byte-by-byte
// check and decoder do, and split lines at every break.
TEST(TextDecoding, WordAtATimeHelpersAgreeWithTheByteByByteOnes) {
    const std::string pieces[] = {"中",           "é",           "\xF0\x9F\x98\x80", "\xC0\xAF",
                                  "\xED\xA0\x80", "\xE4\xB8",    "\xE4\xB8x",        "\x80",
                                  "\xFF",         "\xE0\x80\x80"};
    for (const std::string& piece : pieces) {
        for (std::size_t before = 0; before < 17; ++before) {
            const std::string text = std::string(before, 'a') + piece + "bcdefghij";
            EXPECT_EQ(isWellFormedUtf8Text(text), isWellFormedUtf8(text)) << before << " " << text;
            if (isWellFormedUtf8(text)) {
                EXPECT_EQ(utf8Text(text), utf8ToUtf16(text)) << text;
            }
        }
    }
    // Every two- and three-byte sequence a lead byte up to 0xEF starts, between ASCII letters.
    std::vector<unsigned char> trails;
    for (int b = 0x7E; b <= 0xC1; ++b) trails.push_back(static_cast<unsigned char>(b));
    for (int lead = 0xC0; lead <= 0xEF; ++lead) {
        for (const unsigned char second : trails) {
            for (const unsigned char third : trails) {
                const std::string text = {'a', static_cast<char>(lead), static_cast<char>(second),
                                          static_cast<char>(third), 'b'};
                ASSERT_EQ(isWellFormedUtf8Text(text), isWellFormedUtf8(text))
                    << lead << " " << int(second) << " " << int(third);
            }
        }
    }
    for (std::size_t length = 0; length < 20; ++length) {
        for (const char* lineBreak : {"\n", "\r\n", "\r"}) {
            const std::string line(length, 'x');
            const std::string text = line + lineBreak + line + lineBreak + "last";
            TextLineReader lines(text);
            std::string_view got;
            for (const std::string& expected : {line, line, std::string("last")}) {
                ASSERT_TRUE(lines.next(&got)) << length;
                EXPECT_EQ(got, expected) << length;
            }
            EXPECT_FALSE(lines.next(&got));
        }
    }
}

TEST(PlaylistFormat, GuessedFromContentThenNameThenTheFirstLine) {
    struct Case {
        const char16_t* name;
        const char* text;
        PlaylistFormat format;
    };
    const Case cases[] = {
        {u"x.csv", "  #EXTM3U\n", PlaylistFormat::M3u},
        {u"x.m3u", "\n[Playlist]\nFile1=http://a/\n", PlaylistFormat::Pls},
        {u"x.txt", "<?xml version='1.0'?><playlist/>", PlaylistFormat::Xspf},
        {u"x", "[{\"url\":\"http://a/\"}]", PlaylistFormat::Json},
        {u"x.pls", "{}", PlaylistFormat::Json},
        {u"dir.d/LIST.M3U8", "http://a/\n", PlaylistFormat::M3u},
        {u"x.PLS", "File1=http://a/\n", PlaylistFormat::Pls},
        {u"x.xspf", "", PlaylistFormat::Xspf},
        {u"x.json", "", PlaylistFormat::Json},
        {u"x.Csv", "http://a/\n", PlaylistFormat::Csv},
        {u"x.m3u.d/list", "# comment\n\nhttp://a.example/live\n", PlaylistFormat::M3u},
        {u"x.txt", "name,url\nA,http://a/\n", PlaylistFormat::Csv},
        {u"x", "Radio A http://a/\n", PlaylistFormat::Csv},
        {u"x", "", PlaylistFormat::M3u},
    };
    for (const Case& c : cases) {
        const PlaylistReading reading = readPlaylist(bytesOf(c.text), c.name);
        EXPECT_EQ(reading.format, c.format) << u8(c.name) << ": " << c.text;
    }
}

TEST(PlaylistFormat, NamesAndExtensions) {
    for (PlaylistFormat format : kPlaylistFormats) {
        EXPECT_EQ(playlistFormatNamed(playlistFormatName(format)), format);
        const std::string file = "list" + std::string(playlistFileExtension(format));
        EXPECT_EQ(playlistFormatFromFileName(file), format) << file;
    }
    EXPECT_EQ(playlistFormatNamed("M3U8"), PlaylistFormat::M3u);
    EXPECT_EQ(playlistFormatNamed("xml"), std::nullopt);
    EXPECT_EQ(playlistFormatFromFileName("noextension"), std::nullopt);
    EXPECT_EQ(playlistFormatFromFileName("folder.csv/file"), std::nullopt);
}

TEST(PlaylistReader, AGivenFormatIsNotGuessed) {
    const PlaylistReading reading =
        readPlaylist(bytesOf("#EXTM3U\nhttp://a/\n"), u"x.m3u", PlaylistFormat::Csv);
    EXPECT_EQ(reading.format, PlaylistFormat::Csv);
    EXPECT_EQ(reading.entries.size(), 2u) << "read as header-less CSV";
}

TEST(PlaylistReader, Files) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    PlaylistReading reading;
    EXPECT_FALSE(readPlaylistFile(folder.file16("missing.m3u"), std::nullopt, &reading).ok());
    EXPECT_FALSE(readPlaylistFile(folder.file16(""), std::nullopt, &reading).ok());

    writeText(folder.file("broken.xspf"), "<playlist><trackList>");
    ASSERT_TRUE(readPlaylistFile(folder.file16("broken.xspf"), std::nullopt, &reading).ok());
    EXPECT_EQ(reading.error.kind, PlaylistErrorKind::XmlMalformed);
    EXPECT_EQ(playlistErrorText(reading.error),
              "malformed XML at line 1: the document ends before </trackList>");
    EXPECT_EQ(playlistErrorText(reading.error, ErrorTextLanguage::Chinese),
              "XML 格式错误（第 1 行）");

    writeText(folder.file("list.pls"), "[playlist]\nFile1=http://a.example/\n");
    ASSERT_TRUE(readPlaylistFile(folder.file16("list.pls"), std::nullopt, &reading).ok());
    EXPECT_TRUE(reading.ok());
    EXPECT_EQ(reading.format, PlaylistFormat::Pls);
    ASSERT_EQ(reading.entries.size(), 1u);
}

TEST(PlaylistError, EveryKindHasATextInBothLanguages) {
    for (int kind = static_cast<int>(PlaylistErrorKind::TooLarge);
         kind <= static_cast<int>(PlaylistErrorKind::CsvNoAddressColumn); ++kind) {
        const PlaylistError error{static_cast<PlaylistErrorKind>(kind), 3, "detail"};
        EXPECT_FALSE(playlistErrorText(error).empty()) << kind;
        EXPECT_FALSE(playlistErrorText(error, ErrorTextLanguage::Chinese).empty()) << kind;
    }
    EXPECT_EQ(playlistErrorText(PlaylistError{PlaylistErrorKind::CsvUnterminatedQuote, 7, {}}),
              "a quoted CSV field at line 7 is never closed");
}

}  // namespace
