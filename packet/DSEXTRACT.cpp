#include "packet/DSEXTRACT.h"

#include <algorithm>
#include <cstring>

#include "packet/Coding.h"

namespace {
bool isBinary(const PacketBytes& packet) {
    PacketHeader header;
    return packet && decodePacketHeader(
                         std::span<const unsigned char>(packet->data(), packet->size()), &header);
}
// Why a packet that starts like a binary one (the magic, or as much of it as there is) was
// not read as binary, or that it is empty; nothing for any other packet.
ReadFailure binaryStartRefused(const std::vector<unsigned char>& packet) {
    unsigned char magic[4], alternative[4];
    putFixed32(magic, kPacketMagic);
    putFixed32(alternative, kPacketMagicAlt);
    if (packet.empty()) return {"packet is empty", 0};
    const std::size_t n = std::min<std::size_t>(packet.size(), 4);
    if ((std::memcmp(packet.data(), magic, n) != 0 &&
         std::memcmp(packet.data(), alternative, n) != 0)) {
        return {};
    }
    if (packet.size() < kPacketHeaderSize) return {"packet header runs past the end", 0};
    if (decodeFixed16(packet.data() + kHdrMajorVersion) > kMaxPacketVersion)
        return {"major version above 3", kHdrMajorVersion};
    return {"minor version above 3", kHdrMinorVersion};
}
}  // namespace

DBResult DSEXTRACT::openPacket(PacketBytes packet) {
    FFailure = {};
    FActive = !packet || isBinary(packet) ? static_cast<IDSReader*>(&FBinary)
                                          : static_cast<IDSReader*>(&FXml);
    const bool binary = FActive == &FBinary;
    PacketBytes bytes = packet;
    const DBResult rc = FActive->openPacket(std::move(packet));
    // The XML reader refuses a binary packet the binary reader could not take; say why the
    // binary reader could not.
    if (rc != DBIERR_NONE && !binary) FFailure = binaryStartRefused(*bytes);
    return rc;
}

DBResult DSEXTRACT::attachRows(PacketBytes packet) {
    FFailure = {};
    return FActive->attachRows(std::move(packet));
}

void DSEXTRACT::setTextEncoding(bool utf8, std::uint32_t codePage) {
    FBinary.setTextEncoding(utf8, codePage);
    FXml.setTextEncoding(utf8, codePage);
}

std::unique_ptr<IDSReader> createPacketReader() {
    return std::make_unique<DSEXTRACT>();
}
