#pragma once
// The XML form of the packet reader: reads a whole document (XmlScanner.h) into the columns,
// attributes and rows it describes, in the value form the binary reader delivers, so that the
// binary reader's slots can be answered from it:
//
//   nextColumnDesc    columns()[i].desc
//   nextAttribute     columns()[i].attributes[j], then tableAttributes()[k]: name, type word and
//                     value (a varying value without its length prefix, an array as a u32 count
//                     and the elements)
//   nextFieldValue    rowStatus(r) (length 1), then fieldValue(r, c) for each column c:
//                     indicator 0 and the value bytes, 1 for a null (the binary reader answers
//                     errFieldBlank for it), 2 for a column the row leaves out (not changed)
//   getXmlMode        xmlMode(): 5 for a code-page document, 13 for a UTF-8 one
//
// What is read (the document's structure):
//   - a UTF-8 byte-order mark selects UTF-8; else the prolog's encoding="UTF-8" does, when the
//     whole input is well-formed UTF-8; otherwise the document is in the code page;
//   - DATAPACKET (optional, attributes ignored), then METADATA, or ROWDATA alone for rows only;
//   - each FIELD gives a column: name from "fieldname", else "attrname", else "tagname" (none:
//     errPacketMismatch); type from "fieldtype" (missing or unknown: errInvalidFieldType); flags
//     from "readonly", "hidden", "required", "linkfield" (value "true" in any case); its other
//     attributes and PARAM children are the column's attributes;
//   - PARAMS attributes and PARAM elements are the table's attributes (PARAM: Name and Value
//     required, Type default "string", or "string.uni" with a code-page converter, Roundtrip sets
//     bit 31); element attributes are typed by XmlAttributeNames.h; an attribute whose text is no
//     value of its type is passed over; a "string" attribute is delivered as UTF-8 with a
//     terminating 0 byte, a "string.uni" one as UTF-16LE;
//   - ROWDATA holds elements whose names begin with "ROW": RowState (0 when absent) and one
//     attribute per column, named as the column's "attrname" (or "tagname"); a child element named
//     like a column may carry the value as its text.
// Failures: errPacketMismatch for structure or syntax, errInvalidFieldType, errOutOfRange for a
// number its column cannot hold. Nested tables are not read (errInvalidFieldType).
//
// The reader works on the bytes it is given and never reads past them. What it keeps grows with
// what the document holds, never with counts written in it: a row keeps only the values it
// carries.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "packet/DBResult.h"
#include "packet/PacketColumnDesc.h"
#include "packet/ReadFailure.h"
#include "packet/xml/XmlText.h"
#include "packet/xml/XmlValueText.h"

struct XmlPacketAttribute {
    std::string name;  // UTF-8
    std::uint32_t typeWord = 0;
    std::vector<unsigned char> value;
};

struct XmlPacketColumn {
    PacketColumnDesc desc{};
    std::string rowName;  // the name of the column's ROW attribute, in the document's encoding
    std::vector<XmlPacketAttribute> attributes;
    XmlBcdShape bcd;
};

struct XmlFieldValue {
    std::uint8_t indicator = 2;  // 0 value, 1 null, 2 not changed
    std::span<const unsigned char> bytes;
};

class XmlPacketReader {
  public:
    // The table's narrow text (UTF-8 or code page 936); a non-zero code page is the code-page
    // converter. String values of rows are delivered in the table's encoding, names and string
    // attributes in UTF-8.
    void setTextEncoding(bool utf8, std::uint32_t codePage);

    // Reads a whole document. Columns and attributes are replaced by the document's; a document
    // without METADATA (rows only) leaves no columns and hasMetadata() false.
    [[nodiscard]] DBResult openPacket(std::span<const unsigned char> document);

    // Reads the rows of a further document for the columns read before; its METADATA, if any,
    // is passed over.
    [[nodiscard]] DBResult attachRows(std::span<const unsigned char> document);

    std::uint32_t xmlMode() const { return FMode; }
    bool hasMetadata() const { return FHasMetadata; }
    const std::vector<XmlPacketColumn>& columns() const { return FColumns; }
    const std::vector<XmlPacketAttribute>& tableAttributes() const { return FTableAttributes; }

    std::size_t rowCount() const { return FRows.size(); }
    std::uint8_t rowStatus(std::size_t row) const { return FRows[row].status; }
    // The value of `column` in `row`; both must be in range.
    XmlFieldValue fieldValue(std::size_t row, std::size_t column) const;

    // After openPacket or attachRows failed: the check that failed and the byte offset in the
    // document where it failed.
    const ReadFailure& lastFailure() const { return FFailure; }

  private:
    struct StoredValue {
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t column;
        std::uint8_t indicator;
    };
    struct Row {
        std::uint8_t status;
        std::size_t first;  // into FValues
        std::size_t count;
    };
    class Parser;

    [[nodiscard]] DBResult read(std::span<const unsigned char> document, bool metadata);

    XmlTextSettings FSettings;
    bool FUtf8Table = false;
    bool FConverter = true;
    std::uint32_t FMode = 0;
    bool FHasMetadata = false;
    std::vector<XmlPacketColumn> FColumns;
    std::vector<XmlPacketAttribute> FTableAttributes;
    std::unordered_map<std::string_view, std::uint32_t> FColumnByRowName;
    std::vector<Row> FRows;
    std::vector<StoredValue> FValues;
    std::vector<unsigned char> FValueBytes;
    ReadFailure FFailure;
};
