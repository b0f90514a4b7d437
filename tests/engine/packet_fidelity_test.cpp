// Packets of other programs use parts of the format that station tables do not: empty varying
// values, text in attributes, wide-string attributes, delta tables. Each case is a small foreign
// packet; the table loaded from it must save the same content in binary, write it in both XML
// forms, and store the same bytes again when the XML document is read back (shown by saving that
// table in binary).

#include <gtest/gtest.h>

#include <string>

#include "engine/DSBASE.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

constexpr std::uint32_t kCodePageXml = 5;
constexpr std::uint32_t kUtf8Xml = 13;

std::string document(std::uint32_t mode, const std::string& body) {
    return (mode == kUtf8Xml ? "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
                             : "<?xml version=\"1.0\" standalone=\"yes\"?>  ") +
           ("<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + body + "</DATAPACKET>");
}

// Loads a packet into a table of code page 936, as the dataset layer creates them.
DBResult load(DSBASE& table, const Bytes& packet) {
    EXPECT_EQ(table.setProperty(propCodePage, 936), DBIERR_NONE);
    return table.appendPacket(std::make_shared<const Bytes>(packet), true);
}

Bytes save(DSBASE& table, std::uint32_t mode) {
    Bytes out;
    EXPECT_EQ(table.setProperty(propStreamMode, mode), DBIERR_NONE);
    EXPECT_EQ(table.streamTable(out), DBIERR_NONE);
    return out;
}

std::string textOf(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// Bytes as hex pairs, so that a failure shows where packets differ.
std::string hexOf(const Bytes& b) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : b) {
        if (!out.empty()) out.push_back(' ');
        out.push_back(kDigits[c >> 4]);
        out.push_back(kDigits[c & 15]);
    }
    return out;
}

struct Case {
    const char* what;
    Bytes packet;
    Bytes saved;         // empty: the packet itself
    std::string cpBody;  // the code-page document after <FIELDS>
    std::string u8Body;  // the UTF-8 document after <FIELDS>
    Bytes afterXml;      // saved again after reading either document; empty: `saved`
};

// Header of a packet with one column: `rows` is its row count, `offset` where the rows begin.
std::string header(const std::string& rows, const std::string& offset) {
    const std::string fixed =
        "96 19 E0 BD 01 00 00 00 18 00 00 00"  // magic, version 1.0, header size 24
        "01 00";                               // one column
    const std::string flags = "03 00 00 00";   // PF_METADATA + PF_ROW_OFFSET
    return fixed + rows + flags + offset;
}

const Case kCases[] = {
    {"an empty bin.hex value",
     hexBytes(header("01 00 00 00", "30 00") +
              "01 76 01 00 4B 00 00 00 01 00"        // "v": bin.hex (0x004B0001), one attribute
              "05 57 49 44 54 48 02 00 02 00 0A 00"  // WIDTH 10
              "00 00"                                // no table attributes
              "00 00"                                // row: status 0, nothing null
              "00"),                                 // the value: length 0
     {},
     "<FIELD attrname=\"v\" fieldtype=\"bin.hex\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
     "<ROWDATA><ROW v=\"\"/></ROWDATA>",
     "<FIELD attrname=\"v\" fieldtype=\"bin.hex\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
     "<ROWDATA><ROW v=\"\"/></ROWDATA>",
     {}},
    {"an empty string.uni value",
     hexBytes(header("01 00 00 00", "30 00") +
              "01 76 01 00 4A 00 00 00 01 00"        // "v": string.uni (0x004A0001), one attribute
              "05 57 49 44 54 48 02 00 02 00 0A 00"  // WIDTH 10
              "00 00"                                // no table attributes
              "00 00"                                // row: status 0, nothing null
              "00"),                                 // the value: length 0
     {},
     "<FIELD attrname=\"v\" fieldtype=\"string.uni\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
     "<ROWDATA><ROW v=\"\"/></ROWDATA>",
     "<FIELD attrname=\"v\" fieldtype=\"string.uni\" WIDTH=\"10\"/></FIELDS><PARAMS/></METADATA>"
     "<ROWDATA><ROW v=\"\"/></ROWDATA>",
     {}},
    {"FIELDNAME in UTF-8",
     hexBytes(header("00 00 00 00", "3B 00") +
              "01 78 04 00 01 00 00 00 01 00"  // "x": i4, one attribute
              "09 46 49 45 4C 44 4E 41 4D 45"  // "FIELDNAME"
              "02 00 49 80"                    // 0x80490002: string, 2-byte prefix, for deltas
              "07 00 E7 94 B5 E5 8F B0 00"     // "电台" and its 0
              "00 00"),                        // no table attributes
     {},
     "<FIELD attrname=\"x\" fieldtype=\"i4\">"
     "<PARAM Name=\"FIELDNAME\" Value=\"\xB5\xE7\xCC\xA8\" Roundtrip=\"True\"/></FIELD>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"x\" fieldtype=\"i4\">"
     "<PARAM Name=\"FIELDNAME\" Value=\"\xE7\x94\xB5\xE5\x8F\xB0\" Roundtrip=\"True\"/></FIELD>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     // A PARAM without Type is read as wide text: the name comes back as UTF-16.
     hexBytes(header("00 00 00 00", "37 00") +
              "01 78 04 00 01 00 00 00 01 00"  // "x": i4, one attribute
              "09 46 49 45 4C 44 4E 41 4D 45"  // "FIELDNAME"
              "01 00 4A 80"                    // 0x804A0001: wide string, for deltas
              "04 35 75 F0 53"                 // "电台" in UTF-16LE
              "00 00")},                       // no table attributes
    {"MINVALUE in UTF-8",
     hexBytes(header("00 00 00 00", "42 00") +
              "01 73 01 00 49 00 00 00 02 00"        // "s": string, two attributes
              "05 57 49 44 54 48 02 00 02 00 04 00"  // WIDTH 4
              "08 4D 49 4E 56 41 4C 55 45"           // "MINVALUE"
              "01 00 49 00 04 E4 B8 AD 00"           // string: "中" and its 0
              "00 00"),                              // no table attributes
     {},
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MINVALUE=\"\xD6\xD0\"/></FIELDS>"
     "<PARAMS/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MINVALUE=\"\xE4\xB8\xAD\"/>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     {}},
    {"a text the code page lacks",
     hexBytes(header("00 00 00 00", "42 00") +
              "01 73 01 00 49 00 00 00 02 00"        // "s": string, two attributes
              "05 57 49 44 54 48 02 00 02 00 04 00"  // WIDTH 4
              "08 4D 41 58 56 41 4C 55 45"           // "MAXVALUE"
              "01 00 49 00 04 ED 95 9C 00"           // string: "한" (U+D55C) and its 0
              "00 00"),                              // no table attributes
     {},
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MAXVALUE=\"&#54620;\"/></FIELDS>"
     "<PARAMS/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MAXVALUE=\"\xED\x95\x9C\"/>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     {}},
    {"a kept string.uni attribute",
     hexBytes(header("00 00 00 00", "30 00") +
              "01 74 04 00 07 00 00 00 01 00"  // "t": time, one attribute
              "04 6E 6F 74 65"                 // "note"
              "01 00 4A 00 02 E9 00"           // 0x004A0001 wide string: "é" in UTF-16LE
              "00 00"),                        // no table attributes
     {},
     "<FIELD attrname=\"t\" fieldtype=\"time\">"
     "<PARAM Name=\"note\" Value=\"&#233;\" Type=\"string.uni\"/></FIELD>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"t\" fieldtype=\"time\">"
     "<PARAM Name=\"note\" Value=\"&#233;\" Type=\"string.uni\"/></FIELD>"
     "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA>",
     {}},
    {"a delta table with a change log",
     hexBytes(header("01 00 00 00", "4F 00") +
              "01 6E 04 00 01 00 00 00 00 00"        // "n": i4, no attributes
              "02 00"                                // two table attributes
              "05 44 45 4C 54 41"                    // "DELTA"
              "02 00 03 00 01 00"                    // boolean, 2 bytes: true
              "0A 43 48 41 4E 47 45 5F 4C 4F 47"     // "CHANGE_LOG"
              "04 00 82 00 03 00 00 00"              // array of u32, 3 elements
              "01 00 00 00 00 00 00 00 04 00 00 00"  // record 1, no other, insert
              "04 00 07 00 00 00"),                  // row: inserted, nothing null, 7
     // Only the kept DELTA is written.
     hexBytes(header("01 00 00 00", "30 00") +
              "01 6E 04 00 01 00 00 00 00 00"  // "n": i4, no attributes
              "01 00"                          // one table attribute
              "05 44 45 4C 54 41"              // "DELTA"
              "02 00 03 00 01 00"              // boolean, 2 bytes: true
              "04 00 07 00 00 00"),            // row: inserted, nothing null, 7
     "<FIELD attrname=\"n\" fieldtype=\"i4\"/></FIELDS><PARAMS DELTA=\"TRUE\"/></METADATA>"
     "<ROWDATA><ROW RowState=\"4\" n=\"7\"/></ROWDATA>",
     "<FIELD attrname=\"n\" fieldtype=\"i4\"/></FIELDS><PARAMS DELTA=\"TRUE\"/></METADATA>"
     "<ROWDATA><ROW RowState=\"4\" n=\"7\"/></ROWDATA>",
     {}},
    {"a delta table with an auto-increment field",
     hexBytes(header("00 00 00 00", "46 00") +
              "01 6E 04 00 01 00 02 00 01 00"          // "n": i4, read-only, one attribute
              "07 53 55 42 54 59 50 45"                // "SUBTYPE"
              "02 00 49 00"                            // string, 2-byte prefix
              "08 00 41 75 74 6F 69 6E 63 00"          // "Autoinc" and its 0
              "01 00"                                  // one table attribute
              "05 44 45 4C 54 41 02 00 03 00 01 00"),  // DELTA: boolean true
     {},                                               // no AUTOINCVALUE
     "<FIELD attrname=\"n\" fieldtype=\"i4\" readonly=\"true\" SUBTYPE=\"Autoinc\"/></FIELDS>"
     "<PARAMS DELTA=\"TRUE\"/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"n\" fieldtype=\"i4\" readonly=\"true\" SUBTYPE=\"Autoinc\"/></FIELDS>"
     "<PARAMS DELTA=\"TRUE\"/></METADATA><ROWDATA></ROWDATA>",
     {}},
    {"an empty string attribute",
     hexBytes(header("00 00 00 00", "3F 00") +
              "01 73 01 00 49 00 00 00 02 00"        // "s": string, two attributes
              "05 57 49 44 54 48 02 00 02 00 04 00"  // WIDTH 4
              "08 4D 49 4E 56 41 4C 55 45"           // "MINVALUE"
              "01 00 49 00 01 00"                    // string: the empty text, its 0 alone
              "00 00"),                              // no table attributes
     {},
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MINVALUE=\"\"/></FIELDS>"
     "<PARAMS/></METADATA><ROWDATA></ROWDATA>",
     "<FIELD attrname=\"s\" fieldtype=\"string\" WIDTH=\"4\" MINVALUE=\"\"/></FIELDS>"
     "<PARAMS/></METADATA><ROWDATA></ROWDATA>",
     {}},
};

TEST(PacketFidelity, ForeignPacketsSurviveSaveAndBothXmlForms) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const Bytes& saved = c.saved.empty() ? c.packet : c.saved;
        const Bytes& afterXml = c.afterXml.empty() ? saved : c.afterXml;
        DSBASE table;
        ASSERT_EQ(load(table, c.packet), DBIERR_NONE);
        EXPECT_EQ(hexOf(save(table, 0)), hexOf(saved));
        for (std::uint32_t mode : {kCodePageXml, kUtf8Xml}) {
            SCOPED_TRACE(mode);
            const Bytes xml = save(table, mode);
            EXPECT_EQ(textOf(xml), document(mode, mode == kUtf8Xml ? c.u8Body : c.cpBody));
            DSBASE again;
            ASSERT_EQ(load(again, xml), DBIERR_NONE) << textOf(xml);
            EXPECT_EQ(hexOf(save(again, 0)), hexOf(afterXml));
        }
    }
}

}  // namespace
