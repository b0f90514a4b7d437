// DSBASE: the record store operations, the change log's merge and undo, the number of changes,
// and the cursor callbacks.
//
// While changes are logged a record is never changed in place: a modification writes a new
// version at slot next and marks the old one superseded, a deletion only marks the record.
// Every operation allocates what it needs before it changes anything, so a failed allocation
// (errNoMemory) leaves the table as it was.

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "engine/DSBASE.h"

namespace {

constexpr std::uint8_t kNotLive = recSuperseded | recDeleted | recReleased;

bool isLive(std::uint8_t status) {
    return (status & kNotLive) == 0;
}

// Length of a zero-terminated string stored in a field of storage length n.
std::size_t storedStringLength(const unsigned char* value, std::size_t n) {
    const void* zero = std::memchr(value, 0, n);
    return zero ? static_cast<const unsigned char*>(zero) - value : n;
}

// Two stored values of one field, both present, compared for the field's type.
bool valuesEqual(const DSFLDDesc& field, const unsigned char* a, const unsigned char* b) {
    const std::size_t n = static_cast<std::size_t>(field.iFldLen);
    switch (field.iFldType) {
        case fldZSTRING: {
            const std::size_t la = storedStringLength(a, n), lb = storedStringLength(b, n);
            return la == lb && std::memcmp(a, b, la) == 0;
        }
        case fldUNICODE:
        case fldVARBYTES: {
            if (n < 2) return true;
            std::uint16_t la, lb;
            std::memcpy(&la, a, 2);
            std::memcpy(&lb, b, 2);
            la = static_cast<std::uint16_t>(std::min<std::size_t>(la, n - 2));
            lb = static_cast<std::uint16_t>(std::min<std::size_t>(lb, n - 2));
            return la == lb && std::memcmp(a + 2, b + 2, la) == 0;
        }
        case fldFLOAT:
        case fldTIMESTAMP: {
            double x, y;
            std::memcpy(&x, a, sizeof x);
            std::memcpy(&y, b, sizeof y);
            return x == y;
        }
        case fldSINGLE: {
            float x, y;
            std::memcpy(&x, a, sizeof x);
            std::memcpy(&y, b, sizeof y);
            return x == y;
        }
        default:
            return n == 0 || std::memcmp(a, b, n) == 0;
    }
}

}  // namespace

// ---- checks and helpers ----

DBResult DSBASE::checkPermission(ChangeKind kind) const {
    if (!FLogChanges) return DBIERR_NONE;
    if (FReadOnly) return errReadOnlyData;
    switch (kind) {
        case ChangeKind::Insert:
            return FInsertsDisabled ? errReadOnlyData : DBIERR_NONE;
        case ChangeKind::Modify:
            return FModifiesDisabled ? errReadOnlyData : DBIERR_NONE;
        case ChangeKind::Delete:
            return FDeletesDisabled ? errReadOnlyData : DBIERR_NONE;
    }
    return DBIERR_NONE;
}

// A record to be modified or deleted must be a slot in use (1 to next - 1: slot next is only
// the scratch slot) and, unless the table holds a delta, live.
DBResult DSBASE::checkChangedRecord(std::uint32_t record) const {
    if (!inUse(record)) return errOutOfRange;
    if (!FHoldsDelta && !isLive(FStore.status(record))) return errNotApplicable;
    return DBIERR_NONE;
}

bool DSBASE::inUse(std::uint32_t record) const {
    return record >= 1 && record < FNext && FStore.holdsSlot(record);
}

std::uint8_t DSBASE::recordStatus(std::uint32_t record) const {
    return FStore.holdsSlot(record) ? FStore.status(record) : 0;
}

// Slot next must exist before anything is written to it. Growth follows the table's rule: 100
// slots at a time, or while a packet is loaded the current capacity (half of it past 1000).
DBResult DSBASE::makeRoomForNext() {
    if (FNext <= FStore.capacity()) return DBIERR_NONE;
    if (FNext == UINT32_MAX) return errNoMemory;
    const std::uint64_t capacity = FStore.capacity();
    std::uint64_t step = 100;
    if (FLoadGrowth && capacity > 0) step = capacity > 1000 ? capacity / 2 : capacity;
    std::uint64_t target = std::max<std::uint64_t>(capacity + step, FNext);
    target = std::min<std::uint64_t>(target, UINT32_MAX);
    return FStore.growTo(static_cast<std::uint32_t>(target));
}

DBResult DSBASE::reserveIndexes() {
    for (auto& idx : FIndexes) {
        if (idx->isChangeIndex) continue;
        DBResult rc = idx->reserveOne();
        if (rc != DBIERR_NONE) return rc;
    }
    return DBIERR_NONE;
}

// Takes record out of every index it is in; answers its position in the default order.
std::uint32_t DSBASE::unindex(std::uint32_t record, std::uint32_t positionHint) {
    std::uint32_t defaultPosition = 0;
    for (auto& idx : FIndexes) {
        if (idx->isChangeIndex) continue;
        const std::uint32_t p = idx->findPosition(record, positionHint);
        if (p == 0) continue;
        if (idx->name == "DEFAULT_ORDER") defaultPosition = p;
        idx->removeAt(p);
    }
    return defaultPosition;
}

void DSBASE::releaseSlot(std::uint32_t record) {
    const std::uint8_t status = FStore.status(record);
    if (status & recReleased) return;
    for (std::uint32_t f = 0; f < FStore.fieldCount(); ++f) FStore.setIndicator(record, f, indNull);
    FStore.dropTexts(record);
    FStore.setStatus(record, status | recReleased);
    if (record == FNext - 1)
        --FNext;
    else
        ++FReleasedCount;
}

void DSBASE::notifyCursors() {
    // By index: a callback may register or unregister cursors while the list is walked.
    for (std::size_t i = 0; i < FCallbacks.size(); ++i) {
        const CursorCallback entry = FCallbacks[i];
        if (entry.callback) entry.callback(entry.clientData);
    }
}

// ---- insert, modify, delete, read ----

DBResult DSBASE::insertSlot(const unsigned char* buffer, const RowValue* values, bool logged,
                            const std::uint8_t* status, std::uint32_t* recordNumber) {
    if (!FDefined) return errNotApplicable;
    if (buffer == nullptr && values == nullptr) return errInvalidParameter;
    DBResult rc = makeRoomForNext();
    if (rc == DBIERR_NONE) rc = reserveIndexes();
    if (rc == DBIERR_NONE && logged) rc = FLog.reserveOne();
    if (rc != DBIERR_NONE) return rc;

    const std::uint32_t slot = FNext;
    rc = buffer ? FStore.writeRecord(slot, buffer) : FStore.writeValues(slot, values);
    if (rc != DBIERR_NONE) return rc;
    if (status)
        FStore.setStatus(slot, *status);
    else if (logged)
        FStore.setStatus(slot, recInserted);
    if (FHoldsDelta || isLive(FStore.status(slot))) {
        for (auto& idx : FIndexes) {
            if (idx->isChangeIndex) continue;
            const std::uint32_t hint = idx->insertHint;
            idx->insertAt(hint >= 1 && hint <= idx->count() ? hint : idx->count() + 1, slot);
        }
        ++FLiveCount;
    }
    if (logged) FLog.append({slot, 0, logInsert});
    if (recordNumber) *recordNumber = slot;
    ++FNext;
    if (logged) notifyCursors();
    ++FChangeCounter;
    return DBIERR_NONE;
}

DBResult DSBASE::storeInsert(const unsigned char* buffer, std::uint32_t* recordNumber) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    DBResult rc = checkPermission(ChangeKind::Insert);
    if (rc != DBIERR_NONE) return rc;
    return insertSlot(buffer, nullptr, FLogChanges, nullptr, recordNumber);
}

DBResult DSBASE::storeInsertValues(const RowValue* values, std::uint32_t* recordNumber) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    DBResult rc = checkPermission(ChangeKind::Insert);
    if (rc != DBIERR_NONE) return rc;
    return insertSlot(nullptr, values, FLogChanges, nullptr, recordNumber);
}

DBResult DSBASE::storeInsertWithStatus(const unsigned char* buffer, std::uint8_t status,
                                       std::uint32_t* recordNumber) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    return insertSlot(buffer, nullptr, false, &status, recordNumber);
}

DBResult DSBASE::storeLoadedRow(const RowValue* values, std::uint8_t status,
                                std::uint32_t* recordNumber) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    return insertSlot(nullptr, values, false, &status, recordNumber);
}

DBResult DSBASE::storeModify(std::uint32_t record, const unsigned char* buffer,
                             std::uint32_t* newRecord, std::uint32_t positionHint) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    DBResult rc = checkPermission(ChangeKind::Modify);
    if (rc == DBIERR_NONE) rc = checkChangedRecord(record);
    if (rc != DBIERR_NONE) return rc;

    if (!FLogChanges) {  // rewritten in place; the record keeps its number
        rc = FStore.writeRecord(record, buffer);
        if (rc != DBIERR_NONE) return rc;
        if (newRecord) *newRecord = record;
        ++FChangeCounter;
        return DBIERR_NONE;
    }

    rc = makeRoomForNext();
    if (rc == DBIERR_NONE) rc = FLog.reserveOne();
    if (rc != DBIERR_NONE) return rc;

    const std::uint32_t slot = FNext;
    const std::uint8_t status = FStore.status(record);
    rc = FStore.writeRecord(slot, buffer);
    if (rc != DBIERR_NONE) return rc;
    FStore.setStatus(record, status | recSuperseded);
    FStore.setStatus(slot, recModified | (status & recInserted));
    // The new version takes the old one's place; no position changes.
    for (auto& idx : FIndexes) {
        if (idx->isChangeIndex) continue;
        const std::uint32_t p = idx->findPosition(record, positionHint);
        if (p != 0) idx->replaceAt(p, slot);
    }
    FLog.append({slot, record, logModify});
    if (newRecord) *newRecord = slot;
    ++FNext;
    notifyCursors();
    ++FChangeCounter;
    return DBIERR_NONE;
}

DBResult DSBASE::storeDelete(std::uint32_t record, std::uint32_t positionHint) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    DBResult rc = checkPermission(ChangeKind::Delete);
    if (rc == DBIERR_NONE) rc = checkChangedRecord(record);
    if (rc == DBIERR_NONE && FLogChanges) rc = FLog.reserveOne();
    if (rc != DBIERR_NONE) return rc;

    const std::uint8_t status = FStore.status(record);
    FStore.setStatus(record, status | recDeleted);
    // Kept with the entry so that undoing the deletion puts the record back where it stood.
    const std::uint32_t position = unindex(record, positionHint);
    if (isLive(status) && FLiveCount > 0) --FLiveCount;
    if (FLogChanges) FLog.append({record, 0, logDelete}, position);
    notifyCursors();
    ++FChangeCounter;
    return DBIERR_NONE;
}

DBResult DSBASE::storeRead(std::uint32_t record, unsigned char* buffer) {
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    if (record < 1 || record > FNext || !FStore.holdsSlot(record)) return errOutOfRange;
    FStore.readRecord(record, buffer);
    return DBIERR_NONE;
}

DBResult DSBASE::storeReadField(std::uint32_t record, std::uint32_t fieldNumber, void* value,
                                std::uint8_t* indicator) {
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    if (record < 1 || record > FNext || !FStore.holdsSlot(record)) return errOutOfRange;
    if (fieldNumber > FStore.fieldCount()) return errOutOfRange;
    if (fieldNumber == 0) {
        if (value) *static_cast<unsigned char*>(value) = FStore.status(record);
        if (indicator) *indicator = indValue;
        return DBIERR_NONE;
    }
    const std::uint32_t f = fieldNumber - 1;
    if (value) FStore.copyValue(record, f, static_cast<unsigned char*>(value));
    if (indicator) *indicator = FStore.indicator(record, f);
    return DBIERR_NONE;
}

void DSBASE::releaseRecord(std::uint32_t record) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined || !inUse(record)) return;
    const std::uint8_t status = FStore.status(record);
    if (status & recReleased) return;
    if (isLive(status)) {
        unindex(record, 0);
        if (FLiveCount > 0) --FLiveCount;
    }
    releaseSlot(record);
}

// ---- undo ----

DBResult DSBASE::undoLastEntry(std::uint32_t* record) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    for (;;) {
        if (FLog.empty()) return errNothingToUndo;
        const DSLogEntry e = FLog.newest();
        std::uint32_t current = 0;
        bool undone = false;
        switch (e.kind) {
            case logDelete: {
                const std::uint32_t r = e.record;
                if (!inUse(r) || (FStore.status(r) & (recSuperseded | recReleased)) ||
                    !(FStore.status(r) & recDeleted))
                    break;
                DBResult rc = reserveIndexes();
                if (rc != DBIERR_NONE) return rc;
                const std::uint32_t position = FLog.newestPosition();
                FStore.setStatus(r, FStore.status(r) & ~recDeleted);
                ++FLiveCount;
                for (auto& idx : FIndexes) {
                    if (idx->isChangeIndex) continue;
                    const bool known = idx->name == "DEFAULT_ORDER" && position >= 1 &&
                                       position <= idx->count() + 1;
                    idx->insertAt(known ? position : idx->count() + 1, r);
                }
                current = r;
                undone = true;
                break;
            }
            case logInsert: {
                const std::uint32_t r = e.record;
                if (!inUse(r) || !isLive(FStore.status(r))) break;
                unindex(r, 0);
                if (FLiveCount > 0) --FLiveCount;
                if (r == FNext - 1) {
                    FStore.setStatus(r, recUnmodified);
                    --FNext;
                    if (FAutoIncField >= 0 && FNextAutoInc > 1) --FNextAutoInc;
                } else {
                    releaseSlot(r);
                }
                current = r;
                undone = true;
                break;
            }
            case logModify: {
                const std::uint32_t v = e.record, p = e.other;
                if (v == p || !inUse(v) || !inUse(p) || !isLive(FStore.status(v)) ||
                    (FStore.status(p) & (recDeleted | recReleased)) ||
                    !(FStore.status(p) & recSuperseded))
                    break;
                for (auto& idx : FIndexes) {
                    if (idx->isChangeIndex) continue;
                    const std::uint32_t q = idx->findPosition(v);
                    if (q != 0) idx->replaceAt(q, p);
                }
                if (v == FNext - 1) {
                    FStore.setStatus(v, recUnmodified);
                    --FNext;
                } else {
                    releaseSlot(v);
                }
                FStore.setStatus(p, FStore.status(p) & ~recSuperseded);
                current = p;
                undone = true;
                break;
            }
            default:  // kind 0 and the nested-table kinds: nothing to undo in this table
                break;
        }
        FLog.removeNewest();
        if (!undone) continue;
        notifyCursors();
        ++FChangeCounter;
        if (record) *record = current;
        return DBIERR_NONE;
    }
}

DBResult DSBASE::undoToSavePoint(std::uint32_t savePoint) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    std::uint32_t length = 0;
    if (savePoint != 0 && !FLog.savePointLength(savePoint, &length)) return errInvalidParameter;
    while (FLog.count() > length) {
        std::uint32_t record = 0;
        DBResult rc = undoLastEntry(&record);
        if (rc != DBIERR_NONE) return rc;
    }
    return DBIERR_NONE;
}

// ---- merge, number of changes, emptying ----

DBResult DSBASE::commitChangeLog() {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined || FHoldsDelta) return DBIERR_NONE;
    try {
        FLog.merge([this](const std::vector<std::uint32_t>& collected) {
            for (std::uint32_t r : collected) {
                if (!inUse(r)) continue;
                if (FStore.status(r) & kNotLive)
                    releaseSlot(r);
                else
                    FStore.setStatus(r, recUnmodified);
            }
        });
    } catch (const std::bad_alloc&) {
        return errNoMemory;  // the merge allocates before it changes anything
    }
    rebuildChangeIndex();
    FStore.reclaim();
    return DBIERR_NONE;
}

bool DSBASE::versionsEqual(std::uint32_t newer, std::uint32_t older) const {
    if (!inUse(newer) || !inUse(older)) return false;
    for (std::uint32_t f = 0; f < FStore.fieldCount(); ++f) {
        if (FFields[f].bCalculated != 0) continue;
        const std::uint8_t in = FStore.indicator(newer, f);
        if (in == indUnassigned) continue;
        const bool newerNull = in != indValue;
        const bool olderNull = FStore.indicator(older, f) != indValue;
        if (newerNull && olderNull) continue;
        if (newerNull != olderNull) return false;
        if (FStore.isPacked(f)) {
            if (FStore.text(newer, f) != FStore.text(older, f)) return false;
        } else if (!valuesEqual(FFields[f], FStore.value(newer, f), FStore.value(older, f))) {
            return false;
        }
    }
    return true;
}

DBResult DSBASE::changeCount(std::uint32_t* count) {
    if (count == nullptr) return errInvalidParameter;
    std::lock_guard guard(FLock);
    if (!FLog.empty()) {
        std::vector<DSLogEntry> kept;
        try {
            kept = FLog.compacted();
        } catch (const std::bad_alloc&) {
            return errNoMemory;
        }
        std::uint32_t n = static_cast<std::uint32_t>(kept.size());
        for (const auto& e : kept)
            if (e.kind == logModify && versionsEqual(e.record, e.other)) --n;
        *count = n;
    } else if (FHoldsDelta) {
        *count = FNext - 1;
    } else {
        *count = 0;
    }
    return DBIERR_NONE;
}

DBResult DSBASE::emptyTable() {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    FNext = 1;
    FLiveCount = 0;
    FReleasedCount = 0;
    for (auto& idx : FIndexes) idx->clear();
    FLog.clear();
    FStore.zeroStatuses();
    notifyCursors();
    ++FChangeCounter;
    return DBIERR_NONE;
}

DBResult DSBASE::setFieldNull(unsigned char* buffer, std::uint32_t recordNumber,
                              std::uint32_t fieldNumber, std::uint8_t kind) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    if (fieldNumber < 1 || fieldNumber > FFields.size()) return errOutOfRange;
    if (kind > indUnassigned) return errInvalidParameter;
    if (buffer == nullptr &&
        (recordNumber < 1 || recordNumber > FNext || !FStore.holdsSlot(recordNumber)))
        return errOutOfRange;

    auto set = [&](std::uint32_t f) {  // 0-based
        if (buffer)
            buffer[FFields[f].iNullOffsInRec] = kind;
        else
            FStore.setIndicator(recordNumber, f, kind);
    };
    const std::uint32_t f = fieldNumber - 1;
    set(f);
    const DSFLDDesc& field = FFields[f];
    if (kind == indNull && field.iFldLen == 0 &&
        (field.iFldType == fldADT || field.iFldType == fldARRAY)) {
        // The fields inside the structure follow it; a field belongs to it while its parent
        // is the structure or one of the fields already found inside it.
        std::vector<std::uint16_t> inside{field.iFieldID};
        for (std::uint32_t g = f + 1; g < FFields.size(); ++g) {
            const std::uint16_t parent = FFields[g].iFieldIDParent;
            if (parent == 0 || std::find(inside.begin(), inside.end(), parent) == inside.end())
                break;
            inside.push_back(FFields[g].iFieldID);
            set(g);
        }
    }
    return DBIERR_NONE;
}

// ---- loading support ----

DBResult DSBASE::reserveSlots(std::uint32_t count) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    const std::uint64_t target = static_cast<std::uint64_t>(FNext) - 1 + count;
    if (target > UINT32_MAX) return errNoMemory;
    return FStore.growTo(static_cast<std::uint32_t>(target));
}

void DSBASE::setLoadGrowth(bool on) {
    std::lock_guard guard(FLock);
    FLoadGrowth = on;
}

DBResult DSBASE::appendLogEntry(const DSLogEntry& entry) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    return FLog.add(entry);
}

DBResult DSBASE::replaceChangeLog(const std::vector<DSLogEntry>& entries) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    DBResult rc = FLog.assign(entries);
    if (rc == DBIERR_NONE) rebuildChangeIndex();
    return rc;
}

DBResult DSBASE::rebuildIndexes() {
    ++FGeneration;
    std::lock_guard guard(FLock);
    if (!FDefined) return errNotApplicable;
    std::vector<std::uint32_t> live;
    try {
        for (std::uint32_t r = 1; r < FNext && FStore.holdsSlot(r); ++r)
            if (FHoldsDelta || isLive(FStore.status(r))) live.push_back(r);
        for (auto& idx : FIndexes) {
            if (idx->isChangeIndex) continue;
            std::vector<std::uint32_t> order = live;
            idx->order.swap(order);
            idx->capacity = static_cast<std::uint32_t>(live.size()) + 10;
            idx->insertHint = 0;
            ++idx->changeCounter;
        }
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    FLiveCount = static_cast<std::uint32_t>(live.size());
    rebuildChangeIndex();
    return DBIERR_NONE;
}

// The change index lists the records the change log names, in log order.
void DSBASE::rebuildChangeIndex() {
    for (auto& idx : FIndexes) {
        if (!idx->isChangeIndex) continue;
        idx->clear();
        try {
            std::vector<char> seen(FNext, 0);
            for (const auto& e : FLog.entries()) {
                if (!inUse(e.record) || seen[e.record]) continue;
                seen[e.record] = 1;
                idx->order.push_back(e.record);
            }
        } catch (const std::bad_alloc&) {
            idx->order.clear();  // only a view of the log; it is rebuilt at the next merge
        }
        idx->capacity = std::max(idx->capacity, idx->count());
    }
}

void DSBASE::setStoreByteLimit(std::size_t bytes) {
    std::lock_guard guard(FLock);
    FStore.setByteLimit(bytes);
}

void DSBASE::setNextAutoIncValue(std::uint32_t value) {
    ++FGeneration;
    std::lock_guard guard(FLock);
    FNextAutoInc = value;
}

void DSBASE::resetStore() {
    ++FGeneration;
    FStore.reset();
    FLog.reset();
    FNext = 1;
    FLiveCount = 0;
    FReleasedCount = 0;
    FLoadGrowth = false;
}

// ---- cursor callbacks ----

DBResult DSBASE::registerCursorCallback(const void* owner, DSChangeCallback callback,
                                        void* clientData) {
    std::lock_guard guard(FLock);
    unregisterCursorCallback(owner);
    if (callback == nullptr) return DBIERR_NONE;
    try {
        FCallbacks.push_back({owner, callback, clientData});
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    }
    return DBIERR_NONE;
}

void DSBASE::unregisterCursorCallback(const void* owner) {
    std::lock_guard guard(FLock);
    FCallbacks.erase(std::remove_if(FCallbacks.begin(), FCallbacks.end(),
                                    [owner](const CursorCallback& c) { return c.owner == owner; }),
                     FCallbacks.end());
}
