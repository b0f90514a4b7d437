#pragma once
// An index of a table: an order array of 1-based record numbers and a change counter that
// rises with every insertion into the array and every removal from it.

#include <cstdint>
#include <string>
#include <vector>

struct DSIDX {
    std::string name;                 // "DEFAULT_ORDER", "CHANGEINDEX", ...
    std::uint32_t id = 0;             // unique within the table
    std::uint32_t changeCounter = 0;  // rises with every change of the order array
    bool isChangeIndex = false;       // orders records by the change log; read-only
    bool definedExplicitly = false;   // an index definition was applied to it
    std::uint32_t unique = 0;         // 0 none, 1 unique, 2 primary key
    std::vector<std::uint32_t> order; // order[p - 1] is the record at position p

    std::uint32_t count() const { return static_cast<std::uint32_t>(order.size()); }
};
