#pragma once
// Records exchanged between the dataset layer and the table engine: field descriptors,
// table information, and the constants of the record layout.

#include <cstdint>

#include "packet/DBResult.h"

// One field of a table, handed to defineTable and completed by it.
struct DSFLDDesc {
    char szName[32];               // UTF-8, NUL-terminated, at most 31 bytes
    std::int32_t iFldType;         // engine field type
    std::int32_t iFldSubType;      // engine sub-type
    std::int32_t iUnits1;          // string: maximum bytes; BCD: precision
    std::int32_t iUnits2;          // BCD: scale
    std::int32_t iFldLen;          // storage length in a record (engine)
    std::int32_t iFldOffsInRec;    // offset of the value in a record (engine)
    std::int32_t iNullOffsInRec;   // offset of the indicator byte (engine)
    std::uint16_t iFieldID;        // 1-based position (engine)
    std::uint16_t iFieldIDParent;  // parent of a structured field's child (engine)
    std::int32_t bCalculated;      // -1 true, 0 false
    std::int32_t iFldAttr;         // field attribute flags, zero-extended
    std::int32_t iOptParameters;   // number of field-level optional parameters (engine)
};
static_assert(sizeof(DSFLDDesc) == 76, "DSFLDDesc is a packed record");

// Table information answered by getTableInfo and getCursorInfo.
struct DSTableInfo {
    char szTableName[261];
    std::uint32_t iFields;
    std::uint32_t iRecBufSize;
    std::uint32_t iBookMarkSize;
    std::int32_t bReadOnly;
    std::uint32_t iIndexes;
    std::uint32_t iOptParams;
    std::int32_t bDelta;
    std::uint32_t iLCID;
    std::uint32_t iReserved[8];
};

// Engine field types.
enum : std::int32_t {
    fldZSTRING = 1,
    fldDATE = 2,
    fldBLOB = 3,
    fldBOOL = 4,
    fldINT16 = 5,
    fldINT32 = 6,
    fldFLOAT = 7,
    fldBCD = 8,
    fldBYTES = 9,
    fldTIME = 10,
    fldTIMESTAMP = 11,
    fldUINT16 = 12,
    fldUINT32 = 13,
    fldFLOATIEEE = 14,
    fldVARBYTES = 15,
    fldLOCKINFO = 16,
    fldCURSOR = 17,
    fldINT64 = 18,
    fldUINT64 = 19,
    fldADT = 20,
    fldARRAY = 21,
    fldREF = 22,
    fldTABLE = 23,
    fldDATETIME = 24,
    fldFMTBCD = 25,
    fldSINGLE = 27,
    fldINT8 = 28,
    fldUINT8 = 29,
    fldDATETIMEOFFSET = 36,
    fldUNICODE = 0x1007,
};

// Field attribute flags (iFldAttr), the dataset layer's TFieldAttributes byte.
enum : std::int32_t {
    fldAttrHidden = 0x01,
    fldAttrReadOnly = 0x02,
    fldAttrRequired = 0x04,
    fldAttrLink = 0x08,
};

// Indicator byte values, one per field after the values of a record.
enum : std::uint8_t { indValue = 0, indNull = 1, indUnassigned = 2 };

// Record status bits; the same values are a datapacket row's status.
enum : std::uint8_t {
    recUnmodified = 0x00,
    recSuperseded = 0x01,
    recDeleted = 0x02,
    recInserted = 0x04,
    recModified = 0x08,
    recReleased = 0x20,
    recDetailChanged = 0x40,
};

// Change-log entry kinds.
enum : std::uint32_t {
    logDelete = 2,
    logInsert = 4,
    logModify = 8,
    logDetail = 64,
    logReorder = 256,
};

// Table property numbers (getProperty / setProperty).
enum : std::uint32_t {
    propLogChanges = 0,
    propReadOnly = 1,
    propChangeCount = 2,
    propConstraintsDisabled = 3,
    propPartialPacket = 4,
    propLiveRecordCount = 5,
    propNoAutoIncField = 6,
    propHoldsDelta = 7,
    propOmitMetadata = 8,
    propUndefinedArrays = 11,
    propSavePoint = 10,
    propChangeIndexView = 16,
    propStreamMode = 19,
    propDeletesDisabled = 20,
    propInsertsDisabled = 21,
    propModifiesDisabled = 22,
    propKeepTrailingSpaces = 23,
    propChangeCounter = 24,
    propUtf8Metadata = 25,
    propUtf8ErrorText = 26,
    propCodePage = 27,
    // Numbers kept for features this system does not have: each holds what was set and answers
    // it, and nothing else reads it.
    propReserved9 = 9,
    propReserved12 = 12,
    propReserved13 = 13,
    propReserved14 = 14,
    propReserved15 = 15,
    propReserved17 = 17,
    propReserved18 = 18,
};

constexpr bool isReservedTableProperty(std::uint32_t id) {
    return id == propReserved9 || (id >= propReserved12 && id <= propReserved15) ||
           id == propReserved17 || id == propReserved18;
}

constexpr std::uint32_t kBookmarkSize = 20;

// A cursor's change callback: the table calls it, with the client data given at registration,
// after every change of its store, while it holds its lock.
using DSChangeCallback = void (*)(void* clientData);
constexpr std::int32_t kMaxStorageLength = 0xFFFB;
