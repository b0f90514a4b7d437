#pragma once
// DSBASE: one in-memory table of the engine behind IDSBase.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/ChangeLog.h"
#include "engine/DSIndex.h"
#include "engine/IDSBase.h"
#include "engine/RecordStore.h"
#include "packet/IDSReader.h"

class DSBASE : public IDSBase, public std::enable_shared_from_this<DSBASE> {
  public:
    DSBASE();
    ~DSBASE() override;

    [[nodiscard]] DBResult defineTable(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                                       const char* name) override;
    [[nodiscard]] DBResult getOptionalParameter(std::uint32_t fieldNo, const char* name,
                                                std::uint32_t* typeWord, std::uint32_t* length,
                                                void* value) override;
    [[nodiscard]] DBResult addOptionalParameter(std::uint32_t fieldNo, const char* name,
                                                std::uint32_t typeWord, std::uint32_t length,
                                                const void* value) override;
    [[nodiscard]] DBResult getTableInfo(DSTableInfo* info) override;
    [[nodiscard]] DBResult getFieldDescriptors(DSFLDDesc* descriptors) override;
    [[nodiscard]] DBResult appendPacket(PacketBytes packet, bool last) override;
    ReadFailure lastReadFailure() const override { return FLastReadFailure; }
    [[nodiscard]] DBResult streamTable(std::vector<unsigned char>& packet) override;
    std::uint64_t generation() const override { return FGeneration; }
    [[nodiscard]] DBResult commitChangeLog() override;
    [[nodiscard]] DBResult setFieldNull(unsigned char* buffer, std::uint32_t recordNumber,
                                        std::uint32_t fieldNumber, std::uint8_t kind) override;
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    [[nodiscard]] DBResult getProperty(std::uint32_t id, std::uint32_t* value) override;
    [[nodiscard]] DBResult setProperty(std::uint32_t id, std::uint32_t value) override;
    [[nodiscard]] DBResult emptyTable() override;
    [[nodiscard]] DBResult undoToSavePoint(std::uint32_t savePoint) override;
    [[nodiscard]] DBResult dropOptionalParameter(std::uint32_t fieldNo, const char* name) override;

    // Engine-internal access for cursors, the store and the packet code.
    std::recursive_mutex& lock() { return FLock; }
    bool isDefined() const { return FDefined; }
    const std::vector<DSFLDDesc>& fields() const { return FFields; }
    std::uint32_t recordLength() const { return FRecordLength; }
    std::shared_ptr<DSIDX> defaultOrder() const;

    // A kept attribute of the table (fieldNo 0) or of a field.
    struct OptionalParameter {
        std::uint32_t fieldNo;
        std::string name;
        std::uint32_t typeWord;
        std::vector<unsigned char> value;
    };
    const std::vector<OptionalParameter>& optionalParameters() const { return FOptParams; }

    // ---- The record store (engine-internal; DSBASEStore.cpp) ----
    // Every operation takes the table's lock. Record numbers are 1-based slots; slots 1 to
    // next - 1 are in use (live, superseded, deleted or released), slot next is the scratch
    // slot. Buffers have the table's record layout (recordLength() bytes).

    // Stores buffer at slot next and joins it to the indexes (at the default order's insertion
    // hint, else after the last record). When changes are logged the record's status becomes
    // recInserted and an insert is logged; otherwise the slot's status byte is left as it is.
    [[nodiscard]] DBResult storeInsert(const unsigned char* buffer, std::uint32_t* recordNumber);
    // The same for values (values[f] for field f) as storeLoadedRow takes them.
    [[nodiscard]] DBResult storeInsertValues(const RowValue* values, std::uint32_t* recordNumber);
    // For loading a datapacket: stores buffer at slot next with the given status, without
    // logging and whatever the logging setting. A record whose status is not live (any of
    // recSuperseded, recDeleted, recReleased) keeps its slot but joins no index.
    [[nodiscard]] DBResult storeInsertWithStatus(const unsigned char* buffer, std::uint8_t status,
                                                 std::uint32_t* recordNumber);
    // The same for a row as a packet reader delivers it (values[f] for field f), stored
    // without a record buffer; the slot ends as if the values had been placed in one.
    [[nodiscard]] DBResult storeLoadedRow(const RowValue* values, std::uint8_t status,
                                          std::uint32_t* recordNumber);
    // Writes a new version of record at slot next, which takes the old version's place in
    // every index; answers the new version's number. positionHint: where the caller last saw
    // the record in the default order (0 when unknown); checked before it is used.
    [[nodiscard]] DBResult storeModify(std::uint32_t record, const unsigned char* buffer,
                                       std::uint32_t* newRecord, std::uint32_t positionHint = 0);
    // Marks record deleted and takes it out of every index; its slot stays untouched.
    [[nodiscard]] DBResult storeDelete(std::uint32_t record, std::uint32_t positionHint = 0);
    // Copies record (1 to next) into buffer.
    [[nodiscard]] DBResult storeRead(std::uint32_t record, unsigned char* buffer);
    // One field of record: fieldNumber 1..fields copies the field's storage length of bytes to
    // value (when given) and its indicator byte to indicator (when given); fieldNumber 0 gives
    // the status byte (one byte to value).
    [[nodiscard]] DBResult storeReadField(std::uint32_t record, std::uint32_t fieldNumber,
                                          void* value, std::uint8_t* indicator);
    // Releases a slot in use: its fields become null, its status gets recReleased, and the
    // highest used slot is given back (next - 1). A live record leaves the indexes first.
    void releaseRecord(std::uint32_t record);
    // Undoes the newest change-log entry; answers the record that is current afterwards.
    // errNothingToUndo when the log is empty. Entries that do not match the store (a log read
    // from a foreign packet) are dropped without effect.
    [[nodiscard]] DBResult undoLastEntry(std::uint32_t* record);
    // The number of changes (property 2).
    [[nodiscard]] DBResult changeCount(std::uint32_t* count);

    // Loading support: room for count more slots past next - 1 (the caller caps count by the
    // bytes it holds), the loading growth rule (grow by the capacity, by half of it past 1000
    // slots), log entries read from a packet, rebuilding the indexes from the live slots.
    [[nodiscard]] DBResult reserveSlots(std::uint32_t count);
    void setLoadGrowth(bool on);
    [[nodiscard]] DBResult appendLogEntry(const DSLogEntry& entry);
    [[nodiscard]] DBResult replaceChangeLog(const std::vector<DSLogEntry>& entries);
    [[nodiscard]] DBResult rebuildIndexes();
    // Caps the bytes the record store may hold (0: no cap); growth past it fails with
    // errNoMemory like a failed allocation.
    void setStoreByteLimit(std::size_t bytes);

    // Read access for cursors and the datapacket writer.
    std::uint32_t nextRecord() const { return FNext; }
    std::uint32_t capacity() const { return FStore.capacity(); }
    std::uint32_t liveCount() const { return FLiveCount; }
    std::uint32_t releasedCount() const { return FReleasedCount; }
    // The status byte of a slot, 0 for a number outside the store.
    std::uint8_t recordStatus(std::uint32_t record) const;
    const RecordStore& store() const { return FStore; }
    const ChangeLog& changeLog() const { return FLog; }
    const std::vector<std::shared_ptr<DSIDX>>& indexes() const { return FIndexes; }
    int autoIncField() const { return FAutoIncField; }  // 0-based, -1 when none
    std::uint32_t nextAutoIncValue() const { return FNextAutoInc; }
    void setNextAutoIncValue(std::uint32_t value);
    bool logsChanges() const { return FLogChanges; }
    bool holdsDelta() const { return FHoldsDelta; }
    bool keepsTrailingSpaces() const { return FKeepTrailingSpaces; }
    // Whether the table's string values are UTF-8 (code page 65001) rather than single- or
    // double-byte text of its code page.
    bool narrowTextIsUtf8() const { return FCodePage == 65001; }

    // Cursor callbacks: one registration per owner (a cursor), called in registration order
    // after every change of the store while the lock is held.
    [[nodiscard]] DBResult registerCursorCallback(const void* owner, DSChangeCallback callback,
                                                  void* clientData);
    void unregisterCursorCallback(const void* owner);

  private:
    enum class ChangeKind { Insert, Modify, Delete };
    struct CursorCallback {
        const void* owner;
        DSChangeCallback callback;
        void* clientData;
    };

    [[nodiscard]] DBResult checkPermission(ChangeKind kind) const;
    [[nodiscard]] DBResult checkChangedRecord(std::uint32_t record) const;
    bool inUse(std::uint32_t record) const;
    [[nodiscard]] DBResult makeRoomForNext();
    [[nodiscard]] DBResult reserveIndexes();
    // Stores buffer, or else values, at slot next.
    [[nodiscard]] DBResult insertSlot(const unsigned char* buffer, const RowValue* values,
                                      bool logged, const std::uint8_t* status,
                                      std::uint32_t* recordNumber);
    std::uint32_t unindex(std::uint32_t record, std::uint32_t positionHint);
    void releaseSlot(std::uint32_t record);
    bool versionsEqual(std::uint32_t newer, std::uint32_t older) const;
    void rebuildChangeIndex();
    void notifyCursors();
    void resetStore();

    [[nodiscard]] DBResult expandDescriptors(std::uint32_t fieldCount, const DSFLDDesc* descriptors,
                                             std::vector<DSFLDDesc>& out,
                                             std::vector<std::uint32_t>* definedToField) const;
    [[nodiscard]] DBResult computeLayout(std::vector<DSFLDDesc>& fields,
                                         std::uint32_t& recordLength) const;
    void createIndex(const std::string& name, bool changeIndex);
    void resetDefinition();
    std::vector<OptionalParameter>::iterator findOptionalParameter(std::uint32_t fieldNo,
                                                                   const char* name);

    std::recursive_mutex FLock;
    bool FDefined = false;
    std::string FName;
    std::vector<DSFLDDesc> FDefinedFields;       // as handed to defineTable (arrays unexpanded)
    std::vector<DSFLDDesc> FFields;              // completed, arrays expanded
    std::vector<std::uint32_t> FDefinedToField;  // FDefinedFields[i] -> index into FFields
    std::uint32_t FRecordLength = 0;
    std::vector<unsigned char> FScratch;

    RecordStore FStore;
    ChangeLog FLog;
    std::uint32_t FNext = 1;           // next record number; slot next is the scratch slot
    std::uint32_t FLiveCount = 0;      // records in the default order
    std::uint32_t FReleasedCount = 0;  // released slots below the highest used one
    bool FLoadGrowth = false;
    std::vector<CursorCallback> FCallbacks;

    int FAutoIncField = -1;  // 0-based field index, or -1
    std::uint32_t FNextAutoInc = 1;

    std::vector<std::shared_ptr<DSIDX>> FIndexes;
    std::uint32_t FNextIndexId = 1;

    std::vector<OptionalParameter> FOptParams;

    // Properties.
    // Loading a datapacket (DSBASELoad.cpp); the reader is kept for appending further packets.
    [[nodiscard]] DBResult createFromPacket(PacketBytes packet, bool last);
    [[nodiscard]] DBResult loadMetadata(IDSReader& reader);
    [[nodiscard]] DBResult loadRows(IDSReader& reader);
    std::unique_ptr<IDSReader> FReader;
    ReadFailure FLastReadFailure;  // of the last appendPacket, when the reader refused it

    bool FLogChanges = true;
    bool FReadOnly = false;
    bool FConstraintsDisabled = false;
    bool FPartial = false;
    bool FHoldsDelta = false;
    bool FOmitMetadata = false;
    bool FReportUndefinedArrays = false;
    std::uint32_t FChangeIndexView = 0;
    std::uint32_t FStreamMode = 0;
    bool FDeletesDisabled = false;
    bool FInsertsDisabled = false;
    bool FModifiesDisabled = false;
    bool FKeepTrailingSpaces = false;
    std::uint32_t FChangeCounter = 0;
    std::uint64_t FGeneration = 0;  // see generation()
    bool FUtf8Metadata = false;
    bool FUtf8ErrorText = false;
    std::uint32_t FCodePage = 0;
    std::uint32_t FLocale = 0;
    std::map<std::uint32_t, std::uint32_t> FOtherProperties;  // the propReserved… numbers
};
