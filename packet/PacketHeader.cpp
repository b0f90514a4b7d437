#include "packet/PacketHeader.h"

#include "packet/Coding.h"

void encodePacketHeader(const PacketHeader& h, unsigned char* dst) {
    putFixed32(dst + kHdrMagic, h.magic);
    putFixed16(dst + kHdrMajorVersion, h.majorVersion);
    putFixed16(dst + kHdrMinorVersion, h.minorVersion);
    putFixed32(dst + kHdrHeaderSize, h.headerSize);
    putFixed16(dst + kHdrColumnCount, h.columnCount);
    putFixed32(dst + kHdrRowCount, h.rowCount);
    putFixed32(dst + kHdrPacketFlags, h.packetFlags);
    putFixed16(dst + kHdrRowDataOffset, h.rowDataOffset);
}

bool decodePacketHeader(std::span<const unsigned char> packet, PacketHeader* header) {
    if (packet.size() < kPacketHeaderSize) return false;
    const unsigned char* p = packet.data();
    PacketHeader h;
    h.magic = decodeFixed32(p + kHdrMagic);
    h.majorVersion = decodeFixed16(p + kHdrMajorVersion);
    h.minorVersion = decodeFixed16(p + kHdrMinorVersion);
    if (h.magic == kPacketMagic) {
        if (h.majorVersion > kMaxPacketVersion || h.minorVersion > kMaxPacketVersion) return false;
    } else if (h.magic != kPacketMagicAlt) {
        return false;
    }
    h.headerSize = decodeFixed32(p + kHdrHeaderSize);
    h.columnCount = decodeFixed16(p + kHdrColumnCount);
    h.rowCount = decodeFixed32(p + kHdrRowCount);
    h.packetFlags = decodeFixed32(p + kHdrPacketFlags);
    h.rowDataOffset = decodeFixed16(p + kHdrRowDataOffset);
    *header = h;
    return true;
}
