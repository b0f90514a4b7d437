#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "packet/SubtypeNames.h"
#include "tests/engine/SmallTable.h"

namespace {

using namespace small;

TEST(RecordStore, FirstInsertIsLoggedAndTheMergeMakesItUnmodified) {
    auto t = makeTable();
    EXPECT_EQ(t->capacity(), 0u);
    EXPECT_EQ(insert(*t, record("A", 1)), 1u);
    EXPECT_EQ(t->capacity(), 100u);
    EXPECT_EQ(t->nextRecord(), 2u);
    EXPECT_EQ(t->recordStatus(1), recInserted);
    ASSERT_EQ(t->changeLog().count(), 1u);
    EXPECT_EQ(t->changeLog().entries()[0], (DSLogEntry{1, 0, logInsert}));
    EXPECT_EQ(t->changeLog().capacity(), 3u);
    EXPECT_EQ(changes(*t), 1u);

    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(t->recordStatus(1), recUnmodified);
    EXPECT_TRUE(t->changeLog().empty());
    EXPECT_EQ(changes(*t), 0u);
    EXPECT_EQ(nameOf(read(*t, 1)), "A");
}

TEST(RecordStore, ModificationBeforeTheMergeWritesANewVersionInTheOldPlace) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    insert(*t, record("C", 3));  // record 3, inserted
    EXPECT_EQ(modify(*t, 3, record("C2", 3)), 4u);
    EXPECT_EQ(t->recordStatus(3), recInserted | recSuperseded);  // 0x05
    EXPECT_EQ(t->recordStatus(4), recInserted | recModified);    // 0x0C
    EXPECT_EQ(changes(*t), 1u);                                  // still one insert
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1, 2, 4}));
    EXPECT_EQ(modify(*t, 1, record("A2", 1)), 5u);
    EXPECT_EQ(t->recordStatus(5), recModified);
    EXPECT_EQ(changes(*t), 2u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{5, 2, 4}));

    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(t->recordStatus(1), recSuperseded | recReleased);
    EXPECT_EQ(t->recordStatus(3), recInserted | recSuperseded | recReleased);
    EXPECT_EQ(t->recordStatus(4), recUnmodified);
    EXPECT_EQ(t->recordStatus(5), recUnmodified);
    EXPECT_EQ(t->nextRecord(), 6u);
    EXPECT_EQ(t->releasedCount(), 2u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{5, 2, 4}));
    // a released slot's fields are null
    EXPECT_EQ(read(*t, 1)[kNameIndicator], indNull);
    EXPECT_EQ(read(*t, 1)[kNumberIndicator], indNull);
}

TEST(RecordStore, ModifyingTheFirstRecordOfAnEmptyTableBeforeTheMerge) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    EXPECT_EQ(modify(*t, 1, record("B", 1)), 2u);
    EXPECT_EQ(t->recordStatus(2), 0x0C);
    EXPECT_EQ(t->recordStatus(1), 0x05);
    EXPECT_EQ(changes(*t), 1u);
    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(t->recordStatus(1) & recReleased, recReleased);
    EXPECT_EQ(t->nextRecord(), 3u);
    EXPECT_EQ(t->releasedCount(), 1u);
    EXPECT_EQ(t->recordStatus(2), recUnmodified);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{2}));
}

TEST(RecordStore, InsertThenDeleteIsNoChangeAndTheHighestSlotIsReused) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    EXPECT_EQ(t->recordStatus(2), recInserted | recDeleted);
    EXPECT_EQ(t->liveCount(), 1u);
    EXPECT_EQ(changes(*t), 1u);  // only A's insert remains
    ASSERT_EQ(t->storeDelete(1), DBIERR_NONE);
    EXPECT_EQ(changes(*t), 0u);

    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    // slot 1 is released first (not the highest then), slot 2 gives its number back
    EXPECT_EQ(t->nextRecord(), 2u);
    EXPECT_EQ(t->releasedCount(), 1u);
    EXPECT_EQ(insert(*t, record("C", 3)), 2u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{2}));
}

TEST(RecordStore, DeletingAMergedRecordCountsAndTheMergeReleasesIt) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    t->commitChangeLog();
    ASSERT_EQ(t->storeDelete(1), DBIERR_NONE);
    EXPECT_EQ(changes(*t), 1u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{2}));
    // the deleted record's values stay until the merge
    EXPECT_EQ(nameOf(read(*t, 1)), "A");
    t->commitChangeLog();
    EXPECT_EQ(t->recordStatus(1), recDeleted | recReleased);
    EXPECT_EQ(t->releasedCount(), 1u);
    EXPECT_EQ(t->nextRecord(), 3u);
}

TEST(RecordStore, MergeFollowsEveryChainOfVersions) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    t->commitChangeLog();
    EXPECT_EQ(modify(*t, 1, record("A2", 1)), 3u);
    EXPECT_EQ(modify(*t, 3, record("A3", 1)), 4u);
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    EXPECT_EQ(insert(*t, record("C", 3)), 5u);
    EXPECT_EQ(modify(*t, 5, record("C2", 3)), 6u);
    ASSERT_EQ(t->storeDelete(6), DBIERR_NONE);
    EXPECT_EQ(changes(*t), 2u);  // A modified, B deleted; C came and went

    ASSERT_EQ(t->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(t->recordStatus(4), recUnmodified);
    for (std::uint32_t r : {1u, 2u, 3u, 5u}) EXPECT_TRUE(t->recordStatus(r) & recReleased) << r;
    // 6 was the highest slot when it was released last: its number is given back
    EXPECT_EQ(t->nextRecord(), 6u);
    EXPECT_EQ(t->releasedCount(), 4u);
    EXPECT_EQ(t->liveCount(), 1u);
    EXPECT_EQ(nameOf(read(*t, 4)), "A3");
}

TEST(RecordStore, ModificationEqualToThePreviousVersionIsNoChange) {
    auto t = makeTable();
    const auto base = record("Radio", 7);
    insert(*t, base);
    t->commitChangeLog();

    struct Case {
        const char* what;
        void (*edit)(Buffer&);
        std::uint32_t changes;
    };
    const Case cases[] = {
        {"identical", [](Buffer&) {}, 0},
        {"bytes after the string's end differ", [](Buffer& b) { b[10] = 'x'; }, 0},
        {"null time kept null as unassigned", [](Buffer& b) { b[kTimeIndicator] = indUnassigned; },
         0},
        {"unassigned number is not compared",
         [](Buffer& b) {
             b[kNumberIndicator] = indUnassigned;
             b[25] = 99;
         },
         0},
        {"number changed", [](Buffer& b) { b[25] = 8; }, 1},
        {"name made null", [](Buffer& b) { b[kNameIndicator] = indNull; }, 1},
        {"null time given a value", [](Buffer& b) { b[kTimeIndicator] = indValue; }, 1},
        {"name shortened", [](Buffer& b) { b[4] = 0; }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Buffer b = base;
        c.edit(b);
        const std::uint32_t current = order(*t)[0];
        modify(*t, current, b);
        EXPECT_EQ(changes(*t), c.changes);
        EXPECT_EQ(t->changeLog().count(), 1u);  // the modification is logged either way
        std::uint32_t back = 0;
        ASSERT_EQ(t->undoLastEntry(&back), DBIERR_NONE);
        EXPECT_EQ(back, current);
    }
}

TEST(RecordStore, ChangedRecordMustBeALiveSlotInUse) {
    auto t = makeTable();
    insert(*t, record("A", 1));      // 1: superseded below
    insert(*t, record("B", 2));      // 2: deleted below
    insert(*t, record("C", 3));      // 3: live
    insert(*t, record("D", 4));      // 4: released by the merge
    modify(*t, 1, record("A2", 1));  // 5
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    ASSERT_EQ(t->storeDelete(4), DBIERR_NONE);
    insert(*t, record("E", 5));  // 6, keeps slot 4 below the highest
    struct Case {
        std::uint32_t record;
        DBResult expected;
    };
    const Case beforeMerge[] = {{0, errOutOfRange},    {7, errOutOfRange},
                                {8, errOutOfRange},    {1, errNotApplicable},
                                {2, errNotApplicable}, {0xFFFFFFFF, errOutOfRange}};
    for (const auto& c : beforeMerge) {
        SCOPED_TRACE(c.record);
        std::uint32_t r = 0;
        const auto next = t->nextRecord();
        const auto logged = t->changeLog().count();
        EXPECT_EQ(t->storeModify(c.record, record("X", 0).data(), &r), c.expected);
        EXPECT_EQ(t->storeDelete(c.record), c.expected);
        EXPECT_EQ(t->nextRecord(), next);
        EXPECT_EQ(t->changeLog().count(), logged);
    }
    t->commitChangeLog();
    EXPECT_EQ(t->recordStatus(4) & recReleased, recReleased);
    std::uint32_t r = 0;
    EXPECT_EQ(t->storeModify(4, record("X", 0).data(), &r), errNotApplicable);
    EXPECT_EQ(t->storeDelete(4), errNotApplicable);
    EXPECT_EQ(t->storeModify(3, record("C2", 3).data(), &r), DBIERR_NONE);
}

TEST(RecordStore, CapacityGrowsByAHundredSlots) {
    auto t = makeTable();
    for (int i = 1; i <= 100; ++i) insert(*t, record("R", i));
    EXPECT_EQ(t->capacity(), 100u);
    EXPECT_EQ(t->nextRecord(), 101u);
    insert(*t, record("R", 101));
    EXPECT_EQ(t->capacity(), 200u);
    // the change log grew 0 -> 3 -> 19 -> 35 -> ... -> 115
    EXPECT_EQ(t->changeLog().capacity(), 115u);
    EXPECT_EQ(numberOf(read(*t, 57)), 57);
    EXPECT_EQ(numberOf(read(*t, 101)), 101);
    EXPECT_EQ(t->defaultOrder()->capacity, 110u);  // 10, then +50 twice
}

TEST(RecordStore, UndoTakesBackTheNewestChange) {
    auto t = makeTable();
    std::uint32_t r = 0;
    EXPECT_EQ(t->undoLastEntry(&r), errNothingToUndo);

    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    insert(*t, record("C", 3));
    t->commitChangeLog();

    // a deletion comes back where the record stood
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(r, 2u);
    EXPECT_EQ(t->recordStatus(2), recUnmodified);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(t->liveCount(), 3u);

    // a modification: the old version returns to its place, the new slot is given back
    EXPECT_EQ(modify(*t, 2, record("B2", 2)), 4u);
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(r, 2u);
    EXPECT_EQ(t->recordStatus(2), recUnmodified);
    EXPECT_EQ(t->nextRecord(), 4u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1, 2, 3}));

    // an insert: the record goes and its number is reused
    EXPECT_EQ(insert(*t, record("D", 4)), 4u);
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(r, 4u);
    EXPECT_EQ(t->nextRecord(), 4u);
    EXPECT_EQ(t->liveCount(), 3u);
    EXPECT_EQ(insert(*t, record("E", 5)), 4u);
    EXPECT_EQ(nameOf(read(*t, 4)), "E");
    EXPECT_EQ(changes(*t), 1u);
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(t->undoLastEntry(&r), errNothingToUndo);
    EXPECT_EQ(changes(*t), 0u);
}

TEST(RecordStore, UndoingAnInsertGivesBackTheAutoIncrementValue) {
    auto t = makeTable(subtypeAutoinc);  // N is the auto-increment field
    ASSERT_EQ(t->autoIncField(), 2);
    t->setNextAutoIncValue(5);
    insert(*t, record("A", 0));
    std::uint32_t r = 0;
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(t->nextAutoIncValue(), 4u);
}

TEST(RecordStore, UndoSkipsEntriesThatDoNotMatchTheStore) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    t->commitChangeLog();
    // entries as a foreign packet might carry them: a kind 0, an insert of a slot not in use,
    // a deletion of a live record
    ASSERT_EQ(t->appendLogEntry({1, 0, logDelete}), DBIERR_NONE);
    ASSERT_EQ(t->appendLogEntry({9, 0, logInsert}), DBIERR_NONE);
    ASSERT_EQ(t->appendLogEntry({1, 0, 0}), DBIERR_NONE);
    std::uint32_t r = 0;
    EXPECT_EQ(t->undoLastEntry(&r), errNothingToUndo);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(t->liveCount(), 1u);
}

TEST(RecordStore, PermissionToChange) {
    struct Case {
        const char* what;
        std::uint32_t property;
        DBResult insert, modify, remove;
    };
    const Case cases[] = {
        {"read-only", propReadOnly, errReadOnlyData, errReadOnlyData, errReadOnlyData},
        {"inserts disabled", propInsertsDisabled, errReadOnlyData, DBIERR_NONE, DBIERR_NONE},
        {"modifications disabled", propModifiesDisabled, DBIERR_NONE, errReadOnlyData, DBIERR_NONE},
        {"deletes disabled", propDeletesDisabled, DBIERR_NONE, DBIERR_NONE, errReadOnlyData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto t = makeTable();
        insert(*t, record("A", 1));
        insert(*t, record("B", 2));
        ASSERT_EQ(t->setProperty(c.property, 1), DBIERR_NONE);
        const auto next = t->nextRecord();
        std::uint32_t r = 0;
        EXPECT_EQ(t->storeInsert(record("C", 3).data(), &r), c.insert);
        EXPECT_EQ(t->storeModify(1, record("A2", 1).data(), &r), c.modify);
        EXPECT_EQ(t->storeDelete(2), c.remove);
        const std::uint32_t done = (c.insert == 0) + (c.modify == 0);
        EXPECT_EQ(t->nextRecord(), next + done);
        EXPECT_EQ(t->changeLog().count(), 2u + done + (c.remove == 0));

        // with changes not logged, every change is allowed
        ASSERT_EQ(t->setProperty(propLogChanges, 0), DBIERR_NONE);
        EXPECT_EQ(t->storeInsert(record("D", 4).data(), &r), DBIERR_NONE);
        EXPECT_EQ(t->storeModify(r, record("D2", 4).data(), &r), DBIERR_NONE);
        EXPECT_EQ(nameOf(read(*t, r)), "D2");  // in place: same number
    }
}

TEST(RecordStore, FailedGrowthLeavesTheTableAsItWas) {
    auto t = makeTable();
    t->setStoreByteLimit(150 * t->store().bytesPerSlot());  // room for 100 slots, not 200
    for (int i = 1; i <= 100; ++i) insert(*t, record("R", i));
    std::uint32_t r = 0;
    EXPECT_EQ(t->storeInsert(record("X", 0).data(), &r), errNoMemory);
    EXPECT_EQ(t->storeModify(5, record("X", 0).data(), &r), errNoMemory);
    EXPECT_EQ(t->capacity(), 100u);
    EXPECT_EQ(t->nextRecord(), 101u);
    EXPECT_EQ(t->liveCount(), 100u);
    EXPECT_EQ(t->changeLog().count(), 100u);
    EXPECT_EQ(t->recordStatus(5), recInserted);
    EXPECT_EQ(numberOf(read(*t, 100)), 100);
    // deletion needs no room; after a merge the table still works within its slots
    EXPECT_EQ(t->storeDelete(100), DBIERR_NONE);
    t->commitChangeLog();
    EXPECT_EQ(insert(*t, record("Y", 1)), 100u);

    std::uint32_t value = 0;
    EXPECT_EQ(t->getProperty(propLiveRecordCount, &value), DBIERR_NONE);
    EXPECT_EQ(value, 100u);
}

TEST(RecordStore, SetFieldNullInABufferAndInAStoredRecord) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    Buffer b = record("B", 2);
    ASSERT_EQ(t->setFieldNull(b.data(), 0, 1, indNull), DBIERR_NONE);
    EXPECT_EQ(b[kNameIndicator], indNull);
    ASSERT_EQ(t->setFieldNull(b.data(), 0, 3, indUnassigned), DBIERR_NONE);
    EXPECT_EQ(b[kNumberIndicator], indUnassigned);

    ASSERT_EQ(t->setFieldNull(nullptr, 1, 3, indNull), DBIERR_NONE);
    EXPECT_EQ(read(*t, 1)[kNumberIndicator], indNull);
    EXPECT_EQ(t->setFieldNull(nullptr, 2, 3, indNull), DBIERR_NONE);  // slot next: the scratch slot
    EXPECT_EQ(t->setFieldNull(nullptr, 3, 3, indNull), errOutOfRange);
    EXPECT_EQ(t->setFieldNull(nullptr, 0, 3, indNull), errOutOfRange);
    EXPECT_EQ(t->setFieldNull(nullptr, 1, 4, indNull), errOutOfRange);
    EXPECT_EQ(t->setFieldNull(nullptr, 1, 0, indNull), errOutOfRange);

    // a fresh table has no slot at all yet
    auto empty = makeTable();
    EXPECT_EQ(empty->setFieldNull(nullptr, 1, 1, indNull), errOutOfRange);
}

TEST(RecordStore, SetFieldNullOnAStructureNullsTheFieldsInsideIt) {
    DSBASE t;
    // S (structure of 2: X, and an inner structure I of 1: Y), then Z outside
    DSFLDDesc fields[5] = {makeDescriptor("S", fldADT, 2), makeDescriptor("X", fldINT32, 0),
                           makeDescriptor("I", fldADT, 1), makeDescriptor("Y", fldINT16, 0),
                           makeDescriptor("Z", fldINT32, 0)};
    ASSERT_EQ(t.defineTable(5, fields, "T"), DBIERR_NONE);
    Buffer b(t.recordLength(), 0);
    ASSERT_EQ(t.setFieldNull(b.data(), 0, 1, indNull), DBIERR_NONE);
    const std::uint32_t values = t.recordLength() - 5;
    EXPECT_EQ(Buffer(b.begin() + values, b.end()), (Buffer{1, 1, 1, 1, 0}));
}

TEST(RecordStore, SavePointsAndUndoingToThem) {
    auto t = makeTable();
    std::uint32_t sp0 = 99;
    ASSERT_EQ(t->getProperty(propSavePoint, &sp0), DBIERR_NONE);
    EXPECT_EQ(sp0, 0u);
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    std::uint32_t sp2 = 0, again = 0;
    t->getProperty(propSavePoint, &sp2);
    t->getProperty(propSavePoint, &again);
    EXPECT_NE(sp2, 0u);
    EXPECT_EQ(again, sp2);  // same length, same save point
    modify(*t, 1, record("A2", 1));
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    ASSERT_EQ(t->undoToSavePoint(sp2), DBIERR_NONE);
    EXPECT_EQ(t->changeLog().count(), 2u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(nameOf(read(*t, 1)), "A");

    // undone below a save point, the save point is gone even when the length comes back
    ASSERT_EQ(t->undoToSavePoint(0), DBIERR_NONE);
    EXPECT_TRUE(t->changeLog().empty());
    EXPECT_EQ(t->liveCount(), 0u);
    insert(*t, record("C", 3));
    insert(*t, record("D", 4));
    EXPECT_EQ(t->undoToSavePoint(sp2), errInvalidParameter);
    EXPECT_EQ(t->undoToSavePoint(12345), errInvalidParameter);
    EXPECT_EQ(t->changeLog().count(), 2u);
    EXPECT_EQ(t->setProperty(propSavePoint, 1), errInvalidParameter);
}

TEST(RecordStore, EmptyTableRemovesEveryRecord) {
    auto t = makeTable();
    insert(*t, record("A", 1));
    insert(*t, record("B", 2));
    t->commitChangeLog();
    modify(*t, 2, record("B2", 2));
    const auto counter = t->defaultOrder()->changeCounter;
    ASSERT_EQ(t->emptyTable(), DBIERR_NONE);
    EXPECT_EQ(t->nextRecord(), 1u);
    EXPECT_EQ(t->liveCount(), 0u);
    EXPECT_TRUE(order(*t).empty());
    EXPECT_GT(t->defaultOrder()->changeCounter, counter);
    EXPECT_TRUE(t->changeLog().empty());
    EXPECT_EQ(t->recordStatus(1), 0u);
    EXPECT_EQ(t->recordStatus(2), 0u);
    EXPECT_EQ(changes(*t), 0u);
    EXPECT_EQ(insert(*t, record("C", 3)), 1u);
    EXPECT_EQ(t->recordStatus(1), recInserted);
}

TEST(RecordStore, ReadingOneFieldAndTheStatusByte) {
    auto t = makeTable();
    insert(*t, record("Radio", 42));
    std::int32_t n = 0;
    std::uint8_t ind = 9;
    ASSERT_EQ(t->storeReadField(1, 3, &n, &ind), DBIERR_NONE);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(ind, indValue);
    ASSERT_EQ(t->storeReadField(1, 2, nullptr, &ind), DBIERR_NONE);
    EXPECT_EQ(ind, indNull);
    unsigned char status = 0;
    ASSERT_EQ(t->storeReadField(1, 0, &status, nullptr), DBIERR_NONE);
    EXPECT_EQ(status, recInserted);
    EXPECT_EQ(t->storeReadField(1, 4, &n, &ind), errOutOfRange);
    EXPECT_EQ(t->storeReadField(3, 1, nullptr, &ind), errOutOfRange);
    Buffer b(kRecordLength);
    EXPECT_EQ(t->storeRead(0, b.data()), errOutOfRange);
}

TEST(RecordStore, LoadingInsertsKeepTheirStatusAndOnlyLiveRowsJoinTheOrder) {
    auto t = makeTable();
    ASSERT_EQ(t->reserveSlots(3 + 25), DBIERR_NONE);
    EXPECT_EQ(t->capacity(), 28u);
    t->setLoadGrowth(true);
    const std::uint8_t statuses[] = {recUnmodified, recSuperseded | recInserted,
                                     recModified | recInserted, recDeleted};
    for (std::uint8_t s : statuses) {
        std::uint32_t r = 0;
        ASSERT_EQ(t->storeInsertWithStatus(record("R", s).data(), s, &r), DBIERR_NONE);
    }
    EXPECT_EQ(t->changeLog().count(), 0u);
    EXPECT_EQ(order(*t), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(t->liveCount(), 2u);
    EXPECT_EQ(t->recordStatus(2), recSuperseded | recInserted);
    ASSERT_EQ(t->replaceChangeLog({{2, 0, logInsert}, {3, 2, logModify}, {4, 0, logDelete}}),
              DBIERR_NONE);
    EXPECT_EQ(changes(*t), 2u);  // the insert (now version 3) and the deletion
    t->commitChangeLog();
    EXPECT_EQ(t->recordStatus(3), recUnmodified);
    EXPECT_EQ(t->recordStatus(2) & recReleased, recReleased);
    // the highest slot (4) was released last and given back
    EXPECT_EQ(t->nextRecord(), 4u);

    // loading growth: by the capacity (half of it past 1000 slots)
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(t->storeInsertWithStatus(record("G", i).data(), 0, nullptr), DBIERR_NONE);
    EXPECT_EQ(t->capacity(), 56u);
}

TEST(RecordStore, CallbacksRunInRegistrationOrderUnderTheLock) {
    auto t = makeTable();
    struct Probe {
        std::vector<int>* calls;
        int id;
        DSBASE* table;
        bool lockHeld = false;
    };
    std::vector<int> calls;
    Probe a{&calls, 1, t.get()}, b{&calls, 2, t.get()};
    auto callback = [](void* data) {
        auto* p = static_cast<Probe*>(data);
        p->calls->push_back(p->id);
        std::atomic<bool> locked{false};
        std::thread other([&] {
            if (p->table->lock().try_lock()) {
                p->table->lock().unlock();
            } else {
                locked = true;
            }
        });
        other.join();
        p->lockHeld = locked;
    };
    int ownerA = 0, ownerB = 0;
    ASSERT_EQ(t->registerCursorCallback(&ownerB, callback, &b), DBIERR_NONE);
    ASSERT_EQ(t->registerCursorCallback(&ownerA, callback, &a), DBIERR_NONE);
    insert(*t, record("A", 1));
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
    EXPECT_TRUE(a.lockHeld);
    EXPECT_TRUE(b.lockHeld);

    // registering again replaces and moves to the end; no callback unregisters
    calls.clear();
    ASSERT_EQ(t->registerCursorCallback(&ownerB, callback, &b), DBIERR_NONE);
    modify(*t, 1, record("A2", 1));
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    calls.clear();
    ASSERT_EQ(t->registerCursorCallback(&ownerA, nullptr, nullptr), DBIERR_NONE);
    ASSERT_EQ(t->storeDelete(2), DBIERR_NONE);
    std::uint32_t r;
    ASSERT_EQ(t->undoLastEntry(&r), DBIERR_NONE);
    EXPECT_EQ(calls, (std::vector<int>{2, 2}));
    // the merge moves nothing and calls nobody
    calls.clear();
    t->commitChangeLog();
    EXPECT_TRUE(calls.empty());
}

}  // namespace
