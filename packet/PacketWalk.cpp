#include "packet/PacketWalk.h"

#include <cstring>

namespace {

DBResult readAttributes(IDSReader& reader, std::vector<WalkedAttribute>* out) {
    for (;;) {
        std::uint32_t length = 0;
        DBResult rc = reader.nextAttributeLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        WalkedAttribute a;
        char name[kAttributeNameCapacity] = {};
        // One spare byte, so that a value of 0 bytes still has a buffer to be given.
        a.value.resize(static_cast<std::size_t>(length) + 1);
        rc = reader.nextAttribute(name, &a.typeWord, &length, a.value.data());
        if (rc != DBIERR_NONE) return rc;
        a.value.resize(length);
        a.name = name;
        out->push_back(std::move(a));
    }
}

// Reads descriptors and attribute lists until the metadata is complete, nested tables
// included: the errAtEnd that ends a table's columns is followed by its attributes, and only
// the top-level table's end lets row items be read.
DBResult readMetadata(IDSReader& reader, std::size_t packetSize, WalkedPacket* walk) {
    // Every successful step consumes bytes; the bound only stops a reader that would not.
    for (std::size_t step = 0; step < 2 * packetSize + 8; ++step) {
        WalkedColumn column;
        DBResult rc = reader.nextColumnDesc(&column.desc);
        if (rc == DBIERR_NONE) {
            rc = readAttributes(reader, &column.attributes);
            walk->columns.push_back(std::move(column));
            if (rc != DBIERR_NONE) return rc;
            continue;
        }
        if (rc != errAtEnd) return rc;
        if ((rc = readAttributes(reader, &walk->tableAttributes)) != DBIERR_NONE) return rc;
        std::int32_t probe = 0;
        if (reader.nextValueLength(&probe) != errNotApplicable) {
            walk->metadataComplete = true;
            return DBIERR_NONE;
        }
    }
    walk->readerFault = "metadata that never ends";
    return errPacketMismatch;
}

DBResult readItems(IDSReader& reader, std::size_t packetSize, WalkedPacket* walk) {
    if (reader.rowCapacityHint() > packetSize) {
        walk->readerFault = "a row hint beyond the packet";
        return errPacketMismatch;
    }
    for (;;) {
        std::int32_t length = 0;
        DBResult rc = reader.nextValueLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        // The reader bounds a length by the packet; the check keeps a fault there from turning
        // into a huge allocation here.
        if (length > 0 && static_cast<std::size_t>(length) > packetSize) {
            walk->readerFault = "a value length beyond the packet";
            return errPacketMismatch;
        }
        WalkedItem item;
        const std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
        item.value.resize(size + 1);  // a spare byte: a buffer even for a value of 0 bytes
        item.length = static_cast<std::int32_t>(size);
        rc = reader.nextFieldValue(&item.length, item.value.data(), &item.indicator);
        if (rc != DBIERR_NONE && rc != errFieldBlank) return rc;
        if (item.length != length) {
            walk->readerFault = "a value read with another length than measured";
            return errPacketMismatch;
        }
        item.value.resize(size);
        walk->items.push_back(std::move(item));
    }
}

}  // namespace

WalkedPacket walkPacket(IDSReader& reader, PacketBytes packet) {
    WalkedPacket walk;
    const std::size_t size = packet ? packet->size() : 0;
    DBResult rc = reader.openPacket(std::move(packet));
    if (rc == DBIERR_NONE) {
        walk.opened = true;
        rc = readMetadata(reader, size, &walk);
    }
    if (rc == DBIERR_NONE) rc = readItems(reader, size, &walk);
    walk.error = rc;
    return walk;
}
