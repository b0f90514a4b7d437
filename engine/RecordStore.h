#pragma once
// The column store of a table: one column of values per field, one indicator byte per field and
// record, and one status byte per record slot.
//
//   column f:    capacity x storage length of f   value of record r at (r - 1) x length
//   indicators:  capacity x field count           indicators of r at (r - 1) x field count
//   status:      capacity bytes                   status of r at r - 1
//
// Record numbers are 1-based; slot r exists for 1 <= r <= capacity. The capacity is the figure
// the table's growth rule sets; the memory underneath grows geometrically so that a long run of
// small growth steps stays linear. Grown slots are zero.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/DSTypes.h"

class RecordStore {
  public:
    // Takes the fields' storage lengths and their value and indicator offsets in a record
    // buffer. Drops every slot.
    void setLayout(const std::vector<DSFLDDesc>& fields);
    // Drops every slot and the layout.
    void reset();

    std::uint32_t capacity() const { return FCapacity; }
    std::uint32_t fieldCount() const { return static_cast<std::uint32_t>(FColumns.size()); }
    bool holdsSlot(std::uint32_t record) const { return record >= 1 && record <= FCapacity; }

    // Grows to newCapacity slots (never shrinks). errNoMemory when the memory cannot be had or
    // the byte limit would be passed; the capacity and every slot stay as they were then.
    DBResult growTo(std::uint32_t newCapacity);
    // Caps the bytes the store may hold (0: no cap).
    void setByteLimit(std::size_t limit) { FByteLimit = limit; }
    // Bytes one slot takes: its values, its indicators and its status byte.
    std::size_t bytesPerSlot() const;

    // Slot access; record must satisfy holdsSlot, field is 0-based.
    std::uint8_t status(std::uint32_t record) const { return FStatus[record - 1]; }
    void setStatus(std::uint32_t record, std::uint8_t status) { FStatus[record - 1] = status; }
    std::uint32_t length(std::uint32_t field) const { return FColumns[field].length; }
    // Inline: the row loops of streaming and loading call these once per field and row.
    const unsigned char* value(std::uint32_t record, std::uint32_t field) const {
        const Column& c = FColumns[field];
        return c.bytes.data() + static_cast<std::size_t>(record - 1) * c.length;
    }
    unsigned char* value(std::uint32_t record, std::uint32_t field) {
        Column& c = FColumns[field];
        return c.bytes.data() + static_cast<std::size_t>(record - 1) * c.length;
    }
    std::uint8_t indicator(std::uint32_t record, std::uint32_t field) const {
        return FIndicators[static_cast<std::size_t>(record - 1) * FColumns.size() + field];
    }
    void setIndicator(std::uint32_t record, std::uint32_t field, std::uint8_t indicator) {
        FIndicators[static_cast<std::size_t>(record - 1) * FColumns.size() + field] = indicator;
    }

    // Copies a record buffer's values and indicator bytes into slot record, and back.
    void writeRecord(std::uint32_t record, const unsigned char* buffer);
    void readRecord(std::uint32_t record, unsigned char* buffer) const;

    // Sets every status byte to 0; the capacity and the values stay.
    void zeroStatuses();

  private:
    struct Column {
        std::uint32_t length = 0;           // storage length of the field
        std::uint32_t valueOffset = 0;      // in a record buffer
        std::uint32_t indicatorOffset = 0;  // in a record buffer
        std::vector<unsigned char> bytes;   // capacity x length
    };

    std::vector<Column> FColumns;
    std::vector<unsigned char> FIndicators;  // capacity x field count
    std::vector<unsigned char> FStatus;      // capacity
    std::uint32_t FCapacity = 0;
    std::size_t FByteLimit = 0;
};
