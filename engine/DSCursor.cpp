#include "engine/DSCursor.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBcdExchangeSize = 18;  // Precision, SignSpecialPlaces, 16 digit bytes
constexpr std::uint8_t kMaxBcdPrecision = 64;

void putBookmarkValue(unsigned char* bookmark, int index, std::uint32_t value) {
    std::memcpy(bookmark + 4 * index, &value, 4);
}

std::uint32_t bookmarkValue(const unsigned char* bookmark, int index) {
    std::uint32_t value;
    std::memcpy(&value, bookmark + 4 * index, 4);
    return value;
}

// A decimal's exchange form into its stored form of `length` bytes: the exchange bytes as far
// as they fit, zeros after them. Digits that do not fit are refused rather than cut.
DBResult storeDecimal(unsigned char* dst, std::size_t length, const unsigned char* exchange) {
    if (exchange[0] > kMaxBcdPrecision) return errInvalidParameter;
    const std::size_t kept = std::min(length, kBcdExchangeSize);
    for (std::size_t i = kept; i < kBcdExchangeSize; ++i)
        if (exchange[i] != 0) return errOutOfRange;
    std::memset(dst, 0, length);
    std::memcpy(dst, exchange, kept);
    return DBIERR_NONE;
}

}  // namespace

DSCursor::DSCursor() = default;

DSCursor::~DSCursor() {
    if (FTable && FCallback) FTable->unregisterCursorCallback(this);
}

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

// ---- position bookkeeping ----

std::uint32_t DSCursor::locate(std::uint32_t record, std::uint32_t hint) const {
    if (record == 0) return 0;
    // The default order holds exactly the live records: a record that is not live is not
    // there, and no scan is needed to say so.
    const std::uint8_t status = FTable->recordStatus(record);
    if (FIndex->name == "DEFAULT_ORDER" && !FTable->holdsDelta() &&
        (record >= FTable->nextRecord() || (status & (recSuperseded | recDeleted | recReleased))))
        return 0;
    return FIndex->findPosition(record, hint);
}

// Brings the range and the position up to date after changes of the index. The current
// record is looked for where the cursor last stood, then next to it, then everywhere; a record
// appears once in the order, so the answer is that of a plain scan.
void DSCursor::syncWithIndex() {
    std::lock_guard guard(FTable->lock());
    if (FIndex->changeCounter == FIndexCounterSnapshot) return;
    FLast = FIndex->count();
    if (FStatus != errAtBeginning && FStatus != errAtEnd) {
        if (FIndex->at(FLastPos) != FCurrentRecord || FCurrentRecord == 0) {
            const std::uint32_t q = locate(FCurrentRecord, FLastPos);
            if (q != 0)
                FPos = q;
            else
                FStatus = errRecordDeleted;
        } else {
            FPos = FLastPos;
        }
    }
    FIndexCounterSnapshot = FIndex->changeCounter;
    ++FChangeCounter;
}

void DSCursor::noteMove() {
    if (FStatus != errAtBeginning && FStatus != errAtEnd) FCurrentRecord = FIndex->at(FPos);
    if (FLastPos != FPos) {
        FLastPos = FPos;
        ++FChangeCounter;
    }
    if (FLastStatus != FStatus) {
        FLastStatus = FStatus;
        ++FChangeCounter;
    }
}

const DSFLDDesc* DSCursor::field(std::uint32_t fieldNumber) const {
    if (fieldNumber < 1 || fieldNumber > FFields.size()) return nullptr;
    return &FFields[fieldNumber - 1];
}

// ---- moves ----

DBResult DSCursor::moveToCrack(DBResult status) {
    FStatus = status;
    syncWithIndex();
    FPos = status == errAtBeginning ? FFirst - 1 : FLast + 1;
    noteMove();
    return DBIERR_NONE;
}

DBResult DSCursor::moveBeforeFirst() {
    if (!FTable) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    return moveToCrack(errAtBeginning);
}

DBResult DSCursor::moveAfterLast() {
    if (!FTable) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    return moveToCrack(errAtEnd);
}

// Positions are compared as signed 64-bit values, so a long step back from near the start
// stops before the first record instead of wrapping around to a huge position.
DBResult DSCursor::moveBy(std::int32_t n) {
    if (!FTable) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (n == 0) return FStatus;
    const std::int64_t first = FFirst, last = FLast;
    std::int64_t p = FPos;
    DBResult result;
    if (n > 0) {
        if (FStatus == errAtBeginning) p = first - 1;
        if (FStatus == errAtEnd) p = last + 1;  // records added since cannot be stepped onto
        if (p < last + 1 && p + n < last + 1) {
            result = DBIERR_NONE;
            // after a deletion the position already names the record that followed
            if (FStatus != errRecordDeleted) p += n;
        } else {
            result = errAtEnd;
            p = last + 1;
        }
    } else {
        std::int64_t m = -static_cast<std::int64_t>(n);
        // The last record deleted leaves the cursor after the last record: a step back from
        // there reaches the new last record.
        if (FStatus == errAtEnd || (FStatus == errRecordDeleted && p > last))
            p = last + 1;
        else if (FStatus != DBIERR_NONE)
            m -= 1;
        if (first - 1 < p && p - m > first - 1) {
            result = DBIERR_NONE;
            p -= m;
        } else {
            result = errAtBeginning;
            p = first - 1;
        }
    }
    if (result == DBIERR_NONE &&
        (p < first || p > last)) {  // never stand on a record that is not there
        result = p < first ? errAtBeginning : errAtEnd;
        p = p < first ? first - 1 : last + 1;
    }
    FStatus = result;
    FPos = static_cast<std::uint32_t>(p);
    noteMove();
    return result;
}

DBResult DSCursor::moveToSequenceNo(std::uint32_t number) {
    if (!FTable) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    std::int64_t t = static_cast<std::int64_t>(number) + FFirst - 1;
    DBResult result = DBIERR_NONE;
    if (t <= static_cast<std::int64_t>(FFirst) - 1) {
        t = FFirst - 1;
        result = errAtBeginning;
    }
    if (t >= static_cast<std::int64_t>(FLast) + 1) {
        t = static_cast<std::int64_t>(FLast) + 1;
        result = errAtEnd;
    }
    FPos = static_cast<std::uint32_t>(t);
    FStatus = result;
    noteMove();
    return result;
}

DBResult DSCursor::seekBookmark(const unsigned char* bookmark) {
    if (!FTable) return errNotApplicable;
    if (bookmark == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    if (FIndex->changeCounter != FIndexCounterSnapshot) FLast = FIndex->count();
    const std::uint32_t position = bookmarkValue(bookmark, 0);
    const auto status = static_cast<DBResult>(bookmarkValue(bookmark, 1));
    const std::uint32_t record = bookmarkValue(bookmark, 2);
    const std::uint32_t counter = bookmarkValue(bookmark, 3);
    const std::uint32_t indexId = bookmarkValue(bookmark, 4);

    std::uint32_t p;
    if (indexId == FIndex->id && counter == FIndex->changeCounter)
        p = position;
    else
        p = locate(record, position);
    if (p >= FLast + 1) return moveToCrack(errAtEnd);
    if (p > FFirst - 1) {
        FPos = p;
        FStatus = status;
        FIndexCounterSnapshot = counter;
        noteMove();
        return DBIERR_NONE;
    }
    return moveToCrack(errAtBeginning);
}

DBResult DSCursor::compareBookmarkPositions(const unsigned char* bookmark1,
                                            const unsigned char* bookmark2, std::int32_t* order) {
    if (bookmark1 == nullptr || bookmark2 == nullptr || order == nullptr)
        return errInvalidParameter;
    const std::uint32_t a = bookmarkValue(bookmark1, 0), b = bookmarkValue(bookmark2, 0);
    *order = a < b ? -1 : (a > b ? 1 : 0);
    return DBIERR_NONE;
}

// ---- reading ----

DBResult DSCursor::readCurrentRecord(unsigned char* buffer) {
    if (!FTable) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    if (buffer == nullptr) return DBIERR_NONE;
    // The cursor's layout is the table's, so the store fills the buffer directly.
    return FTable->storeRead(FIndex->at(FPos), buffer);
}

DBResult DSCursor::readBookmark(unsigned char* bookmark) {
    if (!FTable) return errNotApplicable;
    if (bookmark == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    putBookmark(bookmark);
    return DBIERR_NONE;
}

void DSCursor::putBookmark(unsigned char* bookmark) const {
    putBookmarkValue(bookmark, 0, FPos);
    putBookmarkValue(bookmark, 1, FStatus);
    putBookmarkValue(bookmark, 2, FIndex->at(FPos));
    putBookmarkValue(bookmark, 3, FIndex->changeCounter);
    putBookmarkValue(bookmark, 4, FIndex->id);
}

DBResult DSCursor::getSequenceNo(std::uint32_t* number) {
    if (!FTable) return errNotApplicable;
    if (number == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    *number = FPos - FFirst + 1;
    return DBIERR_NONE;
}

std::uint8_t DSCursor::currentRecordStatus() const {
    const std::uint32_t record = FIndex->at(FPos);
    const std::uint8_t stored = FTable->recordStatus(record);
    if ((stored & recModified) && FTable->changeLog().chainBeganWithInsert(record))
        return recInserted;
    return stored;
}

DBResult DSCursor::getRecordStatus(std::uint8_t* status) {
    if (!FTable) return errNotApplicable;
    if (status == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    *status = currentRecordStatus();
    return DBIERR_NONE;
}

DBResult DSCursor::readCurrentRecordWithPosition(unsigned char* buffer,
                                                 std::uint32_t* sequenceNumber,
                                                 std::uint8_t* status, unsigned char* bookmark) {
    if (!FTable) return errNotApplicable;
    if (sequenceNumber == nullptr || status == nullptr || bookmark == nullptr)
        return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    if (buffer != nullptr) {
        const DBResult rc = FTable->storeRead(FIndex->at(FPos), buffer);
        if (rc != DBIERR_NONE) return rc;
    }
    *sequenceNumber = FPos - FFirst + 1;
    *status = currentRecordStatus();
    putBookmark(bookmark);
    return DBIERR_NONE;
}

DBResult DSCursor::readFieldToLast(std::uint32_t fieldNumber, FieldVisitor visit, void* context) {
    if (!FTable) return errNotApplicable;
    if (visit == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    const DSFLDDesc* f = field(fieldNumber);
    if (!f) return errOutOfRange;
    const std::uint32_t tableField = FFieldMap[fieldNumber - 1];
    std::vector<unsigned char> value(static_cast<std::size_t>(std::max(f->iFldLen, 0)) + 1);
    for (std::uint32_t p = FPos; p <= FLast; ++p) {
        std::uint8_t indicator = indNull;
        const DBResult rc =
            FTable->storeReadField(FIndex->at(p), tableField, value.data(), &indicator);
        if (rc != DBIERR_NONE) return rc;
        visit(value.data(), indicator, context);
    }
    return DBIERR_NONE;
}

DBResult DSCursor::countRecords(std::uint32_t* count) {
    if (!FTable) return errNotApplicable;
    if (count == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    *count = FLast >= FFirst ? FLast - FFirst + 1 : 0;
    return DBIERR_NONE;
}

DBResult DSCursor::readField(const unsigned char* buffer, std::uint32_t fieldNumber, void* value,
                             std::uint8_t* indicator) {
    if (!FTable) return errNotApplicable;
    if (buffer == nullptr) {
        std::lock_guard guard(FTable->lock());
        syncWithIndex();
        if (FStatus != DBIERR_NONE) return FStatus;
        if (fieldNumber != 0 && !field(fieldNumber)) return errOutOfRange;
        const std::uint32_t tableField = fieldNumber == 0 ? 0 : FFieldMap[fieldNumber - 1];
        return FTable->storeReadField(FIndex->at(FPos), tableField, value, indicator);
    }
    const DSFLDDesc* f = field(fieldNumber);
    if (!f) return errOutOfRange;
    if (value && f->iFldLen > 0) std::memcpy(value, buffer + f->iFldOffsInRec, f->iFldLen);
    if (indicator) *indicator = buffer[f->iNullOffsInRec];
    return DBIERR_NONE;
}

// ---- buffers ----

DBResult DSCursor::writeField(unsigned char* buffer, std::uint32_t fieldNumber, const void* value) {
    if (!FTable) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    const DSFLDDesc* f = field(fieldNumber);
    if (!f) return errOutOfRange;
    unsigned char* dst = buffer + f->iFldOffsInRec;
    const auto length = static_cast<std::size_t>(f->iFldLen);
    if (value == nullptr) {
        std::memset(dst, 0, length);
        buffer[f->iNullOffsInRec] = indNull;
        return DBIERR_NONE;
    }
    const auto* src = static_cast<const unsigned char*>(value);
    switch (f->iFldType) {
        case fldZSTRING: {
            std::memset(dst, 0, length);
            // at most the width, so the field's last byte stays the terminating zero
            std::size_t n = strnlen(static_cast<const char*>(value), length > 0 ? length - 1 : 0);
            if (!FTable->keepsTrailingSpaces())
                while (n > 0 && src[n - 1] == ' ') --n;
            std::memcpy(dst, src, n);
            break;
        }
        case fldBCD:
        case fldFMTBCD: {
            DBResult rc = storeDecimal(dst, length, src);
            if (rc != DBIERR_NONE) return rc;
            break;
        }
        default:
            if (length > 0) std::memcpy(dst, src, length);
            break;
    }
    buffer[f->iNullOffsInRec] = indValue;
    return DBIERR_NONE;
}

DBResult DSCursor::clearRecordBuffer(unsigned char* buffer) {
    if (!FTable) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    for (const auto& f : FFields) {
        if (f.iFldLen > 0) std::memset(buffer + f.iFldOffsInRec, 0, f.iFldLen);
        buffer[f.iNullOffsInRec] = indUnassigned;
    }
    return DBIERR_NONE;
}

// ---- changes ----

DBResult DSCursor::addRecord(const unsigned char* buffer) {
    if (!FTable) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    if (FIndex->isChangeIndex) return errReadOnlyIndex;
    if (FTable->holdsDelta()) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    // Where the cursor stands decides where the record goes; changes made through other
    // cursors are taken in first.
    syncWithIndex();
    std::fill(FScratch.begin(), FScratch.end(), 0);
    FIndex->insertHint = 0;

    const int autoInc = FTable->autoIncField();
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const DSFLDDesc& f = FFields[i];
        const std::uint8_t ind = buffer[f.iNullOffsInRec];
        const unsigned char* value = buffer + f.iFldOffsInRec;
        if ((f.iFldAttr & fldAttrRequired) &&
            (ind != indValue || (f.iFldType == fldZSTRING && value[0] == 0)))
            return errValueRequired;
        if (static_cast<int>(FFieldMap[i]) - 1 == autoInc) {
            const std::uint32_t next = FTable->nextAutoIncValue();
            std::memcpy(FScratch.data() + f.iFldOffsInRec, &next, 4);
        } else if (ind != indValue) {
            FScratch[f.iNullOffsInRec] = ind;
        } else if (f.iFldLen > 0) {
            std::memcpy(FScratch.data() + f.iFldOffsInRec, value, f.iFldLen);
        }
    }

    // On a record, the new one goes in its place and it moves one down. The position is taken
    // after syncWithIndex: the last noted position can be stale once the current record was
    // found elsewhere, and would put the record in front of another one.
    if (FStatus == DBIERR_NONE && FPos != 0) FIndex->insertHint = FPos;
    std::uint32_t record = 0;
    DBResult rc = FTable->storeInsert(FScratch.data(), &record);
    FIndex->insertHint = 0;
    if (rc != DBIERR_NONE) return rc;

    noteAdded(record, autoInc);
    return DBIERR_NONE;
}

void DSCursor::noteAdded(std::uint32_t record, int autoInc) {
    // The next syncWithIndex finds the new record and moves p to it.
    FCurrentRecord = record;
    ++FChangeCounter;
    FStatus = DBIERR_NONE;
    if (autoInc >= 0) FTable->setNextAutoIncValue(FTable->nextAutoIncValue() + 1);
}

// Given values as addRecord would store them had they been written into a record buffer with
// writeField, in FRowValues (table field order): a text ends at its first zero byte, within its
// width, without the trailing blanks the table drops.
DBResult DSCursor::valuesFromRow(const RowValue* values, int autoInc) {
    // A table field the cursor lacks stays an empty value, as in addRecord's zeroed buffer;
    // when the cursor has them all, each row overwrites every value.
    if (FRowValues.size() != FTable->fields().size() || FFields.size() != FRowValues.size())
        FRowValues.assign(FTable->fields().size(), RowValue{indValue, 0, nullptr});
    const bool trimBlanks = !FTable->keepsTrailingSpaces();
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const DSFLDDesc& f = FFields[i];
        RowValue value = values[i];
        if (value.indicator != indValue) {
            value.indicator = indNull;
        } else if (f.iFldType == fldZSTRING) {
            const std::size_t room = f.iFldLen > 0 ? static_cast<std::size_t>(f.iFldLen) - 1 : 0;
            std::size_t n = std::min(room, static_cast<std::size_t>(std::max(value.length, 0)));
            if (value.data == nullptr) n = 0;
            // Up to the first zero byte, as strnlen: a short loop for the short texts of a row.
            for (std::size_t k = 0; k < n; ++k) {
                if (value.data[k] == 0) {
                    n = k;
                    break;
                }
            }
            if (trimBlanks)
                while (n > 0 && value.data[n - 1] == ' ') --n;
            value.length = static_cast<std::int32_t>(n);
        }
        if ((f.iFldAttr & fldAttrRequired) &&
            (value.indicator != indValue || (f.iFldType == fldZSTRING && value.length == 0)))
            return errValueRequired;
        if (autoInc >= 0 && static_cast<int>(FFieldMap[i]) - 1 == autoInc) {
            FAutoIncValue = FTable->nextAutoIncValue();
            value = RowValue{indValue, 4, reinterpret_cast<const unsigned char*>(&FAutoIncValue)};
        }
        FRowValues[FFieldMap[i] - 1] = value;
    }
    return DBIERR_NONE;
}

DBResult DSCursor::appendValues(const RowValue* values, std::uint32_t rows) {
    if (!FTable) return errNotApplicable;
    if (values == nullptr && rows != 0) return errInvalidParameter;
    if (FIndex->isChangeIndex) return errReadOnlyIndex;
    if (FTable->holdsDelta()) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    const int autoInc = FTable->autoIncField();
    for (std::uint32_t r = 0; r < rows; ++r) {
        // As addRecord after moveAfterLast: no insertion hint, so each row goes after the last.
        FIndex->insertHint = 0;
        DBResult rc = valuesFromRow(values + static_cast<std::size_t>(r) * FFields.size(), autoInc);
        std::uint32_t record = 0;
        if (rc == DBIERR_NONE) rc = FTable->storeInsertValues(FRowValues.data(), &record);
        if (rc != DBIERR_NONE) return rc;
        noteAdded(record, autoInc);
    }
    return DBIERR_NONE;
}

DBResult DSCursor::updateRecord(const unsigned char* buffer) {
    if (!FTable) return errNotApplicable;
    if (buffer == nullptr) return errInvalidParameter;
    if (FIndex->isChangeIndex) return errReadOnlyIndex;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    const std::uint32_t record = FIndex->at(FPos);
    DBResult rc = FTable->storeRead(record, FScratch.data());
    if (rc != DBIERR_NONE) return rc;
    if (std::memcmp(buffer, FScratch.data(), FRecordLength) == 0) return DBIERR_NONE;

    for (const auto& f : FFields) {
        const std::uint8_t ind = buffer[f.iNullOffsInRec];
        const unsigned char* value = buffer + f.iFldOffsInRec;
        unsigned char* stored = FScratch.data() + f.iFldOffsInRec;
        if ((f.iFldAttr & fldAttrReadOnly) && ind == indValue &&
            (FScratch[f.iNullOffsInRec] != indValue ||
             (f.iFldLen > 0 && std::memcmp(value, stored, f.iFldLen) != 0)))
            return errReadOnlyField;
        if (f.iFldType == fldTABLE || (f.iFldAttr & fldAttrLink)) continue;
        if ((f.iFldAttr & fldAttrRequired) && ind != indValue) return errValueRequired;
        if (ind != indValue) {
            FScratch[f.iNullOffsInRec] = ind;  // the stored value bytes stay
        } else {
            if (f.iFldLen > 0) std::memcpy(stored, value, f.iFldLen);
            FScratch[f.iNullOffsInRec] = indValue;
        }
    }

    std::uint32_t newRecord = 0;
    rc = FTable->storeModify(record, FScratch.data(), &newRecord, FPos);
    if (rc != DBIERR_NONE) return rc;
    // The new version stands in the old one's place: p stays.
    if (newRecord != FCurrentRecord) {
        FCurrentRecord = newRecord;
        ++FChangeCounter;
    }
    return DBIERR_NONE;
}

DBResult DSCursor::removeRecord() {
    if (!FTable) return errNotApplicable;
    if (FIndex->isChangeIndex) return errReadOnlyIndex;
    if (FTable->holdsDelta()) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    syncWithIndex();
    if (FStatus != DBIERR_NONE) return FStatus;
    DBResult rc = FTable->storeDelete(FIndex->at(FPos), FPos);
    if (rc != DBIERR_NONE) return rc;
    // p now names the record that followed the deleted one, or lies after the last record.
    ++FChangeCounter;
    FStatus = errRecordDeleted;
    return DBIERR_NONE;
}

DBResult DSCursor::popLastChange(bool follow) {
    if (!FTable) return errNotApplicable;
    if (FTable->holdsDelta()) return errNotApplicable;
    std::lock_guard guard(FTable->lock());
    std::uint32_t record = 0;
    DBResult rc = FTable->undoLastEntry(&record);
    if (rc != DBIERR_NONE) return rc;
    if (follow && record != FCurrentRecord) {
        FCurrentRecord = record;
        --FIndexCounterSnapshot;  // the next operation runs syncWithIndex
    }
    return DBIERR_NONE;
}

// ---- callbacks, properties ----

DBResult DSCursor::registerChangeCallback(void* clientData, DSChangeCallback callback) {
    if (!FTable) return errNotApplicable;
    DBResult rc = FTable->registerCursorCallback(this, callback, clientData);
    if (rc != DBIERR_NONE) return rc;
    FCallback = callback;
    FClientData = callback ? clientData : nullptr;
    return DBIERR_NONE;
}

DBResult DSCursor::checkFieldValue(std::uint32_t fieldNumber, const void*) {
    if (!FTable) return errNotApplicable;
    if (!field(fieldNumber)) return errOutOfRange;
    return DBIERR_NONE;  // the table has no field constraints
}

DBResult DSCursor::getProperty(std::uint32_t id, void* value) {
    if (!FTable) return errNotApplicable;
    if (value == nullptr) return errInvalidParameter;
    switch (id) {
        case curpropTable:
            *static_cast<IDSBasePtr*>(value) = FTable;
            return DBIERR_NONE;
        case curpropPreviousVersion: {
            std::lock_guard guard(FTable->lock());
            syncWithIndex();
            if (FStatus != DBIERR_NONE) return FStatus;
            const std::uint32_t previous = FTable->changeLog().previousVersion(FIndex->at(FPos));
            if (previous == 0) return errRecordNotFound;
            return FTable->storeRead(previous, static_cast<unsigned char*>(value));
        }
        default:
            return errInvalidParameter;
    }
}

DBResult DSCursor::setProperty(std::uint32_t id, std::uint32_t value) {
    if (!FTable) return errNotApplicable;
    switch (id) {
        case curpropStatus: {
            std::lock_guard guard(FTable->lock());
            syncWithIndex();
            if (FStatus == DBIERR_NONE) {
                FStatus = value != 0 ? static_cast<DBResult>(value) : DBResult{errNoCurrentRecord};
                noteMove();
                ++FChangeCounter;
            }
            return DBIERR_NONE;
        }
        case curpropFieldWritable:
        case curpropFieldReadOnly:
            return errNotSupported;
        default:
            return errInvalidParameter;
    }
}

DBResult DSCursor::recordNumberAtCursor(std::uint32_t* number) {
    if (!FTable) return errNotApplicable;
    if (number == nullptr) return errInvalidParameter;
    std::lock_guard guard(FTable->lock());
    std::uint32_t sequence = 0;
    DBResult rc = getSequenceNo(&sequence);
    if (rc != DBIERR_NONE) return rc;
    *number = FIndex->at(sequence + FFirst - 1);
    return DBIERR_NONE;
}
