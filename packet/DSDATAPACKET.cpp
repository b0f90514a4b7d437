#include "DSDATAPACKET.h"

DBResult DSDATAPACKET::setXmlMode(std::uint32_t mode) {
    if ((mode & 3) != 0) return errNotSupported;
    return TDATAPACKET_WRITE::setXmlMode(mode);
}

std::unique_ptr<IDSWriter> createPacketWriter() {
    return std::make_unique<DSDATAPACKET>();
}
