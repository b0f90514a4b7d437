#pragma once
// TClientDataSet: the dataset through which the window reaches one engine table.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Component.h"
#include "DBTypes.h"
#include "FieldClasses.h"
#include "FieldDefs.h"
#include "IDSBase.h"
#include "IDSCursor.h"

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

    bool Active() const { return FState != dsInactive && FState != dsOpening; }
    TDataSetState State() const { return FState; }
    std::int32_t RecordCount();
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }

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
    void createEngineTable();
    void attachTable();
    void prepareCursor();
    void createFields();
    void bindFields();
    void computeRecordBufferLayout();
    void openComplete();
    void releaseOpenState();

    TFieldDefs FFieldDefs;
    TFields FFields;
    IDSBasePtr FDSBase;
    IDSCursorPtr FDSCursor;
    std::optional<std::vector<unsigned char>> FSavedPacket;
    bool FSavePacketOnClose = false;
    bool FProviderEOF = false;
    bool FInternalOpenComplete = false;
    TDataSetState FState = dsInactive;
    bool FBOF = true;
    bool FEOF = true;

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
    std::vector<unsigned char> FConvertBuffer;            // exchange form <-> record form
};
