#pragma once
// A cursor reaches the records of one table through one of its indexes. Every operation
// answers a result code. Cursors are owned through std::shared_ptr.

#include <cstdint>
#include <memory>

#include "DSTypes.h"
#include "IDSBase.h"

class IDSCursor {
  public:
    virtual ~IDSCursor() = default;

    // Attaches the cursor to a defined table; errNotApplicable when already attached.
    virtual DBResult openOnTable(const IDSBasePtr& table) = 0;
    // The table's information with the cursor's record length and bookmark size.
    virtual DBResult getCursorInfo(DSTableInfo* info) = 0;

    virtual DBResult moveBeforeFirst() = 0;
};

using IDSCursorPtr = std::shared_ptr<IDSCursor>;
