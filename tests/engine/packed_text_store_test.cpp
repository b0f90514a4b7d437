// Text fields are kept packed in the store; what a record buffer and a packet see of them must be
// what fixed-width slots would give: the text, zero-padded to the field's storage length.

#include <gtest/gtest.h>

#include <string>

#include "tests/engine/SmallTable.h"

namespace {

using namespace small;

// The name bytes of a read-back record: the text and then nothing but zeros.
void expectStoredName(const Buffer& b, const std::string& name) {
    EXPECT_EQ(nameOf(b), name);
    for (std::size_t i = name.size(); i < 21; ++i) EXPECT_EQ(b[i], 0) << "byte " << i;
}

std::vector<unsigned char> stream(DSBASE& table) {
    std::vector<unsigned char> packet;
    EXPECT_EQ(table.streamTable(packet), DBIERR_NONE);
    return packet;
}

TEST(PackedTexts, EveryLengthReadsBackZeroPaddedAndStreamsAsBefore) {
    const std::string lengths[] = {"", "A", "Nineteen characters", "Twenty characters!!!",
                                   "Twenty-one characters"};  // the last is cut to the width
    auto t = makeTable();
    for (const std::string& name : lengths) insert(*t, record(name, 7));
    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    for (std::uint32_t r = 1; r <= 5; ++r)
        expectStoredName(read(*t, r), lengths[r - 1].substr(0, 20));

    // A loaded copy holds the same texts and streams the same bytes.
    const auto packet = stream(*t);
    DSBASE copy;
    ASSERT_EQ(copy.appendPacket(std::make_shared<std::vector<unsigned char>>(packet), true),
              DBIERR_NONE);
    for (std::uint32_t r = 1; r <= 5; ++r)
        expectStoredName(read(copy, r), lengths[r - 1].substr(0, 20));
    EXPECT_EQ(stream(copy), packet);
}

TEST(PackedTexts, AWideFieldKeepsItsWholeText) {
    DSBASE table;
    DSFLDDesc fields[1] = {makeDescriptor("NOTE", fldZSTRING, 600)};
    ASSERT_EQ(table.defineTable(1, fields, "Wide"), DBIERR_NONE);
    const std::string note(600, 'n');
    Buffer b(602, 0);  // the text, its terminating zero, the indicator
    std::memcpy(b.data(), note.data(), note.size());
    std::uint32_t r = 0;
    ASSERT_EQ(table.storeInsert(b.data(), &r), DBIERR_NONE);
    Buffer back(602, 0xEE);
    ASSERT_EQ(table.storeRead(r, back.data()), DBIERR_NONE);
    EXPECT_EQ(back, b);
}

TEST(PackedTexts, AValueGrowingAndShrinkingUnderEditsKeepsEveryVersion) {
    auto t = makeTable();
    std::uint32_t r = insert(*t, record("Short", 1));
    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    const std::string versions[] = {"A much longer name!", "", "Mid", "Twenty characters!!!"};
    std::vector<std::uint32_t> slots{r};
    for (const std::string& v : versions) {
        r = modify(*t, r, record(v, 1));
        slots.push_back(r);
        expectStoredName(read(*t, r), v);
    }
    // Every superseded version still reads its own text until the merge.
    expectStoredName(read(*t, slots[0]), "Short");
    for (std::size_t i = 0; i < 4; ++i) expectStoredName(read(*t, slots[i + 1]), versions[i]);
    // Undoing walks back through them.
    std::uint32_t current = 0;
    ASSERT_EQ(t->undoLastEntry(&current), DBIERR_NONE);
    expectStoredName(read(*t, current), "Mid");
    ASSERT_EQ(t->undoLastEntry(&current), DBIERR_NONE);
    expectStoredName(read(*t, current), "");

    // In place when changes are not logged.
    ASSERT_EQ(t->setProperty(propLogChanges, 0), DBIERR_NONE);
    ASSERT_EQ(t->storeModify(current, record("Grown again", 1).data(), &r), DBIERR_NONE);
    EXPECT_EQ(r, current);
    expectStoredName(read(*t, r), "Grown again");
    ASSERT_EQ(t->storeModify(current, record("G", 1).data(), &r), DBIERR_NONE);
    expectStoredName(read(*t, r), "G");
}

TEST(PackedTexts, TheMergeReclaimsSupersededValues) {
    auto t = makeTable();
    for (int i = 0; i < 10; ++i) insert(*t, record("Station " + std::to_string(i), i));
    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    const std::size_t before = t->store().arenaBytes();

    // Five new versions of every record: the old ones stay in use until the merge.
    for (std::uint32_t p = 1; p <= 10; ++p) {
        std::uint32_t r = t->defaultOrder()->order[p - 1];
        for (int v = 0; v < 5; ++v) r = modify(*t, r, record("Renamed " + std::to_string(v), 0));
    }
    EXPECT_EQ(t->store().garbageBytes(), 0u);
    EXPECT_GT(t->store().arenaBytes(), 5 * before);

    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(t->store().garbageBytes(), 0u);
    // Left: one packed row per record, a length byte and the nine bytes of "Renamed 4".
    EXPECT_EQ(t->store().arenaBytes(), 10u * (1 + 9));
    for (std::uint32_t r : order(*t)) expectStoredName(read(*t, r), "Renamed 4");

    // The table streams as one built with the final values from the start.
    auto fresh = makeTable();
    for (int i = 0; i < 10; ++i) insert(*fresh, record("Renamed 4", 0));
    ASSERT_EQ(fresh->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(stream(*t), stream(*fresh));
}

// A row as a packet reader delivers it is stored as if its values had been placed in a record
// buffer: texts cut to their width and at a zero byte, varying values cut to theirs, short fixed
// values zero-padded, a BLOB value null (it has no storage), null and unassigned kept apart.
TEST(LoadedRows, AreStoredAsARecordBufferWouldHoldThem) {
    DSBASE table;
    // NAME at 0 (6 bytes), DATA at 6 (2 + 4), CODE at 12 (3), N at 15 (4), PIC at 19 (4);
    // indicators at 23 to 27.
    DSFLDDesc fields[5] = {makeDescriptor("NAME", fldZSTRING, 5),
                           makeDescriptor("DATA", fldVARBYTES, 4),
                           makeDescriptor("CODE", fldBYTES, 3), makeDescriptor("N", fldINT32, 0),
                           makeDescriptor("PIC", fldBLOB, 0)};
    ASSERT_EQ(table.defineTable(5, fields, "Loaded"), DBIERR_NONE);
    ASSERT_EQ(table.recordLength(), 28u);

    auto value = [](const std::string& bytes) {
        return RowValue{indValue, static_cast<std::int32_t>(bytes.size()),
                        reinterpret_cast<const unsigned char*>(bytes.data())};
    };
    const std::string longName = "abcdefgh", zeroInName("ab\0cd", 5), longData = "xyz12345",
                      code = "QW", number("\x2A\0\0\0", 4), picture = "blob", empty;
    const RowValue null{indNull, 0, nullptr}, unassigned{indUnassigned, 0, nullptr};
    struct Case {
        std::vector<RowValue> values;
        std::uint8_t status;
        Buffer expected;
    };
    const Case cases[] = {
        {{value(longName), value(longData), value(code), value(number), value(picture)},
         0,
         {'a', 'b',  'c', 'd', 'e', 0, 4, 0, 'x', 'y',      'z',      '1',      'Q',      'W',
          0,   0x2A, 0,   0,   0,   0, 0, 0, 0,   indValue, indValue, indValue, indValue, indNull}},
        {{value(zeroInName), null, unassigned, null, null},
         4,
         {'a',     'b',    0, 0, 0, 0, 0, 0, 0, 0, 0,        0,       0,
          0,       0,      0, 0, 0, 0, 0, 0, 0, 0, indValue, indNull, indUnassigned,
          indNull, indNull}},
        {{value(empty), value(empty), value(empty), unassigned, unassigned},
         0,
         {0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          indValue,
          indValue,
          indValue,
          indUnassigned,
          indUnassigned}},
    };
    for (const Case& c : cases) {
        std::uint32_t r = 0;
        ASSERT_EQ(table.storeLoadedRow(c.values.data(), c.status, &r), DBIERR_NONE);
        Buffer back(28, 0xEE);
        ASSERT_EQ(table.storeRead(r, back.data()), DBIERR_NONE);
        EXPECT_EQ(back, c.expected) << "row " << r;
        std::uint8_t status = 0xEE;
        ASSERT_EQ(table.storeReadField(r, 0, &status, nullptr), DBIERR_NONE);
        EXPECT_EQ(status, c.status) << "row " << r;
    }
}

}  // namespace
