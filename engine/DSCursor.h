#pragma once
// DSCursor: a position in one index of one table, behind IDSCursor.
//
// The cursor keeps its position p and status s, and snapshots taken after every move: the
// index's change counter, the last position and status, and the record number at the last
// position (the current record). An operation that reads or moves first compares the index's
// change counter with its snapshot and, when the index changed, finds the current record again
// (syncWithIndex).

#include <memory>
#include <vector>

#include "engine/DSBASE.h"
#include "engine/IDSCursor.h"

class DSCursor : public IDSCursor {
  public:
    DSCursor();
    ~DSCursor() override;

    [[nodiscard]] DBResult openOnTable(const IDSBasePtr& table) override;
    [[nodiscard]] DBResult getCursorInfo(DSTableInfo* info) override;
    [[nodiscard]] DBResult readCurrentRecord(unsigned char* buffer) override;
    [[nodiscard]] DBResult readBookmark(unsigned char* bookmark) override;
    [[nodiscard]] DBResult getSequenceNo(std::uint32_t* number) override;
    [[nodiscard]] DBResult getRecordStatus(std::uint8_t* status) override;
    [[nodiscard]] DBResult readFieldToLast(std::uint32_t fieldNumber, FieldVisitor visit,
                                           void* context) override;
    [[nodiscard]] DBResult readCurrentRecordWithPosition(unsigned char* buffer,
                                                         std::uint32_t* sequenceNumber,
                                                         std::uint8_t* status,
                                                         unsigned char* bookmark) override;
    [[nodiscard]] DBResult countRecords(std::uint32_t* count) override;
    [[nodiscard]] DBResult moveBeforeFirst() override;
    [[nodiscard]] DBResult moveAfterLast() override;
    [[nodiscard]] DBResult moveBy(std::int32_t n) override;
    [[nodiscard]] DBResult moveToSequenceNo(std::uint32_t number) override;
    [[nodiscard]] DBResult seekBookmark(const unsigned char* bookmark) override;
    [[nodiscard]] DBResult compareBookmarkPositions(const unsigned char* bookmark1,
                                                    const unsigned char* bookmark2,
                                                    std::int32_t* order) override;
    [[nodiscard]] DBResult readField(const unsigned char* buffer, std::uint32_t fieldNumber,
                                     void* value, std::uint8_t* indicator) override;
    [[nodiscard]] DBResult writeField(unsigned char* buffer, std::uint32_t fieldNumber,
                                      const void* value) override;
    [[nodiscard]] DBResult clearRecordBuffer(unsigned char* buffer) override;
    [[nodiscard]] DBResult removeRecord() override;
    [[nodiscard]] DBResult updateRecord(const unsigned char* buffer) override;
    [[nodiscard]] DBResult addRecord(const unsigned char* buffer) override;
    [[nodiscard]] DBResult appendValues(const RowValue* values, std::uint32_t rows) override;
    [[nodiscard]] DBResult popLastChange(bool follow) override;
    [[nodiscard]] DBResult registerChangeCallback(void* clientData,
                                                  DSChangeCallback callback) override;
    [[nodiscard]] DBResult checkFieldValue(std::uint32_t fieldNumber, const void* value) override;
    [[nodiscard]] DBResult getProperty(std::uint32_t id, void* value) override;
    [[nodiscard]] DBResult setProperty(std::uint32_t id, std::uint32_t value) override;
    [[nodiscard]] DBResult recordNumberAtCursor(std::uint32_t* number) override;

  private:
    void syncWithIndex();
    // The current record's bookmark and status as readBookmark and getRecordStatus give them
    // (the lock held and the cursor in step with its index).
    void putBookmark(unsigned char* bookmark) const;
    std::uint8_t currentRecordStatus() const;
    void noteMove();
    // The position of record in the cursor's index, 0 when it is not there.
    std::uint32_t locate(std::uint32_t record, std::uint32_t hint) const;
    // The cursor's descriptor of field fieldNumber (1-based), null when there is none.
    const DSFLDDesc* field(std::uint32_t fieldNumber) const;
    [[nodiscard]] DBResult moveToCrack(DBResult status);
    [[nodiscard]] DBResult valuesFromRow(const RowValue* values, int autoInc);
    // The cursor on a record just added (and the auto-increment value used up).
    void noteAdded(std::uint32_t record, int autoInc);

    std::shared_ptr<DSBASE> FTable;
    std::shared_ptr<DSIDX> FIndex;
    std::vector<std::uint32_t> FFieldMap;  // cursor field i -> table field number
    std::vector<DSFLDDesc> FFields;        // the cursor's copies, offsets for its own layout
    std::uint32_t FRecordLength = 0;
    std::vector<unsigned char> FScratch;
    std::vector<RowValue> FRowValues;  // appendValues: a row's values in table field order
    std::uint32_t FAutoIncValue = 0;   // appendValues: the auto-increment value it stores

    std::uint32_t FPos = 0;  // p
    DBResult FStatus = 0;    // s
    std::uint32_t FFirst = 1;
    std::uint32_t FLast = 0;

    std::uint32_t FIndexCounterSnapshot = 0;
    std::uint32_t FLastPos = 0;
    DBResult FLastStatus = 0;
    std::uint32_t FCurrentRecord = 0;
    std::uint32_t FChangeCounter = 0;

    DSChangeCallback FCallback = nullptr;
    void* FClientData = nullptr;
};
