#pragma once
// The XML form of the packet writer. It takes the same calls as the binary writer
// (IDSWriter.h) and produces one document:
//
//   <?xml version="1.0" standalone="yes"?>␠␠                  (code-page mode)
//   <?xml version="1.0" encoding="UTF-8" standalone="yes"?>␠␠  (UTF-8 mode, bit 3 of the mode)
//   <DATAPACKET Version="2.0">
//     <METADATA>                                               (left out by initPacketWithColumns
//       <FIELDS>                                                or a mode without bit 2)
//         <FIELD fieldname=".." attrname=".." fieldtype=".." readonly/required/hidden/linkfield
//                WIDTH=".." KNOWN_ATTRIBUTE=".."/>  or  <FIELD ..><PARAM ../></FIELD>
//       </FIELDS>
//       <PARAMS KNOWN_ATTRIBUTE=".."/><PARAM Name=".." Value=".." Type=".." Roundtrip="True"/>
//     </METADATA>
//     <ROWDATA><ROW RowState="4" column="value" .../></ROWDATA>
//   </DATAPACKET>
//
// all after the prolog on one line, without indentation. Values are written as XmlValueText.h
// describes; a null or unchanged column is left out of its ROW element, an empty value is an
// empty attribute. String values of rows are text of the table's encoding; names and "string"
// attribute values are UTF-8 text, converted to the document's encoding like names.
//
// Column names become the names of ROW attributes, so they are made fit for that: blank, "!",
// "#", "$", "%", "(", ")", "*" and "?" become "_", and so does every other character an XML name
// cannot hold (a name that cannot start with its first character gets a leading "_"). In a
// code-page document a name with a character the writer cannot carry there (any byte of 0x80 or
// above with a code-page converter, a lead byte without one) becomes "xF" and the number of
// columns written before it. A name that would repeat an earlier column's becomes "xF<n>" too
// (with "_" appended until it is unique). A changed name is carried in "fieldname".
//
// Nested tables and composite columns are not carried in the XML form: such a column fails with
// errXmlFieldType.

#include <set>
#include <string>
#include <vector>

#include "packet/IDSWriter.h"
#include "packet/StreamMode.h"
#include "packet/xml/XmlText.h"

class XmlPacketWriter final : public IDSWriter {
  public:
    XmlPacketWriter() = default;

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
    [[nodiscard]] DBResult addColumnDesc(const PacketColumnDesc& column) override;
    [[nodiscard]] DBResult resetPacket() override;
    [[nodiscard]] DBResult getColumnCount(std::uint32_t* count) override;
    [[nodiscard]] DBResult getColumnDescs(PacketColumnDesc* columns) override;
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    // Nested tables are not carried in the XML form: errNotApplicable.
    [[nodiscard]] DBResult endNestedRows() override;
    // The document's mode: bit 3 UTF-8, bit 2 metadata. Takes effect at the next initPacket.
    [[nodiscard]] DBResult setXmlMode(std::uint32_t mode) override;
    std::uint32_t getXmlMode() override { return FMode; }
    // The table's narrow text: UTF-8 or code page 936. A non-zero code page is the code-page
    // converter; without it, non-ASCII characters become references in a code-page document.
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;

  private:
    struct Column {
        PacketColumnDesc desc;
        std::string writtenName;
        std::uint32_t typeWord;  // without the delta bit
    };
    // An element whose attributes are still being collected: known attributes go on its start
    // tag, the others become PARAM elements.
    struct OpenElement {
        std::string attributes;
        std::string params;
        std::set<std::string> names;
    };

    [[nodiscard]] DBResult start(std::uint32_t version, std::uint32_t columnCount, bool metadata);
    [[nodiscard]] DBResult registerColumn(const PacketColumnDesc& column);
    std::string writtenColumnName(std::string_view name, std::size_t index, bool* changed) const;
    void closeField();
    std::string metadataClosing() const;
    void beginRows();
    std::string prolog() const;
    std::string closing() const;

    std::uint32_t FMode = kStreamModeXmlUtf8;
    XmlTextSettings FSettings;
    bool FUtf8Table = false;
    bool FConverter = true;

    bool FInitialized = false;
    bool FMetadata = false;
    std::uint32_t FDeclared = 0;
    std::vector<Column> FColumns;
    std::set<std::string> FWrittenNames;
    std::string FBody;

    bool FFieldOpen = false;
    OpenElement FField;
    bool FTableAttrs = false;  // the column list has ended
    OpenElement FParams;

    bool FRowsStarted = false;
    std::size_t FSlot = 0;  // 0: the next call is a row status, else 1 + column index
    std::uint32_t FRowCount = 0;
};
