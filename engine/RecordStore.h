#pragma once
// The column store of a table.
//
// Text fields (zero-terminated strings) are packed: the texts of one record sit together in a
// packed row in an arena, and the slot keeps a pointer to it. Every other field keeps a fixed
// column of its storage length; the indicators and status bytes are fixed columns too.
//
//   packed row:  per text field, in field order: length (u8 when the field's storage length
//                is below 256, else u32 little-endian) | the text's bytes, no terminating zero
//   rows:        capacity pointers              packed row of r at r - 1 (null: all texts empty)
//   column f:    capacity x storage length of f value of r at (r - 1) x length (fixed fields)
//   indicators:  capacity x field count         indicators of r at (r - 1) x field count
//   status:      capacity bytes                 status of r at r - 1
//
// Why packed: a station holds about 118 bytes of values in 17 text fields whose storage
// lengths add up to 500 bytes; fixed text slots cost 515 bytes a station, packed rows about
// 100 bytes plus 41 for the pointer, the fixed fields, the indicators and the status. A text
// reads back zero-padded to its storage length, which is how a record buffer holds it.
//
// The arena is a list of blocks that never move, so a row pointer stays valid while the row
// is in use. Writing a record's texts again writes a new packed row and leaves the old one as
// garbage, as does releasing a slot. reclaim(), run when the change log is merged, copies the
// rows in use into fresh blocks once the garbage is a quarter of the arena.
//
// Record numbers are 1-based; slot r exists for 1 <= r <= capacity. The capacity is the figure
// the table's growth rule sets; the memory underneath grows geometrically so that a long run of
// small growth steps stays linear. Grown slots are zero.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/DSTypes.h"

struct RowValue;

class RecordStore {
  public:
    // Takes the fields' types, storage lengths and their value and indicator offsets in a
    // record buffer. Drops every slot.
    void setLayout(const std::vector<DSFLDDesc>& fields);
    // Drops every slot and the layout.
    void reset();

    std::uint32_t capacity() const { return FCapacity; }
    std::uint32_t fieldCount() const { return static_cast<std::uint32_t>(FColumns.size()); }
    bool holdsSlot(std::uint32_t record) const { return record >= 1 && record <= FCapacity; }

    // Grows to newCapacity slots (never shrinks). errNoMemory when the memory cannot be had or
    // the byte limit would be passed; the capacity and every slot stay as they were then.
    DBResult growTo(std::uint32_t newCapacity);
    // Caps the bytes the store may hold, slots and packed rows together (0: no cap).
    void setByteLimit(std::size_t limit) { FByteLimit = limit; }
    // Bytes one slot takes without its texts: its row pointer, fixed values, indicators and
    // status byte.
    std::size_t bytesPerSlot() const;
    // Arena bytes written so far, and the part of them no slot uses any more.
    std::size_t arenaBytes() const { return FArenaUsed; }
    std::size_t garbageBytes() const { return FGarbage; }

    // Slot access; record must satisfy holdsSlot, field is 0-based.
    std::uint8_t status(std::uint32_t record) const { return FStatus[record - 1]; }
    void setStatus(std::uint32_t record, std::uint8_t status) { FStatus[record - 1] = status; }
    std::uint32_t length(std::uint32_t field) const { return FColumns[field].length; }
    bool isPacked(std::uint32_t field) const { return FColumns[field].packed; }
    // A fixed field's stored bytes. Inline: the row loops of streaming call it once per field
    // and row.
    const unsigned char* value(std::uint32_t record, std::uint32_t field) const {
        const Column& c = FColumns[field];
        return c.bytes.data() + static_cast<std::size_t>(record - 1) * c.length;
    }
    // A text field's text, without its terminating zero.
    std::string_view text(std::uint32_t record, std::uint32_t field) const;
    // The texts of every packed field of a record, in field order (texts[k] for the k-th
    // packed field); texts must hold packedCount() views.
    void texts(std::uint32_t record, std::string_view* texts) const;
    std::uint32_t packedCount() const { return FPackedCount; }
    // A field's value as a record buffer holds it: storage-length bytes at dest.
    void copyValue(std::uint32_t record, std::uint32_t field, unsigned char* dest) const;

    std::uint8_t indicator(std::uint32_t record, std::uint32_t field) const {
        return FIndicators[static_cast<std::size_t>(record - 1) * FColumns.size() + field];
    }
    void setIndicator(std::uint32_t record, std::uint32_t field, std::uint8_t indicator) {
        FIndicators[static_cast<std::size_t>(record - 1) * FColumns.size() + field] = indicator;
    }

    // Copies a record buffer's values and indicator bytes into slot record. errNoMemory when
    // its packed row cannot be had; the slot is unchanged then.
    [[nodiscard]] DBResult writeRecord(std::uint32_t record, const unsigned char* buffer);
    // Stores a row as a packet reader delivers it (values[f] for field f, as a record buffer
    // would hold it after the value was placed there: texts and varying values cut to their
    // width, a text ending at its first zero byte, a BLOB null) without going through a record
    // buffer. The slot ends as writeRecord of that buffer would leave it.
    [[nodiscard]] DBResult writeValues(std::uint32_t record, const RowValue* values);
    // Copies slot record back into a record buffer.
    void readRecord(std::uint32_t record, unsigned char* buffer) const;
    // Drops a released slot's texts (they read as empty); their bytes become garbage.
    void dropTexts(std::uint32_t record);
    // Copies the packed rows in use into fresh blocks when the garbage is a quarter of the
    // arena or more. Nothing changes when the memory cannot be had.
    void reclaim();

    // Sets every status byte to 0; the capacity and the values stay.
    void zeroStatuses();

  private:
    // How a value of a field reaches its slot (writeValues).
    enum class Kind : std::uint8_t { Text, Varying, Blob, Structure, Fixed };
    struct Column {
        std::uint32_t length = 0;  // storage length of the field
        std::uint32_t width = 0;   // the field's width (iUnits1)
        Kind kind = Kind::Fixed;
        std::uint32_t valueOffset = 0;      // in a record buffer
        std::uint32_t indicatorOffset = 0;  // in a record buffer
        bool packed = false;                // a text field, kept in the packed rows
        std::uint8_t lengthBytes = 0;       // width of a packed text's length: 1 or 4
        std::vector<unsigned char> bytes;   // fixed fields: capacity x length
    };
    struct Block {
        std::unique_ptr<unsigned char[]> bytes;
        std::size_t size = 0;
        std::size_t used = 0;
    };

    // Room for n bytes in the arena, or null when it cannot be had.
    unsigned char* allocate(std::size_t n);
    // Writes the texts in FLengths and FTexts as record's packed row (none when all are
    // empty), dropping its old row. errNoMemory when the row cannot be had; nothing changes then.
    [[nodiscard]] DBResult storeTexts(std::uint32_t record);
    // Bytes of the packed row at row.
    std::size_t rowSize(const unsigned char* row) const;

    std::vector<Column> FColumns;
    std::vector<std::uint32_t> FPackedFields;  // field index of each packed field, in order
    std::uint32_t FPackedCount = 0;
    // The texts a write is storing, one per packed field: their lengths and bytes.
    std::vector<std::uint32_t> FLengths;
    std::vector<const unsigned char*> FTexts;
    std::vector<const unsigned char*> FRows;  // capacity
    std::vector<Block> FBlocks;
    std::size_t FArenaUsed = 0;
    std::size_t FArenaReserved = 0;  // bytes of every block
    std::size_t FGarbage = 0;
    std::vector<unsigned char> FIndicators;  // capacity x field count
    std::vector<unsigned char> FStatus;      // capacity
    std::uint32_t FCapacity = 0;
    std::size_t FByteLimit = 0;
};
