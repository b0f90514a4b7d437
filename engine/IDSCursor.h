#pragma once
// A cursor reaches the records of one table through one of its indexes (in this system always
// DEFAULT_ORDER, whose order is insertion order). Every operation answers a result code.
// Cursors are owned through std::shared_ptr.
//
// Position and status. The index holds records at positions 1..count. A cursor stands on a
// record (status 0), before the first record (errAtBeginning, position 0), after the last one
// (errAtEnd, position count + 1), where a record it stood on was deleted (errRecordDeleted: the
// position now names the record that followed, or count + 1), or on no record
// (errNoCurrentRecord). A read or write while not on a record answers the status. Moves never
// pass the ends: they stop on the crack before the first or after the last record and answer
// errAtBeginning or errAtEnd. Changes made through other cursors are taken in at the next
// operation.
//
// Record buffers have the table's record layout (getCursorInfo().iRecBufSize bytes): the
// fields' values back to back, then one indicator byte per field (indValue, indNull,
// indUnassigned). Field numbers are 1-based. A bookmark is kBookmarkSize (20) bytes.

#include <cstdint>
#include <memory>

#include "engine/DSTypes.h"
#include "engine/IDSBase.h"

class IDSCursor {
  public:
    virtual ~IDSCursor() = default;

    // Attaches the cursor to a defined table, before its first record; errNotApplicable when
    // already attached.
    [[nodiscard]] virtual DBResult openOnTable(const IDSBasePtr& table) = 0;
    // The table's information with the cursor's record length and bookmark size.
    [[nodiscard]] virtual DBResult getCursorInfo(DSTableInfo* info) = 0;

    // Copies the current record into buffer (when given).
    [[nodiscard]] virtual DBResult readCurrentRecord(unsigned char* buffer) = 0;
    // A bookmark of the current position: position, status, record number there, the index's
    // change counter and identifier (five 32-bit values).
    [[nodiscard]] virtual DBResult readBookmark(unsigned char* bookmark) = 0;
    // The current record's sequence number, 1 for the first record.
    [[nodiscard]] virtual DBResult getSequenceNo(std::uint32_t* number) = 0;
    // The current record's status byte (recInserted, recModified, ...); a modified record
    // whose first version was inserted since the last merge answers recInserted.
    [[nodiscard]] virtual DBResult getRecordStatus(std::uint8_t* status) = 0;
    // readCurrentRecord, then the same record's getSequenceNo, getRecordStatus and readBookmark,
    // in one step: what a dataset fetches for every record it moves onto. On an error of the
    // read nothing else is filled in.
    [[nodiscard]] virtual DBResult readCurrentRecordWithPosition(unsigned char* buffer,
                                                                 std::uint32_t* sequenceNumber,
                                                                 std::uint8_t* status,
                                                                 unsigned char* bookmark) = 0;
    // The number of records the cursor can reach.
    [[nodiscard]] virtual DBResult countRecords(std::uint32_t* count) = 0;
    // One field of the current record and of every record after it, in the cursor's order:
    // visit gets each value as readField gives it from that record's buffer (the field's
    // storage length of bytes) with its indicator. The position does not move. Without a
    // current record, the cursor's status as readCurrentRecord answers it.
    using FieldVisitor = void (*)(const unsigned char* value, std::uint8_t indicator,
                                  void* context);
    [[nodiscard]] virtual DBResult readFieldToLast(std::uint32_t fieldNumber, FieldVisitor visit,
                                                   void* context) = 0;

    [[nodiscard]] virtual DBResult moveBeforeFirst() = 0;
    [[nodiscard]] virtual DBResult moveAfterLast() = 0;
    // Moves n records forward (n > 0) or back (n < 0); answers the new status. After a
    // deletion the record that followed is one step closer: moveBy(1) does not move the
    // position, and moveBy(-1) is shortened by one.
    [[nodiscard]] virtual DBResult moveBy(std::int32_t n) = 0;
    // Goes to the record with sequence number `number`; 0 goes before the first record, a
    // number past the last after it.
    [[nodiscard]] virtual DBResult moveToSequenceNo(std::uint32_t number) = 0;
    // Goes to a bookmarked record; a bookmark whose record is gone puts the cursor before the
    // first record and answers 0.
    [[nodiscard]] virtual DBResult seekBookmark(const unsigned char* bookmark) = 0;
    // -1, 0 or 1 by the two bookmarks' positions.
    [[nodiscard]] virtual DBResult compareBookmarkPositions(const unsigned char* bookmark1,
                                                            const unsigned char* bookmark2,
                                                            std::int32_t* order) = 0;

    // Reads a field from buffer or, when buffer is null, from the current record (field 0:
    // its status byte). value (when given) receives the field's storage length of bytes,
    // indicator (when given) its indicator byte.
    [[nodiscard]] virtual DBResult readField(const unsigned char* buffer, std::uint32_t fieldNumber,
                                             void* value, std::uint8_t* indicator) = 0;
    // Writes a field into buffer: no value makes it null; a string is copied up to its
    // terminating zero (at most the field's width) without trailing spaces unless the table
    // keeps them (property 23); a decimal is taken from its 18-byte exchange form; any other
    // field copies its storage length of bytes.
    [[nodiscard]] virtual DBResult writeField(unsigned char* buffer, std::uint32_t fieldNumber,
                                              const void* value) = 0;
    // Zeroes every field of buffer and marks it unassigned.
    [[nodiscard]] virtual DBResult clearRecordBuffer(unsigned char* buffer) = 0;

    // Deletes the current record; the cursor is then in the deleted state.
    [[nodiscard]] virtual DBResult removeRecord() = 0;
    // Stores buffer as a new version of the current record, in the same place. A buffer equal
    // to the stored record stores and logs nothing. errReadOnlyField for a changed read-only
    // field, errValueRequired for a required field without a value.
    [[nodiscard]] virtual DBResult updateRecord(const unsigned char* buffer) = 0;
    // Adds buffer as a new record: in front of the current record when the cursor stands on
    // one, else after the last record. The cursor then stands on the new record.
    // errValueRequired for a required field without a value (or an empty required string).
    [[nodiscard]] virtual DBResult addRecord(const unsigned char* buffer) = 0;
    // Adds rows after the last record, in order, as addRecord would add each after
    // moveAfterLast, without record buffers: values holds the rows one after the other, a value
    // per field of the cursor each, as a packet reader delivers a row. The record stored is the
    // one addRecord would store had each value been written into a buffer with writeField (a
    // text as zero-terminated bytes: cut at its first zero byte and to its width, trailing
    // blanks dropped unless the table keeps them); any other field's value must be in its
    // storage form. The cursor then stands on the last row added. On an error the rows before
    // the failing one stay added.
    [[nodiscard]] virtual DBResult appendValues(const RowValue* values, std::uint32_t rows) = 0;
    // Undoes the table's newest change; with follow, the record the undo makes current
    // becomes the cursor's current record.
    [[nodiscard]] virtual DBResult popLastChange(bool follow) = 0;

    // Registers callback, called with clientData after every change of the table's store
    // (while the table's lock is held); a null callback removes the registration.
    [[nodiscard]] virtual DBResult registerChangeCallback(void* clientData,
                                                          DSChangeCallback callback) = 0;
    // Checks a value against the table's field constraints (this engine has none).
    [[nodiscard]] virtual DBResult checkFieldValue(std::uint32_t fieldNumber,
                                                   const void* value) = 0;

    // Cursor properties: 1 gives the table (value: IDSBasePtr*); 3 reads the version the
    // current record replaced (value: a record buffer), errRecordNotFound when it has none.
    [[nodiscard]] virtual DBResult getProperty(std::uint32_t id, void* value) = 0;
    // 2: while on a record, sets the status to value (errNoCurrentRecord for 0), as when an
    // insert begins.
    [[nodiscard]] virtual DBResult setProperty(std::uint32_t id, std::uint32_t value) = 0;
    // The store's record number of the current record.
    [[nodiscard]] virtual DBResult recordNumberAtCursor(std::uint32_t* number) = 0;
};

using IDSCursorPtr = std::shared_ptr<IDSCursor>;

// Cursor property numbers.
enum : std::uint32_t {
    curpropTable = 1,
    curpropStatus = 2,
    curpropPreviousVersion = 3,
    curpropFieldWritable = 4,  // making one field writable or read-only: not offered
    curpropFieldReadOnly = 5,
};
