#include <gtest/gtest.h>

#include <cstring>

#include "packet/DSDATAPACKET.h"
#include "packet/PacketHeader.h"
#include "packet/StreamMode.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

// Writes the worked example through the writer as the engine does.
DBResult writeWorkedExample(IDSWriter& w, Bytes* packet) {
    DBResult rc;
    if ((rc = w.initPacket(kPacketVersion, 3))) return rc;
    if ((rc = w.addColumnDesc(column(kNameColumn, 0x00490001)))) return rc;
    const Bytes width = u16Value(20);
    if ((rc = w.addAttribute(attrColumn, "WIDTH", 0x00020002, 2, width.data()))) return rc;
    if ((rc = w.addColumnDesc(column(kStartColumn, 0x00070004)))) return rc;
    if ((rc = w.addColumnDesc(column(kIntervalColumn, 0x00010004)))) return rc;
    if ((rc = w.addAttribute(attrTable, nullptr, 0, 0, nullptr))) return rc;  // closing call

    const unsigned char status = 0;
    const char radio[] = "Radio";
    const std::int32_t time = 30600000;  // 08:30:00
    const std::int32_t interval = 15, zero = 0;
    if ((rc = w.putField(putValue, 1, &status))) return rc;
    if ((rc = w.putField(putValue, 5, radio))) return rc;
    if ((rc = w.putField(putValue, 4, &time))) return rc;
    if ((rc = w.putField(putValue, 4, &interval))) return rc;
    if ((rc = w.putField(putValue, 1, &status))) return rc;
    if ((rc = w.putField(putNull, 0, nullptr))) return rc;
    if ((rc = w.putField(putNull, 0, nullptr))) return rc;
    if ((rc = w.putField(putValue, 4, &zero))) return rc;
    return w.getPacket(packet);
}

TEST(PacketWriter, WorkedExampleGoldenBytes) {
    auto w = createPacketWriter();
    Bytes packet;
    ASSERT_EQ(writeWorkedExample(*w, &packet), DBIERR_NONE);
    EXPECT_EQ(packet, workedExamplePacket());
    EXPECT_EQ(packet.size(), 117u);
}

TEST(PacketWriter, LengthAndColumnsWhileWriting) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 2), DBIERR_NONE);
    std::size_t length = 0;
    ASSERT_EQ(w->getPacketLength(&length), DBIERR_NONE);
    EXPECT_EQ(length, 26u);  // header and the table attribute count
    ASSERT_EQ(w->addColumnDesc(column("a", 0x00010004, 0x0006)), DBIERR_NONE);
    ASSERT_EQ(w->addColumnDesc(column("bb", 0x00490002)), DBIERR_NONE);
    ASSERT_EQ(w->getPacketLength(&length), DBIERR_NONE);
    EXPECT_EQ(length, 24u + (1 + 1 + 8) + (1 + 2 + 8) + 2);
    std::uint32_t count = 0;
    ASSERT_EQ(w->getColumnCount(&count), DBIERR_NONE);
    ASSERT_EQ(count, 2u);
    PacketColumnDesc descs[2];
    ASSERT_EQ(w->getColumnDescs(descs), DBIERR_NONE);
    EXPECT_STREQ(descs[0].szName, "a");
    EXPECT_EQ(descs[0].iFieldAttrs, 0x0006);
    EXPECT_STREQ(descs[1].szName, "bb");
    EXPECT_EQ(descs[1].iTypeWord, 0x00490002u);
}

TEST(PacketWriter, NoRowsGivesMetadataOnly) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 1), DBIERR_NONE);
    ASSERT_EQ(w->addColumnDesc(column("n", 0x00490001)), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    EXPECT_EQ(packet, hexBytes("96 19 E0 BD 01 00 00 00 18 00 00 00"
                               "01 00"                          // one column
                               "00 00 00 00"                    // no rows
                               "03 00 00 00"                    // PF_METADATA + PF_ROW_OFFSET
                               "24 00"                          // rowDataOffset 36 = packet length
                               "01 6E 01 00 49 00 00 00 00 00"  // column "n"
                               "00 00"));                       // no table attributes
    EXPECT_EQ(packet.size(), 36u);
}

// Column and table attributes: counts patched in place, the caller's length prefix replaced by
// the converter's own, arrays, the delta bit kept.
TEST(PacketWriter, AttributesAtBothLevels) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 1), DBIERR_NONE);
    ASSERT_EQ(w->addColumnDesc(column("m", 0x00050012)), DBIERR_NONE);  // BCD
    const Bytes subtype = hexBytes("06 00 4D 6F 6E 65 79 00");          // u16 6, "Money\0"
    ASSERT_EQ(w->addAttribute(attrColumn, "SUBTYPE", 0x00490002, 8, subtype.data()), 0);
    const Bytes decimals = u16Value(2);
    ASSERT_EQ(w->addAttribute(attrColumn, "DECIMALS", 0x00020002, 2, decimals.data()), 0);
    const Bytes order = hexBytes("01 00 00 00 01 80");  // one element: field 1 descending
    ASSERT_EQ(w->addAttribute(attrTable, "DEFAULT_ORDER", 0x00820002, 6, order.data()), 0);
    const Bytes app = hexBytes("03 78 79 7A");  // u8 3, "xyz"
    ASSERT_EQ(w->addAttribute(attrTable, "MINE", 0x80490001, 4, app.data()), 0);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    const Bytes expected = hexBytes(
        "96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 00 00 00 00 03 00 00 00"
        "6C 00"                       // rowDataOffset 108
        "01 6D 12 00 05 00 00 00"     // column "m", type word 0x00050012, field attributes
        "02 00"                       // two column attributes
        "07 53 55 42 54 59 50 45"     // "SUBTYPE"
        "02 00 49 00"                 // string, 2-byte prefix
        "06 00 4D 6F 6E 65 79 00"     // 6 bytes: "Money" and a 0
        "08 44 45 43 49 4D 41 4C 53"  // "DECIMALS"
        "02 00 02 00 02 00"           // u16 2
        "02 00"                       // two table attributes
        "0D 44 45 46 41 55 4C 54 5F 4F 52 44 45 52"  // "DEFAULT_ORDER"
        "02 00 82 00"                                // array of u16
        "01 00 00 00 01 80"                          // one element, 0x8001
        "04 4D 49 4E 45"                             // "MINE"
        "01 00 49 80"                                // string, 1-byte prefix, in deltas
        "03 78 79 7A");                              // "xyz"
    EXPECT_EQ(packet, expected);
}

// The 20-column station table: an all-null row is a status and 5 indicator bytes; slot 16 is
// bit 0 (null) and bit 1 (unchanged) of the fifth indicator byte.
TEST(PacketWriter, IndicatorBitsOfAWideRow) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 20), DBIERR_NONE);
    for (int i = 0; i < 20; ++i) {
        const std::string name = "c" + std::to_string(i);
        ASSERT_EQ(w->addColumnDesc(column(name.c_str(), 0x00490001)), DBIERR_NONE);
    }
    std::size_t rowStart = 0;
    ASSERT_EQ(w->getPacketLength(&rowStart), DBIERR_NONE);
    const unsigned char status = 0;
    ASSERT_EQ(w->putField(putValue, 1, &status), DBIERR_NONE);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(w->putField(putNull, 0, nullptr), DBIERR_NONE);
    ASSERT_EQ(w->putField(putValue, 1, &status), DBIERR_NONE);
    for (int i = 0; i < 20; ++i) {
        if (i == 16) {
            ASSERT_EQ(w->putField(putUnchanged, 0, nullptr), DBIERR_NONE);
        } else {
            ASSERT_EQ(w->putField(putValue, 1, "x"), DBIERR_NONE);
        }
    }
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    ASSERT_EQ(packet.size(), rowStart + 6 + 6 + 19 * 2);
    EXPECT_EQ(Bytes(packet.begin() + rowStart, packet.begin() + rowStart + 6),
              hexBytes("00 55 55 55 55 55"));
    EXPECT_EQ(Bytes(packet.begin() + rowStart + 6, packet.begin() + rowStart + 12),
              hexBytes("00 00 00 00 00 02"));
    EXPECT_EQ(decodeFixed32(packet.data() + kHdrRowCount), 2u);
    EXPECT_EQ(decodeFixed16(packet.data() + kHdrRowDataOffset), rowStart);
}

// Metadata beyond 65535 bytes: no row offset. The buffer grows past its first 32768 bytes.
TEST(PacketWriter, LongMetadataHasNoRowOffset) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 1), DBIERR_NONE);
    ASSERT_EQ(w->addColumnDesc(column("i", 0x00010004)), DBIERR_NONE);
    Bytes big(4 + 70000, 0xAB);
    putFixed32(big.data(), 70000);
    ASSERT_EQ(w->addAttribute(attrTable, "BIG", 0x004B0004, static_cast<std::uint32_t>(big.size()),
                              big.data()),
              DBIERR_NONE);
    const unsigned char status = 0;
    const std::int32_t value = -1;
    ASSERT_EQ(w->putField(putValue, 1, &status), DBIERR_NONE);
    ASSERT_EQ(w->putField(putValue, 4, &value), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    EXPECT_EQ(decodeFixed32(packet.data() + kHdrPacketFlags), 0x0001u);
    EXPECT_EQ(decodeFixed16(packet.data() + kHdrRowDataOffset), 0u);
    ASSERT_EQ(packet.size(), 24u + 10 + 2 + (1 + 3 + 4 + 4 + 70000) + 6);
    EXPECT_EQ(Bytes(packet.end() - 6, packet.end()), hexBytes("00 00 FF FF FF FF"));
}

TEST(PacketWriter, HeaderMarks) {
    // A column of class above 11 raises the major version; a 31-byte name is written whole;
    // a non-XML stream mode marks the packet.
    auto w = createPacketWriter();
    ASSERT_EQ(w->setXmlMode(kXmlModeMetadata), DBIERR_NONE);
    ASSERT_EQ(w->initPacket(kPacketVersion, 1), DBIERR_NONE);
    const std::string name(31, 'n');
    ASSERT_EQ(w->addColumnDesc(column(name.c_str(), 0x010C0000)), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    EXPECT_EQ(decodeFixed16(packet.data() + kHdrMajorVersion), 2);
    EXPECT_EQ(decodeFixed32(packet.data() + kHdrPacketFlags), 0x8003u);
    EXPECT_EQ(packet[24], 31);
    EXPECT_EQ(std::string(packet.begin() + 25, packet.begin() + 56), name);
}

TEST(PacketWriter, RowsWithoutMetadata) {
    auto w = createPacketWriter();
    const PacketColumnDesc cols[] = {column("s", 0x00490001), column("i", 0x00010002)};
    ASSERT_EQ(w->initPacketWithColumns(kPacketVersion, 2, cols), DBIERR_NONE);
    const unsigned char status = 4;
    const std::int16_t v = 7;
    ASSERT_EQ(w->putField(putValue, 1, &status), DBIERR_NONE);
    ASSERT_EQ(w->putField(putValue, 2, "ab"), DBIERR_NONE);
    ASSERT_EQ(w->putField(putValue, 2, &v), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    EXPECT_EQ(packet, hexBytes("96 19 E0 BD 01 00 00 00 18 00 00 00"
                               "02 00"        // two columns
                               "01 00 00 00"  // one row
                               "02 00 00 00"  // PF_ROW_OFFSET only
                               "18 00"        // rows at 24
                               "04 00 02 61 62 07 00"));

    // resetPacket starts another rows-only packet for the same columns.
    auto w2 = createPacketWriter();
    EXPECT_EQ(w2->resetPacket(), errNotApplicable);
    ASSERT_EQ(w2->initPacket(kPacketVersion, 2), DBIERR_NONE);
    ASSERT_EQ(w2->addColumnDesc(cols[0]), DBIERR_NONE);
    ASSERT_EQ(w2->addColumnDesc(cols[1]), DBIERR_NONE);
    ASSERT_EQ(w2->resetPacket(), DBIERR_NONE);
    ASSERT_EQ(w2->putField(putValue, 1, &status), DBIERR_NONE);
    ASSERT_EQ(w2->putField(putValue, 2, "ab"), DBIERR_NONE);
    ASSERT_EQ(w2->putField(putValue, 2, &v), DBIERR_NONE);
    Bytes again;
    ASSERT_EQ(w2->getPacket(&again), DBIERR_NONE);
    EXPECT_EQ(again, packet);
}

TEST(PacketWriter, RefusedCalls) {
    const Bytes u16 = u16Value(1);
    const unsigned char status = 0;
    const std::int32_t i4 = 0;
    struct Case {
        const char* what;
        DBResult expected;
        DBResult (*call)(IDSWriter&, const Bytes&, const unsigned char*, const std::int32_t*);
    } cases[] = {
        {"version above 3", errPacketMismatch,
         [](IDSWriter& w, auto&, auto, auto) { return w.initPacket(kMaxPacketVersion + 1, 1); }},
        {"column named RowState", errNotApplicable,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.addColumnDesc(column("RowState", 0x00010004));
         }},
        {"more columns than declared", errNotApplicable,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             return w.addColumnDesc(column("b", 0x00010004));
         }},
        {"column class above 36", errNotApplicable,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.addColumnDesc(column("a", 0x00250004));
         }},
        {"column without converter", errInvalidFieldType,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.addColumnDesc(column("a", 0x00080004));
         }},
        {"column without name", errFieldNameNull,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.addColumnDesc(column("", 0x00010004));
         }},
        {"attribute without converter", errInvalidFieldType,
         [](IDSWriter& w, const Bytes& v, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             return w.addAttribute(attrColumn, "X", 0x00040006, 2, v.data());
         }},
        {"attribute shorter than its type", errInvalidParameter,
         [](IDSWriter& w, const Bytes& v, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             return w.addAttribute(attrColumn, "X", 0x00010004, 2, v.data());
         }},
        {"column attribute before any column", errNotApplicable,
         [](IDSWriter& w, const Bytes& v, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.addAttribute(attrColumn, "WIDTH", 0x00020002, 2, v.data());
         }},
        {"column attribute after a table attribute", errNotApplicable,
         [](IDSWriter& w, const Bytes& v, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             w.addAttribute(attrTable, "T", 0x00020002, 2, v.data());
             return w.addAttribute(attrColumn, "WIDTH", 0x00020002, 2, v.data());
         }},
        {"attribute after a completed row", errNotApplicable,
         [](IDSWriter& w, const Bytes& v, const unsigned char* s, const std::int32_t* i) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             w.putField(putValue, 1, s);
             w.putField(putValue, 4, i);
             return w.addAttribute(attrTable, "T", 0x00020002, 2, v.data());
         }},
        {"attribute inside a row", errNotApplicable,
         [](IDSWriter& w, const Bytes& v, const unsigned char* s, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             w.putField(putValue, 1, s);
             return w.addAttribute(attrTable, "T", 0x00020002, 2, v.data());
         }},
        {"row beginning with a null mark", errInvalidParameter,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             return w.putField(putNull, 0, nullptr);
         }},
        {"row beginning with an unchanged mark", errInvalidParameter,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             return w.putField(putUnchanged, 0, nullptr);
         }},
        {"string too long for its prefix", errInvalidParameter,
         [](IDSWriter& w, auto&, const unsigned char* s, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00490001));
             w.putField(putValue, 1, s);
             static const Bytes text(256, 'x');
             return w.putField(putValue, 256, text.data());
         }},
        {"rows begun inside a nested table's description", errRowSetup,
         [](IDSWriter& w, auto&, const unsigned char* s, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("n", 0x050E0001));
             return w.putField(putValue, 1, s);
         }},
        {"packet taken in the middle of a row", errNotApplicable,
         [](IDSWriter& w, auto&, const unsigned char* s, auto) {
             w.initPacket(kPacketVersion, 1);
             w.addColumnDesc(column("a", 0x00010004));
             w.putField(putValue, 1, s);
             Bytes out;
             return w.getPacket(&out);
         }},
        {"getPacket without out-argument", errInvalidParameter,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 0);
             return w.getPacket(nullptr);
         }},
        {"getPacketLength without out-argument", errInvalidParameter,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 0);
             return w.getPacketLength(nullptr);
         }},
        {"column after the packet was taken", errNotApplicable,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 2);
             w.addColumnDesc(column("a", 0x00010004));
             Bytes out;
             w.getPacket(&out);
             return w.addColumnDesc(column("b", 0x00010004));
         }},
        {"endNestedRows outside a nested table", errNotApplicable,
         [](IDSWriter& w, auto&, auto, auto) {
             w.initPacket(kPacketVersion, 1);
             return w.endNestedRows();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto w = createPacketWriter();
        EXPECT_EQ(c.call(*w, u16, &status, &i4), c.expected);
    }
}

TEST(PacketWriter, XmlModeWritesADocumentAndModeZeroBinaryAgain) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->setXmlMode(kStreamModeXmlUtf8), DBIERR_NONE);
    EXPECT_EQ(w->getXmlMode(), kStreamModeXmlUtf8);
    Bytes packet;
    ASSERT_EQ(writeWorkedExample(*w, &packet), DBIERR_NONE);
    const std::string text(packet.begin(), packet.end());
    EXPECT_EQ(text.rfind("<?xml", 0), 0u) << text;
    EXPECT_NE(text.find("Radio"), std::string::npos);

    ASSERT_EQ(w->setXmlMode(kStreamModeBinary), DBIERR_NONE);
    EXPECT_EQ(w->getXmlMode(), kStreamModeBinary);
    ASSERT_EQ(writeWorkedExample(*w, &packet), DBIERR_NONE);
    EXPECT_EQ(packet, workedExamplePacket());
}

TEST(PacketWriter, ErrorText) {
    auto w = createPacketWriter();
    char text[128];
    ASSERT_EQ(w->getErrorText(errPacketMismatch, text, sizeof text), DBIERR_NONE);
    EXPECT_STREQ(text, "Mismatch in datapacket.");
}

}  // namespace
