#pragma once
// The packet writer's interface: builds one datapacket in a single forward pass.
//
// Calling order for one packet:
//   initPacket(3, n)
//   for each column: addColumnDesc(desc), then its attributes: addAttribute(0, ...)
//   table attributes: addAttribute(1, ...); optionally the closing addAttribute(1, nullptr, 0, 0,
//       nullptr)
//   rows: per row putField(putValue, 1, &status), then one putField per column slot
//   getPacket(&bytes)
//
// Every operation answers a DBResult (0 on success). A writer lives for one packet; after
// getPacket the bytes belong to the caller and only initPacket starts over.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "packet/DBResult.h"
#include "packet/PacketColumnDesc.h"

// Setting up the row converters failed, or rows began inside a nested table's description.
// The code has no message text.
constexpr DBResult errRowSetup = 0x2103;

// Kinds of putField for a column slot (the same values as the record indicators).
enum : std::uint32_t {
    putValue = 0,      // write the value (also the row status, the first call of a row)
    putNull = 1,       // set the slot's null bit
    putUnchanged = 2,  // set the slot's unchanged bit
};

// addAttribute levels.
enum : std::uint32_t { attrColumn = 0, attrTable = 1 };

// One column slot of a row handed to putRow: what one putField call of the row would take.
struct RowItem {
    std::uint32_t kind = putValue;
    std::int32_t length = 0;
    const void* data = nullptr;
};

class IDSWriter {
  public:
    virtual ~IDSWriter() = default;

    // Starts a packet with metadata for `columnCount` top-level columns. A version above 3
    // fails with errPacketMismatch.
    [[nodiscard]] virtual DBResult initPacket(std::uint32_t version, std::uint32_t columnCount) = 0;

    // Starts a packet without metadata (packetFlags 0): registers `count` descriptors, in the
    // order addColumnDesc would take them, without writing them; rows follow the header.
    [[nodiscard]] virtual DBResult initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                                         const PacketColumnDesc* columns) = 0;

    // Adds an attribute to the column added last (level 0) or to the current table (level 1).
    // `name` may be null (written with length 0). For a varying type word `value` begins with
    // a length prefix of the type word's width, counted in `length`; an array value is a u32
    // element count followed by the elements. A call without name, type word and value is
    // the closing call of a table's attribute list: it writes nothing and, for a nested table,
    // returns to its parent.
    // Fails with errNotApplicable once rows have begun, errInvalidFieldType for a type word
    // without converter, errInvalidParameter for a value shorter than its type needs.
    [[nodiscard]] virtual DBResult addAttribute(std::uint32_t level, const char* name,
                                                std::uint32_t typeWord, std::uint32_t length,
                                                const void* value) = 0;

    // Finishes the packet and hands it over; the writer keeps nothing. Fails with
    // errInvalidParameter without `packet`, errNotApplicable in the middle of a row.
    [[nodiscard]] virtual DBResult getPacket(std::vector<unsigned char>* packet) = 0;

    // The length getPacket would hand over now.
    [[nodiscard]] virtual DBResult getPacketLength(std::size_t* length) = 0;

    // One call per row item. The first call of a row takes the status byte (kind putValue,
    // `data` pointing to it). Each further call covers the next column slot: putValue writes
    // the value (`length` counts the bytes of a varying value; fixed-size values take their
    // class's size from `data`); putNull, or a null `data`, sets the null bit; putUnchanged
    // sets the unchanged bit. For a nested-table slot the value is the u32 row count; the
    // nested rows follow through putField, and a count of 0xFFFFFFFF is closed by
    // endNestedRows. A completed top-level row counts in the header's rowCount.
    [[nodiscard]] virtual DBResult putField(std::uint32_t kind, std::int32_t length,
                                            const void* data) = 0;

    // A hint that about `bytes` of rows follow; a writer may make room for them at once.
    virtual void reserveRows(std::size_t bytes) { (void)bytes; }

    // A whole row in one call: its status byte, then one item per column slot, the same as
    // the row's putField calls. A writer without a faster way writes them through putField.
    [[nodiscard]] virtual DBResult putRow(std::uint8_t status, const RowItem* items,
                                          std::size_t count) {
        DBResult rc = putField(putValue, 1, &status);
        for (std::size_t i = 0; i < count && rc == DBIERR_NONE; ++i)
            rc = putField(items[i].kind, items[i].length, items[i].data);
        return rc;
    }

    // Writes a column descriptor. Fails with errNotApplicable for a column named "RowState",
    // a column beyond the declared count, or a class above 36; errInvalidFieldType for a type
    // word without converter; errFieldNameNull for an empty name.
    [[nodiscard]] virtual DBResult addColumnDesc(const PacketColumnDesc& column) = 0;

    // Starts a further packet for the same columns: header without metadata, the columns as
    // registered, rows from offset 24. Fails with errNotApplicable when no column was added.
    [[nodiscard]] virtual DBResult resetPacket() = 0;

    [[nodiscard]] virtual DBResult getColumnCount(std::uint32_t* count) = 0;
    // Copies the columns in the order added into getColumnCount() records.
    [[nodiscard]] virtual DBResult getColumnDescs(PacketColumnDesc* columns) = 0;

    // The text of a result code, at most 126 characters, into text (capacity bytes).
    [[nodiscard]] virtual DBResult getErrorText(DBResult code, char* text,
                                                std::size_t capacity) = 0;

    // Closes a nested row set whose count was given as 0xFFFFFFFF, patching the count.
    [[nodiscard]] virtual DBResult endNestedRows() = 0;

    // 0 binary. A mode with bit 0 or bit 1 set asks for the XML form.
    [[nodiscard]] virtual DBResult setXmlMode(std::uint32_t mode) = 0;
    virtual std::uint32_t getXmlMode() = 0;

    // The table's text settings; they matter only in the XML form.
    virtual void setTextEncoding(bool utf8, std::uint32_t codePage) = 0;
};
