#pragma once
// One in-memory table of the engine. Every operation answers a result code; the engine never
// throws. Tables are owned through std::shared_ptr and die with their last reference.

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/DSTypes.h"
#include "packet/IDSReader.h"

class IDSBase {
  public:
    virtual ~IDSBase() = default;

    // Defines the table from fieldCount descriptors; name is the UTF-8 table name.
    [[nodiscard]] virtual DBResult defineTable(std::uint32_t fieldCount,
                                               const DSFLDDesc* descriptors, const char* name) = 0;

    // Optional parameters (kept attributes) of the table (fieldNo 0) or of one field.
    // getOptionalParameter answers the type word and the value's length; value, when given,
    // receives up to *length bytes (set *length to the buffer's capacity before the call).
    [[nodiscard]] virtual DBResult getOptionalParameter(std::uint32_t fieldNo, const char* name,
                                                        std::uint32_t* typeWord,
                                                        std::uint32_t* length, void* value) = 0;
    [[nodiscard]] virtual DBResult addOptionalParameter(std::uint32_t fieldNo, const char* name,
                                                        std::uint32_t typeWord,
                                                        std::uint32_t length,
                                                        const void* value) = 0;

    [[nodiscard]] virtual DBResult getTableInfo(DSTableInfo* info) = 0;
    // Copies the completed descriptors into an array of getTableInfo().iFields entries.
    [[nodiscard]] virtual DBResult getFieldDescriptors(DSFLDDesc* descriptors) = 0;

    // Loads a datapacket: an undefined table is created from it (fields, attributes, rows with
    // their status bytes, the change log); a table created from a packet appends the rows of
    // further packets. last marks the last packet of the table.
    [[nodiscard]] virtual DBResult appendPacket(PacketBytes packet, bool last) = 0;
    // After appendPacket failed because the packet reader refused the packet: the check that
    // failed and its byte offset (the result code is appendPacket's answer, unchanged).
    // Nothing when the last appendPacket succeeded or failed for another reason.
    virtual ReadFailure lastReadFailure() const = 0;
    // Produces the table's datapacket into packet: binary, or XML when the stream mode
    // (property 19) asks for it. On failure packet is empty and the table unchanged.
    [[nodiscard]] virtual DBResult streamTable(std::vector<unsigned char>& packet) = 0;
    // Counts the changes of the table: its rows, definition, properties, attributes and change
    // log. While it stays the same, streamTable produces the same bytes.
    virtual std::uint64_t generation() const = 0;

    // Merges the change log into the store: every live record becomes unmodified, superseded
    // versions and deleted records are released, the log is emptied. Record numbers of live
    // records, the default order and every cursor's position stay.
    [[nodiscard]] virtual DBResult commitChangeLog() = 0;
    // Sets field fieldNumber's indicator byte to kind (indValue, indNull or indUnassigned) in
    // buffer, a record buffer of the table's layout, or, when buffer is null, in the stored
    // record recordNumber (1 to next, else errOutOfRange). For a structure field of storage
    // length 0 and kind indNull, the indicators of the fields inside it become indNull too.
    [[nodiscard]] virtual DBResult setFieldNull(unsigned char* buffer, std::uint32_t recordNumber,
                                                std::uint32_t fieldNumber, std::uint8_t kind) = 0;

    // The code's text, at most 126 characters, into text (capacity bytes).
    [[nodiscard]] virtual DBResult getErrorText(DBResult code, char* text,
                                                std::size_t capacity) = 0;

    // Table properties (propLogChanges ... propCodePage). Property 2 is the number of changes
    // in the change log, 5 the number of live records, 10 the current save point.
    [[nodiscard]] virtual DBResult getProperty(std::uint32_t id, std::uint32_t* value) = 0;
    [[nodiscard]] virtual DBResult setProperty(std::uint32_t id, std::uint32_t value) = 0;

    // Removes every record: the next record number becomes 1, every index and the change log
    // become empty, every status byte 0.
    [[nodiscard]] virtual DBResult emptyTable() = 0;
    // Undoes the newest changes, one at a time, until the change log is no longer than at
    // savePoint (a value of property 10); 0 undoes every change. errInvalidParameter when the
    // save point does not exist (any more).
    [[nodiscard]] virtual DBResult undoToSavePoint(std::uint32_t savePoint) = 0;

    [[nodiscard]] virtual DBResult dropOptionalParameter(std::uint32_t fieldNo,
                                                         const char* name) = 0;
};

using IDSBasePtr = std::shared_ptr<IDSBase>;
