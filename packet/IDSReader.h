#pragma once
// The packet reader's interface: reads one datapacket from front to back.
//
// Reading order for a packet with metadata:
//   openPacket(bytes)
//   until nextColumnDesc answers errAtEnd:
//       nextColumnDesc(&column)
//       until nextAttributeLength answers errAtEnd: measure, then nextAttribute(...)
//   (the errAtEnd that ends the last column's attributes switches to the table's list)
//   until nextAttributeLength answers errAtEnd: the table attributes, as above
//   (that errAtEnd completes the metadata)
//   per row: nextFieldValue for the status byte, then once per column slot, until
//       nextFieldValue answers errAtEnd after the header's rowCount rows
//
// Every read is bounded by the packet: a packet that ends before its counts and lengths are met
// fails with errPacketMismatch and the position stays where it was. Nothing is allocated on the
// strength of a count read from the packet. errAtEnd means that the list being read has ended.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "packet/DBResult.h"
#include "packet/PacketColumnDesc.h"
#include "packet/PacketHeader.h"
#include "packet/ReadFailure.h"

using PacketBytes = std::shared_ptr<const std::vector<unsigned char>>;

// One column slot of a row read by nextRow: its indicator (0 value, 1 null, 2 unchanged) and,
// for a value, its bytes.
struct RowValue {
    std::uint8_t indicator = 0;
    std::int32_t length = 0;
    const unsigned char* data = nullptr;
};

// An attribute name buffer holds up to 255 bytes and a terminating 0.
constexpr std::size_t kAttributeNameCapacity = 256;

class IDSReader {
  public:
    virtual ~IDSReader() = default;

    // Validates the header and positions at the first column descriptor. The reader holds the
    // bytes until the last row has been read (or, without rows, until the metadata is complete).
    // A null packet, a binary header longer than the packet, or a packet that is not binary
    // (meant for the XML reader, not available yet) fails with errPacketMismatch.
    [[nodiscard]] virtual DBResult openPacket(PacketBytes packet) = 0;

    // Appends a further packet of the same table after the metadata was read: validates its
    // header and positions at its first row. Fails with errPacketMismatch for a packet whose
    // rows cannot be located (metadata, rows and no row offset) or whose column count differs,
    // and errNotApplicable before the metadata of the first packet is complete.
    [[nodiscard]] virtual DBResult attachRows(PacketBytes packet) = 0;

    // Reads the next column descriptor of the current table: errAtEnd when the table has all
    // its columns, errNotApplicable while the previous column's attributes are unread,
    // errFieldNameNull for a name of length 0, errNoMetadata for a packet without metadata.
    // A name longer than 31 bytes is cut to its first 31.
    [[nodiscard]] virtual DBResult nextColumnDesc(PacketColumnDesc* column) = 0;

    // The length of the next attribute's value, without consuming it.
    [[nodiscard]] virtual DBResult nextAttributeLength(std::uint32_t* length) = 0;

    // Reads the next attribute of the current list. `name` (kAttributeNameCapacity bytes)
    // receives the NUL-terminated name, `typeWord` the type word, `value` the value (a varying
    // value without its length prefix; an array as its u32 count and elements). `length` is
    // the capacity of `value` on entry and the value's length on return; a smaller capacity
    // fails with errInvalidParameter, the needed length stored, nothing consumed. The attribute
    // is consumed only when both `name` and `value` are given, or `name` alone for a value of
    // 0 bytes. errInvalidFieldType for a type word without converter.
    [[nodiscard]] virtual DBResult nextAttribute(char* name, std::uint32_t* typeWord,
                                                 std::uint32_t* length, void* value) = 0;

    // The length of the next row item (1 for a row status, 0 for a null or unchanged slot),
    // without consuming it.
    [[nodiscard]] virtual DBResult nextValueLength(std::int32_t* length) = 0;

    // Reads the next row item: the row status first, then each column slot. `length` is the
    // capacity of `value` on entry and the value's length on return (negative for a BLOB whose
    // content was not fetched); a smaller capacity fails with errInvalidParameter without
    // consuming. A null `value` skips the item. A null slot answers errFieldBlank with
    // indicator 1 and length 0, an unchanged slot indicator 2 and length 0, a value indicator
    // 0. For a nested-table slot the value is the u32 row count; the nested rows follow.
    // errNotApplicable before the metadata is complete; errAtEnd after the last row.
    [[nodiscard]] virtual DBResult nextFieldValue(std::int32_t* length, void* value,
                                                  std::uint8_t* indicator) = 0;

    // A whole top-level row in one call: its status byte and one value per column slot, as
    // nextFieldValue would give them, but pointing into the packet instead of being copied (the
    // caller holds the packet while it uses them). errNotSupported, with nothing read, when
    // this reader or this table's rows cannot be read that way: the caller reads the row item
    // by item instead. errAtEnd after the last row.
    [[nodiscard]] virtual DBResult nextRow(std::uint8_t* status, RowValue* values,
                                           std::size_t count) {
        (void)status;
        (void)values;
        (void)count;
        return errNotSupported;
    }

    // The text of a result code, at most 126 characters, into text (capacity bytes).
    [[nodiscard]] virtual DBResult getErrorText(DBResult code, char* text,
                                                std::size_t capacity) = 0;

    // 0 for a binary packet.
    virtual std::uint32_t getXmlMode() = 0;

    // The table's text settings; they matter only in the XML form.
    virtual void setTextEncoding(bool utf8, std::uint32_t codePage) = 0;

    // The header of the packet opened or attached last.
    virtual const PacketHeader& header() const = 0;

    // How many of the header's rows the remaining bytes could hold at most: a bound for
    // reserving record slots that a forged row count cannot inflate.
    virtual std::uint32_t rowCapacityHint() const = 0;

    // After a read refused because of the packet's bytes (or a read out of order): the check
    // that failed and the byte offset where it failed. Kept until the next openPacket or
    // attachRows; a read that succeeds leaves it alone.
    virtual ReadFailure lastFailure() const = 0;
};
