#pragma once
// TClientDataSet: the dataset through which the window reaches one engine table.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "dataset/Component.h"
#include "dataset/DBTypes.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldClasses.h"
#include "dataset/FieldDefs.h"
#include "dataset/Variant.h"
#include "engine/IDSBase.h"
#include "engine/IDSCursor.h"
#include "platform/AtomicFileWriter.h"

class TStream;

enum TUpdateStatus : std::uint8_t { usUnmodified, usModified, usInserted, usDeleted };
enum TDataEvent : std::uint8_t {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
};
enum TDataAction : std::uint8_t { daFail, daAbort, daRetry };
enum TDataPacketFormat : std::uint8_t { dfBinary, dfXML, dfXMLUTF8 };
enum : std::uint8_t { rmExact = 1, rmCenter = 2 };
enum : std::uint8_t { doDisableInserts = 1, doDisableDeletes = 2, doDisableEdits = 4 };

class TClientDataSet;
using TDataSetNotifyEvent = std::function<void(TClientDataSet&)>;
using TDataSetErrorEvent =
    std::function<void(TClientDataSet&, const EDatabaseError&, TDataAction&)>;
using TDataEventHandler = std::function<void(TClientDataSet&, TDataEvent, std::intptr_t)>;

class TClientDataSet : public TComponent {
  public:
    explicit TClientDataSet(std::u16string name = {}, TComponent* owner = nullptr);
    ~TClientDataSet() override;
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    TFieldDefs& FieldDefs() { return FFieldDefs; }
    TFields& Fields() { return FFields; }

    // Creates an empty engine table from FieldDefs and opens the dataset.
    void CreateDataSet();
    // Opens the dataset on its engine table.
    void Open();

    // Closes the dataset; an open table becomes the kept packet.
    void Close();
    void SetActive(bool active) { active ? Open() : Close(); }
    bool Active() const { return FState != dsInactive && FState != dsOpening; }
    TDataSetState State() const { return FState; }
    bool Modified() const { return FModified; }
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }

    // Fields and values.
    TField* FieldByName(std::u16string_view name) const;
    // The AsString of a text field for the current record and every record after it, in
    // order, handed to add: what a walk with Next until Eof reads of the field (nothing at
    // Eof), in one pass over the table and without moving. Only while browsing, and only for a
    // string field of this dataset; false, with nothing read, otherwise.
    bool ReadTextsToEnd(const TField& field, const std::function<void(std::u16string&&)>& add);
    TField* FindField(std::u16string_view name) const;
    Variant GetFieldValue(std::u16string_view names) const;
    void SetFields(const std::vector<TVarRec>& values);
    bool GetFieldData(const TField* field, void* buffer) const;
    void storeFieldData(TField* field, const void* buffer);

    // Record operations.
    void Edit();
    void Insert();
    void Append();
    void AppendRecord(const std::vector<TVarRec>& values);
    // AppendRecord of each record in turn, leaving the same table and current record; the
    // dataset's window is brought up to date once at the end instead of after every record.
    // With a hook or data-event listener set, it is AppendRecord one by one. On an error the
    // records before the failing one stay appended, as they would one by one.
    void AppendRecords(std::span<const std::vector<TVarRec>> records);
    // Appends records given as texts in the code page, values[f] for field f of each record in
    // turn (the field count per record): each as AppendRecords stores the same text given as
    // a narrow string. When that can do nothing but store them (no hook; string fields, and
    // fields that an empty text leaves null given empty texts), the texts go to the engine
    // without the detour through the fields and a record buffer.
    void AppendTextRecords(std::span<const std::string_view> values);
    void InsertRecord(const std::vector<TVarRec>& values);
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    void UpdateRecord();
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    std::int32_t MoveBy(std::int32_t distance);
    std::int32_t RecNo() const;
    void SetRecNo(std::int32_t value);
    std::int32_t RecordCount() const;
    bool IsEmpty() const { return FActiveRecord >= FRecordCount; }
    TUpdateStatus UpdateStatus() const;
    std::int64_t ChangeCount() const;
    // A mark in the change log: setting it back undoes every change logged after it was taken.
    // The current record afterwards is the first.
    std::int32_t SavePoint();
    void SetSavePoint(std::int32_t savePoint);
    void MergeChangeLog();
    std::int32_t ApplyUpdates(std::int32_t maxErrors);
    void Resync(std::uint8_t mode);

    // Saving and loading.
    void SaveToFile(const std::u16string& fileName = {}, TDataPacketFormat format = dfBinary);
    void SaveToStream(TStream& stream, TDataPacketFormat format = dfBinary);
    void LoadFromFile(const std::u16string& fileName = {});
    void LoadFromStream(TStream& stream);
    const std::u16string& FileName() const { return FFileName; }
    // The system calls SaveToFile writes through; tests replace them to make a save fail
    // (a full disk, a read-only file system).
    void SetFileWriteCalls(FileWriteCalls calls) { FFileWriteCalls = std::move(calls); }
    // The kept packet, while the dataset is closed.
    const PacketBytes& SavedPacket() const { return FSavedPacket; }

    // Extension points: hooks, error handlers and data-event listeners (none set by the window).
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
        OnNewRecord, BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel,
        BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;
    TDataEventHandler OnDataEvent;

    // The shared input/output buffer of the fields, and the conversion buffer.
    unsigned char* ioBuffer() { return FIOBuffer.data(); }
    unsigned char* convertBuffer() { return FConvertBuffer.data(); }

    // Engine objects (shared references) while the dataset is open.
    const IDSBasePtr& DSBase() const { return FDSBase; }
    const IDSCursorPtr& DSCursor() const { return FDSCursor; }

    // Record buffer layout.
    std::int32_t RecordSize() const { return FRecordSize; }
    std::int32_t BookmarkSize() const { return FBookmarkSize; }
    std::int32_t RecBufSize() const { return FRecBufSize; }
    std::int32_t RecInfoOfs() const { return FRecInfoOfs; }
    std::int32_t BookmarkOfs() const { return FBookmarkOfs; }
    bool CanModify() const { return FCanModify; }
    std::size_t IOBufferSize() const { return FIOBuffer.size(); }

    // Turns a non-zero engine code into EDBClient with the engine's text.
    static void raiseEngineError(IDSBase& table, DBResult code);
    void check(DBResult code);

  private:
    enum class FetchResult { ok, bof, eof, error };
    enum class FetchMode { current, next, prior };

    void requireOpen() const;
    void requireModifiable() const;
    void changeState(TDataSetState state);
    void signalDataEvent(TDataEvent event, std::intptr_t info = 0);
    void runWithErrorHandler(const std::function<void()>& step, const TDataSetErrorEvent& handler);
    void runHook(const TDataSetNotifyEvent& hook) {
        if (hook) hook(*this);
    }
    void UpdateCursorPos();
    void CursorPosChanged() { FCurrentRecord = -1; }
    void positionCursorOn(int index);
    void cursorToFirst();
    void cursorToLast();
    void cursorToBuffer(const std::vector<unsigned char>& buffer);
    FetchResult fetchRecord(std::vector<unsigned char>& buffer, FetchMode mode, bool raise);
    bool fetchNextRecord();
    bool fetchPriorRecord();
    void fillWindowForward();
    void fillWindowBackward();
    void clearWindow();
    void activateWindow();
    void rotateBuffer(int from, int to);
    void startNewRecord();
    void detachCursorForInsert();
    void finishNewRecord();
    void initNewRecord(std::vector<unsigned char>& buffer);
    void postToEngine();
    void addToEngine(std::vector<unsigned char>& buffer, bool append);
    void deleteInEngine();
    void verifyEditAllowed();
    void checkRequiredValues();
    void insertOrAppendRecord(const std::vector<TVarRec>& values, bool append);
    const unsigned char* activeRecordBuffer() const;
    unsigned char* activeRecordBuffer();

    // Record info of a buffer.
    void setSequenceNo(std::vector<unsigned char>& buffer, std::int32_t value);
    std::uint8_t& bookmarkFlag(std::vector<unsigned char>& buffer);
    std::uint8_t& recordStatus(std::vector<unsigned char>& buffer);
    std::int32_t sequenceNo(const std::vector<unsigned char>& buffer) const;
    std::uint8_t recordStatus(const std::vector<unsigned char>& buffer) const;

    // Saving and loading steps.
    void keepTableAsPacket(TDataPacketFormat format);
    // The packet a save writes: the open table streamed in format (kept for a close that
    // follows), or the kept packet of a closed dataset; none when there is nothing to write.
    PacketBytes packetToWrite(TDataPacketFormat format);
    void writePacketToStream(TStream& stream, bool withLength, TDataPacketFormat format);
    void dropKeptPacket() { FSavedPacket.reset(); }
    void readPacketFromStream(TStream& stream, bool withLength);
    void detachTable();
    void releaseCursor();

    void createEngineTable();
    void attachTable();
    void prepareCursor();
    void createFields();
    void bindFields();
    void computeRecordBufferLayout();
    void openComplete();

    TFieldDefs FFieldDefs;
    TFields FFields;
    IDSBasePtr FDSBase;
    IDSCursorPtr FDSCursor;
    PacketBytes FSavedPacket;  // the kept packet, or none
    // The packet the open table was last streamed to, with the table's generation and the
    // format then: while both are unchanged the next packet of the table is these bytes again.
    struct StreamedPacket {
        PacketBytes bytes;
        std::weak_ptr<IDSBase> table;
        std::uint64_t generation = 0;
        TDataPacketFormat format = dfBinary;
    };
    StreamedPacket FLastStreamed;
    bool FSavePacketOnClose = false;
    bool FProviderEOF = false;
    bool FInternalOpenComplete = false;
    TDataSetState FState = dsInactive;
    bool FModified = false;
    bool FBOF = true;
    bool FEOF = true;
    bool FOpeningFile = false;
    std::u16string FFileName;
    FileWriteCalls FFileWriteCalls = FileWriteCalls::system();
    std::uint8_t FDSOptions = 0;
    bool FReadOnly = false;

    // The record window: FBufferCount buffers plus a spare; FRecordCount of them hold records.
    int FBufferCount = 1;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;

    std::int32_t FRecordSize = 0;
    std::int32_t FBookmarkSize = 0;
    bool FCanModify = false;
    std::int32_t FCalcFieldsSize = 0;
    std::int32_t FRecInfoOfs = 0;
    std::int32_t FBookmarkOfs = 0;
    std::int32_t FAggGrpIndOfs = 0;
    std::int32_t FAggFieldsOfs = 0;
    std::int32_t FRecBufSize = 0;
    std::int32_t FFieldNoOfs = 1;

    bool FDisableEdits = false, FDisableInserts = false, FDisableDeletes = false,
         FNoResetCall = false;

    std::vector<std::vector<unsigned char>> FBuffers;     // one per displayed record plus one
    std::vector<std::vector<unsigned char>> FKeyBuffers;  // six, FRecordSize + 8 bytes each
    std::vector<unsigned char> FIOBuffer;                 // shared by all fields
    std::vector<RowValue> FRowScratch;                    // AppendTextRecords' rows
    std::vector<unsigned char> FConvertBuffer;            // exchange form <-> record form
};
