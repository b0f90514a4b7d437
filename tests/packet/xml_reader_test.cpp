// The XML packet reader: documents written by the XML writer read back, the reading type table,
// the choice of encoding, lenient structure, and broken documents with their result codes.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "packet/PacketHeader.h"
#include "packet/StreamMode.h"
#include "packet/xml/XmlPacketReader.h"
#include "packet/xml/XmlPacketWriter.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

constexpr std::uint32_t kCodePageMode = kStreamModeXml;
constexpr std::uint32_t kUtf8Mode = kStreamModeXmlUtf8;

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::string textOf(std::span<const unsigned char> b) {
    return std::string(b.begin(), b.end());
}

DBResult readDoc(XmlPacketReader& reader, const std::string& doc) {
    const Bytes b = bytesOf(doc);
    return reader.openPacket(b);
}

// A small table with a renamed column, flags, attributes of both kinds and three rows.
Bytes writeSample(std::uint32_t mode) {
    XmlPacketWriter w;
    EXPECT_EQ(w.setXmlMode(mode), DBIERR_NONE);
    w.setTextEncoding(false, 936);
    EXPECT_EQ(w.initPacket(kPacketVersion, 3), DBIERR_NONE);
    const Bytes width = u16Value(20);
    EXPECT_EQ(w.addColumnDesc(column("\xE7\x94\xB5\xE5\x8F\xB0 name", 0x00490001, 0x0004)),
              DBIERR_NONE);  // 电台 name, required
    EXPECT_EQ(w.addAttribute(attrColumn, "WIDTH", 0x00020002, 2, width.data()), DBIERR_NONE);
    const Bytes custom = hexBytes("05 00 68 65 6C 6C 6F");  // "hello", 2-byte prefix
    EXPECT_EQ(w.addAttribute(attrColumn, "MYPROP", 0x00490002, 7, custom.data()), DBIERR_NONE);
    EXPECT_EQ(w.addColumnDesc(column("start", 0x00070004, 0x0003)), DBIERR_NONE);
    EXPECT_EQ(w.addColumnDesc(column("n", 0x00010004)), DBIERR_NONE);
    const Bytes log = hexBytes("03000000 01000000 00000000 04000000");
    EXPECT_EQ(w.addAttribute(attrTable, "CHANGE_LOG", 0x00820004, 16, log.data()), DBIERR_NONE);
    const Bytes mine = hexBytes("2A000000");
    EXPECT_EQ(w.addAttribute(attrTable, "MYATTR", 0x80020004, 4, mine.data()), DBIERR_NONE);

    const unsigned char zero = 0, inserted = 4;
    const Bytes time = hexBytes("40 EB D2 01"), fifteen = hexBytes("0F 00 00 00");
    EXPECT_EQ(w.putField(putValue, 1, &inserted), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 8, "a\"&\\\xD6\xD0 b"), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 4, time.data()), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 4, fifteen.data()), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 1, &zero), DBIERR_NONE);
    EXPECT_EQ(w.putField(putNull, 0, nullptr), DBIERR_NONE);
    EXPECT_EQ(w.putField(putNull, 0, nullptr), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 4, fifteen.data()), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 1, &zero), DBIERR_NONE);
    EXPECT_EQ(w.putField(putValue, 1, ""), DBIERR_NONE);  // empty string, not null
    EXPECT_EQ(w.putField(putUnchanged, 0, nullptr), DBIERR_NONE);
    EXPECT_EQ(w.putField(putNull, 0, nullptr), DBIERR_NONE);
    Bytes out;
    EXPECT_EQ(w.getPacket(&out), DBIERR_NONE);
    return out;
}

TEST(XmlReader, ReadsBackWhatTheWriterWrote) {
    for (std::uint32_t mode : {kCodePageMode, kUtf8Mode}) {
        SCOPED_TRACE(mode);
        const Bytes doc = writeSample(mode);
        XmlPacketReader reader;
        reader.setTextEncoding(false, 936);
        ASSERT_EQ(reader.openPacket(doc), DBIERR_NONE) << textOf(doc);
        EXPECT_EQ(reader.xmlMode(), mode);
        EXPECT_TRUE(reader.hasMetadata());

        const auto& cols = reader.columns();
        ASSERT_EQ(cols.size(), 3u);
        EXPECT_STREQ(cols[0].desc.szName, "\xE7\x94\xB5\xE5\x8F\xB0 name");  // from fieldname
        EXPECT_EQ(cols[0].desc.iTypeWord, 0x00490001u);
        EXPECT_EQ(cols[0].desc.iFieldAttrs, 0x0004);
        ASSERT_EQ(cols[0].attributes.size(), 2u);
        EXPECT_EQ(cols[0].attributes[0].name, "WIDTH");
        EXPECT_EQ(cols[0].attributes[0].typeWord, 0x00020002u);  // read as "ui2", as in binary
        EXPECT_EQ(cols[0].attributes[0].value, u16Value(20));
        EXPECT_EQ(cols[0].attributes[1].name, "MYPROP");
        // A PARAM without Type is wide text for a reader with a code-page converter.
        EXPECT_EQ(cols[0].attributes[1].typeWord, 0x004A0001u);
        EXPECT_EQ(cols[0].attributes[1].value, hexBytes("68 00 65 00 6C 00 6C 00 6F 00"));
        EXPECT_STREQ(cols[1].desc.szName, "start");
        EXPECT_EQ(cols[1].desc.iTypeWord, 0x00070004u);
        EXPECT_EQ(cols[1].desc.iFieldAttrs, 0x0003);
        EXPECT_EQ(cols[2].desc.iTypeWord, 0x00010004u);

        const auto& table = reader.tableAttributes();
        ASSERT_EQ(table.size(), 2u);
        EXPECT_EQ(table[0].name, "CHANGE_LOG");
        EXPECT_EQ(table[0].typeWord, 0x00820004u);
        EXPECT_EQ(table[0].value, hexBytes("03000000 01000000 00000000 04000000"));
        EXPECT_EQ(table[1].name, "MYATTR");
        EXPECT_EQ(table[1].typeWord, 0x80020004u);  // Type "ui4" with Roundtrip
        EXPECT_EQ(table[1].value, hexBytes("2A000000"));

        ASSERT_EQ(reader.rowCount(), 3u);
        EXPECT_EQ(reader.rowStatus(0), 4);
        const XmlFieldValue name = reader.fieldValue(0, 0);
        EXPECT_EQ(name.indicator, 0);
        EXPECT_EQ(textOf(name.bytes), "a\"&\\\xD6\xD0 b");  // back in the code page
        EXPECT_EQ(Bytes(reader.fieldValue(0, 1).bytes.begin(), reader.fieldValue(0, 1).bytes.end()),
                  hexBytes("40 EB D2 01"));
        EXPECT_EQ(reader.rowStatus(1), 0);
        // A null is left out of the ROW element and comes back as not changed.
        EXPECT_EQ(reader.fieldValue(1, 0).indicator, 2);
        EXPECT_EQ(reader.fieldValue(1, 1).indicator, 2);
        EXPECT_EQ(reader.fieldValue(1, 2).indicator, 0);
        EXPECT_EQ(reader.fieldValue(2, 0).indicator, 0);
        EXPECT_TRUE(reader.fieldValue(2, 0).bytes.empty());
        EXPECT_EQ(reader.fieldValue(2, 2).indicator, 2);
    }
}

TEST(XmlReader, FieldTypesFollowTheReadingTable) {
    const struct {
        const char* name;
        std::uint32_t typeWord;
    } cases[] = {
        {"I4", 0x10004},      {"int", 0x10004},          {"i", 0x10004},
        {"i2", 0x10002},      {"ui1", 0x20001},          {"u4", 0x20004},
        {"fixed", 0x50020},   {"Fancy", 0x50020},        {"fixedFMT", 0x120020},
        {"string", 0x490001}, {"STRING.UNI", 0x4A0001},  {"bin.hex", 0x4B0001},
        {"boolean", 0x30002}, {"dateTime", 0x80008},     {"r4", 0x1B0004},
        {"r10", 0x4000A},     {"SQLdateTime", 0x110010}, {"time", 0x70004},
    };
    for (const auto& c : cases) {
        XmlPacketReader reader;
        const std::string doc =
            std::string("<METADATA><FIELDS><FIELD attrname=\"a\" fieldtype=\"") + c.name +
            "\"/></FIELDS></METADATA><ROWDATA/>";
        ASSERT_EQ(readDoc(reader, doc), DBIERR_NONE) << c.name;
        EXPECT_EQ(reader.columns().at(0).desc.iTypeWord, c.typeWord) << c.name;
    }
}

TEST(XmlReader, EncodingFollowsByteOrderMarkOrPrologOfWellFormedUtf8) {
    const std::string body =
        "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"s\" fieldtype=\"string\"/>"
        "</FIELDS></METADATA><ROWDATA><ROW s=\"\xE4\xB8\xAD\"/></ROWDATA></DATAPACKET>";
    const struct {
        std::string doc;
        std::uint32_t mode;
        const char* value;  // as delivered to a code-page table
    } cases[] = {
        {"\xEF\xBB\xBF" + body, kUtf8Mode, "\xD6\xD0"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GBK\"?>" + body, kUtf8Mode, "\xD6\xD0"},
        {"<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body, kUtf8Mode, "\xD6\xD0"},
        {"<?xml version=\"1.0\"?>" + body, kCodePageMode, "\xE4\xB8\xAD"},
        {body, kCodePageMode, "\xE4\xB8\xAD"},
        // declared UTF-8, but a byte of the code page makes the input ill-formed UTF-8
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><!-- \xD6 -->" + body, kCodePageMode,
         "\xE4\xB8\xAD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.doc.substr(0, 40));
        XmlPacketReader reader;
        ASSERT_EQ(readDoc(reader, c.doc), DBIERR_NONE);
        EXPECT_EQ(reader.xmlMode(), c.mode);
        EXPECT_EQ(textOf(reader.fieldValue(0, 0).bytes), c.value);
    }
}

TEST(XmlReader, StructureIsReadLeniently) {
    // Comments and instructions anywhere, unknown elements passed over, a value as child text,
    // single quotes, blanks inside an attribute name, an unparsable number as null, PARAM
    // directly in METADATA.
    const std::string doc =
        "  <?xml version=\"1.0\"?>\n<!-- saved --><DATAPACKET Version=\"2.0\" x=\"y\">\n"
        "<METADATA><?pi?><FIELDS><FIELD attr name='a' fieldtype=\"i4\" HIDDEN=\"TRUE\"/>"
        "<FIELD tagname=\"b\" fieldtype=\"string\"><extra><deeper/></extra></FIELD></FIELDS>"
        "<PARAMS LCID=\"2052\" OTHER=\"&#x4E2D;\"/><PARAM Name=\"P\" Value=\"v\"/>"
        "<FIELD attrname=\"late\" fieldtype=\"i4\"/></METADATA>"
        "<ROWDATA>text<ROW a=\"none\"><b>child &amp; text</b></ROW><ROWx/></ROWDATA></DATAPACKET>";
    XmlPacketReader reader;
    reader.setTextEncoding(false, 0);  // no converter: PARAM defaults to "string"
    ASSERT_EQ(readDoc(reader, doc), DBIERR_NONE);
    ASSERT_EQ(reader.columns().size(), 2u);  // a FIELD after PARAMS is no column
    EXPECT_EQ(reader.columns()[0].desc.iFieldAttrs, 0x0001);
    EXPECT_STREQ(reader.columns()[1].desc.szName, "b");
    const auto& table = reader.tableAttributes();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].typeWord, 0x00010002u);
    EXPECT_EQ(table[0].value, u16Value(2052));
    EXPECT_EQ(table[1].name, "OTHER");
    EXPECT_EQ(table[1].value, hexBytes("E4 B8 AD 00"));  // a string attribute: UTF-8 and its 0
    EXPECT_EQ(table[2].typeWord, 0x00490001u);
    ASSERT_EQ(reader.rowCount(), 2u);
    EXPECT_EQ(reader.fieldValue(0, 0).indicator, 1);  // "none" is no number
    EXPECT_EQ(textOf(reader.fieldValue(0, 1).bytes), "child & text");
    EXPECT_EQ(reader.fieldValue(1, 0).indicator, 2);

    // With a code-page converter, a PARAM without Type is wide text.
    XmlPacketReader wide;
    wide.setTextEncoding(false, 936);
    ASSERT_EQ(readDoc(wide, doc), DBIERR_NONE);
    EXPECT_EQ(wide.tableAttributes()[2].typeWord, 0x004A0001u);
    EXPECT_EQ(wide.tableAttributes()[2].value, hexBytes("76 00"));
}

TEST(XmlReader, BrokenDocumentsGiveTheirCodes) {
    const std::string field = "<FIELD attrname=\"a\" fieldtype=\"i4\"/>";
    // DATAPACKET, METADATA and 61 more elements are 63 levels.
    std::string deep;
    for (int i = 0; i < 61; ++i) deep += "<x>";
    const struct {
        const char* what;
        std::string doc;
        DBResult expected;
    } cases[] = {
        {"empty", "", errPacketMismatch},
        {"not markup", "hello <METADATA/>", errPacketMismatch},
        {"unclosed prolog", "<?xml version=\"1.0\"", errPacketMismatch},
        {"other first element", "<TABLE/>", errPacketMismatch},
        {"empty DATAPACKET", "<DATAPACKET/>", errPacketMismatch},
        {"metadata without rowdata", "<METADATA>" + field + "</METADATA>", errPacketMismatch},
        {"rowdata not closed", "<METADATA>" + field + "</METADATA><ROWDATA><ROW a=\"1\"/>",
         errPacketMismatch},
        {"end tag does not match", "<METADATA><FIELDS>" + field + "</METADATA>", errPacketMismatch},
        {"tag not closed", "<METADATA><FIELD attrname=\"a\" fieldtype=\"i4\"", errPacketMismatch},
        {"value not closed", "<METADATA><FIELD attrname=\"a>", errPacketMismatch},
        {"attribute without value", "<METADATA><FIELD attrname></METADATA>", errPacketMismatch},
        {"field without name", "<METADATA><FIELD fieldtype=\"i4\"/></METADATA><ROWDATA/>",
         errPacketMismatch},
        {"field without type", "<METADATA><FIELD attrname=\"a\"/></METADATA><ROWDATA/>",
         errInvalidFieldType},
        {"unknown type", "<METADATA><FIELD attrname=\"a\" fieldtype=\"money\"/></METADATA>",
         errInvalidFieldType},
        {"nested table", "<METADATA><FIELD attrname=\"a\" fieldtype=\"nested\"/></METADATA>",
         errInvalidFieldType},
        {"PARAM without Value", "<METADATA><PARAM Name=\"x\"/></METADATA><ROWDATA/>",
         errPacketMismatch},
        {"PARAM of unknown type",
         "<METADATA><PARAM Name=\"x\" Value=\"1\" Type=\"money\"/></METADATA><ROWDATA/>",
         errInvalidFieldType},
        {"row element of another name",
         "<METADATA>" + field + "</METADATA><ROWDATA><RECORD a=\"1\"/></ROWDATA>",
         errPacketMismatch},
        {"RowState not a number",
         "<METADATA>" + field + "</METADATA><ROWDATA><ROW RowState=\"x\"/></ROWDATA>",
         errPacketMismatch},
        {"number too large",
         "<METADATA>" + field +
             "</METADATA><ROWDATA><ROW a=\"3000000000\"/>"
             "</ROWDATA>",
         errOutOfRange},
        {"BCD too large",
         "<METADATA><FIELD attrname=\"a\" fieldtype=\"fixed\" WIDTH=\"4\" DECIMALS=\"2\"/>"
         "</METADATA><ROWDATA><ROW a=\"123.45\"/></ROWDATA>",
         errOutOfRange},
        {"64 deep", "<DATAPACKET><METADATA>" + deep + "<x/>", errPacketMismatch},
    };
    for (const auto& c : cases) {
        XmlPacketReader reader;
        EXPECT_EQ(readDoc(reader, c.doc), c.expected) << c.what;
        EXPECT_TRUE(reader.columns().empty()) << c.what;
        EXPECT_EQ(reader.rowCount(), 0u) << c.what;
    }
    // 63 levels are still read.
    std::string ok = "<DATAPACKET><METADATA>" + deep;
    for (int i = 0; i < 61; ++i) ok += "</x>";
    ok += "</METADATA><ROWDATA/></DATAPACKET>";
    XmlPacketReader reader;
    EXPECT_EQ(readDoc(reader, ok), DBIERR_NONE);
}

// Every shorter prefix of a written document fails cleanly until its rows are complete.
TEST(XmlReader, EveryTruncatedDocumentFails) {
    const Bytes doc = writeSample(kUtf8Mode);
    const std::string text = textOf(doc);
    const std::size_t rowsEnd = text.find("</ROWDATA>") + std::strlen("</ROWDATA>");
    for (std::size_t n = 0; n < doc.size(); ++n) {
        XmlPacketReader reader;
        const DBResult rc = reader.openPacket(std::span<const unsigned char>(doc.data(), n));
        if (n < rowsEnd) {
            EXPECT_NE(rc, DBIERR_NONE) << n;
        } else {
            EXPECT_EQ(rc, DBIERR_NONE) << n;
        }
    }
}

TEST(XmlReader, AttachRowsReadsFurtherRowsForTheSameColumns) {
    XmlPacketReader reader;
    ASSERT_EQ(readDoc(reader,
                      "<METADATA><FIELD attrname=\"a\" fieldtype=\"i2\"/></METADATA>"
                      "<ROWDATA><ROW a=\"1\"/></ROWDATA>"),
              DBIERR_NONE);
    const Bytes more = bytesOf(
        "<DATAPACKET><ROWDATA><ROW RowState=\"4\" a=\"2\"/><ROW/>"
        "</ROWDATA></DATAPACKET>");
    ASSERT_EQ(reader.attachRows(more), DBIERR_NONE);
    EXPECT_TRUE(reader.hasMetadata());
    ASSERT_EQ(reader.rowCount(), 2u);
    EXPECT_EQ(reader.rowStatus(0), 4);
    EXPECT_EQ(Bytes(reader.fieldValue(0, 0).bytes.begin(), reader.fieldValue(0, 0).bytes.end()),
              hexBytes("02 00"));

    // A rows-only document opened on its own has no metadata.
    XmlPacketReader fresh;
    ASSERT_EQ(fresh.openPacket(more), DBIERR_NONE);
    EXPECT_FALSE(fresh.hasMetadata());
    EXPECT_TRUE(fresh.columns().empty());
    EXPECT_EQ(fresh.rowCount(), 2u);
}

}  // namespace
