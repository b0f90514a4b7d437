#pragma once
// The binary packet reader (layout in TDATAPACKET_WRITE.h).
//
// Every read takes a bounded view of the bytes from the current position and moves the
// position only when the whole item was read, so a failed read leaves the reader where it was.

#include <memory>
#include <vector>

#include "packet/Coding.h"
#include "packet/FieldConverters.h"
#include "packet/IDSReader.h"

class TDATAPACKET_READ : public IDSReader {
  public:
    [[nodiscard]] DBResult openPacket(PacketBytes packet) override;
    [[nodiscard]] DBResult attachRows(PacketBytes packet) override;
    [[nodiscard]] DBResult nextColumnDesc(PacketColumnDesc* column) override;
    [[nodiscard]] DBResult nextAttributeLength(std::uint32_t* length) override;
    [[nodiscard]] DBResult nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                         void* value) override;
    [[nodiscard]] DBResult nextValueLength(std::int32_t* length) override;
    [[nodiscard]] DBResult nextFieldValue(std::int32_t* length, void* value,
                                          std::uint8_t* indicator) override;
    // Rows of a table without nested columns whose values are all fixed or length-prefixed.
    [[nodiscard]] DBResult nextRow(std::uint8_t* status, RowValue* values,
                                   std::size_t count) override;
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    std::uint32_t getXmlMode() override { return 0; }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;
    const PacketHeader& header() const override { return FHeader; }
    std::uint32_t rowCapacityHint() const override;
    ReadFailure lastFailure() const override { return FFailure; }

  protected:
    // A packet without a binary header; the binary reader has no use for it.
    [[nodiscard]] virtual DBResult openNonBinary(const PacketBytes& packet);

  private:
    struct ColumnSlot {
        std::unique_ptr<FLDConv> conv;
        PlainLayout plain = PlainLayout::other;  // how a value may be read inline
        std::size_t indicatorIndex = 0;          // from the status byte
        unsigned char nullMask = 0;
        unsigned char unchangedMask = 0;
        int nestedTable = -1;
    };

    struct TableState {
        std::uint32_t declared = 0;
        int parent = -1;
        std::vector<PacketColumnDesc> columns;
        std::vector<std::size_t> typeWordAt;  // where each column's type word lies
        std::vector<int> nestedOfColumn;
        std::vector<ColumnSlot> slots;
        std::size_t cursor = 0;  // 0: the next item is a row status, else 1 + slot index
        std::size_t rowStart = 0;
        std::uint32_t rowsLeft = 0;
    };

    enum class List { column, table };

    // Notes the failed check and where it failed, and answers `code`.
    DBResult fail(DBResult code, const char* check, std::size_t offset) {
        FFailure = {check, offset};
        return code;
    }
    ByteReader input() const;
    void moveTo(const ByteReader& r);
    [[nodiscard]] DBResult readAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                         void* value, bool measureOnly);
    [[nodiscard]] DBResult endOfList();
    [[nodiscard]] DBResult completeMetadata();
    [[nodiscard]] DBResult readRowItem(std::int32_t* length, void* value, std::uint8_t* indicator,
                                       bool measureOnly);
    [[nodiscard]] DBResult readPlainValue(const ColumnSlot& slot, const ByteReader& r,
                                          std::int32_t* length, void* value,
                                          std::uint8_t* indicator, bool measureOnly);
    // The length prefix and value bytes of a fixed or length-prefixed value at r; false when it
    // runs past the end (or the slot has no such layout).
    static bool plainValueExtent(const ColumnSlot& slot, const ByteReader& r, std::size_t* prefix,
                                 std::size_t* n);
    void completeSlot();
    void releaseBytes();

    PacketBytes FPacket;
    std::size_t FPos = 0;
    PacketHeader FHeader;
    bool FOpen = false;
    bool FMetadataComplete = false;
    std::vector<TableState> FTables;
    int FCurrent = 0;
    List FList = List::column;
    std::uint32_t FListIndex = 0;
    std::uint32_t FListCount = 0;
    std::uint32_t FRowsRead = 0;
    int FPlainRows = -1;  // whether nextRow can read the rows: -1 not known yet, 0 no, 1 yes
    bool FUtf8 = false;
    std::uint32_t FCodePage = 0;
    ReadFailure FFailure;
};
