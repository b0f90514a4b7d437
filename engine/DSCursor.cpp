#include "DSCursor.h"

#include <cstring>

DSCursor::DSCursor() = default;
DSCursor::~DSCursor() = default;

DBResult DSCursor::openOnTable(const IDSBasePtr& table) {
    if (FTable) return errNotApplicable;
    auto base = std::dynamic_pointer_cast<DSBASE>(table);
    if (!base || !base->isDefined()) return errInvalidParameter;
    std::lock_guard guard(base->lock());

    // The cursor shows every field of the table: values back to back, indicators after them.
    FFields = base->fields();
    FFieldMap.clear();
    std::int32_t offset = 0;
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        FFieldMap.push_back(static_cast<std::uint32_t>(i + 1));
        FFields[i].iFldOffsInRec = offset;
        offset += FFields[i].iFldLen;
    }
    for (std::size_t i = 0; i < FFields.size(); ++i)
        FFields[i].iNullOffsInRec = offset + static_cast<std::int32_t>(i);
    FRecordLength = static_cast<std::uint32_t>(offset + FFields.size());
    FScratch.assign(FRecordLength, 0);

    FIndex = base->defaultOrder();
    if (!FIndex) return errNoSuchIndex;
    FTable = base;

    FFirst = 1;
    FLast = FIndex->count();
    FPos = FFirst - 1;
    FStatus = errAtBeginning;
    FLastPos = FPos;
    FLastStatus = errAtBeginning;
    FCurrentRecord = 0;
    FIndexCounterSnapshot = FIndex->changeCounter;
    FChangeCounter = 0;
    return DBIERR_NONE;
}

DBResult DSCursor::getCursorInfo(DSTableInfo* info) {
    if (!FTable) return errNotApplicable;
    DBResult rc = FTable->getTableInfo(info);
    if (rc != DBIERR_NONE) return rc;
    info->iRecBufSize = FRecordLength;
    info->iBookMarkSize = kBookmarkSize;
    return DBIERR_NONE;
}

// Brings the range and the position up to date after changes of the index made elsewhere.
void DSCursor::syncWithIndex() {
    if (FIndex->changeCounter == FIndexCounterSnapshot) return;
    std::lock_guard guard(FTable->lock());
    FLast = FIndex->count();
    if (FStatus != errAtBeginning && FStatus != errAtEnd) {
        const auto& order = FIndex->order;
        if (FLastPos < 1 || FLastPos > order.size() || order[FLastPos - 1] != FCurrentRecord) {
            std::uint32_t found = 0;
            for (std::uint32_t q = 1; q <= order.size(); ++q) {
                if (order[q - 1] == FCurrentRecord) {
                    found = q;
                    break;
                }
            }
            if (found != 0) {
                FPos = found;
            } else {
                FStatus = errRecordDeleted;
            }
        } else {
            FPos = FLastPos;
        }
    }
    FIndexCounterSnapshot = FIndex->changeCounter;
    ++FChangeCounter;
}

void DSCursor::noteMove() {
    if (FStatus != errAtBeginning && FStatus != errAtEnd && FPos >= 1 && FPos <= FIndex->count())
        FCurrentRecord = FIndex->order[FPos - 1];
    if (FLastPos != FPos) {
        FLastPos = FPos;
        ++FChangeCounter;
    }
    if (FLastStatus != FStatus) {
        FLastStatus = FStatus;
        ++FChangeCounter;
    }
}

DBResult DSCursor::moveBeforeFirst() {
    if (!FTable) return errNotApplicable;
    FStatus = errAtBeginning;
    syncWithIndex();
    FPos = FFirst - 1;
    noteMove();
    return DBIERR_NONE;
}
