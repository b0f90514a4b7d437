#pragma once
// The packet reader handed to the engine: binary packets go to the binary reader, everything
// else to the XML reader.

#include <memory>

#include "packet/binary/TDATAPACKET_READ.h"
#include "packet/xml/XmlExtract.h"

class DSEXTRACT final : public IDSReader {
  public:
    [[nodiscard]] DBResult openPacket(PacketBytes packet) override;
    [[nodiscard]] DBResult attachRows(PacketBytes packet) override;
    [[nodiscard]] DBResult nextColumnDesc(PacketColumnDesc* column) override {
        return FActive->nextColumnDesc(column);
    }
    [[nodiscard]] DBResult nextAttributeLength(std::uint32_t* length) override {
        return FActive->nextAttributeLength(length);
    }
    [[nodiscard]] DBResult nextAttribute(char* name, std::uint32_t* typeWord, std::uint32_t* length,
                                         void* value) override {
        return FActive->nextAttribute(name, typeWord, length, value);
    }
    [[nodiscard]] DBResult nextValueLength(std::int32_t* length) override {
        return FActive->nextValueLength(length);
    }
    [[nodiscard]] DBResult nextFieldValue(std::int32_t* length, void* value,
                                          std::uint8_t* indicator) override {
        // Called once per row item: the binary reader is called directly, not through the
        // interface.
        if (FActive == &FBinary)
            return FBinary.TDATAPACKET_READ::nextFieldValue(length, value, indicator);
        return FActive->nextFieldValue(length, value, indicator);
    }
    [[nodiscard]] DBResult nextRow(std::uint8_t* status, RowValue* values,
                                   std::size_t count) override {
        return FActive->nextRow(status, values, count);
    }
    [[nodiscard]] DBResult getErrorText(DBResult code, char* text, std::size_t capacity) override {
        return copyEngineMessage(code, text, capacity);
    }
    std::uint32_t getXmlMode() override { return FActive->getXmlMode(); }
    void setTextEncoding(bool utf8, std::uint32_t codePage) override;
    const PacketHeader& header() const override { return FActive->header(); }
    std::uint32_t rowCapacityHint() const override { return FActive->rowCapacityHint(); }
    ReadFailure lastFailure() const override {
        return FFailure.failed() ? FFailure : FActive->lastFailure();
    }

  private:
    TDATAPACKET_READ FBinary;
    XmlExtract FXml;
    IDSReader* FActive = &FBinary;
    // What the front end itself found: a binary packet too short or too new for the binary
    // reader, which the XML reader then refused.
    ReadFailure FFailure;
};

std::unique_ptr<IDSReader> createPacketReader();
