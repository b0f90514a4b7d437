#pragma once
// A three-field table for engine tests: NAME (string, width 20), T (time), N (32-bit integer),
// and record buffers for it. Layout: NAME at 0 (21 bytes), T at 21, N at 25, indicators at 29,
// 30, 31; record length 32.

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/DSBASE.h"
#include "engine/EngineFactory.h"
#include "tests/engine/StationTable.h"

namespace small {

constexpr std::uint32_t kRecordLength = 32;
constexpr std::uint32_t kNameIndicator = 29, kTimeIndicator = 30, kNumberIndicator = 31;

using Buffer = std::vector<unsigned char>;

inline std::shared_ptr<DSBASE> makeTable(std::int32_t numberSubType = 0) {
    auto table = std::make_shared<DSBASE>();
    DSFLDDesc fields[3] = {makeDescriptor("NAME", fldZSTRING, 20), makeDescriptor("T", fldTIME, 0),
                           makeDescriptor("N", fldINT32, 0)};
    fields[2].iFldSubType = numberSubType;
    table->defineTable(3, fields, "Small");
    return table;
}

// A record with the given name and number; the time is null.
inline Buffer record(const std::string& name, std::int32_t number) {
    Buffer b(kRecordLength, 0);
    std::memcpy(b.data(), name.data(), std::min<std::size_t>(name.size(), 20));
    std::memcpy(b.data() + 25, &number, 4);
    b[kTimeIndicator] = indNull;
    return b;
}

inline std::string nameOf(const Buffer& b) {
    return std::string(reinterpret_cast<const char*>(b.data()),
                       strnlen(reinterpret_cast<const char*>(b.data()), 21));
}

inline std::int32_t numberOf(const Buffer& b) {
    std::int32_t n;
    std::memcpy(&n, b.data() + 25, 4);
    return n;
}

inline std::uint32_t insert(DSBASE& table, const Buffer& b) {
    std::uint32_t r = 0;
    EXPECT_EQ(table.storeInsert(b.data(), &r), DBIERR_NONE);
    return r;
}

inline std::uint32_t modify(DSBASE& table, std::uint32_t record, const Buffer& b) {
    std::uint32_t r = 0;
    EXPECT_EQ(table.storeModify(record, b.data(), &r), DBIERR_NONE);
    return r;
}

inline std::uint32_t changes(DSBASE& table) {
    std::uint32_t n = 0;
    EXPECT_EQ(table.getProperty(propChangeCount, &n), DBIERR_NONE);
    return n;
}

inline Buffer read(DSBASE& table, std::uint32_t record) {
    Buffer b(kRecordLength, 0xEE);
    EXPECT_EQ(table.storeRead(record, b.data()), DBIERR_NONE);
    return b;
}

// The default order as record numbers.
inline std::vector<std::uint32_t> order(const DSBASE& table) {
    return table.defaultOrder()->order;
}

}  // namespace small
