#pragma once
// Drives a whole packet through a reader in the order the engine reads it and keeps what the
// reader yields: every column descriptor with its attributes (nested tables' columns included,
// in reading order), the table attributes, and every row item (row statuses and column slots,
// in reading order). Nothing is interpreted or dropped. cdstool lists packets with it, the
// tests compare what was written with what is read, and the fuzz targets check the readers.

#include <cstdint>
#include <string>
#include <vector>

#include "packet/DBResult.h"
#include "packet/IDSReader.h"
#include "packet/PacketColumnDesc.h"

struct WalkedAttribute {
    std::string name;  // as stored: bytes, expected to be UTF-8 or ASCII
    std::uint32_t typeWord = 0;
    std::vector<unsigned char> value;  // a varying value without its prefix
    bool operator==(const WalkedAttribute&) const = default;
};

struct WalkedColumn {
    PacketColumnDesc desc{};
    std::vector<WalkedAttribute> attributes;
};

// One row item: a row status (indicator 0, one byte) or a column slot: indicator 0 with a
// value, 1 null, 2 unchanged.
struct WalkedItem {
    std::uint8_t indicator = 0;
    std::int32_t length = 0;  // negative for a BLOB whose content was not fetched
    std::vector<unsigned char> value;
    bool operator==(const WalkedItem&) const = default;
};

struct WalkedPacket {
    bool opened = false;  // the reader accepted the packet's start
    std::vector<WalkedColumn> columns;
    std::vector<WalkedAttribute> tableAttributes;
    bool metadataComplete = false;
    std::vector<WalkedItem> items;
    // The first failure; what was read before it is kept. DBIERR_NONE when the reader reached
    // the end of the rows.
    DBResult error = DBIERR_NONE;
    // Set (with error errPacketMismatch) when the reader broke its own promises rather than the
    // packet being at fault: a value length beyond the packet, a value that came out with
    // another length than measured, a row hint beyond the packet, or metadata that never ends.
    const char* readerFault = nullptr;
};

// Opens `packet` in `reader` and reads it to its end or its first failure. The reader is left
// where the walk stopped, so that its lastFailure() tells where a refused packet went wrong.
WalkedPacket walkPacket(IDSReader& reader, PacketBytes packet);
