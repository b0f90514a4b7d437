// Feeds arbitrary bytes to the packet reader and walks the whole packet as the engine does.
// When a flat packet reads through completely, it is written again through the writer and
// read once more: the second reading must give exactly what the first gave.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "packet/DSDATAPACKET.h"
#include "packet/DSEXTRACT.h"
#include "packet/FieldConverters.h"
#include "packet/PacketHeader.h"
#include "packet/PacketWalk.h"
#include "packet/TypeWord.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Names are C strings: bytes after an embedded 0 do not travel.
bool sameColumn(const WalkedColumn& a, const WalkedColumn& b) {
    return std::strncmp(a.desc.szName, b.desc.szName, sizeof a.desc.szName) == 0 &&
           a.desc.iTypeWord == b.desc.iTypeWord && a.desc.iFieldAttrs == b.desc.iFieldAttrs &&
           a.attributes == b.attributes;
}

// Walks the packet; a reader that breaks its own promises stops the run.
WalkedPacket readPacket(const Bytes& bytes) {
    auto reader = createPacketReader();
    WalkedPacket walk = walkPacket(*reader, std::make_shared<const Bytes>(bytes));
    if (walk.readerFault != nullptr) std::abort();
    return walk;
}

bool hasNestedTable(const WalkedPacket& walk) {
    for (const auto& c : walk.columns) {
        if (typeClass(c.desc.iTypeWord) == clsNested) return true;
    }
    return false;
}

// The caller's form of an attribute value: varying values carry their prefix.
Bytes callerValue(const WalkedAttribute& a) {
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(a.typeWord, &conv) != DBIERR_NONE || !conv->isVarying()) return a.value;
    Bytes v(conv->size(), 0);
    std::uint32_t n = static_cast<std::uint32_t>(a.value.size());
    for (std::uint32_t i = 0; i < conv->size(); ++i)
        v[i] = static_cast<unsigned char>(n >> (8 * i));
    v.insert(v.end(), a.value.begin(), a.value.end());
    return v;
}

bool writeAgain(const WalkedPacket& d, Bytes* out) {
    auto w = createPacketWriter();
    if (w->initPacket(kPacketVersion, static_cast<std::uint32_t>(d.columns.size()))) return false;
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
    const WalkedPacket first = readPacket(bytes);
    if (first.error != DBIERR_NONE || hasNestedTable(first)) return 0;
    // The writer may refuse what a foreign packet holds (a reserved or empty name, a class
    // above 36); only what it accepts is compared.
    Bytes again;
    if (!writeAgain(first, &again)) return 0;
    const WalkedPacket second = readPacket(again);
    if (second.error != DBIERR_NONE) std::abort();
    if (!std::equal(first.columns.begin(), first.columns.end(), second.columns.begin(),
                    second.columns.end(), sameColumn) ||
        first.tableAttributes != second.tableAttributes || first.items != second.items) {
        std::abort();
    }
    return 0;
}
