#include "engine/DSIndex.h"

#include <algorithm>
#include <new>
#include <stdexcept>

std::uint32_t DSIDX::findPosition(std::uint32_t record, std::uint32_t hint) const {
    const std::uint32_t n = count();
    if (hint >= 1) {
        const std::uint32_t lo = hint > 1 ? hint - 1 : 1;
        const std::uint32_t hi = hint < n ? hint + 1 : n;
        if (hint <= n && order[hint - 1] == record) return hint;
        for (std::uint32_t p = lo; p <= hi; ++p)
            if (order[p - 1] == record) return p;
    }
    if (n >= 1 && order[n - 1] == record) return n;
    for (std::uint32_t p = 1; p <= n; ++p)
        if (order[p - 1] == record) return p;
    return 0;
}

DBResult DSIDX::reserveOne() {
    if (order.size() < capacity && order.size() < order.capacity()) return DBIERR_NONE;
    try {
        std::uint32_t newCapacity = capacity;
        if (order.size() >= capacity) {
            const std::uint32_t base = std::max(capacity, count());
            if (base > UINT32_MAX - kGrowth) return errNoMemory;
            newCapacity = base + kGrowth;
        }
        if (order.capacity() < order.size() + 1)
            order.reserve(std::max<std::size_t>(order.capacity() * 2, newCapacity));
        capacity = newCapacity;
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    } catch (const std::length_error&) {
        return errNoMemory;
    }
    return DBIERR_NONE;
}

void DSIDX::insertAt(std::uint32_t p, std::uint32_t record) {
    order.insert(order.begin() + (p - 1), record);
    ++changeCounter;
}

void DSIDX::removeAt(std::uint32_t p) {
    order.erase(order.begin() + (p - 1));
    ++changeCounter;
}

void DSIDX::clear() {
    order.clear();
    insertHint = 0;
    ++changeCounter;
}
