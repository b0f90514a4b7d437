#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "engine/DSBASE.h"
#include "tests/engine/StationTable.h"

namespace {

using Bytes = std::vector<unsigned char>;

PacketBytes bytesOf(Bytes b) {
    return std::make_shared<const Bytes>(std::move(b));
}

// The three-column, two-row packet: "电台名称" string(20), "开始时间" time, "间隔" i4.
const Bytes kExample = {
    0x96, 0x19, 0xE0, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02,
    0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x5F, 0x00, 0x0C, 0xE7, 0x94, 0xB5, 0xE5, 0x8F,
    0xB0, 0xE5, 0x90, 0x8D, 0xE7, 0xA7, 0xB0, 0x01, 0x00, 0x49, 0x00, 0x00, 0x00, 0x01, 0x00,
    0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02, 0x00, 0x14, 0x00, 0x0C, 0xE5, 0xBC,
    0x80, 0xE5, 0xA7, 0x8B, 0xE6, 0x97, 0xB6, 0xE9, 0x97, 0xB4, 0x04, 0x00, 0x07, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x06, 0xE9, 0x97, 0xB4, 0xE9, 0x9A, 0x94, 0x04, 0x00, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 'R',  'a',  'd',  'i',  'o',  0x40, 0xEB,
    0xD2, 0x01, 0x0F, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00,
};

Bytes stream(DSBASE& t) {
    Bytes out;
    EXPECT_EQ(t.streamTable(out), DBIERR_NONE);
    return out;
}

TEST(AppendPacket, WorkedExampleLoadsAndStreamsBackTheSameBytes) {
    ASSERT_EQ(kExample.size(), 117u);
    DSBASE table;
    ASSERT_EQ(table.appendPacket(bytesOf(kExample), true), DBIERR_NONE);
    ASSERT_EQ(table.fields().size(), 3u);
    EXPECT_EQ(table.fields()[0].iFldType, fldZSTRING);
    EXPECT_EQ(table.fields()[0].iUnits1, 20);
    EXPECT_EQ(table.fields()[0].iFldLen, 21);
    EXPECT_EQ(table.fields()[1].iFldType, fldTIME);
    EXPECT_EQ(table.fields()[2].iFldType, fldINT32);
    EXPECT_EQ(table.liveCount(), 2u);
    char name[21] = {};
    std::uint8_t indicator = 9;
    ASSERT_EQ(table.storeReadField(1, 1, name, &indicator), DBIERR_NONE);
    EXPECT_STREQ(name, "Radio");
    EXPECT_EQ(indicator, indValue);
    ASSERT_EQ(table.storeReadField(2, 1, nullptr, &indicator), DBIERR_NONE);
    EXPECT_EQ(indicator, indNull);
    ASSERT_EQ(table.storeReadField(2, 2, nullptr, &indicator), DBIERR_NONE);
    EXPECT_EQ(indicator, indNull);
    EXPECT_EQ(stream(table), kExample);
}

TEST(AppendPacket, PendingChangeLogSurvivesSaveAndLoad) {
    DSBASE source;
    DSFLDDesc field = makeDescriptor("N", fldINT32, 0);
    ASSERT_EQ(source.defineTable(1, &field, "T"), DBIERR_NONE);
    unsigned char record[5] = {7, 0, 0, 0, indValue};
    std::uint32_t r = 0;
    ASSERT_EQ(source.storeInsert(record, &r), DBIERR_NONE);
    const Bytes saved = stream(source);

    DSBASE loaded;
    ASSERT_EQ(loaded.appendPacket(bytesOf(saved), true), DBIERR_NONE);
    EXPECT_EQ(loaded.recordStatus(1), recInserted);
    ASSERT_EQ(loaded.changeLog().count(), 1u);
    EXPECT_EQ(loaded.changeLog().entries()[0], (DSLogEntry{1, 0, logInsert}));
    std::uint32_t changes = 0;
    ASSERT_EQ(loaded.getProperty(propChangeCount, &changes), DBIERR_NONE);
    EXPECT_EQ(changes, 1u);
    EXPECT_EQ(stream(loaded), saved);
    ASSERT_EQ(loaded.commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(loaded.recordStatus(1), recUnmodified);
}

TEST(AppendPacket, StationTableRoundTripsEmptyAndKeepsUnknownAttributes) {
    DSBASE source;
    auto fields = stationDescriptors();
    ASSERT_EQ(source.defineTable(20, fields.data(), "ClientDataSet1"), DBIERR_NONE);
    const char value[] = "kept";
    ASSERT_EQ(source.addOptionalParameter(0, "MYATTR", 0x00490001u, sizeof value, value),
              DBIERR_NONE);
    ASSERT_EQ(source.addOptionalParameter(9, "COLATTR", 0x00020002u, 2, "\x05\x00"), DBIERR_NONE);
    const Bytes saved = stream(source);
    DSBASE loaded;
    ASSERT_EQ(loaded.appendPacket(bytesOf(saved), true), DBIERR_NONE);
    EXPECT_EQ(loaded.fields().size(), 20u);
    EXPECT_EQ(loaded.recordLength(), 514u);
    EXPECT_EQ(stream(loaded), saved);
    std::uint32_t type = 0, length = 0;
    EXPECT_EQ(loaded.getOptionalParameter(0, "myattr", &type, &length, nullptr), DBIERR_NONE);
    EXPECT_EQ(loaded.getOptionalParameter(9, "COLATTR", &type, &length, nullptr), DBIERR_NONE);
}

TEST(AppendPacket, BrokenPacketsFailWithTheirCodesAndLeaveTheTableUndefined) {
    auto patched = [](std::size_t at, std::initializer_list<unsigned char> bytes) {
        Bytes b = kExample;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        DBResult expected;
    };
    Bytes noWidth = kExample;
    // drop the WIDTH attribute: attribute count 0 and the 12 attribute bytes
    noWidth[43] = 0;
    noWidth.erase(noWidth.begin() + 45, noWidth.begin() + 57);
    noWidth[22] = static_cast<unsigned char>(0x5F - 12);
    const Case cases[] = {
        {"empty", {}, errPacketMismatch},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, errPacketMismatch},
        {"major version 4", patched(4, {0x04}), errPacketMismatch},
        {"no metadata flag", patched(18, {0x02}), errNoMetadata},
        {"column name of length 0", patched(24, {0x00}), errFieldNameNull},
        {"string column without width", noWidth, errInvalidParameter},
        {"time of size 6", patched(70, {0x06}), errInvalidFieldType},
        {"cut inside a row", Bytes(kExample.begin(), kExample.end() - 3), errPacketMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DSBASE table;
        EXPECT_EQ(table.appendPacket(bytesOf(c.bytes), true), c.expected);
        EXPECT_FALSE(table.isDefined());
        EXPECT_TRUE(table.fields().empty());
    }
    DSBASE table;
    EXPECT_EQ(table.appendPacket(nullptr, true), errNotApplicable);
}

TEST(AppendPacket, LongNamesAndLongValuesAreCut) {
    // One string column of width 4 named with 40 bytes, one row whose value has 6 bytes.
    Bytes b = {0x96, 0x19, 0xE0, 0xBD, 1, 0, 0, 0, 24, 0, 0, 0, 1,
               0,    1,    0,    0,    0, 1, 0, 0, 0,  0, 0, 40};
    for (int i = 0; i < 40; ++i) b.push_back(static_cast<unsigned char>('a' + i % 26));
    const Bytes rest = {0x01, 0x00, 0x49, 0x00, 0x00, 0x00, 0x01, 0x00,  // string, one attribute
                        0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02,
                        0x00, 0x04, 0x00,  // WIDTH 4
                        0x00, 0x00,        // no table attributes
                        0x00, 0x00, 0x06, 'a',  'b',  'c',  'd',  'e',  'f'};  // the row
    b.insert(b.end(), rest.begin(), rest.end());
    DSBASE table;
    ASSERT_EQ(table.appendPacket(bytesOf(b), true), DBIERR_NONE);
    EXPECT_EQ(std::string(table.fields()[0].szName),
              std::string("abcdefghijklmnopqrstuvwxyzabcde"));
    char value[5] = {};
    ASSERT_EQ(table.storeReadField(1, 1, value, nullptr), DBIERR_NONE);
    EXPECT_STREQ(value, "abcd");
}

TEST(AppendPacket, AppendingNeedsATableCreatedFromAPacket) {
    DSBASE defined;
    DSFLDDesc field = makeDescriptor("N", fldINT32, 0);
    ASSERT_EQ(defined.defineTable(1, &field, "T"), DBIERR_NONE);
    EXPECT_EQ(defined.appendPacket(bytesOf(kExample), true), errNotPartial);
    EXPECT_EQ(defined.appendPacket(nullptr, true), errNotPartial);
}

}  // namespace

namespace {
// A structure column has a slot of its own in every row: streaming and loading must both keep
// it, or the writer falls out of step with the fields (found by fuzzing appendPacket).
TEST(AppendPacket, StructureColumnsKeepTheirRowSlot) {
    std::ifstream in(std::string(ROVENA_FIXTURES_DIR) + "/regression_structure_slot.cds",
                     std::ios::binary);
    const Bytes packet((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(packet.empty());
    DSBASE table;
    ASSERT_EQ(table.appendPacket(bytesOf(packet), true), DBIERR_NONE);
    Bytes out;
    ASSERT_EQ(table.streamTable(out), DBIERR_NONE);
    DSBASE again;
    ASSERT_EQ(again.appendPacket(bytesOf(out), true), DBIERR_NONE);
    EXPECT_EQ(again.liveCount(), table.liveCount());
    EXPECT_EQ(stream(again), out);
}

// A null value costs the packet two bits but the store its whole width, so a few kilobytes of
// packet can announce rows worth hundreds of megabytes. A damaged packet of that kind must fail
// on its damage, not on the memory reserved ahead of its rows (found by fuzzing appendPacket).
TEST(AppendPacket, WideRecordsAreNotReservedAheadOfTheirRows) {
    DSBASE source;
    DSFLDDesc field = makeDescriptor("WIDE", fldZSTRING, 60000);
    ASSERT_EQ(source.defineTable(1, &field, "T"), DBIERR_NONE);
    std::vector<unsigned char> record(source.recordLength(), 0);
    record[static_cast<std::size_t>(source.fields()[0].iNullOffsInRec)] = indNull;
    std::uint32_t r = 0;
    ASSERT_EQ(source.storeInsert(record.data(), &r), DBIERR_NONE);
    ASSERT_EQ(source.commitChangeLog(), DBIERR_NONE);
    Bytes packet = stream(source);
    const Bytes nullRow(packet.end() - 2, packet.end());

    // Announce 2 000 rows; the second holds a value whose length runs past the packet, and
    // filler bytes follow, so the packet looks as if it could hold them all.
    const std::uint32_t announced = 2000;
    std::memcpy(packet.data() + 14, &announced, 4);
    packet.insert(packet.end(), {0x00, 0x00, 0xFF, 0xFF});
    packet.insert(packet.end(), 4000, 0x00);

    DSBASE table;
    table.setStoreByteLimit(100u << 20);  // 2 000 slots of 60 KB would need 120 MB
    const DBResult rc = table.appendPacket(bytesOf(packet), true);
    EXPECT_NE(rc, DBIERR_NONE);
    EXPECT_NE(rc, errNoMemory);

    // The same packet without the damage loads every row it really holds.
    Bytes sound = stream(source);
    for (int i = 0; i < 2; ++i) sound.insert(sound.end(), nullRow.begin(), nullRow.end());
    const std::uint32_t three = 3;
    std::memcpy(sound.data() + 14, &three, 4);
    DSBASE loaded;
    loaded.setStoreByteLimit(100u << 20);
    ASSERT_EQ(loaded.appendPacket(bytesOf(sound), true), DBIERR_NONE);
    EXPECT_EQ(loaded.liveCount(), 3u);
}
}  // namespace
