#pragma once
// Reads a whole packet through IDSReader into plain values, the way the engine walks it, so
// that tests can compare what was written with what is read.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "IDSReader.h"
#include "PacketTestUtil.h"

struct DumpAttribute {
    std::string name;
    std::uint32_t typeWord = 0;
    Bytes value;
    bool operator==(const DumpAttribute&) const = default;
};

struct DumpColumn {
    PacketColumnDesc desc{};
    std::vector<DumpAttribute> attributes;
};

struct DumpItem {
    std::uint8_t indicator = 0;
    std::int32_t length = 0;
    Bytes value;
    bool operator==(const DumpItem&) const = default;
};

inline void PrintTo(const DumpItem& item, std::ostream* os) {
    *os << "{indicator " << int(item.indicator) << ", length " << item.length << ", "
        << ::testing::PrintToString(item.value) << "}";
}

struct PacketDump {
    std::vector<DumpColumn> columns;
    std::vector<DumpAttribute> tableAttributes;
    std::vector<DumpItem> items;  // row statuses and slot values in reading order
};

// Reads one attribute list; answers the first failure, or 0 at its end.
inline DBResult dumpAttributes(IDSReader& r, std::vector<DumpAttribute>* out) {
    for (;;) {
        std::uint32_t length = 0;
        DBResult rc = r.nextAttributeLength(&length);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE) return rc;
        DumpAttribute a;
        char name[kAttributeNameCapacity];
        a.value.resize(length);
        rc = r.nextAttribute(name, &a.typeWord, &length, a.value.data());
        if (rc != DBIERR_NONE) return rc;
        a.name = name;
        out->push_back(a);
    }
}

// Reads the metadata of the top-level table (flat columns) and every row item.
inline DBResult dumpPacket(IDSReader& r, const Bytes& bytes, PacketDump* dump,
                           std::size_t scratch = 300) {
    auto packet = std::make_shared<const Bytes>(bytes);
    DBResult rc = r.openPacket(packet);
    if (rc != DBIERR_NONE) return rc;
    for (;;) {
        DumpColumn c;
        rc = r.nextColumnDesc(&c.desc);
        if (rc == errAtEnd) break;
        if (rc != DBIERR_NONE) return rc;
        if ((rc = dumpAttributes(r, &c.attributes)) != DBIERR_NONE) return rc;
        dump->columns.push_back(c);
    }
    if ((rc = dumpAttributes(r, &dump->tableAttributes)) != DBIERR_NONE) return rc;
    for (;;) {
        DumpItem item;
        item.value.resize(scratch);
        item.length = static_cast<std::int32_t>(scratch);
        rc = r.nextFieldValue(&item.length, item.value.data(), &item.indicator);
        if (rc == errAtEnd) return DBIERR_NONE;
        if (rc != DBIERR_NONE && rc != errFieldBlank) return rc;
        item.value.resize(item.length > 0 ? static_cast<std::size_t>(item.length) : 0);
        dump->items.push_back(item);
    }
}
