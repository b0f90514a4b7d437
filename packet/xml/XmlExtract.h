#pragma once
// The packet reader's slots answered from an XML document: the document is read whole by
// XmlPacketReader, then served column by column, attribute by attribute and row by row in the
// order and with the results the binary reader gives.

#include "packet/IDSReader.h"
#include "packet/xml/XmlPacketReader.h"

class XmlExtract final : public IDSReader {
  public:
    DBResult openPacket(PacketBytes packet) override;
    DBResult attachRows(PacketBytes packet) override;
    DBResult nextColumnDesc(PacketColumnDesc* column) override;
    DBResult nextAttributeLength(std::uint32_t* length) override;
    DBResult nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                           void* value) override;
    DBResult nextValueLength(std::int32_t* length) override;
    DBResult nextFieldValue(std::int32_t* length, void* value, std::uint8_t* indicator) override;
    DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override;
    std::uint32_t getXmlMode() override { return FReader.xmlMode(); }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;
    const PacketHeader& header() const override { return FHeader; }
    std::uint32_t rowCapacityHint() const override { return FHeader.rowCount; }
    ReadFailure lastFailure() const override { return FReader.lastFailure(); }

  private:
    enum class List { none, column, table };
    const std::vector<XmlPacketAttribute>* currentList() const;
    DBResult readAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length, void* value,
                           bool measureOnly);
    void startRows();

    XmlPacketReader FReader;
    PacketBytes FPacket;
    PacketHeader FHeader;
    bool FOpen = false;
    bool FMetadataComplete = false;
    std::size_t FNextColumn = 0;
    List FList = List::none;
    std::size_t FListIndex = 0;
    std::size_t FRow = 0;
    std::size_t FSlot = 0;  // 0: the next item is the row status, else 1 + column
};
