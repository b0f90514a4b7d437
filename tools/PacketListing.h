#pragma once
// Everything one datapacket holds, read through the engine's packet reader exactly as the
// engine reads it: header, column descriptors with their attributes, table attributes, and the
// rows with their status bytes, values and null or unchanged marks. Nothing is interpreted or
// dropped, so a listing shows statuses, a pending change log and kept attributes as the file
// carries them.

#include <cstdint>
#include <string>
#include <vector>

#include "packet/DBResult.h"
#include "packet/PacketHeader.h"
#include "packet/PacketWalk.h"
#include "packet/ReadFailure.h"

using ListedAttribute = WalkedAttribute;

struct ListedColumn {
    std::string name;
    std::uint32_t typeWord = 0;
    std::uint16_t fieldAttributes = 0;
    std::vector<ListedAttribute> attributes;
};

// One row item: indicator 0 with a value, 1 null, 2 unchanged.
using ListedValue = WalkedItem;

struct ListedRow {
    std::uint8_t status = 0;
    std::vector<ListedValue> values;  // one per column, in column order
};

struct PacketListing {
    bool opened = false;  // the reader accepted the packet's start; header and format are valid
    std::uint32_t xmlMode = 0;  // 0 for a binary packet
    PacketHeader header;
    std::vector<ListedColumn> columns;  // every descriptor in reading order
    std::vector<ListedAttribute> tableAttributes;
    // Whether every column is a plain one (no structure, array, nested table or reference), so
    // that each row holds exactly one value per column. Otherwise the row items are listed in
    // reading order in `items`, statuses included.
    bool flat = true;
    std::vector<ListedRow> rows;
    std::vector<ListedValue> items;
    // The first failure of the reader; what was read before it stays in the listing.
    DBResult error = DBIERR_NONE;
    // The reader's failed check and its byte offset, when the reader said.
    ReadFailure failure;
};

// Reads the whole packet. Every read is bounded by the packet's bytes.
PacketListing listPacket(std::vector<unsigned char> bytes);

// The names of the bits set in a row status byte ("unmodified" for 0).
std::vector<std::string> rowStatusNames(std::uint8_t status);
// The names of the bits set in a column's field attributes.
std::vector<std::string> fieldAttributeNames(std::uint16_t attributes);
// The names of the header's packet flags.
std::vector<std::string> packetFlagNames(std::uint32_t flags);
// The type word's class name ("string", "i4", ...) or "class N" for an unnamed class, with
// "[]" appended for an array value.
std::string typeWordName(std::uint32_t typeWord);
