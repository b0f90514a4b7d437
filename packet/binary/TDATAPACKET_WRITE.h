#pragma once
// The binary packet writer.
//
// Layout written:
//
//   header (24 bytes, PacketHeader.h)
//   per column:  u8 name length | name | u32 type word | u16 field attributes
//                | u16 attribute count | attributes
//   u16 table attribute count | table attributes
//   rows:        u8 status | (slots + 3) / 4 indicator bytes | values of the slots whose
//                indicator bits are clear
//   attribute:   u8 name length | name | u32 type word | value (FieldConverters.h)
//
// A nested-table column (class 14) is followed by its attributes, then the nested table's
// columns and its table attribute count and attributes. In a row its slot holds the u32 count
// of nested rows, which follow right after it.
//
// The packet is built in one buffer; the counts are patched in place as items follow, and the
// packet handed over is the buffer cut to length. While a table's columns are being written
// a provisional table attribute count of 0 sits right after the last item written.

#include <memory>
#include <vector>

#include "packet/FieldConverters.h"
#include "packet/IDSWriter.h"

class TDATAPACKET_WRITE : public IDSWriter {
  public:
    static constexpr std::size_t kInitialBuffer = 32768;

    TDATAPACKET_WRITE() = default;

    [[nodiscard]] DBResult initPacket(std::uint32_t version, std::uint32_t columnCount) override;
    [[nodiscard]] DBResult initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                                 const PacketColumnDesc* columns) override;
    [[nodiscard]] DBResult addAttribute(std::uint32_t level, const char* name,
                                        std::uint32_t typeWord, std::uint32_t length,
                                        const void* value) override;
    [[nodiscard]] DBResult getPacket(std::vector<unsigned char>* packet) override;
    [[nodiscard]] DBResult getPacketLength(std::size_t* length) override;
    [[nodiscard]] DBResult putField(std::uint32_t kind, std::int32_t length,
                                    const void* data) override;
    // Makes the buffer large enough for `bytes` more at once (growing it step by step would
    // move it many times); a failure is left to the writes that follow.
    void reserveRows(std::size_t bytes) override;
    // A top-level row of a table without nested columns is sized first and written in one
    // step; a failed row writes nothing. Other rows go through putField.
    [[nodiscard]] DBResult putRow(std::uint8_t status, const RowItem* items,
                                  std::size_t count) override;
    [[nodiscard]] DBResult addColumnDesc(const PacketColumnDesc& column) override;
    [[nodiscard]] DBResult resetPacket() override;
    [[nodiscard]] DBResult getColumnCount(std::uint32_t* count) override;
    [[nodiscard]] DBResult getColumnDescs(PacketColumnDesc* columns) override;
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    [[nodiscard]] DBResult endNestedRows() override;
    [[nodiscard]] DBResult setXmlMode(std::uint32_t mode) override;
    std::uint32_t getXmlMode() override { return FXmlMode; }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;

  private:
    static constexpr std::uint32_t kOpenRowCount = 0xFFFFFFFF;
    static constexpr std::size_t kDescriptorRoom = 141;

    struct ColumnSlot {
        std::unique_ptr<FLDConv> conv;
        PlainLayout plain = PlainLayout::other;  // how putField may write the value inline
        std::size_t fixedSize = 0;               // bytes of a fixed value
        std::size_t indicatorIndex = 0;          // from the status byte
        unsigned char nullMask = 0;
        unsigned char unchangedMask = 0;
        int nestedTable = -1;  // table state of a nested-table column
    };
    // Packed size of a value in slot, false when the value does not fit its layout.
    static bool packedSize(const ColumnSlot& slot, std::int32_t length, const unsigned char* bytes,
                           std::size_t* packed);

    struct TableState {
        std::uint32_t declared = 0;
        int parent = -1;
        std::vector<PacketColumnDesc> columns;
        std::vector<int> nestedOfColumn;  // table state per column, -1 when not nested
        // description
        bool inTableAttrs = false;
        std::size_t tableAttrCountPos = 0;
        std::uint16_t tableAttrCount = 0;
        // rows
        std::vector<ColumnSlot> slots;
        std::size_t cursor = 0;  // 0: the next call is a row status, else 1 + slot index
        std::size_t rowStart = 0;
        std::uint32_t rowsLeft = 0;  // nested tables: rows still to come, or kOpenRowCount
        std::uint32_t rowsWritten = 0;
        std::size_t rowCountPos = 0;
    };

    [[nodiscard]] DBResult startPacket(std::uint32_t version, std::uint32_t columnCount,
                                       bool metadata);
    [[nodiscard]] DBResult registerColumn(const PacketColumnDesc& column, bool write);
    [[nodiscard]] DBResult ensureRoom(std::size_t bytes) {
        return bytes <= FBuffer.size() - FEnd ? DBResult{DBIERR_NONE} : growBuffer(bytes);
    }
    [[nodiscard]] DBResult growBuffer(std::size_t bytes);
    [[nodiscard]] DBResult beginTableAttrs(TableState& table);
    [[nodiscard]] DBResult closeNestedTable();
    [[nodiscard]] DBResult setUpRows();
    void completeSlot();
    std::size_t metadataEnd() const;
    std::size_t packetLength() const;
    bool insideRow() const;
    void putU16(std::size_t pos, std::uint16_t v);
    void putU32(std::size_t pos, std::uint32_t v);
    void applyXmlFlag();

    std::vector<unsigned char> FBuffer;  // its size is the buffer's capacity
    std::size_t FEnd = 0;                // write position
    bool FInitialized = false;
    bool FMetadata = false;  // descriptors and attributes are written (initPacket)
    std::uint32_t FPacketFlags = 0;
    std::vector<TableState> FTables;
    int FCurrent = 0;
    std::vector<PacketColumnDesc> FAllColumns;
    std::uint32_t FTopColumns = 0;
    std::size_t FColAttrCountPos = 0;
    std::uint16_t FColAttrCount = 0;
    bool FColumnAttrsOpen = false;
    bool FRowsReady = false;
    bool FFlatRows = false;  // no nested-table column: putRow writes rows in one step
    std::uint32_t FRowCount = 0;
    std::uint32_t FXmlMode = 0;
    bool FUtf8 = false;
    std::uint32_t FCodePage = 0;
};
