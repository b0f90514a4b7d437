// Record operations of the dataset: the record window, states, editing, inserting, posting,
// deleting and moving.

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldClasses.h"
#include "platform/CodePage.h"

namespace {
// Raised by an error handler answering daAbort: ends the operation silently.
class EAbort : public Exception {
  public:
    EAbort() : Exception(u"Operation aborted") {}
};

constexpr std::uint8_t kFlagRecord = 0;       // the buffer holds a record of the table
constexpr std::uint8_t kFlagBeforeFirst = 1;  // a new record before the first record
constexpr std::uint8_t kFlagAfterLast = 2;    // a new record after the last one
constexpr std::uint8_t kFlagInsertHere = 3;   // a new record in front of the bookmarked one
}  // namespace

// ---- record info ------------------------------------------------------------------------------

void TClientDataSet::setSequenceNo(std::vector<unsigned char>& buffer, std::int32_t value) {
    std::memcpy(buffer.data() + FRecInfoOfs, &value, sizeof value);
}
std::uint8_t& TClientDataSet::bookmarkFlag(std::vector<unsigned char>& buffer) {
    return buffer[static_cast<std::size_t>(FRecInfoOfs) + 4];
}
std::uint8_t& TClientDataSet::recordStatus(std::vector<unsigned char>& buffer) {
    return buffer[static_cast<std::size_t>(FRecInfoOfs) + 5];
}
std::int32_t TClientDataSet::sequenceNo(const std::vector<unsigned char>& buffer) const {
    std::int32_t value;
    std::memcpy(&value, buffer.data() + FRecInfoOfs, sizeof value);
    return value;
}
std::uint8_t TClientDataSet::recordStatus(const std::vector<unsigned char>& buffer) const {
    return buffer[static_cast<std::size_t>(FRecInfoOfs) + 5];
}

// ---- small steps ------------------------------------------------------------------------------

void TClientDataSet::requireOpen() const {
    if (FState == dsInactive)
        DatabaseError(u"Cannot perform this operation on a closed dataset", this);
}

void TClientDataSet::requireModifiable() const {
    if (!FCanModify || FReadOnly) DatabaseError(u"Cannot modify a read-only dataset", this);
}

void TClientDataSet::changeState(TDataSetState state) {
    if (state == FState) return;
    FState = state;
    FModified = false;
    signalDataEvent(deUpdateState);
}

void TClientDataSet::signalDataEvent(TDataEvent event, std::intptr_t info) {
    if (event == deFieldChange) FModified = true;
    if (OnDataEvent) OnDataEvent(*this, event, info);
}

void TClientDataSet::UpdateRecord() {
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(u"Dataset not in edit or insert mode", this);
    signalDataEvent(deUpdateRecord);
}

void TClientDataSet::runWithErrorHandler(const std::function<void()>& step,
                                         const TDataSetErrorEvent& handler) {
    for (;;) {
        UpdateCursorPos();
        try {
            step();
            return;
        } catch (const EDatabaseError& e) {
            if (!handler) throw;
            TDataAction action = daFail;
            handler(*this, e, action);
            if (action == daFail) throw;
            if (action == daAbort) throw EAbort();
        }
    }
}

void TClientDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) positionCursorOn(FActiveRecord);
}

void TClientDataSet::positionCursorOn(int index) {
    if (index == FCurrentRecord) return;
    switch (bookmarkFlag(FBuffers[index])) {
        case kFlagBeforeFirst:
            cursorToFirst();
            break;
        case kFlagAfterLast:
            cursorToLast();
            break;
        default:
            cursorToBuffer(FBuffers[index]);
            break;
    }
    FCurrentRecord = index;
}

void TClientDataSet::cursorToFirst() {
    check(FDSCursor->moveBeforeFirst());
}
void TClientDataSet::cursorToLast() {
    check(FDSCursor->moveAfterLast());
}
void TClientDataSet::cursorToBuffer(const std::vector<unsigned char>& buffer) {
    check(FDSCursor->seekBookmark(buffer.data() + FBookmarkOfs));
}

void TClientDataSet::clearWindow() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TClientDataSet::activateWindow() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TClientDataSet::rotateBuffer(int from, int to) {
    if (from == to) return;
    auto buffer = std::move(FBuffers[from]);
    FBuffers.erase(FBuffers.begin() + from);
    FBuffers.insert(FBuffers.begin() + to, std::move(buffer));
}

const unsigned char* TClientDataSet::activeRecordBuffer() const {
    switch (FState) {
        case dsBrowse:
        case dsBlockRead:
            return FRecordCount > 0 ? FBuffers[FActiveRecord].data() : nullptr;
        case dsEdit:
        case dsInsert:
            return FBuffers[FActiveRecord].data();
        default:
            return nullptr;
    }
}

unsigned char* TClientDataSet::activeRecordBuffer() {
    return const_cast<unsigned char*>(
        static_cast<const TClientDataSet*>(this)->activeRecordBuffer());
}

// ---- fetching ---------------------------------------------------------------------------------

TClientDataSet::FetchResult TClientDataSet::fetchRecord(std::vector<unsigned char>& buffer,
                                                        FetchMode mode, bool raise) {
    DBResult rc = DBIERR_NONE;
    if (mode == FetchMode::next) rc = FDSCursor->moveBy(1);
    if (mode == FetchMode::prior) rc = FDSCursor->moveBy(-1);
    // The record with its sequence number, status and bookmark, read in one step.
    std::uint32_t seq = 0;
    std::uint8_t status = 0;
    if (rc == DBIERR_NONE)
        rc = FDSCursor->readCurrentRecordWithPosition(buffer.data(), &seq, &status,
                                                      buffer.data() + FBookmarkOfs);
    if (rc == errAtBeginning) return FetchResult::bof;
    if (rc == errAtEnd) return FetchResult::eof;
    if (rc != DBIERR_NONE) {
        if (raise) check(rc);
        return FetchResult::error;
    }
    bookmarkFlag(buffer) = kFlagRecord;
    setSequenceNo(buffer, static_cast<std::int32_t>(seq));
    recordStatus(buffer) = status;
    return FetchResult::ok;
}

bool TClientDataSet::fetchNextRecord() {
    FetchMode mode = FetchMode::next;
    if (FRecordCount > 0) positionCursorOn(FRecordCount - 1);
    if (FState == dsInsert && FCurrentRecord == FActiveRecord &&
        bookmarkFlag(FBuffers[FActiveRecord]) == kFlagRecord)
        mode = FetchMode::current;
    if (fetchRecord(FBuffers[FRecordCount], mode, true) != FetchResult::ok) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0)
        activateWindow();
    else if (FRecordCount < FBufferCount)
        ++FRecordCount;
    else
        rotateBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TClientDataSet::fetchPriorRecord() {
    if (FRecordCount > 0) positionCursorOn(0);
    if (fetchRecord(FBuffers[FRecordCount], FetchMode::prior, true) != FetchResult::ok) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount > 0) {
        rotateBuffer(FRecordCount, 0);
        if (FRecordCount < FBufferCount) {
            ++FRecordCount;
            ++FActiveRecord;
        }
    } else {
        activateWindow();
    }
    FCurrentRecord = 0;
    return true;
}

void TClientDataSet::fillWindowForward() {
    while (FRecordCount < FBufferCount && fetchNextRecord()) {
    }
}

void TClientDataSet::fillWindowBackward() {
    while (FRecordCount < FBufferCount && fetchPriorRecord()) {
    }
}

void TClientDataSet::Resync(std::uint8_t mode) {
    if (mode & rmExact) {
        CursorPosChanged();
        if (fetchRecord(FBuffers[FRecordCount], FetchMode::current, true) != FetchResult::ok)
            DatabaseError(u"Record not found", this);
    } else if (fetchRecord(FBuffers[FRecordCount], FetchMode::current, false) != FetchResult::ok &&
               fetchRecord(FBuffers[FRecordCount], FetchMode::next, false) != FetchResult::ok &&
               fetchRecord(FBuffers[FRecordCount], FetchMode::prior, false) != FetchResult::ok) {
        clearWindow();
        signalDataEvent(deDataSetChange);
        return;
    }
    int n = (mode & rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    rotateBuffer(FRecordCount, 0);
    activateWindow();
    try {
        while (n > 0 && fetchPriorRecord()) --n;
        fillWindowForward();
        fillWindowBackward();
    } catch (...) {
        signalDataEvent(deDataSetChange);
        throw;
    }
    signalDataEvent(deDataSetChange);
}

// ---- new records ------------------------------------------------------------------------------

void TClientDataSet::initNewRecord(std::vector<unsigned char>& buffer) {
    check(FDSCursor->clearRecordBuffer(buffer.data()));
    std::fill(buffer.begin() + FRecordSize, buffer.begin() + FRecordSize + FCalcFieldsSize, 0);
    bookmarkFlag(buffer) = kFlagInsertHere;
    setSequenceNo(buffer, -1);
    recordStatus(buffer) = recInserted;
}

void TClientDataSet::startNewRecord() {
    CheckBrowseMode();
    requireModifiable();
    if (FDSOptions & doDisableInserts) DatabaseError(u"Inserts are not allowed", this);
    runHook(BeforeInsert);
    runHook(BeforeScroll);
}

void TClientDataSet::detachCursorForInsert() {
    check(FDSCursor->setProperty(curpropStatus, 0));
    FCurrentRecord = -1;
}

void TClientDataSet::finishNewRecord() {
    changeState(dsInsert);
    if (OnNewRecord) {
        try {
            OnNewRecord(*this);
        } catch (...) {
            UpdateCursorPos();
            changeState(dsBrowse);
            Resync(0);
            throw;
        }
    }
    FModified = false;
    signalDataEvent(deDataSetChange);
    runHook(AfterInsert);
    runHook(AfterScroll);
}

// ---- steps that reach the engine ------------------------------------------------------------

void TClientDataSet::verifyEditAllowed() {
    if (FDSOptions & doDisableEdits) DatabaseError(u"Modifications are not allowed", this);
}

void TClientDataSet::checkRequiredValues() {
    for (int i = 0; i < FFields.Count(); ++i) {
        TField* f = FFields[i];
        if (f->FieldKind() == fkData && f->Required() && !f->ReadOnly() && f->IsNull())
            throw EDatabaseError(
                formatMessage(u"Field '%s' must have a value", {f->DisplayName()}));
    }
}

void TClientDataSet::postToEngine() {
    checkRequiredValues();
    if (FState == dsEdit)
        check(FDSCursor->updateRecord(FBuffers[FActiveRecord].data()));
    else
        check(FDSCursor->addRecord(FBuffers[FActiveRecord].data()));
}

void TClientDataSet::addToEngine(std::vector<unsigned char>& buffer, bool append) {
    if (append) cursorToLast();
    check(FDSCursor->addRecord(buffer.data()));
}

void TClientDataSet::deleteInEngine() {
    if (FDSOptions & doDisableDeletes) DatabaseError(u"Deletes are not allowed", this);
    check(FDSCursor->removeRecord());
}

// ---- public operations ------------------------------------------------------------------------

void TClientDataSet::Edit() {
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    requireModifiable();
    runHook(BeforeEdit);
    runWithErrorHandler([this] { verifyEditAllowed(); }, OnEditError);
    changeState(dsEdit);
    signalDataEvent(deRecordChange);
    runHook(AfterEdit);
}

void TClientDataSet::Insert() {
    startNewRecord();
    std::optional<std::vector<unsigned char>> bookmark;
    if ((FState == dsBrowse || FState == dsEdit || FState == dsInsert) &&
        FActiveRecord < FRecordCount && bookmarkFlag(FBuffers[FActiveRecord]) == kFlagRecord) {
        const auto& active = FBuffers[FActiveRecord];
        bookmark.emplace(active.begin() + FBookmarkOfs,
                         active.begin() + FBookmarkOfs + FBookmarkSize);
    }
    rotateBuffer(FRecordCount, FActiveRecord);
    auto& buffer = FBuffers[FActiveRecord];
    initNewRecord(buffer);
    if (FRecordCount > 0 && bookmark)
        std::copy(bookmark->begin(), bookmark->end(), buffer.begin() + FBookmarkOfs);
    else
        bookmarkFlag(buffer) = kFlagBeforeFirst;
    if (FRecordCount < FBufferCount) ++FRecordCount;
    detachCursorForInsert();
    finishNewRecord();
}

void TClientDataSet::Append() {
    startNewRecord();
    clearWindow();
    initNewRecord(FBuffers[0]);
    bookmarkFlag(FBuffers[0]) = kFlagAfterLast;
    FRecordCount = 1;
    FBOF = false;
    fillWindowBackward();
    detachCursorForInsert();
    finishNewRecord();
}

void TClientDataSet::insertOrAppendRecord(const std::vector<TVarRec>& values, bool append) {
    startNewRecord();
    if (!append) UpdateCursorPos();
    rotateBuffer(FRecordCount, FActiveRecord);
    try {
        initNewRecord(FBuffers[FActiveRecord]);
        FState = dsInsert;
        runHook(OnNewRecord);
        runHook(AfterInsert);
        SetFields(values);
        runHook(BeforePost);
        addToEngine(FBuffers[FActiveRecord], append);
    } catch (...) {
        FState = dsBrowse;
        FModified = false;
        rotateBuffer(FActiveRecord, FRecordCount);
        throw;
    }
    FState = dsBrowse;
    FModified = false;
    Resync(0);
    runHook(AfterPost);
}

void TClientDataSet::AppendRecord(const std::vector<TVarRec>& values) {
    insertOrAppendRecord(values, true);
}
void TClientDataSet::AppendRecords(std::span<const std::vector<TVarRec>> records) {
    if (records.empty()) return;
    if (BeforeInsert || BeforeScroll || OnNewRecord || AfterInsert || BeforePost || AfterPost ||
        OnDataEvent) {
        for (const auto& values : records) AppendRecord(values);
        return;
    }
    // What AppendRecord does for each record, without the hooks (none is set) and with one
    // Resync at the end: the engine's cursor stays on the record last added, which is where
    // AppendRecord's own Resync would have found it.
    startNewRecord();
    rotateBuffer(FRecordCount, FActiveRecord);
    std::size_t appended = 0;
    try {
        for (const auto& values : records) {
            initNewRecord(FBuffers[FActiveRecord]);
            FState = dsInsert;
            SetFields(values);
            addToEngine(FBuffers[FActiveRecord], true);
            ++appended;
        }
    } catch (...) {
        FState = dsBrowse;
        FModified = false;
        if (appended == 0) {
            rotateBuffer(FActiveRecord, FRecordCount);
        } else {
            Resync(0);
        }
        throw;
    }
    FState = dsBrowse;
    FModified = false;
    Resync(0);
}

void TClientDataSet::AppendTextRecords(std::span<const std::string_view> values) {
    const auto fieldCount = static_cast<std::size_t>(FFields.Count());
    if (values.empty()) return;
    if (fieldCount == 0 || values.size() % fieldCount != 0)
        throw EDatabaseError(u"Argument out of range");
    const std::size_t recordCount = values.size() / fieldCount;

    // The texts go straight to the engine when nothing but storing them can happen: no hook,
    // and every field a data field that the engine's order and the texts' order agree on,
    // either a string field or a field that an empty text leaves null (and whose texts all
    // are empty).
    bool direct = !(BeforeInsert || BeforeScroll || OnNewRecord || AfterInsert || BeforePost ||
                    AfterPost || OnDataEvent);
    std::vector<char> isText(fieldCount);
    for (std::size_t f = 0; direct && f < fieldCount; ++f) {
        const TField* field = FFields[static_cast<int>(f)];
        const std::type_info& type = typeid(*field);
        isText[f] = type == typeid(TStringField);
        const bool emptyIsNull = type == typeid(TIntegerField) || type == typeid(TDateTimeField) ||
                                 type == typeid(TTimeField);
        direct = (isText[f] || emptyIsNull) && field->FieldKind() == fkData && !field->ReadOnly() &&
                 field->FieldNo() == static_cast<int>(f) + 1;
    }
    for (std::size_t f = 0; direct && f < fieldCount; ++f) {
        if (isText[f]) continue;
        for (std::size_t i = f; direct && i < values.size(); i += fieldCount)
            direct = values[i].empty();
    }
    if (!direct) {
        std::vector<std::vector<TVarRec>> records(recordCount, std::vector<TVarRec>(fieldCount));
        for (std::size_t i = 0; i < values.size(); ++i) {
            TVarRec& value = records[i / fieldCount][i % fieldCount];
            value.VType = vtAnsiString;
            value.VAnsi = std::string(values[i]);
        }
        AppendRecords(records);
        return;
    }

    // What AppendRecords does with the texts as narrow strings, without a record buffer: the
    // field's SetAsAnsiString part here (up to the first NUL, cut to the field's size without
    // splitting a double-byte character), the rest in the cursor's appendValues.
    startNewRecord();
    std::vector<std::size_t> sizes(fieldCount);
    for (std::size_t f = 0; f < fieldCount; ++f)
        sizes[f] = static_cast<std::size_t>(FFields[static_cast<int>(f)]->Size());
    std::vector<RowValue>& rows = FRowScratch;
    rows.resize(values.size());
    for (std::size_t r = 0; r < recordCount; ++r) {
        const std::string_view* text = values.data() + r * fieldCount;
        RowValue* row = rows.data() + r * fieldCount;
        for (std::size_t f = 0; f < fieldCount; ++f) {
            if (!isText[f]) {
                row[f] = RowValue{indNull, 0, nullptr};
                continue;
            }
            std::size_t n = text[f].size();
            const void* nul = n == 0 ? nullptr : std::memchr(text[f].data(), 0, n);
            if (nul) n = static_cast<std::size_t>(static_cast<const char*>(nul) - text[f].data());
            if (n > sizes[f]) n = ansiCutLength(text[f].substr(0, n), sizes[f]);
            row[f] = RowValue{indValue, static_cast<std::int32_t>(n),
                              reinterpret_cast<const unsigned char*>(text[f].data())};
        }
    }
    const DBResult rc =
        FDSCursor->appendValues(rows.data(), static_cast<std::uint32_t>(recordCount));
    // Those appended before an error stay, as with AppendRecords.
    Resync(0);
    check(rc);
}

void TClientDataSet::InsertRecord(const std::vector<TVarRec>& values) {
    insertOrAppendRecord(values, false);
}

void TClientDataSet::Post() {
    UpdateRecord();
    if (FState == dsEdit || FState == dsInsert) {
        signalDataEvent(deCheckBrowseMode);
        runHook(BeforePost);
        runWithErrorHandler([this] { postToEngine(); }, OnPostError);
        changeState(dsBrowse);
        Resync(0);
        runHook(AfterPost);
    }
}

void TClientDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    const bool wasInsert = FState == dsInsert;
    signalDataEvent(deCheckBrowseMode);
    runHook(BeforeCancel);
    if (wasInsert) runHook(BeforeScroll);
    UpdateCursorPos();
    changeState(dsBrowse);
    Resync(0);
    runHook(AfterCancel);
    if (wasInsert) runHook(AfterScroll);
}

void TClientDataSet::CheckBrowseMode() {
    requireOpen();
    signalDataEvent(deCheckBrowseMode);
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
    } else if (FState == dsSetKey) {
        Post();
    }
}

void TClientDataSet::Delete() {
    requireOpen();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0)
        DatabaseError(u"Cannot perform this operation on an empty dataset", this);
    signalDataEvent(deCheckBrowseMode);
    runHook(BeforeDelete);
    runHook(BeforeScroll);
    runWithErrorHandler([this] { deleteInEngine(); }, OnDeleteError);
    changeState(dsBrowse);
    Resync(0);
    runHook(AfterDelete);
    runHook(AfterScroll);
}

void TClientDataSet::First() {
    CheckBrowseMode();
    runHook(BeforeScroll);
    clearWindow();
    try {
        cursorToFirst();
        fetchNextRecord();
        fillWindowForward();
    } catch (...) {
        FBOF = true;
        throw;
    }
    FBOF = true;
    signalDataEvent(deDataSetChange);
    runHook(AfterScroll);
}

void TClientDataSet::Last() {
    CheckBrowseMode();
    runHook(BeforeScroll);
    clearWindow();
    try {
        cursorToLast();
        fetchPriorRecord();
        fillWindowBackward();
    } catch (...) {
        FEOF = true;
        throw;
    }
    FEOF = true;
    signalDataEvent(deDataSetChange);
    runHook(AfterScroll);
}

std::int32_t TClientDataSet::MoveBy(std::int32_t distance) {
    CheckBrowseMode();
    runHook(BeforeScroll);
    if (distance == 0 || (distance > 0 && FEOF) || (distance < 0 && FBOF)) return 0;
    FBOF = false;
    FEOF = false;
    const int oldRecordCount = FRecordCount;
    std::intptr_t scroll = 0;
    std::int32_t moved = 0;
    auto finish = [&] {
        if (FRecordCount == oldRecordCount)
            signalDataEvent(deDataSetScroll, scroll);
        else
            signalDataEvent(deDataSetChange);
        runHook(AfterScroll);
    };
    try {
        while (distance > 0) {
            if (FActiveRecord < FRecordCount - 1) {
                ++FActiveRecord;
            } else {
                const bool full = FRecordCount >= FBufferCount;
                if (!fetchNextRecord()) {
                    FEOF = true;
                    break;
                }
                if (full) --scroll;
                if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
            }
            ++moved;
            --distance;
        }
        while (distance < 0) {
            if (FActiveRecord > 0) {
                --FActiveRecord;
            } else {
                const bool full = FRecordCount >= FBufferCount;
                if (!fetchPriorRecord()) {
                    FBOF = true;
                    break;
                }
                if (full) ++scroll;
                if (FActiveRecord > 0) --FActiveRecord;
            }
            --moved;
            ++distance;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return moved;
}

std::int32_t TClientDataSet::RecNo() const {
    requireOpen();
    if (FState == dsInternalCalc) return -1;
    if (FBuffers.empty()) return 0;
    return sequenceNo(FBuffers[FActiveRecord]);
}

void TClientDataSet::SetRecNo(std::int32_t value) {
    CheckBrowseMode();
    if (value == RecNo()) return;
    runHook(BeforeScroll);
    const DBResult moved = FDSCursor->moveToSequenceNo(static_cast<std::uint32_t>(value));
    if (moved != DBIERR_NONE) {
        // The refused move left the engine cursor beside the table: put it back on the record
        // the dataset shows, so that the next step moves from there.
        CursorPosChanged();
        UpdateCursorPos();
        check(moved);
    }
    Resync(rmCenter);
    runHook(AfterScroll);
}

std::int32_t TClientDataSet::RecordCount() const {
    requireOpen();
    std::uint32_t count = 0;
    const DBResult rc = FDSCursor->countRecords(&count);
    if (rc != DBIERR_NONE && rc != errDetailsNotFetched)
        const_cast<TClientDataSet*>(this)->check(rc);
    return static_cast<std::int32_t>(count);
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
    requireOpen();
    if (FState == dsInternalCalc || FBuffers.empty()) return usUnmodified;
    const std::uint8_t status = recordStatus(FBuffers[FActiveRecord]);
    if (status & recModified) return usModified;
    if (status & recDeleted) return usDeleted;
    if (status & recInserted) return usInserted;
    return usUnmodified;
}

std::int64_t TClientDataSet::ChangeCount() const {
    if (!Active() || !FDSBase) return 0;
    std::uint32_t count = 0;
    const_cast<TClientDataSet*>(this)->check(FDSBase->getProperty(propChangeCount, &count));
    return count;
}

std::int32_t TClientDataSet::SavePoint() {
    requireOpen();
    std::uint32_t savePoint = 0;
    check(FDSBase->getProperty(propSavePoint, &savePoint));
    return static_cast<std::int32_t>(savePoint);
}

void TClientDataSet::SetSavePoint(std::int32_t savePoint) {
    CheckBrowseMode();
    check(FDSBase->undoToSavePoint(static_cast<std::uint32_t>(savePoint)));
    First();
}

void TClientDataSet::MergeChangeLog() {
    CheckBrowseMode();
    check(FDSBase->commitChangeLog());
    UpdateCursorPos();
    Resync(0);
}

std::int32_t TClientDataSet::ApplyUpdates(std::int32_t) {
    CheckBrowseMode();
    if (ChangeCount() == 0) return 0;
    DatabaseError(u"Missing data provider or data packet", this);
}
