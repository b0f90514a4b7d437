#include "tools/PacketListing.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/DSTypes.h"
#include "packet/DSEXTRACT.h"
#include "packet/TypeWord.h"

namespace {

bool isComposite(std::uint32_t typeWord) {
    const std::uint32_t cls = typeClass(typeWord);
    return cls == clsStruct || cls == clsArray || cls == clsNested || cls == clsReference;
}

// Row items of a flat packet grouped into rows: a status, then one value per column. A row the
// packet cuts short keeps the values it has and fails the listing.
DBResult groupRows(std::vector<ListedValue>& items, PacketListing* listing) {
    const std::size_t columns = listing->columns.size();
    for (std::size_t i = 0; i < items.size();) {
        ListedRow row;
        row.status = items[i].value.empty() ? 0 : items[i].value[0];
        ++i;
        for (std::size_t c = 0; c < columns && i < items.size(); ++c, ++i)
            row.values.push_back(std::move(items[i]));
        const bool complete = row.values.size() == columns;
        listing->rows.push_back(std::move(row));
        if (!complete) return errPacketMismatch;
    }
    return DBIERR_NONE;
}

}  // namespace

PacketListing listPacket(std::vector<unsigned char> bytes) {
    PacketListing listing;
    auto reader = createPacketReader();
    WalkedPacket walk =
        walkPacket(*reader, std::make_shared<const std::vector<unsigned char>>(std::move(bytes)));
    listing.opened = walk.opened;
    if (walk.opened) {
        listing.xmlMode = reader->getXmlMode();
        listing.header = reader->header();
    }
    for (auto& column : walk.columns) {
        ListedColumn c;
        c.name.assign(column.desc.szName, strnlen(column.desc.szName, sizeof column.desc.szName));
        c.typeWord = column.desc.iTypeWord;
        c.fieldAttributes = column.desc.iFieldAttrs;
        c.attributes = std::move(column.attributes);
        if (isComposite(c.typeWord)) listing.flat = false;
        listing.columns.push_back(std::move(c));
    }
    listing.tableAttributes = std::move(walk.tableAttributes);
    DBResult rc = walk.error;
    if (!listing.flat) {
        listing.items = std::move(walk.items);
    } else if (DBResult grouped = groupRows(walk.items, &listing); rc == DBIERR_NONE) {
        rc = grouped;
    }
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
