#include "PacketListing.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "DSEXTRACT.h"
#include "TypeWord.h"
#include "engine/DSTypes.h"

namespace {

DBResult readAttributes(IDSReader& reader, std::vector<ListedAttribute>* out) {
    for (;;) {
        std::uint32_t length = 0;
        DBResult rc = reader.nextAttributeLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        ListedAttribute a;
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

bool isComposite(std::uint32_t typeWord) {
    const std::uint32_t cls = typeClass(typeWord);
    return cls == clsStruct || cls == clsArray || cls == clsNested || cls == clsReference;
}

// Reads the column descriptors and attribute lists until the metadata is complete, nested
// tables included (their columns join the list in reading order).
DBResult readMetadata(IDSReader& reader, std::size_t packetSize, PacketListing* listing) {
    // Every successful step consumes bytes; the bound only stops a reader that would not.
    for (std::size_t step = 0; step < 2 * packetSize + 8; ++step) {
        ListedColumn column;
        PacketColumnDesc desc{};
        DBResult rc = reader.nextColumnDesc(&desc);
        if (rc == DBIERR_NONE) {
            column.name.assign(desc.szName, strnlen(desc.szName, sizeof desc.szName));
            column.typeWord = desc.iTypeWord;
            column.fieldAttributes = desc.iFieldAttrs;
            if (isComposite(desc.iTypeWord)) listing->flat = false;
            rc = readAttributes(reader, &column.attributes);
            listing->columns.push_back(std::move(column));
            if (rc != DBIERR_NONE) return rc;
            continue;
        }
        if (rc != errAtEnd) return rc;
        if ((rc = readAttributes(reader, &listing->tableAttributes)) != DBIERR_NONE) return rc;
        std::int32_t probe = 0;
        if (reader.nextValueLength(&probe) != errNotApplicable) return DBIERR_NONE;
    }
    return errPacketMismatch;
}

// Reads the next row item into `item`; errAtEnd after the last row.
DBResult readItem(IDSReader& reader, std::size_t packetSize, ListedValue* item) {
    std::int32_t length = 0;
    DBResult rc = reader.nextValueLength(&length);
    if (rc != DBIERR_NONE) return rc;
    // The reader bounds a length by the packet; the check keeps a fault there from turning
    // into a huge allocation here.
    if (length > 0 && static_cast<std::size_t>(length) > packetSize) return errPacketMismatch;
    item->value.resize(length > 0 ? static_cast<std::size_t>(length) + 1 : 1);
    item->length = static_cast<std::int32_t>(item->value.size());
    rc = reader.nextFieldValue(&item->length, item->value.data(), &item->indicator);
    if (rc != DBIERR_NONE && rc != errFieldBlank) return rc;
    item->value.resize(item->length > 0 ? static_cast<std::size_t>(item->length) : 0);
    return DBIERR_NONE;
}

DBResult readRows(IDSReader& reader, std::size_t packetSize, PacketListing* listing) {
    for (;;) {
        ListedValue status;
        DBResult rc = readItem(reader, packetSize, &status);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        if (!listing->flat) {
            listing->items.push_back(std::move(status));
            continue;
        }
        ListedRow row;
        row.status = status.value.empty() ? 0 : status.value[0];
        listing->rows.push_back(std::move(row));
        ListedRow& current = listing->rows.back();
        for (std::size_t c = 0; c < listing->columns.size(); ++c) {
            ListedValue value;
            rc = readItem(reader, packetSize, &value);
            if (rc == errAtEnd) return errPacketMismatch;  // a row cut short
            if (rc != DBIERR_NONE) return rc;
            current.values.push_back(std::move(value));
        }
    }
}

}  // namespace

PacketListing listPacket(std::vector<unsigned char> bytes) {
    PacketListing listing;
    const std::size_t size = bytes.size();
    auto reader = createPacketReader();
    DBResult rc =
        reader->openPacket(std::make_shared<const std::vector<unsigned char>>(std::move(bytes)));
    if (rc == DBIERR_NONE) {
        listing.opened = true;
        listing.xmlMode = reader->getXmlMode();
        listing.header = reader->header();
        rc = readMetadata(*reader, size, &listing);
    }
    if (rc == DBIERR_NONE) rc = readRows(*reader, size, &listing);
    listing.error = rc;
    if (rc != DBIERR_NONE) listing.failure = reader->lastFailure();
    return listing;
}

std::vector<std::string> rowStatusNames(std::uint8_t status) {
    static const std::pair<std::uint8_t, const char*> bits[] = {
        {recSuperseded, "superseded"},
        {recDeleted, "deleted"},
        {recInserted, "inserted"},
        {recModified, "modified"},
        {0x10, "0x10"},  // no status of its own
        {recReleased, "released"},
        {recDetailChanged, "detailChanged"},
        {0x80, "0x80"},  // no status of its own
    };
    if (status == recUnmodified) return {"unmodified"};
    std::vector<std::string> names;
    for (const auto& [bit, name] : bits)
        if (status & bit) names.emplace_back(name);
    return names;
}

std::vector<std::string> fieldAttributeNames(std::uint16_t attributes) {
    static const char* const names[] = {"hidden", "readOnly", "required",
                                        "link",   "unnamed",  "fixed"};
    std::vector<std::string> out;
    for (unsigned bit = 0; bit < 16; ++bit) {
        if (!(attributes & (1u << bit))) continue;
        if (bit < std::size(names)) {
            out.emplace_back(names[bit]);
        } else {
            char text[8];
            std::snprintf(text, sizeof text, "0x%04x", 1u << bit);
            out.emplace_back(text);
        }
    }
    return out;
}

std::vector<std::string> packetFlagNames(std::uint32_t flags) {
    std::vector<std::string> out;
    for (unsigned bit = 0; bit < 32; ++bit) {
        const std::uint32_t mask = std::uint32_t{1} << bit;
        if (!(flags & mask)) continue;
        if (mask == PF_METADATA) {
            out.emplace_back("METADATA");
        } else if (mask == PF_ROW_OFFSET) {
            out.emplace_back("ROW_OFFSET");
        } else if (mask == PF_XML_MODE) {
            out.emplace_back("XML_MODE");
        } else {
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", mask);
            out.emplace_back(text);
        }
    }
    return out;
}

std::string typeWordName(std::uint32_t typeWord) {
    const char* name = typeClassName(typeWord & ~kTypeArray);
    std::string s = name ? name : "class " + std::to_string(typeClass(typeWord));
    return typeIsArray(typeWord) ? s + "[]" : s;
}
