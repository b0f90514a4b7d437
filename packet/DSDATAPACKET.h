#pragma once
// The packet writer handed to the engine: the binary writer, or the XML writer while an XML
// mode (bit 0 or bit 1 set) is chosen.

#include <memory>

#include "packet/binary/TDATAPACKET_WRITE.h"
#include "packet/xml/XmlPacketWriter.h"

class DSDATAPACKET final : public IDSWriter {
  public:
    [[nodiscard]] DBResult initPacket(std::uint32_t version, std::uint32_t columnCount) override {
        return active().initPacket(version, columnCount);
    }
    [[nodiscard]] DBResult initPacketWithColumns(std::uint32_t version, std::uint32_t count,
                                                 const PacketColumnDesc* columns) override {
        return active().initPacketWithColumns(version, count, columns);
    }
    [[nodiscard]] DBResult addAttribute(std::uint32_t level, const char* name,
                                        std::uint32_t typeWord, std::uint32_t length,
                                        const void* value) override {
        return active().addAttribute(level, name, typeWord, length, value);
    }
    [[nodiscard]] DBResult getPacket(std::vector<unsigned char>* packet) override {
        return active().getPacket(packet);
    }
    [[nodiscard]] DBResult getPacketLength(std::size_t* length) override {
        return active().getPacketLength(length);
    }
    [[nodiscard]] DBResult putField(std::uint32_t kind, std::int32_t length,
                                    const void* data) override {
        // Called once per row item: the binary writer is called directly, not through the
        // interface.
        return FXml ? FXml->putField(kind, length, data)
                    : FBinary.TDATAPACKET_WRITE::putField(kind, length, data);
    }
    void reserveRows(std::size_t bytes) override { active().reserveRows(bytes); }
    [[nodiscard]] DBResult putRow(std::uint8_t status, const RowItem* items,
                                  std::size_t count) override {
        return FXml ? FXml->putRow(status, items, count)
                    : FBinary.TDATAPACKET_WRITE::putRow(status, items, count);
    }
    [[nodiscard]] DBResult addColumnDesc(const PacketColumnDesc& column) override {
        return active().addColumnDesc(column);
    }
    [[nodiscard]] DBResult resetPacket() override { return active().resetPacket(); }
    [[nodiscard]] DBResult getColumnCount(std::uint32_t* count) override {
        return active().getColumnCount(count);
    }
    [[nodiscard]] DBResult getColumnDescs(PacketColumnDesc* columns) override {
        return active().getColumnDescs(columns);
    }
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override {
        return active().getErrorText(code, text, capacity);
    }
    [[nodiscard]] DBResult endNestedRows() override { return active().endNestedRows(); }
    [[nodiscard]] DBResult setXmlMode(std::uint32_t mode) override;
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
