#include <gtest/gtest.h>

#include <cstring>

#include "packet/DSDATAPACKET.h"
#include "packet/DSEXTRACT.h"
#include "packet/PacketHeader.h"
#include "tests/packet/PacketDump.h"

namespace {

WalkedItem value(const Bytes& bytes) {
    return WalkedItem{0, static_cast<std::int32_t>(bytes.size()), bytes};
}
WalkedItem nullItem() {
    return WalkedItem{1, 0, {}};
}
WalkedItem unchangedItem() {
    return WalkedItem{2, 0, {}};
}

TEST(PacketReader, WorkedExample) {
    auto r = createPacketReader();
    WalkedPacket d;
    ASSERT_EQ(dumpPacket(*r, workedExamplePacket(), &d), DBIERR_NONE);
    ASSERT_EQ(d.columns.size(), 3u);
    EXPECT_STREQ(d.columns[0].desc.szName, kNameColumn);
    EXPECT_EQ(d.columns[0].desc.iTypeWord, 0x00490001u);
    ASSERT_EQ(d.columns[0].attributes.size(), 1u);
    EXPECT_EQ(d.columns[0].attributes[0], (WalkedAttribute{"WIDTH", 0x00020002, {0x14, 0x00}}));
    EXPECT_STREQ(d.columns[1].desc.szName, kStartColumn);
    EXPECT_EQ(d.columns[1].desc.iTypeWord, 0x00070004u);
    EXPECT_STREQ(d.columns[2].desc.szName, kIntervalColumn);
    EXPECT_TRUE(d.tableAttributes.empty());
    const std::vector<WalkedItem> expected = {
        value({0x00}),                     // row 1 status
        value({'R', 'a', 'd', 'i', 'o'}),  // string
        value({0x40, 0xEB, 0xD2, 0x01}),   // time
        value({0x0F, 0, 0, 0}),            // integer
        value({0x00}),                     // row 2 status
        nullItem(),                        // null string
        nullItem(),                        // null time
        value({0, 0, 0, 0}),               // integer 0
    };
    EXPECT_EQ(d.items, expected);
    EXPECT_EQ(r->getXmlMode(), 0u);
    EXPECT_EQ(r->header().rowCount, 2u);
}

TEST(PacketReader, LetsTheBytesGoAfterTheLastRow) {
    auto bytes = std::make_shared<const Bytes>(workedExamplePacket());
    auto r = createPacketReader();
    ASSERT_EQ(r->openPacket(bytes), DBIERR_NONE);
    PacketColumnDesc c;
    while (r->nextColumnDesc(&c) == DBIERR_NONE) {
        std::uint32_t n;
        while (r->nextAttributeLength(&n) == DBIERR_NONE) {
            char name[kAttributeNameCapacity];
            Bytes v(n);
            ASSERT_EQ(r->nextAttribute(name, nullptr, &n, v.data()), DBIERR_NONE);
        }
    }
    std::uint32_t n;
    EXPECT_EQ(r->nextAttributeLength(&n), errAtEnd);  // no table attributes: metadata complete
    EXPECT_EQ(r->rowCapacityHint(), 2u);
    EXPECT_EQ(bytes.use_count(), 2);
    std::int32_t length;
    for (int i = 0; i < 8; ++i) {
        const DBResult rc = r->nextFieldValue(&length, nullptr, nullptr);  // skip
        EXPECT_TRUE(rc == DBIERR_NONE || rc == errFieldBlank) << i;
    }
    EXPECT_EQ(bytes.use_count(), 1);
    EXPECT_EQ(r->nextFieldValue(&length, nullptr, nullptr), errAtEnd);
    EXPECT_EQ(r->nextValueLength(&length), errAtEnd);
}

// Measuring never consumes; a destination too small is refused and the same value can be read
// afterwards with room enough.
TEST(PacketReader, SmallBuffersAreRefusedWithoutConsuming) {
    auto r = createPacketReader();
    ASSERT_EQ(r->openPacket(std::make_shared<const Bytes>(workedExamplePacket())), DBIERR_NONE);
    PacketColumnDesc c;
    ASSERT_EQ(r->nextColumnDesc(&c), DBIERR_NONE);
    EXPECT_EQ(r->nextColumnDesc(&c), errNotApplicable);  // its attribute is unread
    char name[kAttributeNameCapacity];
    std::uint32_t alen = 1;
    unsigned char small[1];
    EXPECT_EQ(r->nextAttribute(name, nullptr, &alen, small), errInvalidParameter);
    EXPECT_EQ(alen, 2u);
    std::uint32_t type = 0;
    unsigned char width[2];
    alen = 2;
    ASSERT_EQ(r->nextAttribute(name, &type, &alen, nullptr), DBIERR_NONE);  // measures only
    ASSERT_EQ(r->nextAttribute(name, &type, &alen, width), DBIERR_NONE);
    EXPECT_STREQ(name, "WIDTH");
    EXPECT_EQ(decodeFixed16(width), 20);

    std::int32_t length = 0;
    EXPECT_EQ(r->nextFieldValue(&length, width, nullptr), errNotApplicable);  // metadata first
    ASSERT_EQ(r->nextAttributeLength(&alen), errAtEnd);
    ASSERT_EQ(r->nextColumnDesc(&c), DBIERR_NONE);
    ASSERT_EQ(r->nextAttributeLength(&alen), errAtEnd);
    ASSERT_EQ(r->nextColumnDesc(&c), DBIERR_NONE);
    ASSERT_EQ(r->nextAttributeLength(&alen), errAtEnd);  // switches to the table list
    ASSERT_EQ(r->nextColumnDesc(&c), errAtEnd);
    ASSERT_EQ(r->nextAttributeLength(&alen), errAtEnd);  // completes the metadata

    unsigned char buf[8];
    std::uint8_t ind = 9;
    length = 1;
    ASSERT_EQ(r->nextFieldValue(&length, buf, &ind), DBIERR_NONE);  // status
    ASSERT_EQ(r->nextValueLength(&length), DBIERR_NONE);
    EXPECT_EQ(length, 5);
    length = 4;
    EXPECT_EQ(r->nextFieldValue(&length, buf, &ind), errInvalidParameter);
    EXPECT_EQ(length, 5);
    length = 5;
    ASSERT_EQ(r->nextFieldValue(&length, buf, &ind), DBIERR_NONE);
    EXPECT_EQ(Bytes(buf, buf + 5), (Bytes{'R', 'a', 'd', 'i', 'o'}));
    EXPECT_EQ(ind, 0);
}

// Broken packets and the code each gives on the way through.
TEST(PacketReader, BrokenPackets) {
    const Bytes good = workedExamplePacket();
    auto patched = [&](std::size_t at, const Bytes& bytes) {
        Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    const Bytes header24 = hexBytes(
        "96 19 E0 BD 01 00 00 00 18 00 00 00"
        "FF FF"        // 65535 columns
        "FF FF FF FF"  // 4294967295 rows
        "01 00 00 00 00 00");
    Bytes noColumnsManyRows = hexBytes(
        "96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 FF FF FF FF 03 00 00 00 24 00"
        "01 6E 04 00 01 00 00 00 00 00"  // one i4 column "n"
        "00 00");                        // no table attributes, then no rows at all
    struct Case {
        const char* what;
        Bytes packet;
        DBResult expected;
    } cases[] = {
        {"empty", {}, errPacketMismatch},
        {"XML text", hexBytes("3C 3F 78 6D 6C"), errPacketMismatch},
        {"major version 4", patched(4, {0x04, 0x00}), errPacketMismatch},
        {"minor version 4", patched(6, {0x04, 0x00}), errPacketMismatch},
        {"short header", Bytes(good.begin(), good.begin() + 23), errPacketMismatch},
        {"header size beyond the packet", patched(8, {0x00, 0x10, 0x00, 0x00}), errPacketMismatch},
        {"no metadata flag", patched(18, {0x02}), errNoMetadata},
        {"column name of length 0", patched(24, {0x00}), errFieldNameNull},
        {"column name longer than the packet", patched(24, {0xFF}), errPacketMismatch},
        {"column of dateTime size 4", patched(70, {0x04, 0x00, 0x08, 0x00}), errInvalidFieldType},
        {"column of float size 6", patched(85, {0x06, 0x00, 0x04, 0x00}), errInvalidFieldType},
        {"attribute without converter", patched(51, {0x03, 0x00, 0x01, 0x00}), errInvalidFieldType},
        {"attribute count beyond the packet", patched(43, {0xFF, 0xFF}), errPacketMismatch},
        {"table attribute count beyond the packet", patched(93, {0x01, 0x00}), errPacketMismatch},
        {"string longer than the packet", patched(97, {0xFF}), errPacketMismatch},
        {"more rows than present", patched(14, {0x03}), errPacketMismatch},
        {"24-byte header claiming 65535 columns and 4294967295 rows", header24, errPacketMismatch},
        {"4294967295 rows and no row bytes", noColumnsManyRows, errPacketMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = createPacketReader();
        WalkedPacket d;
        EXPECT_EQ(dumpPacket(*r, c.packet, &d), c.expected);
    }
}

TEST(PacketReader, EveryShorterPrefixFails) {
    const Bytes good = workedExamplePacket();
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        auto r = createPacketReader();
        WalkedPacket d;
        EXPECT_EQ(dumpPacket(*r, Bytes(good.begin(), good.begin() + static_cast<long>(n)), &d),
                  errPacketMismatch);
    }
}

TEST(PacketReader, HugeRowCountDoesNotInflateReservations) {
    auto r = createPacketReader();
    const Bytes packet = hexBytes(
        "96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 FF FF FF FF 03 00 00 00 24 00"
        "01 6E 04 00 01 00 00 00 00 00 00 00"
        "00 00 01 00 00 00 00 02 00 00 00 00");  // two rows of an i4
    ASSERT_EQ(r->openPacket(std::make_shared<const Bytes>(packet)), DBIERR_NONE);
    PacketColumnDesc c;
    std::uint32_t n;
    ASSERT_EQ(r->nextColumnDesc(&c), DBIERR_NONE);
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);
    EXPECT_EQ(r->rowCapacityHint(), 6u);  // 12 bytes left, a row takes at least 2
}

TEST(PacketReader, AlternativeMagicSkipsTheVersionCheck) {
    Bytes packet = workedExamplePacket();
    putFixed32(packet.data(), 0x0000ABCD);
    putFixed16(packet.data() + 4, 9);
    auto r = createPacketReader();
    WalkedPacket d;
    ASSERT_EQ(dumpPacket(*r, packet, &d), DBIERR_NONE);
    EXPECT_EQ(d.items.size(), 8u);
}

TEST(PacketReader, LongColumnNameIsCutTo31Bytes) {
    Bytes packet = hexBytes(
        "96 19 E0 BD 01 00 00 00 18 00 00 00 01 00 00 00 00 00 01 00 00 00 00 00"
        "28");  // name length 40
    const std::string name(40, 'k');
    packet.insert(packet.end(), name.begin(), name.end());
    const Bytes rest = hexBytes("04 00 01 00 02 00 00 00 00 00");
    packet.insert(packet.end(), rest.begin(), rest.end());
    auto r = createPacketReader();
    WalkedPacket d;
    ASSERT_EQ(dumpPacket(*r, packet, &d), DBIERR_NONE);
    ASSERT_EQ(d.columns.size(), 1u);
    EXPECT_EQ(std::string(d.columns[0].desc.szName), std::string(31, 'k'));
    EXPECT_EQ(d.columns[0].desc.iFieldAttrs, 2);
}

// Everything the writer can put into a flat packet comes back from the reader.
TEST(PacketRoundTrip, ColumnsAttributesAndRows) {
    const PacketColumnDesc cols[] = {
        column("s", 0x00490002),    column("r4", 0x001B0004), column("bcd", 0x00050006),
        column("blob", 0x004B0004), column("u8", 0x00020008), column("i1", 0x00010001),
    };
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 6), DBIERR_NONE);
    for (const auto& c : cols) ASSERT_EQ(w->addColumnDesc(c), DBIERR_NONE);
    const Bytes log = hexBytes("03 00 00 00 01 00 00 00 00 00 00 00 04 00 00 00");
    ASSERT_EQ(w->addAttribute(attrTable, "CHANGE_LOG", 0x00820004, 16, log.data()), 0);
    const Bytes uni = hexBytes("04 00 41 00 42 00");
    ASSERT_EQ(w->addAttribute(attrTable, "uni", 0x804A0002, 6, uni.data()), 0);

    const unsigned char inserted = 4, plain = 0;
    const float one = 1.0f;
    const Bytes bcd = hexBytes("08 02 12 34 56 78");
    const std::uint64_t big = 0xFFFFFFFFFFFFFFFFull;
    const std::int16_t small = -2;  // i1 stored in 2 bytes: the low byte is written
    ASSERT_EQ(w->putField(putValue, 1, &inserted), 0);
    ASSERT_EQ(w->putField(putValue, 3, "abc"), 0);
    ASSERT_EQ(w->putField(putValue, 4, &one), 0);
    ASSERT_EQ(w->putField(putValue, 6, bcd.data()), 0);
    ASSERT_EQ(w->putField(putValue, -1, ""), 0);  // BLOB not fetched
    ASSERT_EQ(w->putField(putValue, 8, &big), 0);
    ASSERT_EQ(w->putField(putValue, 2, &small), 0);
    ASSERT_EQ(w->putField(putValue, 1, &plain), 0);
    ASSERT_EQ(w->putField(putUnchanged, 0, nullptr), 0);
    ASSERT_EQ(w->putField(putNull, 0, nullptr), 0);
    ASSERT_EQ(w->putField(putValue, 0, bcd.data()), 0);
    ASSERT_EQ(w->putField(putValue, 3, "\x01\x02\x03"), 0);
    ASSERT_EQ(w->putField(putUnchanged, 0, nullptr), 0);
    ASSERT_EQ(w->putField(putNull, 0, nullptr), 0);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);

    auto r = createPacketReader();
    WalkedPacket d;
    ASSERT_EQ(dumpPacket(*r, packet, &d), DBIERR_NONE);
    ASSERT_EQ(d.columns.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_STREQ(d.columns[i].desc.szName, cols[i].szName);
        EXPECT_EQ(d.columns[i].desc.iTypeWord, cols[i].iTypeWord);
    }
    ASSERT_EQ(d.tableAttributes.size(), 2u);
    EXPECT_EQ(d.tableAttributes[0], (WalkedAttribute{"CHANGE_LOG", 0x00820004, log}));
    EXPECT_EQ(d.tableAttributes[1], (WalkedAttribute{"uni", 0x804A0002, {0x41, 0, 0x42, 0}}));
    const std::vector<WalkedItem> expected = {
        value({4}),
        value({'a', 'b', 'c'}),
        value({0x00, 0x00, 0x80, 0x3F}),
        value(bcd),
        WalkedItem{0, -1, {}},
        value(Bytes(8, 0xFF)),
        value({0xFE}),
        value({0}),
        unchangedItem(),
        nullItem(),
        value(bcd),
        value({1, 2, 3}),
        unchangedItem(),
        nullItem(),
    };
    EXPECT_EQ(d.items, expected);
}

// A nested-table column: its own columns after its descriptor, its rows inside the parent's.
TEST(PacketRoundTrip, NestedTable) {
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacket(kPacketVersion, 2), DBIERR_NONE);
    ASSERT_EQ(w->addColumnDesc(column("id", 0x00010004)), 0);
    ASSERT_EQ(w->addColumnDesc(column("detail", 0x050E0001)), 0);
    ASSERT_EQ(w->addColumnDesc(column("line", 0x00490001)), 0);
    ASSERT_EQ(w->addAttribute(attrTable, nullptr, 0, 0, nullptr), 0);  // back to the parent
    const unsigned char st = 0;
    const std::int32_t id = 7;
    const std::uint32_t two = 2, open = 0xFFFFFFFF;
    ASSERT_EQ(w->putField(putValue, 1, &st), 0);
    ASSERT_EQ(w->putField(putValue, 4, &id), 0);
    ASSERT_EQ(w->putField(putValue, 4, &two), 0);
    for (const char* line : {"a", "bc"}) {
        ASSERT_EQ(w->putField(putValue, 1, &st), 0);
        ASSERT_EQ(w->putField(putValue, static_cast<std::int32_t>(strlen(line)), line), 0);
    }
    ASSERT_EQ(w->putField(putValue, 1, &st), 0);  // second parent row, open-ended detail
    ASSERT_EQ(w->putField(putValue, 4, &id), 0);
    ASSERT_EQ(w->putField(putValue, 4, &open), 0);
    ASSERT_EQ(w->putField(putValue, 1, &st), 0);
    ASSERT_EQ(w->putField(putValue, 1, "z"), 0);
    ASSERT_EQ(w->endNestedRows(), 0);
    Bytes packet;
    ASSERT_EQ(w->getPacket(&packet), DBIERR_NONE);
    EXPECT_EQ(decodeFixed16(packet.data() + kHdrMajorVersion), 2);
    EXPECT_EQ(decodeFixed32(packet.data() + kHdrRowCount), 2u);

    auto r = createPacketReader();
    ASSERT_EQ(r->openPacket(std::make_shared<const Bytes>(packet)), DBIERR_NONE);
    PacketColumnDesc c;
    std::uint32_t n;
    ASSERT_EQ(r->nextColumnDesc(&c), 0);
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);
    ASSERT_EQ(r->nextColumnDesc(&c), 0);
    EXPECT_STREQ(c.szName, "detail");
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);
    ASSERT_EQ(r->nextColumnDesc(&c), 0);
    EXPECT_STREQ(c.szName, "line");
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);  // the nested table's list follows
    ASSERT_EQ(r->nextColumnDesc(&c), errAtEnd);
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);  // back to the parent
    ASSERT_EQ(r->nextColumnDesc(&c), errAtEnd);
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);  // the parent's table list
    ASSERT_EQ(r->nextAttributeLength(&n), errAtEnd);  // metadata complete

    std::vector<Bytes> items;
    for (;;) {
        unsigned char buf[16];
        std::int32_t len = sizeof buf;
        const DBResult rc = r->nextFieldValue(&len, buf, nullptr);
        if (rc == errAtEnd) break;
        ASSERT_EQ(rc, DBIERR_NONE);
        items.emplace_back(buf, buf + len);
    }
    const std::vector<Bytes> expected = {
        {0},        {7, 0, 0, 0}, {2, 0, 0, 0}, {0},          {'a'}, {0},
        {'b', 'c'}, {0},          {7, 0, 0, 0}, {1, 0, 0, 0}, {0},   {'z'},
    };
    EXPECT_EQ(items, expected);
}

TEST(PacketReader, AttachRowsOfAFurtherPacket) {
    const PacketColumnDesc cols[] = {column("s", 0x00490001), column("i", 0x00010002)};
    auto w = createPacketWriter();
    ASSERT_EQ(w->initPacketWithColumns(kPacketVersion, 2, cols), DBIERR_NONE);
    const unsigned char status = 4;
    const std::int16_t v = 7;
    ASSERT_EQ(w->putField(putValue, 1, &status), 0);
    ASSERT_EQ(w->putField(putValue, 2, "ab"), 0);
    ASSERT_EQ(w->putField(putValue, 2, &v), 0);
    Bytes rowsOnly;
    ASSERT_EQ(w->getPacket(&rowsOnly), DBIERR_NONE);

    auto r = createPacketReader();
    auto rows = std::make_shared<const Bytes>(rowsOnly);
    EXPECT_EQ(r->attachRows(rows), errNotApplicable);  // no metadata read yet

    auto w2 = createPacketWriter();
    ASSERT_EQ(w2->initPacket(kPacketVersion, 2), 0);
    ASSERT_EQ(w2->addColumnDesc(cols[0]), 0);
    ASSERT_EQ(w2->addColumnDesc(cols[1]), 0);
    Bytes metadata;
    ASSERT_EQ(w2->getPacket(&metadata), 0);
    WalkedPacket d;
    ASSERT_EQ(dumpPacket(*r, metadata, &d), DBIERR_NONE);
    EXPECT_TRUE(d.items.empty());

    ASSERT_EQ(r->attachRows(rows), DBIERR_NONE);
    std::vector<Bytes> items;
    for (;;) {
        unsigned char buf[8];
        std::int32_t len = sizeof buf;
        const DBResult rc = r->nextFieldValue(&len, buf, nullptr);
        if (rc == errAtEnd) break;
        ASSERT_EQ(rc, DBIERR_NONE);
        items.emplace_back(buf, buf + len);
    }
    EXPECT_EQ(items, (std::vector<Bytes>{{4}, {'a', 'b'}, {7, 0}}));

    // A metadata packet with rows but no row offset, and a packet of another width.
    Bytes noOffset = workedExamplePacket();
    putFixed32(noOffset.data() + kHdrPacketFlags, PF_METADATA);
    putFixed16(noOffset.data() + kHdrColumnCount, 2);
    EXPECT_EQ(r->attachRows(std::make_shared<const Bytes>(noOffset)), errPacketMismatch);
    EXPECT_EQ(r->attachRows(std::make_shared<const Bytes>(workedExamplePacket())),
              errPacketMismatch);
    EXPECT_EQ(r->attachRows(nullptr), errPacketMismatch);
    EXPECT_EQ(r->attachRows(std::make_shared<const Bytes>(hexBytes("3C"))), errPacketMismatch);
}

}  // namespace
