#pragma once
// An index of a table: an order array of 1-based record numbers and a change counter that
// rises with every insertion into the array and every removal from it.
//
// Positions are 1-based: order[p - 1] is the record at position p. The capacity figure grows
// in steps of 50 entries; the memory underneath grows geometrically so that long runs of
// appends stay linear.

#include <cstdint>
#include <string>
#include <vector>

#include "packet/DBResult.h"

struct DSIDX {
    std::string name;                  // "DEFAULT_ORDER", "CHANGEINDEX", ...
    std::uint32_t id = 0;              // unique within the table
    std::uint32_t changeCounter = 0;   // rises with every change of the order array
    bool isChangeIndex = false;        // orders records by the change log; read-only
    bool definedExplicitly = false;    // an index definition was applied to it
    std::uint32_t unique = 0;          // 0 none, 1 unique, 2 primary key
    std::uint32_t capacity = 0;        // entries the order array has room for
    std::uint32_t insertHint = 0;      // position the next insert goes to; 0: after the last
    std::vector<std::uint32_t> order;  // order[p - 1] is the record at position p

    static constexpr std::uint32_t kGrowth = 50;

    std::uint32_t count() const { return static_cast<std::uint32_t>(order.size()); }

    // The record at position p, 0 outside 1..count.
    std::uint32_t at(std::uint32_t p) const {
        return p >= 1 && p <= order.size() ? order[p - 1] : 0;
    }

    // The position of record, 0 when the array does not hold it. A record appears at most once,
    // so looking at the hinted position, its neighbours and the last position before scanning
    // from position 1 gives the same answer as the plain scan.
    std::uint32_t findPosition(std::uint32_t record, std::uint32_t hint = 0) const;

    // Makes room for one more entry (errNoMemory when it cannot; nothing changes then).
    DBResult reserveOne();
    // Inserts record at position p (1..count + 1); needs reserveOne first.
    void insertAt(std::uint32_t p, std::uint32_t record);
    void removeAt(std::uint32_t p);
    // Puts record in place of the entry at p; the positions of all records stay.
    void replaceAt(std::uint32_t p, std::uint32_t record) { order[p - 1] = record; }
    // Empties the array; the change counter rises.
    void clear();
};
