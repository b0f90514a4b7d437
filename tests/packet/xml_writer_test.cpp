// The XML packet writer: the document's structure, column renaming, rows, attributes, failures,
// and that every document it writes is well-formed to a real XML parser.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "packet/PacketHeader.h"
#include "packet/StreamMode.h"
#include "packet/xml/XmlPacketWriter.h"
#include "tests/packet/PacketTestUtil.h"
#include "tests/platform/TempFolder.h"

namespace {

constexpr std::uint32_t kCodePageMode = kStreamModeXml;
constexpr std::uint32_t kUtf8Mode = kStreamModeXmlUtf8;
constexpr std::uint32_t kString1 = 0x00490001;
constexpr std::uint32_t kInt32 = 0x00010004;
constexpr std::uint32_t kTime = 0x00070004;
constexpr std::uint32_t kUInt16 = 0x00020002;

const std::string kCodePageProlog = "<?xml version=\"1.0\" standalone=\"yes\"?>  ";
const std::string kUtf8Prolog = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  ";

std::string text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

class Writer {
  public:
    explicit Writer(std::uint32_t mode, std::uint32_t columns) {
        EXPECT_EQ(FWriter.setXmlMode(mode), DBIERR_NONE);
        FWriter.setTextEncoding(false, 936);
        EXPECT_EQ(FWriter.initPacket(kPacketVersion, columns), DBIERR_NONE);
    }
    DBResult column(const char* name, std::uint32_t typeWord, std::uint16_t attrs = 0) {
        return FWriter.addColumnDesc(::column(name, typeWord, attrs));
    }
    DBResult attribute(std::uint32_t level, const char* name, std::uint32_t typeWord,
                       const Bytes& value) {
        return FWriter.addAttribute(level, name, typeWord, static_cast<std::uint32_t>(value.size()),
                                    value.data());
    }
    DBResult width(std::uint16_t w) { return attribute(attrColumn, "WIDTH", kUInt16, u16Value(w)); }
    DBResult status(unsigned char s) { return FWriter.putField(putValue, 1, &s); }
    DBResult value(const std::string& bytes) {
        return FWriter.putField(putValue, static_cast<std::int32_t>(bytes.size()), bytes.data());
    }
    DBResult value(std::int32_t v) {
        Bytes b;
        putFixed32(b, static_cast<std::uint32_t>(v));
        return FWriter.putField(putValue, 4, b.data());
    }
    DBResult mark(std::uint32_t kind) { return FWriter.putField(kind, 0, nullptr); }
    std::string finish() {
        Bytes out;
        std::size_t length = 0;
        EXPECT_EQ(FWriter.getPacketLength(&length), DBIERR_NONE);
        EXPECT_EQ(FWriter.getPacket(&out), DBIERR_NONE);
        EXPECT_EQ(out.size(), length);
        return text(out);
    }
    XmlPacketWriter& raw() { return FWriter; }

  private:
    XmlPacketWriter FWriter;
};

// The body between the prolog and ROWDATA's end.
std::string body(const std::string& doc, const std::string& prolog) {
    EXPECT_EQ(doc.substr(0, prolog.size()), prolog);
    return doc.substr(prolog.size());
}

TEST(XmlWriter, EmptyOneColumnTableIsPrologAndOneLine) {
    for (std::uint32_t mode : {kCodePageMode, kUtf8Mode}) {
        Writer w(mode, 1);
        ASSERT_EQ(w.column("name", kString1), DBIERR_NONE);
        ASSERT_EQ(w.width(20), DBIERR_NONE);
        const std::string doc = w.finish();
        EXPECT_EQ(body(doc, mode == kUtf8Mode ? kUtf8Prolog : kCodePageProlog),
                  "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                  "<FIELD attrname=\"name\" fieldtype=\"string\" WIDTH=\"20\"/>"
                  "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>");
    }
}

TEST(XmlWriter, RowsCarryStatusAndValuesButNoNullOrUnchangedColumn) {
    Writer w(kUtf8Mode, 3);
    ASSERT_EQ(w.column("a b", kString1), DBIERR_NONE);
    ASSERT_EQ(w.column("t", kTime, 0x0007), DBIERR_NONE);
    ASSERT_EQ(w.column("n", kInt32), DBIERR_NONE);
    // status 0: no RowState
    ASSERT_EQ(w.status(0), DBIERR_NONE);
    ASSERT_EQ(w.value("Radio"), DBIERR_NONE);
    ASSERT_EQ(w.value(30600000), DBIERR_NONE);
    ASSERT_EQ(w.value(15), DBIERR_NONE);
    // inserted, a null and an unchanged column
    ASSERT_EQ(w.status(4), DBIERR_NONE);
    ASSERT_EQ(w.mark(putNull), DBIERR_NONE);
    ASSERT_EQ(w.mark(putUnchanged), DBIERR_NONE);
    ASSERT_EQ(w.value(-1), DBIERR_NONE);
    // nothing but nulls and status 0
    ASSERT_EQ(w.status(0), DBIERR_NONE);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(w.mark(putNull), DBIERR_NONE);
    EXPECT_EQ(body(w.finish(), kUtf8Prolog),
              "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
              "<FIELD fieldname=\"a b\" attrname=\"a_b\" fieldtype=\"string\"/>"
              "<FIELD attrname=\"t\" fieldtype=\"time\" readonly=\"true\" required=\"true\" "
              "hidden=\"true\"/>"
              "<FIELD attrname=\"n\" fieldtype=\"i4\"/>"
              "</FIELDS><PARAMS/></METADATA><ROWDATA>"
              "<ROW a_b=\"Radio\" t=\"08:30:00000\" n=\"15\"/>"
              "<ROW RowState=\"4\" n=\"-1\"/>"
              "<ROW/>"
              "</ROWDATA></DATAPACKET>");
}

// Names become ROW attribute names: the listed characters and anything else an XML name cannot
// hold become "_", a code-page document replaces names it cannot carry by "xF<n>", and a name
// that would repeat an earlier one is replaced the same way.
TEST(XmlWriter, ColumnNamesAreMadeFitForRowAttributes) {
    struct Case {
        std::uint32_t mode;
        const char* name;
        const char* written;
    };
    const Case cases[] = {
        {kUtf8Mode, "a b!#$%()*?", "a_b________"},
        {kUtf8Mode, "\xE7\x94\xB5\xE5\x8F\xB0", "\xE7\x94\xB5\xE5\x8F\xB0"},  // 电台
        {kCodePageMode, "\xE7\x94\xB5\xE5\x8F\xB0", "xF0"},
        {kUtf8Mode, "1st", "_1st"},
        {kUtf8Mode, "a:b<c\"d", "a_b_c_d"},
        {kCodePageMode, "plain_name-1.x", "plain_name-1.x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Writer w(c.mode, 1);
        ASSERT_EQ(w.column(c.name, kInt32), DBIERR_NONE);
        ASSERT_EQ(w.status(0), DBIERR_NONE);
        ASSERT_EQ(w.value(7), DBIERR_NONE);
        const std::string doc = w.finish();
        const std::string written = c.written;
        EXPECT_NE(doc.find("attrname=\"" + written + "\""), std::string::npos) << doc;
        EXPECT_NE(doc.find("<ROW " + written + "=\"7\"/>"), std::string::npos) << doc;
        EXPECT_EQ(doc.find("fieldname=") != std::string::npos, written != c.name) << doc;
    }

    // "a_b" is taken by the first column; the second becomes xF1, the third's count is 2.
    Writer w(kCodePageMode, 3);
    ASSERT_EQ(w.column("a b", kInt32), DBIERR_NONE);
    ASSERT_EQ(w.column("a_b", kInt32), DBIERR_NONE);
    ASSERT_EQ(w.column("\xE9\x97\xB4", kInt32), DBIERR_NONE);  // 间
    const std::string doc = w.finish();
    EXPECT_NE(doc.find("<FIELD fieldname=\"a b\" attrname=\"a_b\""), std::string::npos) << doc;
    EXPECT_NE(doc.find("<FIELD fieldname=\"a_b\" attrname=\"xF1\""), std::string::npos) << doc;
    // the unchanged name in the code page: 间 is E4 BC
    EXPECT_NE(doc.find("<FIELD fieldname=\"\xBC\xE4\" attrname=\"xF2\""), std::string::npos) << doc;
}

TEST(XmlWriter, ValuesAreEscapedAndDoubleByteCharactersStayWhole) {
    Writer w(kCodePageMode, 1);
    ASSERT_EQ(w.column("s", kString1), DBIERR_NONE);
    ASSERT_EQ(w.status(0), DBIERR_NONE);
    // a quote, an ampersand, a backslash, a tab, then 昞 (95 5C) whose trail byte is "\"
    ASSERT_EQ(w.value("\"&\\\t<'>\x95\x5C"), DBIERR_NONE);
    EXPECT_NE(w.finish().find("<ROW s=\"&quot;&amp;&#092;&#009;&lt;&apos;&gt;\x95\x5C\"/>"),
              std::string::npos);

    // The same text in a UTF-8 document: the code page's characters become UTF-8.
    Writer u(kUtf8Mode, 1);
    ASSERT_EQ(u.column("s", kString1), DBIERR_NONE);
    ASSERT_EQ(u.status(0), DBIERR_NONE);
    ASSERT_EQ(u.value("\\\xD6\xD0"), DBIERR_NONE);  // \中
    EXPECT_NE(u.finish().find("<ROW s=\"&#092;\xE4\xB8\xAD\"/>"), std::string::npos);
}

TEST(XmlWriter, AttributesGoOnTheirElementOrBecomeParamElements) {
    Writer w(kUtf8Mode, 2);
    ASSERT_EQ(w.column("a", kString1), DBIERR_NONE);
    ASSERT_EQ(w.attribute(attrColumn, "MYPROP", kUInt16, u16Value(3)), DBIERR_NONE);
    ASSERT_EQ(w.width(20), DBIERR_NONE);  // known, after an unknown one: still on the element
    ASSERT_EQ(w.column("b", 0x000B0010), DBIERR_NONE);  // fixed-size bytes carry their WIDTH
    // table attributes: a known array, an unknown one for deltas, a string, FIELDPROPS
    ASSERT_EQ(w.attribute(attrTable, "DEFAULT_ORDER", 0x00820002, hexBytes("02000000 0100 0280")),
              DBIERR_NONE);
    ASSERT_EQ(w.attribute(attrTable, "MYATTR", 0x80020004, hexBytes("2A000000")), DBIERR_NONE);
    ASSERT_EQ(w.attribute(attrTable, "NOTE", 0x00490001, hexBytes("03 78 26 79")), DBIERR_NONE);
    ASSERT_EQ(w.attribute(attrTable, "FIELDPROPS", kUInt16, u16Value(1)), DBIERR_NONE);
    ASSERT_EQ(w.raw().addAttribute(attrTable, nullptr, 0, 0, nullptr), DBIERR_NONE);
    EXPECT_EQ(body(w.finish(), kUtf8Prolog),
              "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
              "<FIELD attrname=\"a\" fieldtype=\"string\" WIDTH=\"20\">"
              "<PARAM Name=\"MYPROP\" Value=\"3\" Type=\"ui2\"/></FIELD>"
              "<FIELD attrname=\"b\" fieldtype=\"bin.hex\" WIDTH=\"16\"/>"
              "</FIELDS><PARAMS DEFAULT_ORDER=\"1 32770\"/>"
              "<PARAM Name=\"MYATTR\" Value=\"42\" Type=\"ui4\" Roundtrip=\"True\"/>"
              "<PARAM Name=\"NOTE\" Value=\"x&amp;y\"/>"
              "</METADATA><ROWDATA></ROWDATA></DATAPACKET>");
}

TEST(XmlWriter, RefusesWhatTheFormCannotCarry) {
    struct Case {
        const char* what;
        DBResult expected;
        DBResult (*run)(Writer&);
    };
    const Case cases[] = {
        {"a column named RowState", errNotApplicable,
         [](Writer& w) { return w.column("RowState", kInt32); }},
        {"more columns than declared", errNotApplicable,
         [](Writer& w) {
             w.column("a", kInt32);
             w.column("b", kInt32);
             return w.column("c", kInt32);
         }},
        {"an attribute after the first row", errNotApplicable,
         [](Writer& w) {
             w.column("a", kInt32);
             w.column("b", kInt32);
             w.status(0);
             return w.attribute(attrTable, "X", kUInt16, u16Value(1));
         }},
        {"a column of r10", errXmlFieldType, [](Writer& w) { return w.column("a", 0x0004000A); }},
        {"a column of ui8", errXmlFieldType, [](Writer& w) { return w.column("a", 0x00020008); }},
        {"a structure column", errXmlFieldType,
         [](Writer& w) { return w.column("a", 0x010C0002); }},
        {"an attribute of a varying array", errInvalidFieldType,
         [](Writer& w) {
             w.column("a", kInt32);
             return w.attribute(attrColumn, "X", 0x00C20002, hexBytes("0000"));
         }},
        {"a BLOB not fetched", errXmlDelayedFetch,
         [](Writer& w) {
             w.column("a", 0x004B0004);
             w.column("b", kInt32);
             w.status(0);
             return w.raw().putField(putValue, -1, "");
         }},
        {"a row begun with a null mark", errInvalidParameter,
         [](Writer& w) {
             w.column("a", kInt32);
             return w.mark(putNull);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Writer w(kCodePageMode, 2);
        EXPECT_EQ(c.run(w), c.expected);
    }
}

// Every document the writer produces is well-formed to a real parser (Python's expat): UTF-8
// documents as they stand, code-page documents once decoded from code page 936.
TEST(XmlWriter, DocumentsAreWellFormedToARealParser) {
    if (std::system("python3 -c 'import xml.etree.ElementTree' >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "python3 with xml.etree is not available";
    }
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    int index = 0;
    for (std::uint32_t mode : {kCodePageMode, kUtf8Mode}) {
        for (bool utf8Table : {false, true}) {
            Writer w(mode, 8);
            w.raw().setTextEncoding(utf8Table, 936);
            EXPECT_EQ(w.raw().initPacket(kPacketVersion, 8), DBIERR_NONE);
            ASSERT_EQ(w.column("\xE7\x94\xB5\xE5\x8F\xB0 name", kString1, 0x000F), DBIERR_NONE);
            ASSERT_EQ(w.attribute(attrColumn, "SUBTYPE", 0x00490002, hexBytes("0600 4D6F6E657900")),
                      DBIERR_NONE);
            ASSERT_EQ(w.column("a:b", kInt32), DBIERR_NONE);
            ASSERT_EQ(w.column("uni", 0x004A0001), DBIERR_NONE);
            ASSERT_EQ(w.column("bin", 0x004B0004), DBIERR_NONE);
            ASSERT_EQ(w.column("when", 0x00080008), DBIERR_NONE);
            ASSERT_EQ(w.column("1st", 0x00030002), DBIERR_NONE);
            ASSERT_EQ(w.column("amount", 0x00050004), DBIERR_NONE);
            ASSERT_EQ(w.column("x", 0x00040008), DBIERR_NONE);
            ASSERT_EQ(w.attribute(attrTable, "\xE5\x90\x8D <&>", 0x00490001, hexBytes("02 3C 22")),
                      DBIERR_NONE);
            ASSERT_EQ(w.attribute(attrTable, "CHANGE_LOG", 0x00820004,
                                  hexBytes("03000000 01000000 00000000 04000000")),
                      DBIERR_NONE);
            for (unsigned char status : {0, 4, 8}) {
                ASSERT_EQ(w.status(status), DBIERR_NONE);
                const std::string narrow =
                    utf8Table ? "\"&\\'<>\t\xE4\xB8\xAD" : "\"&\\'<>\t\xD6\xD0";
                ASSERT_EQ(w.value(narrow), DBIERR_NONE);
                ASSERT_EQ(w.value(-7), DBIERR_NONE);
                ASSERT_EQ(w.value(std::string("\x2D\x4E\x3D\xD8\x00\xDE<\x00", 8)), DBIERR_NONE);
                ASSERT_EQ(w.value(std::string("\x00\xFF<&", 4)), DBIERR_NONE);
                ASSERT_EQ(w.mark(putNull), DBIERR_NONE);
                ASSERT_EQ(w.value(std::string("\x01\x00", 2)), DBIERR_NONE);
                ASSERT_EQ(w.value(std::string("\x04\x82\x12\x34", 4)), DBIERR_NONE);
                ASSERT_EQ(w.value(std::string("\x9A\x99\x99\x99\x99\x99\xB9\x3F", 8)), DBIERR_NONE);
            }
            const std::string doc = w.finish();
            const std::string path = folder.file("doc" + std::to_string(index++) + ".xml");
            writeText(path, doc);
            const std::string decode =
                mode == kUtf8Mode ? "open(p, 'rb').read()" : "open(p, 'rb').read().decode('gbk')";
            const std::string command =
                "python3 -c \"import sys, xml.etree.ElementTree as E; p = sys.argv[1]; "
                "E.fromstring(" +
                decode + ")\" '" + path + "'";
            EXPECT_EQ(std::system(command.c_str()), 0) << doc;
        }
    }
}

}  // namespace
