#include "DSEXTRACT.h"

namespace {
bool isBinary(const PacketBytes& packet) {
    PacketHeader header;
    return packet && decodePacketHeader(
                         std::span<const unsigned char>(packet->data(), packet->size()), &header);
}
}  // namespace

DBResult DSEXTRACT::openPacket(PacketBytes packet) {
    FActive = !packet || isBinary(packet) ? static_cast<IDSReader*>(&FBinary)
                                          : static_cast<IDSReader*>(&FXml);
    return FActive->openPacket(std::move(packet));
}

DBResult DSEXTRACT::attachRows(PacketBytes packet) {
    return FActive->attachRows(std::move(packet));
}

void DSEXTRACT::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FBinary.setTextEncoding(utf8, codePage);
    FXml.setTextEncoding(utf8, codePage);
}

std::unique_ptr<IDSReader> createPacketReader() {
    return std::make_unique<DSEXTRACT>();
}
