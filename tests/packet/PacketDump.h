#pragma once
// Reads a whole packet through IDSReader the way the engine walks it, so that tests can compare
// what was written with what is read.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "packet/PacketWalk.h"
#include "tests/packet/PacketTestUtil.h"

inline void PrintTo(const WalkedItem& item, std::ostream* os) {
    *os << "{indicator " << int(item.indicator) << ", length " << item.length << ", "
        << ::testing::PrintToString(item.value) << "}";
}

// Walks `bytes` through `r` into *dump; answers the walk's first failure, or 0.
inline DBResult dumpPacket(IDSReader& r, const Bytes& bytes, WalkedPacket* dump) {
    *dump = walkPacket(r, std::make_shared<const Bytes>(bytes));
    return dump->error;
}
