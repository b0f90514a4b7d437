// Feeds arbitrary bytes to the packet reader and walks the whole packet as the engine does.
// When a flat packet reads through completely, it is written again through the writer and
// read once more: the second reading must give exactly what the first gave.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DSDATAPACKET.h"
#include "DSEXTRACT.h"
#include "FieldConverters.h"
#include "TypeWord.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Attribute {
    std::string name;
    std::uint32_t typeWord = 0;
    Bytes value;
    bool operator==(const Attribute&) const = default;
};

struct Item {
    DBResult rc = 0;
    std::uint8_t indicator = 0;
    std::int32_t length = 0;
    Bytes value;
    bool operator==(const Item&) const = default;
};

struct Column {
    PacketColumnDesc desc{};
    std::vector<Attribute> attributes;
    bool operator==(const Column& o) const {
        // Names are C strings: bytes after an embedded 0 do not travel.
        return std::strncmp(desc.szName, o.desc.szName, sizeof desc.szName) == 0 &&
               desc.iTypeWord == o.desc.iTypeWord && desc.iFieldAttrs == o.desc.iFieldAttrs &&
               attributes == o.attributes;
    }
};

struct Dump {
    std::vector<Column> columns;
    std::vector<Attribute> tableAttributes;
    std::vector<Item> items;
    bool nested = false;
};

DBResult readAttributes(IDSReader& r, std::vector<Attribute>* out) {
    for (;;) {
        std::uint32_t length = 0;
        DBResult rc = r.nextAttributeLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        Attribute a;
        char name[kAttributeNameCapacity];
        a.value.resize(length + 1);
        rc = r.nextAttribute(name, &a.typeWord, &length, a.value.data());
        if (rc != DBIERR_NONE) return rc;
        a.value.resize(length);
        a.name = name;
        out->push_back(std::move(a));
    }
}

DBResult readPacket(const Bytes& bytes, Dump* d) {
    auto r = createPacketReader();
    DBResult rc = r->openPacket(std::make_shared<const Bytes>(bytes));
    if (rc != DBIERR_NONE) return rc;
    // Columns and attribute lists, nested tables included, until the metadata is complete.
    for (std::size_t guard = 0; guard < 2 * bytes.size() + 8; ++guard) {
        Column c;
        rc = r->nextColumnDesc(&c.desc);
        if (rc == DBIERR_NONE) {
            if (typeClass(c.desc.iTypeWord) == clsNested) d->nested = true;
            if ((rc = readAttributes(*r, &c.attributes)) != DBIERR_NONE) return rc;
            d->columns.push_back(std::move(c));
            continue;
        }
        if (rc != errAtEnd) return rc;
        if ((rc = readAttributes(*r, &d->tableAttributes)) != DBIERR_NONE) return rc;
        std::int32_t probe;
        if (r->nextValueLength(&probe) != errNotApplicable) break;
    }
    const std::uint32_t reserve = r->rowCapacityHint();
    if (reserve > bytes.size()) std::abort();  // a hint must be bounded by the bytes
    for (;;) {
        Item item;
        std::int32_t length = 0;
        rc = r->nextValueLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        if (length > static_cast<std::int64_t>(bytes.size())) std::abort();
        item.value.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        item.length = length;
        item.rc = r->nextFieldValue(&item.length, item.value.data(), &item.indicator);
        if (item.rc != DBIERR_NONE && item.rc != errFieldBlank) return item.rc;
        if (item.length != length) std::abort();
        d->items.push_back(std::move(item));
    }
}

// The caller's form of an attribute value: varying values carry their prefix.
Bytes callerValue(const Attribute& a) {
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(a.typeWord, &conv) != DBIERR_NONE || !conv->isVarying()) return a.value;
    Bytes v(conv->size(), 0);
    std::uint32_t n = static_cast<std::uint32_t>(a.value.size());
    for (std::uint32_t i = 0; i < conv->size(); ++i)
        v[i] = static_cast<unsigned char>(n >> (8 * i));
    v.insert(v.end(), a.value.begin(), a.value.end());
    return v;
}

bool writeAgain(const Dump& d, Bytes* out) {
    auto w = createPacketWriter();
    if (w->initPacket(3, static_cast<std::uint32_t>(d.columns.size()))) return false;
    for (const auto& c : d.columns) {
        if (w->addColumnDesc(c.desc)) return false;
        for (const auto& a : c.attributes) {
            const Bytes v = callerValue(a);
            if (w->addAttribute(attrColumn, a.name.c_str(), a.typeWord,
                                static_cast<std::uint32_t>(v.size()), v.data())) {
                return false;
            }
        }
    }
    for (const auto& a : d.tableAttributes) {
        const Bytes v = callerValue(a);
        if (w->addAttribute(attrTable, a.name.c_str(), a.typeWord,
                            static_cast<std::uint32_t>(v.size()), v.data())) {
            return false;
        }
    }
    for (const auto& item : d.items) {
        const std::uint32_t kind = item.indicator == 1   ? putNull
                                   : item.indicator == 2 ? putUnchanged
                                                         : putValue;
        static const unsigned char empty = 0;
        const void* data = item.value.empty() ? &empty : item.value.data();
        if (w->putField(kind, item.length, kind == putValue ? data : nullptr)) return false;
    }
    return w->getPacket(out) == DBIERR_NONE;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);
    Dump first;
    if (readPacket(bytes, &first) != DBIERR_NONE || first.nested) return 0;
    // The writer may refuse what a foreign packet holds (a reserved or empty name, a class
    // above 36); only what it accepts is compared.
    Bytes again;
    if (!writeAgain(first, &again)) return 0;
    Dump second;
    if (readPacket(again, &second) != DBIERR_NONE) std::abort();
    if (!(first.columns == second.columns) || first.tableAttributes != second.tableAttributes ||
        first.items != second.items) {
        std::abort();
    }
    return 0;
}
