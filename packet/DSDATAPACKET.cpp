#include "packet/DSDATAPACKET.h"

#include "packet/StreamMode.h"

DBResult DSDATAPACKET::setXmlMode(std::uint32_t mode) {
    if ((mode & kXmlModeOutputBits) != 0) {
        FXml = std::make_unique<XmlPacketWriter>();
        FXml->setTextEncoding(FUtf8, FCodePage);
        return FXml->setXmlMode(mode);
    }
    FXml.reset();
    return FBinary.setXmlMode(mode);
}

void DSDATAPACKET::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FUtf8 = utf8;
    FCodePage = codePage;
    FBinary.setTextEncoding(utf8, codePage);
    if (FXml) FXml->setTextEncoding(utf8, codePage);
}

std::unique_ptr<IDSWriter> createPacketWriter() {
    return std::make_unique<DSDATAPACKET>();
}
