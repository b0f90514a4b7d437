#include <gtest/gtest.h>

#include "packet/SubtypeNames.h"
#include "tests/engine/SmallTable.h"

namespace {

using namespace small;

constexpr DBResult kOnRecord = DBIERR_NONE;

struct Table {
    IDSBasePtr table;
    IDSCursorPtr cursor;
};

// A small table with the given records (numbers 1, 2, ...) merged, the cursor before the first.
Table tableWith(const std::vector<std::string>& names, std::int32_t numberAttr = 0,
                std::int32_t nameAttr = 0) {
    Table t;
    t.table = createDSBase();
    DSFLDDesc fields[3] = {makeDescriptor("NAME", fldZSTRING, 20), makeDescriptor("T", fldTIME, 0),
                           makeDescriptor("N", fldINT32, 0)};
    fields[0].iFldAttr = nameAttr;
    fields[2].iFldAttr = numberAttr;
    EXPECT_EQ(t.table->defineTable(3, fields, "Small"), DBIERR_NONE);
    t.cursor = createDSCursor();
    EXPECT_EQ(t.cursor->openOnTable(t.table), DBIERR_NONE);
    std::int32_t n = 0;
    for (const auto& name : names) {
        t.cursor->moveAfterLast();
        EXPECT_EQ(t.cursor->addRecord(record(name, ++n).data()), DBIERR_NONE);
    }
    EXPECT_EQ(t.table->commitChangeLog(), DBIERR_NONE);
    t.cursor->moveBeforeFirst();
    return t;
}

// The current record's name, or "" when the cursor is not on a record.
std::string current(IDSCursor& c) {
    Buffer b(kRecordLength, 0);
    return c.readCurrentRecord(b.data()) == DBIERR_NONE ? nameOf(b) : "";
}

std::uint32_t sequenceNo(IDSCursor& c) {
    std::uint32_t n = 0;
    return c.getSequenceNo(&n) == DBIERR_NONE ? n : 0;
}

std::uint32_t count(IDSCursor& c) {
    std::uint32_t n = 99;
    EXPECT_EQ(c.countRecords(&n), DBIERR_NONE);
    return n;
}

std::vector<std::string> names(IDSBasePtr table) {
    auto c = createDSCursor();
    c->openOnTable(table);
    std::vector<std::string> out;
    while (c->moveBy(1) == DBIERR_NONE) out.push_back(current(*c));
    return out;
}

void goTo(IDSCursor& c, std::uint32_t sequence) {
    ASSERT_EQ(c.moveToSequenceNo(sequence), DBIERR_NONE);
}

TEST(Cursor, EmptyTableHasNoRecordToReachEitherWay) {
    auto t = tableWith({});
    EXPECT_EQ(count(*t.cursor), 0u);
    std::uint32_t n = 7;
    EXPECT_EQ(t.cursor->getSequenceNo(&n), errAtBeginning);
    EXPECT_EQ(n, 7u);
    EXPECT_EQ(t.cursor->moveBy(1), errAtEnd);
    EXPECT_EQ(t.cursor->moveBy(-1), errAtBeginning);
    EXPECT_EQ(t.cursor->moveBy(0), errAtBeginning);
    EXPECT_EQ(t.cursor->readCurrentRecord(nullptr), errAtBeginning);
}

TEST(Cursor, MovesStopOnTheCracks) {
    auto t = tableWith({"A", "B", "C"});
    struct Step {
        std::int32_t n;
        DBResult result;
        const char* name;  // "" on a crack
        std::uint32_t sequence;
    };
    const Step steps[] = {
        {1, kOnRecord, "A", 1},
        {5, errAtEnd, "", 0},
        {-1, kOnRecord, "C", 3},
        {-2, kOnRecord, "A", 1},
        {-1, errAtBeginning, "", 0},
        {2, kOnRecord, "B", 2},
        {0, kOnRecord, "B", 2},
        {-1000000, errAtBeginning, "", 0},
        {3, kOnRecord, "C", 3},
        {1, errAtEnd, "", 0},
        {-3, kOnRecord, "A", 1},
        {2147483647, errAtEnd, "", 0},
        {-2147483647 - 1, errAtBeginning, "", 0},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "moveBy(" << s.n << ")");
        EXPECT_EQ(t.cursor->moveBy(s.n), s.result);
        EXPECT_EQ(current(*t.cursor), s.name);
        EXPECT_EQ(sequenceNo(*t.cursor), s.sequence);
    }
}

TEST(Cursor, MoveToSequenceNumber) {
    auto t = tableWith({"A", "B", "C"});
    struct Case {
        std::uint32_t number;
        DBResult result;
        const char* name;
    };
    const Case cases[] = {{0, errAtBeginning, ""}, {1, kOnRecord, "A"}, {2, kOnRecord, "B"},
                          {3, kOnRecord, "C"},     {4, errAtEnd, ""},   {0xFFFFFFFF, errAtEnd, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(t.cursor->moveToSequenceNo(c.number), c.result);
        EXPECT_EQ(current(*t.cursor), c.name);
    }
    auto empty = tableWith({});
    EXPECT_EQ(empty.cursor->moveToSequenceNo(0), errAtBeginning);
    EXPECT_EQ(empty.cursor->moveToSequenceNo(1), errAtEnd);
}

TEST(Cursor, AfterADeletionThePositionNamesTheFollowingRecord) {
    struct Move {
        std::int32_t n;
        DBResult result;
        const char* name;
    };
    struct Case {
        const char* what;
        std::uint32_t deleted;  // sequence number in A, B, C, D
        std::vector<Move> moves;
    };
    const Case cases[] = {
        {"B, forward: C without moving the position",
         2,
         {{1, kOnRecord, "C"}, {1, kOnRecord, "D"}}},
        {"B, back: the step is shortened to C", 2, {{-1, kOnRecord, "C"}, {-1, kOnRecord, "A"}}},
        {"C, forward: position + 1 is tested against the end",
         3,
         {{1, errAtEnd, ""}, {-1, kOnRecord, "D"}}},
        {"D, forward then back", 4, {{1, errAtEnd, ""}, {-1, kOnRecord, "C"}}},
        {"D, straight back reaches the new last record", 4, {{-1, kOnRecord, "C"}}},
        {"A, forward", 1, {{1, kOnRecord, "B"}, {-1, errAtBeginning, ""}}},
        {"B, two back", 2, {{-2, kOnRecord, "A"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto t = tableWith({"A", "B", "C", "D"});
        goTo(*t.cursor, c.deleted);
        ASSERT_EQ(t.cursor->removeRecord(), DBIERR_NONE);
        EXPECT_EQ(t.cursor->readCurrentRecord(nullptr), errRecordDeleted);
        std::uint32_t n = 0;
        EXPECT_EQ(t.cursor->getSequenceNo(&n), errRecordDeleted);
        EXPECT_EQ(t.cursor->removeRecord(), errRecordDeleted);
        EXPECT_EQ(count(*t.cursor), 3u);
        for (const auto& m : c.moves) {
            SCOPED_TRACE(m.n);
            EXPECT_EQ(t.cursor->moveBy(m.n), m.result);
            EXPECT_EQ(current(*t.cursor), m.name);
        }
    }
}

TEST(Cursor, DeletingTheOnlyRecord) {
    auto t = tableWith({"A"});
    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->removeRecord(), DBIERR_NONE);
    EXPECT_EQ(count(*t.cursor), 0u);
    EXPECT_EQ(t.cursor->moveBy(1), errAtEnd);
    EXPECT_EQ(t.cursor->moveBy(-1), errAtBeginning);
}

TEST(Cursor, AddRecordAppendsAtTheEndOrInsertsInFrontOfTheCurrentRecord) {
    auto t = tableWith({"A", "B", "C"});
    t.cursor->moveAfterLast();
    ASSERT_EQ(t.cursor->addRecord(record("D", 4).data()), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "D");
    EXPECT_EQ(sequenceNo(*t.cursor), 4u);

    goTo(*t.cursor, 2);
    ASSERT_EQ(t.cursor->addRecord(record("X", 5).data()), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "X");
    EXPECT_EQ(sequenceNo(*t.cursor), 2u);
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A", "X", "B", "C", "D"}));

    // before the first record (and on a cleared status) the record is appended
    t.cursor->moveBeforeFirst();
    ASSERT_EQ(t.cursor->addRecord(record("Y", 6).data()), DBIERR_NONE);
    EXPECT_EQ(sequenceNo(*t.cursor), 6u);
    // the cursor found Y at the end, so the next record goes in front of Y
    ASSERT_EQ(t.cursor->addRecord(record("W", 7).data()), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "W");
    EXPECT_EQ(sequenceNo(*t.cursor), 6u);
    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->setProperty(curpropStatus, 0), DBIERR_NONE);
    ASSERT_EQ(t.cursor->addRecord(record("Z", 8).data()), DBIERR_NONE);
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A", "X", "B", "C", "D", "W", "Y", "Z"}));
    std::uint32_t changes = 0;
    t.table->getProperty(propChangeCount, &changes);
    EXPECT_EQ(changes, 5u);
}

TEST(Cursor, UpdateKeepsThePlaceAndAnEqualBufferStoresNothing) {
    auto t = tableWith({"A", "B", "C"});
    goTo(*t.cursor, 2);
    Buffer b(kRecordLength);
    ASSERT_EQ(t.cursor->readCurrentRecord(b.data()), DBIERR_NONE);
    ASSERT_EQ(t.cursor->updateRecord(b.data()), DBIERR_NONE);
    std::uint32_t changes = 9, number = 0;
    t.table->getProperty(propChangeCount, &changes);
    EXPECT_EQ(changes, 0u);
    t.cursor->recordNumberAtCursor(&number);
    EXPECT_EQ(number, 2u);

    ASSERT_EQ(t.cursor->updateRecord(record("B2", 2).data()), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "B2");
    EXPECT_EQ(sequenceNo(*t.cursor), 2u);
    t.cursor->recordNumberAtCursor(&number);
    EXPECT_EQ(number, 4u);  // the new version's slot
    t.table->getProperty(propChangeCount, &changes);
    EXPECT_EQ(changes, 1u);
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A", "B2", "C"}));

    // a null field in the buffer nulls the stored field; its stored bytes stay
    Buffer nulled = record("B3", 0);
    nulled[kNumberIndicator] = indNull;
    ASSERT_EQ(t.cursor->updateRecord(nulled.data()), DBIERR_NONE);
    std::int32_t n = 0;
    std::uint8_t ind = 0;
    ASSERT_EQ(t.cursor->readField(nullptr, 3, &n, &ind), DBIERR_NONE);
    EXPECT_EQ(ind, indNull);
    EXPECT_EQ(n, 2);
}

TEST(Cursor, ClearedStatusMeansNoCurrentRecord) {
    auto t = tableWith({"A", "B"});
    goTo(*t.cursor, 2);
    ASSERT_EQ(t.cursor->setProperty(curpropStatus, 0), DBIERR_NONE);
    std::uint32_t n = 0;
    EXPECT_EQ(t.cursor->getSequenceNo(&n), errNoCurrentRecord);
    EXPECT_EQ(t.cursor->updateRecord(record("X", 0).data()), errNoCurrentRecord);
    EXPECT_EQ(count(*t.cursor), 2u);
    // any move leaves the state
    EXPECT_EQ(t.cursor->moveBy(-1), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "B");  // the step back is shortened, as for any status
    // on a crack the property changes nothing
    t.cursor->moveAfterLast();
    ASSERT_EQ(t.cursor->setProperty(curpropStatus, 0), DBIERR_NONE);
    EXPECT_EQ(t.cursor->getSequenceNo(&n), errAtEnd);
    EXPECT_EQ(t.cursor->setProperty(99, 0), errInvalidParameter);
}

TEST(Cursor, ReadsAndWritesOffARecordAnswerTheStatus) {
    auto t = tableWith({"A"});
    Buffer b = record("X", 1);
    struct Case {
        const char* what;
        DBResult (*place)(IDSCursor&);
        DBResult status;
    };
    const Case cases[] = {
        {"before the first", [](IDSCursor& c) { return c.moveBeforeFirst(); }, errAtBeginning},
        {"after the last", [](IDSCursor& c) { return c.moveAfterLast(); }, errAtEnd},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.place(*t.cursor);
        std::uint8_t status = 0;
        std::uint32_t number = 0;
        EXPECT_EQ(t.cursor->readCurrentRecord(b.data()), c.status);
        EXPECT_EQ(t.cursor->updateRecord(b.data()), c.status);
        EXPECT_EQ(t.cursor->removeRecord(), c.status);
        EXPECT_EQ(t.cursor->getRecordStatus(&status), c.status);
        EXPECT_EQ(t.cursor->recordNumberAtCursor(&number), c.status);
        EXPECT_EQ(t.cursor->readField(nullptr, 1, nullptr, &status), c.status);
    }
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A"}));

    auto unattached = createDSCursor();
    EXPECT_EQ(unattached->moveBy(1), errNotApplicable);
    EXPECT_EQ(unattached->addRecord(b.data()), errNotApplicable);
    EXPECT_EQ(unattached->readCurrentRecord(b.data()), errNotApplicable);
}

TEST(Cursor, BookmarksFindTheirRecordAgain) {
    auto t = tableWith({"A", "B", "C"});
    unsigned char onB[kBookmarkSize], onC[kBookmarkSize];
    goTo(*t.cursor, 2);
    ASSERT_EQ(t.cursor->readBookmark(onB), DBIERR_NONE);
    goTo(*t.cursor, 3);
    ASSERT_EQ(t.cursor->readBookmark(onC), DBIERR_NONE);
    std::int32_t order = 0;
    ASSERT_EQ(t.cursor->compareBookmarkPositions(onB, onC, &order), DBIERR_NONE);
    EXPECT_EQ(order, -1);
    t.cursor->compareBookmarkPositions(onC, onB, &order);
    EXPECT_EQ(order, 1);
    t.cursor->compareBookmarkPositions(onB, onB, &order);
    EXPECT_EQ(order, 0);

    EXPECT_EQ(t.cursor->seekBookmark(onB), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "B");
    // a record inserted in front moves B: the bookmark finds it by its record number
    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->addRecord(record("X", 9).data()), DBIERR_NONE);
    EXPECT_EQ(t.cursor->seekBookmark(onB), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "B");
    EXPECT_EQ(sequenceNo(*t.cursor), 3u);
    // a bookmark of a record that is gone puts the cursor before the first record
    ASSERT_EQ(t.cursor->removeRecord(), DBIERR_NONE);
    EXPECT_EQ(t.cursor->seekBookmark(onB), DBIERR_NONE);
    EXPECT_EQ(t.cursor->readCurrentRecord(nullptr), errAtBeginning);
    EXPECT_EQ(t.cursor->seekBookmark(onC), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "C");
}

TEST(Cursor, FieldsAreWrittenIntoBuffersByType) {
    auto t = tableWith({});
    Buffer b(kRecordLength, 0xAA);
    ASSERT_EQ(t.cursor->clearRecordBuffer(b.data()), DBIERR_NONE);
    EXPECT_EQ(b, [] {
        Buffer cleared(kRecordLength, 0);
        cleared[kNameIndicator] = cleared[kTimeIndicator] = cleared[kNumberIndicator] =
            indUnassigned;
        return cleared;
    }());

    struct Case {
        const char* what;
        const char* text;
        bool keepSpaces;
        std::string stored;
    };
    const Case cases[] = {
        {"plain", "Radio", false, "Radio"},
        {"trailing spaces dropped", "Radio  ", false, "Radio"},
        {"trailing spaces kept", "Radio  ", true, "Radio  "},
        {"leading spaces stay", "  Radio", false, "  Radio"},
        {"only spaces", "   ", false, ""},
        {"cut to the width", "123456789012345678901234", false, "12345678901234567890"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        t.table->setProperty(propKeepTrailingSpaces, c.keepSpaces);
        std::fill(b.begin(), b.begin() + 21, 'z');
        ASSERT_EQ(t.cursor->writeField(b.data(), 1, c.text), DBIERR_NONE);
        EXPECT_EQ(nameOf(b), c.stored);
        EXPECT_EQ(b[20], 0);  // the terminating byte
        EXPECT_EQ(b[kNameIndicator], indValue);
    }

    const std::int32_t n = -5;
    ASSERT_EQ(t.cursor->writeField(b.data(), 3, &n), DBIERR_NONE);
    std::int32_t back = 0;
    std::uint8_t ind = 9;
    ASSERT_EQ(t.cursor->readField(b.data(), 3, &back, &ind), DBIERR_NONE);
    EXPECT_EQ(back, -5);
    EXPECT_EQ(ind, indValue);
    ASSERT_EQ(t.cursor->writeField(b.data(), 3, nullptr), DBIERR_NONE);
    EXPECT_EQ(numberOf(b), 0);
    EXPECT_EQ(b[kNumberIndicator], indNull);
    EXPECT_EQ(t.cursor->writeField(b.data(), 4, &n), errOutOfRange);
    EXPECT_EQ(t.cursor->writeField(b.data(), 0, &n), errOutOfRange);
    EXPECT_EQ(t.cursor->readField(b.data(), 4, &back, &ind), errOutOfRange);
}

TEST(Cursor, DecimalFieldTakesItsExchangeForm) {
    auto table = createDSBase();
    DSFLDDesc d = makeDescriptor("D", fldBCD, 6);  // stored in 5 bytes
    ASSERT_EQ(table->defineTable(1, &d, "T"), DBIERR_NONE);
    auto c = createDSCursor();
    ASSERT_EQ(c->openOnTable(table), DBIERR_NONE);
    Buffer b(6, 0);
    unsigned char value[18] = {6, 2, 0x12, 0x34, 0x56};
    ASSERT_EQ(c->writeField(b.data(), 1, value), DBIERR_NONE);
    EXPECT_EQ(b, (Buffer{6, 2, 0x12, 0x34, 0x56, indValue}));
    value[5] = 0x78;  // a digit the field has no room for
    EXPECT_EQ(c->writeField(b.data(), 1, value), errOutOfRange);
    value[0] = 65;
    EXPECT_EQ(c->writeField(b.data(), 1, value), errInvalidParameter);
}

TEST(Cursor, RequiredAndReadOnlyFields) {
    auto t = tableWith({"A"}, fldAttrReadOnly, fldAttrRequired);
    Buffer b = record("", 1);
    EXPECT_EQ(t.cursor->addRecord(b.data()), errValueRequired);  // empty required string
    b = record("B", 1);
    b[kNameIndicator] = indUnassigned;
    EXPECT_EQ(t.cursor->addRecord(b.data()), errValueRequired);
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A"}));

    goTo(*t.cursor, 1);
    EXPECT_EQ(t.cursor->updateRecord(record("A", 2).data()), errReadOnlyField);
    Buffer nulled = record("A2", 1);
    nulled[kNameIndicator] = indNull;
    EXPECT_EQ(t.cursor->updateRecord(nulled.data()), errValueRequired);
    // the read-only field unchanged, or not given a value: the update goes through
    EXPECT_EQ(t.cursor->updateRecord(record("A2", 1).data()), DBIERR_NONE);
    Buffer noNumber = record("A3", 7);
    noNumber[kNumberIndicator] = indNull;
    EXPECT_EQ(t.cursor->updateRecord(noNumber.data()), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "A3");
}

TEST(Cursor, AddRecordFillsTheAutoIncrementField) {
    auto table = small::makeTable(subtypeAutoinc);
    table->setNextAutoIncValue(10);
    auto c = createDSCursor();
    ASSERT_EQ(c->openOnTable(table), DBIERR_NONE);
    for (int i = 0; i < 2; ++i) {
        Buffer b = record("R", 0);
        b[kNumberIndicator] = indNull;
        c->moveAfterLast();
        ASSERT_EQ(c->addRecord(b.data()), DBIERR_NONE);
    }
    std::int32_t n = 0;
    std::uint8_t ind = 9;
    ASSERT_EQ(c->readField(nullptr, 3, &n, &ind), DBIERR_NONE);
    EXPECT_EQ(n, 11);
    EXPECT_EQ(ind, indValue);
    EXPECT_EQ(table->nextAutoIncValue(), 12u);
}

TEST(Cursor, RecordStatusPreviousVersionAndUndo) {
    auto t = tableWith({"A", "B"});
    std::uint8_t status = 99;
    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->getRecordStatus(&status), DBIERR_NONE);
    EXPECT_EQ(status, recUnmodified);
    Buffer previous(kRecordLength);
    EXPECT_EQ(t.cursor->getProperty(curpropPreviousVersion, previous.data()), errRecordNotFound);

    ASSERT_EQ(t.cursor->updateRecord(record("A2", 1).data()), DBIERR_NONE);
    t.cursor->getRecordStatus(&status);
    EXPECT_EQ(status, recModified);
    ASSERT_EQ(t.cursor->getProperty(curpropPreviousVersion, previous.data()), DBIERR_NONE);
    EXPECT_EQ(nameOf(previous), "A");
    unsigned char stored = 0;
    ASSERT_EQ(t.cursor->readField(nullptr, 0, &stored, nullptr), DBIERR_NONE);
    EXPECT_EQ(stored, recModified);

    // an inserted record, modified twice, still reports itself inserted
    t.cursor->moveAfterLast();
    ASSERT_EQ(t.cursor->addRecord(record("C", 3).data()), DBIERR_NONE);
    t.cursor->getRecordStatus(&status);
    EXPECT_EQ(status, recInserted);
    ASSERT_EQ(t.cursor->updateRecord(record("C2", 3).data()), DBIERR_NONE);
    ASSERT_EQ(t.cursor->updateRecord(record("C3", 3).data()), DBIERR_NONE);
    t.cursor->getRecordStatus(&status);
    EXPECT_EQ(status, recInserted);

    // undo with follow: the cursor stands on the version the undo brings back
    ASSERT_EQ(t.cursor->popLastChange(true), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "C2");
    EXPECT_EQ(sequenceNo(*t.cursor), 3u);
    ASSERT_EQ(t.cursor->popLastChange(true), DBIERR_NONE);
    EXPECT_EQ(current(*t.cursor), "C");
    // undoing the insert takes the record away from under the cursor
    ASSERT_EQ(t.cursor->popLastChange(true), DBIERR_NONE);
    EXPECT_EQ(t.cursor->readCurrentRecord(nullptr), errRecordDeleted);
    EXPECT_EQ(count(*t.cursor), 2u);
    ASSERT_EQ(t.cursor->popLastChange(false), DBIERR_NONE);
    EXPECT_EQ(t.cursor->popLastChange(false), errNothingToUndo);
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"A", "B"}));

    IDSBasePtr same;
    ASSERT_EQ(t.cursor->getProperty(curpropTable, &same), DBIERR_NONE);
    EXPECT_EQ(same, t.table);
    EXPECT_EQ(t.cursor->getProperty(7, &same), errInvalidParameter);
}

TEST(Cursor, ChangesThroughAnotherCursorAreTakenInAtTheNextOperation) {
    auto t = tableWith({"A", "B", "C", "D"});
    auto other = createDSCursor();
    ASSERT_EQ(other->openOnTable(t.table), DBIERR_NONE);
    goTo(*other, 3);  // C

    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->removeRecord(), DBIERR_NONE);  // A
    EXPECT_EQ(current(*other), "C");
    EXPECT_EQ(sequenceNo(*other), 2u);
    goTo(*t.cursor, 1);
    ASSERT_EQ(t.cursor->addRecord(record("X", 9).data()), DBIERR_NONE);
    EXPECT_EQ(sequenceNo(*other), 3u);
    EXPECT_EQ(count(*other), 4u);

    // the other cursor's record goes: it is in the deleted state, naming the next record, and
    // the shortened step back reaches that record
    goTo(*t.cursor, 3);
    ASSERT_EQ(t.cursor->removeRecord(), DBIERR_NONE);  // C
    EXPECT_EQ(other->readCurrentRecord(nullptr), errRecordDeleted);
    EXPECT_EQ(other->moveBy(-1), DBIERR_NONE);
    EXPECT_EQ(current(*other), "D");

    // a merge moves nobody
    ASSERT_EQ(t.table->commitChangeLog(), DBIERR_NONE);
    EXPECT_EQ(current(*other), "D");
    EXPECT_EQ(names(t.table), (std::vector<std::string>{"X", "B", "D"}));
}

TEST(Cursor, ChangeCallbackIsCalledUntilTheCursorGoes) {
    auto t = tableWith({"A"});
    int calls = 0;
    auto bump = [](void* data) { ++*static_cast<int*>(data); };
    {
        auto watcher = createDSCursor();
        ASSERT_EQ(watcher->openOnTable(t.table), DBIERR_NONE);
        ASSERT_EQ(watcher->registerChangeCallback(&calls, bump), DBIERR_NONE);
        t.cursor->moveAfterLast();
        t.cursor->addRecord(record("B", 2).data());
        EXPECT_EQ(calls, 1);
        ASSERT_EQ(watcher->registerChangeCallback(nullptr, nullptr), DBIERR_NONE);
        t.cursor->addRecord(record("C", 3).data());
        EXPECT_EQ(calls, 1);
        ASSERT_EQ(watcher->registerChangeCallback(&calls, bump), DBIERR_NONE);
    }
    t.cursor->addRecord(record("D", 4).data());  // the watcher is gone: nothing is called
    EXPECT_EQ(calls, 1);
}

}  // namespace
