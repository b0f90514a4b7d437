#pragma once
// The packet writer handed to the engine: the binary writer, or the XML writer while an XML
// mode (bit 0 or bit 1 set) is chosen.

#include <memory>

#include "binary/TDATAPACKET_WRITE.h"
#include "xml/XmlPacketWriter.h"

class DSDATAPACKET final : public IDSWriter {
  public:
    DBResult initPacket(std::uint32_t version, std::uint32_t columnCount) override {
        return active().initPacket(version, columnCount);
    }
    DBResult initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                   const PacketColumnDesc* columns) override {
        return active().initPacketWithColumns(version, count, columns);
    }
    DBResult addAttribute(std::uint32_t level, const char* name, std::uint32_t typeWord,
                          std::uint32_t length, const void* value) override {
        return active().addAttribute(level, name, typeWord, length, value);
    }
    DBResult getPacket(std::vector<unsigned char>* packet) override {
        return active().getPacket(packet);
    }
    DBResult getPacketLength(std::size_t* length) override {
        return active().getPacketLength(length);
    }
    DBResult putField(std::uint32_t kind, std::int32_t length, const void* data) override {
        // Called once per row item: the binary writer is called directly, not through the
        // interface.
        return FXml ? FXml->putField(kind, length, data)
                    : FBinary.TDATAPACKET_WRITE::putField(kind, length, data);
    }
    DBResult addColumnDesc(const PacketColumnDesc& column) override {
        return active().addColumnDesc(column);
    }
    DBResult resetPacket() override { return active().resetPacket(); }
    DBResult getColumnCount(std::uint32_t* count) override {
        return active().getColumnCount(count);
    }
    DBResult getColumnDescs(PacketColumnDesc* columns) override {
        return active().getColumnDescs(columns);
    }
    DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override {
        return active().getErrorText(code, text, capacity);
    }
    DBResult endNestedRows() override { return active().endNestedRows(); }
    DBResult setXmlMode(std::uint32_t mode) override;
    std::uint32_t getXmlMode() override { return active().getXmlMode(); }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;

  private:
    IDSWriter& active() { return FXml ? static_cast<IDSWriter&>(*FXml) : FBinary; }

    TDATAPACKET_WRITE FBinary;
    std::unique_ptr<XmlPacketWriter> FXml;
    bool FUtf8 = false;
    std::uint32_t FCodePage = 0;
};

std::unique_ptr<IDSWriter> createPacketWriter();
