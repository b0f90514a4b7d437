#pragma once
// The 24-byte header at the start of every binary datapacket.
//
//   offset  0  u32  magic          0xBDE01996 (or 0x0000ABCD, accepted without version checks)
//   offset  4  u16  majorVersion   1; 2 when a column's class is above 11
//   offset  6  u16  minorVersion   0
//   offset  8  u32  headerSize     24; the first column descriptor starts here
//   offset 12  u16  columnCount    top-level columns
//   offset 14  u32  rowCount       top-level rows
//   offset 18  u32  packetFlags    PF_METADATA, PF_ROW_OFFSET, PF_XML_MODE
//   offset 22  u16  rowDataOffset  first row byte, valid with PF_ROW_OFFSET

#include <cstddef>
#include <cstdint>
#include <span>

constexpr std::uint32_t kPacketMagic = 0xBDE01996;
constexpr std::uint32_t kPacketMagicAlt = 0x0000ABCD;
constexpr std::size_t kPacketHeaderSize = 24;
constexpr std::uint16_t kMaxPacketVersion = 3;
// The version the engine starts every packet with (initPacket, initPacketWithColumns).
constexpr std::uint16_t kPacketVersion = 3;

enum : std::uint32_t {
    PF_METADATA = 0x0001,
    PF_ROW_OFFSET = 0x0002,
    PF_XML_MODE = 0x8000,
};

// Byte offsets of the header fields (the writer patches some of them in place).
enum : std::size_t {
    kHdrMagic = 0,
    kHdrMajorVersion = 4,
    kHdrMinorVersion = 6,
    kHdrHeaderSize = 8,
    kHdrColumnCount = 12,
    kHdrRowCount = 14,
    kHdrPacketFlags = 18,
    kHdrRowDataOffset = 22,
};

struct PacketHeader {
    std::uint32_t magic = kPacketMagic;
    std::uint16_t majorVersion = 1;
    std::uint16_t minorVersion = 0;
    std::uint32_t headerSize = kPacketHeaderSize;
    std::uint16_t columnCount = 0;
    std::uint32_t rowCount = 0;
    std::uint32_t packetFlags = 0;
    std::uint16_t rowDataOffset = 0;
};

// Writes the header into 24 bytes at dst.
void encodePacketHeader(const PacketHeader& header, unsigned char* dst);

// True when the packet starts with a binary header: the magic with both versions at most 3,
// or the alternative magic (versions not checked), and 24 bytes to hold the header. Fills
// *header then. Any other packet is meant for the XML reader.
bool decodePacketHeader(std::span<const unsigned char> packet, PacketHeader* header);
