#include "engine/RecordStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {
// Makes room for size bytes without changing the vector's contents, doubling the memory when
// it has to grow.
void reserveGeometric(std::vector<unsigned char>& v, std::size_t size) {
    if (size > v.capacity()) v.reserve(std::max(size, v.capacity() * 2));
}
}  // namespace

void RecordStore::setLayout(const std::vector<DSFLDDesc>& fields) {
    reset();
    FColumns.resize(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        FColumns[i].length = static_cast<std::uint32_t>(fields[i].iFldLen);
        FColumns[i].valueOffset = static_cast<std::uint32_t>(fields[i].iFldOffsInRec);
        FColumns[i].indicatorOffset = static_cast<std::uint32_t>(fields[i].iNullOffsInRec);
    }
}

void RecordStore::reset() {
    FColumns.clear();
    FIndicators.clear();
    FIndicators.shrink_to_fit();
    FStatus.clear();
    FStatus.shrink_to_fit();
    FCapacity = 0;
}

std::size_t RecordStore::bytesPerSlot() const {
    std::size_t bytes = 1 + FColumns.size();
    for (const auto& c : FColumns) bytes += c.length;
    return bytes;
}

DBResult RecordStore::growTo(std::uint32_t newCapacity) {
    if (newCapacity <= FCapacity) return DBIERR_NONE;
    if (FByteLimit != 0 && static_cast<std::size_t>(newCapacity) > FByteLimit / bytesPerSlot())
        return errNoMemory;
    const std::size_t slots = newCapacity;
    try {
        // Every allocation first; only then the sizes change, which cannot fail.
        for (auto& c : FColumns) reserveGeometric(c.bytes, slots * c.length);
        reserveGeometric(FIndicators, slots * FColumns.size());
        reserveGeometric(FStatus, slots);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    } catch (const std::length_error&) {
        return errNoMemory;
    }
    for (auto& c : FColumns) c.bytes.resize(slots * c.length, 0);
    FIndicators.resize(slots * FColumns.size(), 0);
    FStatus.resize(slots, 0);
    FCapacity = newCapacity;
    return DBIERR_NONE;
}

void RecordStore::writeRecord(std::uint32_t record, const unsigned char* buffer) {
    for (std::uint32_t f = 0; f < FColumns.size(); ++f) {
        const Column& c = FColumns[f];
        if (c.length != 0) std::memcpy(value(record, f), buffer + c.valueOffset, c.length);
        setIndicator(record, f, buffer[c.indicatorOffset]);
    }
}

void RecordStore::readRecord(std::uint32_t record, unsigned char* buffer) const {
    for (std::uint32_t f = 0; f < FColumns.size(); ++f) {
        const Column& c = FColumns[f];
        if (c.length != 0) std::memcpy(buffer + c.valueOffset, value(record, f), c.length);
        buffer[c.indicatorOffset] = indicator(record, f);
    }
}

void RecordStore::zeroStatuses() {
    std::fill(FStatus.begin(), FStatus.end(), 0);
}
