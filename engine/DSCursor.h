#pragma once
// DSCursor: a position in one index of one table, behind IDSCursor.

#include <memory>
#include <vector>

#include "DSBASE.h"
#include "IDSCursor.h"

class DSCursor : public IDSCursor {
  public:
    DSCursor();
    ~DSCursor() override;

    DBResult openOnTable(const IDSBasePtr& table) override;
    DBResult getCursorInfo(DSTableInfo* info) override;
    DBResult moveBeforeFirst() override;

  private:
    void syncWithIndex();
    void noteMove();

    std::shared_ptr<DSBASE> FTable;
    std::shared_ptr<DSIDX> FIndex;
    std::vector<std::uint32_t> FFieldMap;  // cursor field i -> table field number
    std::vector<DSFLDDesc> FFields;        // the cursor's copies, offsets for its own layout
    std::uint32_t FRecordLength = 0;
    std::vector<unsigned char> FScratch;

    std::uint32_t FPos = 0;  // p
    DBResult FStatus = 0;    // s
    std::uint32_t FFirst = 1;
    std::uint32_t FLast = 0;

    std::uint32_t FIndexCounterSnapshot = 0;
    std::uint32_t FLastPos = 0;
    DBResult FLastStatus = 0;
    std::uint32_t FCurrentRecord = 0;
    std::uint32_t FChangeCounter = 0;
};
