#include <gtest/gtest.h>

#include <cstring>

#include "engine/DSBASE.h"
#include "engine/EngineFactory.h"
#include "tests/engine/StationTable.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::shared_ptr<DSBASE> defineTable(std::vector<DSFLDDesc> fields) {
    auto table = std::make_shared<DSBASE>();
    EXPECT_EQ(table->defineTable(static_cast<std::uint32_t>(fields.size()), fields.data(), "T"),
              DBIERR_NONE);
    return table;
}

// A record buffer of the table's layout, every field null.
struct Record {
    explicit Record(DSBASE& table) : t(table), bytes(table.recordLength(), 0) {
        for (const auto& f : t.fields()) bytes[f.iNullOffsInRec] = indNull;
    }
    Record& set(int field, const void* value, std::size_t n) {
        const DSFLDDesc& f = t.fields()[field];
        std::memcpy(bytes.data() + f.iFldOffsInRec, value, n);
        bytes[f.iNullOffsInRec] = indValue;
        return *this;
    }
    Record& text(int field, const char* s) { return set(field, s, std::strlen(s) + 1); }
    Record& i32(int field, std::int32_t v) { return set(field, &v, 4); }
    std::uint32_t insert() {
        std::uint32_t r = 0;
        EXPECT_EQ(t.storeInsert(bytes.data(), &r), DBIERR_NONE);
        return r;
    }
    DSBASE& t;
    Bytes bytes;
};

TEST(StreamTable, WorkedExampleIsWrittenByteForByte) {
    auto table =
        defineTable({makeDescriptor("电台名称", fldZSTRING, 20),
                     makeDescriptor("开始时间", fldTIME, 0), makeDescriptor("间隔", fldINT32, 0)});
    Record(*table).text(0, "Radio").i32(1, 30'600'000).i32(2, 15).insert();
    Record(*table).i32(2, 0).insert();
    ASSERT_EQ(table->commitChangeLog(), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(table->streamTable(packet), DBIERR_NONE);
    const Bytes expected = {
        0x96, 0x19, 0xE0, 0xBD,  // magic
        0x01, 0x00, 0x00, 0x00,  // version 1.0
        0x18, 0x00, 0x00, 0x00,  // header size 24
        0x03, 0x00,              // three columns
        0x02, 0x00, 0x00, 0x00,  // two rows
        0x03, 0x00, 0x00, 0x00,  // metadata + row offset
        0x5F, 0x00,              // rows at 95
        0x0C, 0xE7, 0x94, 0xB5, 0xE5, 0x8F, 0xB0, 0xE5, 0x90, 0x8D, 0xE7, 0xA7, 0xB0,  // 电台名称
        0x01, 0x00, 0x49, 0x00,  // string, 1-byte prefix
        0x00, 0x00, 0x01, 0x00,  // attributes 0, one column attribute
        0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02, 0x00, 0x14, 0x00,        // WIDTH = 20
        0x0C, 0xE5, 0xBC, 0x80, 0xE5, 0xA7, 0x8B, 0xE6, 0x97, 0xB6, 0xE9, 0x97, 0xB4,  // 开始时间
        0x04, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,  // time, no attributes
        0x06, 0xE9, 0x97, 0xB4, 0xE9, 0x9A, 0x94,        // 间隔
        0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,  // i4, no attributes
        0x00, 0x00,                                      // no table attributes
        0x00, 0x00, 0x05, 'R',  'a',  'd',  'i',  'o',  0x40, 0xEB, 0xD2, 0x01, 0x0F,
        0x00, 0x00, 0x00,                    // row 1
        0x00, 0x05, 0x00, 0x00, 0x00, 0x00,  // row 2
    };
    EXPECT_EQ(packet.size(), 117u);
    EXPECT_EQ(packet, expected);
}

TEST(StreamTable, EmptyStationTableIsHeaderAndMetadataOnly) {
    auto table = defineTable(stationDescriptors());
    Bytes packet;
    ASSERT_EQ(table->streamTable(packet), DBIERR_NONE);
    ASSERT_EQ(packet.size(), 619u);
    EXPECT_EQ(packet[18], 0x03);                     // packetFlags
    EXPECT_EQ(packet[22] | (packet[23] << 8), 619);  // rowDataOffset = length
    EXPECT_EQ(packet[14], 0);                        // rowCount 0
    // saving twice gives the same bytes
    Bytes again;
    ASSERT_EQ(table->streamTable(again), DBIERR_NONE);
    EXPECT_EQ(again, packet);
}

TEST(StreamTable, PendingChangeLogWritesEverySlotAndTheLog) {
    auto table = defineTable({makeDescriptor("N", fldINT32, 0)});
    const std::uint32_t a = Record(*table).i32(0, 1).insert();
    Record modified(*table);
    modified.i32(0, 2);
    std::uint32_t a2 = 0;
    ASSERT_EQ(table->storeModify(a, modified.bytes.data(), &a2), DBIERR_NONE);
    const std::uint32_t b = Record(*table).i32(0, 3).insert();
    ASSERT_EQ(table->storeDelete(b), DBIERR_NONE);
    Bytes packet;
    ASSERT_EQ(table->streamTable(packet), DBIERR_NONE);
    // three slots: 1 superseded (0x05), 2 its new version (0x0C), 3 deleted insert (0x06)
    const std::size_t rowsAt = packet[22] | (packet[23] << 8);
    const Bytes rows(packet.begin() + static_cast<long>(rowsAt), packet.end());
    const Bytes expectedRows = {0x05, 0x00, 1, 0,    0,    0, 0x0C, 0x00, 2,
                                0,    0,    0, 0x06, 0x00, 3, 0,    0,    0};
    EXPECT_EQ(rows, expectedRows);
    // "CHANGE_LOG": (1,0,insert) (2,1,modify) (3,0,insert) (3,0,delete)
    const char name[] = "CHANGE_LOG";
    auto at = std::search(packet.begin(), packet.end(), name, name + 10);
    ASSERT_NE(at, packet.end());
    const Bytes log(at + 10, at + 10 + 4 + 4 + 12 * 4);
    const Bytes expectedLog = {0x04, 0x00, 0x82, 0x00, 12, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0,
                               0,    2,    0,    0,    0,  1, 0, 0, 0, 8, 0, 0, 0, 3, 0, 0, 0, 0, 0,
                               0,    0,    4,    0,    0,  0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(log, expectedLog);

    ASSERT_EQ(table->commitChangeLog(), DBIERR_NONE);
    ASSERT_EQ(table->streamTable(packet), DBIERR_NONE);
    const std::size_t mergedRowsAt = packet[22] | (packet[23] << 8);
    EXPECT_EQ(Bytes(packet.begin() + static_cast<long>(mergedRowsAt), packet.end()),
              (Bytes{0x00, 0x00, 2, 0, 0, 0}));
}

TEST(StreamTable, FailuresLeaveNoPacket) {
    auto undefined = std::make_shared<DSBASE>();
    Bytes packet{1, 2, 3};
    EXPECT_EQ(undefined->streamTable(packet), errPacketMismatch);
    EXPECT_TRUE(packet.empty());
    auto rowState = defineTable({makeDescriptor("RowState", fldINT32, 0)});
    EXPECT_EQ(rowState->streamTable(packet), errNotApplicable);
    EXPECT_TRUE(packet.empty());
}

}  // namespace
