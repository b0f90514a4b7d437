#include "engine/RecordStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "packet/Coding.h"
#include "packet/IDSReader.h"

namespace {
// Arena blocks: the first is small, each further one as large as all before it up to 1 MiB, so
// that a small table takes little memory and a million rows a few hundred allocations.
constexpr std::size_t kFirstBlockBytes = 4096;
constexpr std::size_t kBlockBytes = 1u << 20;

// Makes room for size elements without changing the vector's contents, doubling the memory when
// it has to grow.
template <typename T>
void reserveGeometric(std::vector<T>& v, std::size_t size) {
    if (size > v.capacity()) v.reserve(std::max(size, v.capacity() * 2));
}

std::size_t textLength(const unsigned char* value, std::size_t n) {
    const void* zero = n == 0 ? nullptr : std::memchr(value, 0, n);
    return zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - value) : n;
}

std::size_t readLength(const unsigned char* p, std::uint8_t lengthBytes) {
    return lengthBytes == 1 ? p[0] : decodeFixed32(p);
}
}  // namespace

void RecordStore::setLayout(const std::vector<DSFLDDesc>& fields) {
    reset();
    FColumns.resize(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        Column& c = FColumns[i];
        c.length = static_cast<std::uint32_t>(fields[i].iFldLen);
        c.valueOffset = static_cast<std::uint32_t>(fields[i].iFldOffsInRec);
        c.indicatorOffset = static_cast<std::uint32_t>(fields[i].iNullOffsInRec);
        c.width = static_cast<std::uint32_t>(std::max(fields[i].iUnits1, 0));
        switch (fields[i].iFldType) {
            case fldZSTRING:
                c.kind = Kind::Text;
                break;
            case fldVARBYTES:
            case fldUNICODE:
                c.kind = Kind::Varying;
                break;
            case fldBLOB:
                c.kind = Kind::Blob;
                break;
            case fldADT:
            case fldARRAY:
                c.kind = Kind::Structure;
                break;
            default:
                c.kind = Kind::Fixed;
                break;
        }
        c.packed = c.kind == Kind::Text && c.length != 0;
        if (c.packed) {
            c.lengthBytes = c.length < 256 ? 1 : 4;
            FPackedFields.push_back(static_cast<std::uint32_t>(i));
        }
    }
    FPackedCount = static_cast<std::uint32_t>(FPackedFields.size());
    FLengths.assign(FPackedCount, 0);
    FTexts.assign(FPackedCount, nullptr);
}

void RecordStore::reset() {
    FColumns.clear();
    FPackedFields.clear();
    FPackedCount = 0;
    FRows.clear();
    FRows.shrink_to_fit();
    FBlocks.clear();
    FArenaUsed = 0;
    FArenaReserved = 0;
    FGarbage = 0;
    FIndicators.clear();
    FIndicators.shrink_to_fit();
    FStatus.clear();
    FStatus.shrink_to_fit();
    FCapacity = 0;
}

std::size_t RecordStore::bytesPerSlot() const {
    std::size_t bytes = 1 + FColumns.size();
    if (FPackedCount != 0) bytes += sizeof(const unsigned char*);
    for (const auto& c : FColumns)
        if (!c.packed) bytes += c.length;
    return bytes;
}

DBResult RecordStore::growTo(std::uint32_t newCapacity) {
    if (newCapacity <= FCapacity) return DBIERR_NONE;
    if (FByteLimit != 0 &&
        (FArenaUsed > FByteLimit ||
         static_cast<std::size_t>(newCapacity) > (FByteLimit - FArenaUsed) / bytesPerSlot()))
        return errNoMemory;
    const std::size_t slots = newCapacity;
    try {
        // Every allocation first; only then the sizes change, which cannot fail.
        for (auto& c : FColumns)
            if (!c.packed) reserveGeometric(c.bytes, slots * c.length);
        if (FPackedCount != 0) reserveGeometric(FRows, slots);
        reserveGeometric(FIndicators, slots * FColumns.size());
        reserveGeometric(FStatus, slots);
    } catch (const std::bad_alloc&) {
        return errNoMemory;
    } catch (const std::length_error&) {
        return errNoMemory;
    }
    for (auto& c : FColumns)
        if (!c.packed) c.bytes.resize(slots * c.length, 0);
    if (FPackedCount != 0) FRows.resize(slots, nullptr);
    FIndicators.resize(slots * FColumns.size(), 0);
    FStatus.resize(slots, 0);
    FCapacity = newCapacity;
    return DBIERR_NONE;
}

unsigned char* RecordStore::allocate(std::size_t n) {
    if (FByteLimit != 0 && FCapacity * bytesPerSlot() + FArenaUsed + n > FByteLimit) return nullptr;
    if (FBlocks.empty() || FBlocks.back().size - FBlocks.back().used < n) {
        Block block;
        block.size = std::max(std::clamp(FArenaReserved, kFirstBlockBytes, kBlockBytes), n);
        try {
            FBlocks.reserve(FBlocks.size() + 1);
            block.bytes.reset(new unsigned char[block.size]);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        FArenaReserved += block.size;
        FBlocks.push_back(std::move(block));
    }
    Block& b = FBlocks.back();
    unsigned char* p = b.bytes.get() + b.used;
    b.used += n;
    FArenaUsed += n;
    return p;
}

std::size_t RecordStore::rowSize(const unsigned char* row) const {
    const unsigned char* p = row;
    for (std::uint32_t f : FPackedFields) {
        const std::uint8_t w = FColumns[f].lengthBytes;
        p += w + readLength(p, w);
    }
    return static_cast<std::size_t>(p - row);
}

std::string_view RecordStore::text(std::uint32_t record, std::uint32_t field) const {
    const unsigned char* p = FRows[record - 1];
    if (p == nullptr) return {};
    for (std::uint32_t f : FPackedFields) {
        const std::uint8_t w = FColumns[f].lengthBytes;
        const std::size_t n = readLength(p, w);
        if (f == field) return {reinterpret_cast<const char*>(p + w), n};
        p += w + n;
    }
    return {};
}

void RecordStore::texts(std::uint32_t record, std::string_view* out) const {
    const unsigned char* p = FRows[record - 1];
    for (std::uint32_t k = 0; k < FPackedCount; ++k) {
        if (p == nullptr) {
            out[k] = {};
            continue;
        }
        const std::uint8_t w = FColumns[FPackedFields[k]].lengthBytes;
        const std::size_t n = readLength(p, w);
        out[k] = {reinterpret_cast<const char*>(p + w), n};
        p += w + n;
    }
}

void RecordStore::copyValue(std::uint32_t record, std::uint32_t field, unsigned char* dest) const {
    const Column& c = FColumns[field];
    if (c.length == 0) return;
    if (!c.packed) {
        std::memcpy(dest, value(record, field), c.length);
        return;
    }
    const std::string_view t = text(record, field);
    if (!t.empty()) std::memcpy(dest, t.data(), t.size());
    std::memset(dest + t.size(), 0, c.length - t.size());
}

DBResult RecordStore::storeTexts(std::uint32_t record) {
    std::size_t total = 0, textBytes = 0;
    for (std::uint32_t k = 0; k < FPackedCount; ++k) {
        textBytes += FLengths[k];
        total += FColumns[FPackedFields[k]].lengthBytes + FLengths[k];
    }
    unsigned char* row = nullptr;
    if (textBytes != 0) {
        row = allocate(total);
        if (row == nullptr) return errNoMemory;
        unsigned char* p = row;
        for (std::uint32_t k = 0; k < FPackedCount; ++k) {
            const Column& c = FColumns[FPackedFields[k]];
            const std::uint32_t n = FLengths[k];
            if (c.lengthBytes == 1)
                *p = static_cast<unsigned char>(n);
            else
                putFixed32(p, n);
            p += c.lengthBytes;
            if (n != 0) std::memcpy(p, FTexts[k], n);
            p += n;
        }
    }
    dropTexts(record);
    FRows[record - 1] = row;
    return DBIERR_NONE;
}

DBResult RecordStore::writeRecord(std::uint32_t record, const unsigned char* buffer) {
    if (FPackedCount != 0) {
        for (std::uint32_t k = 0; k < FPackedCount; ++k) {
            const Column& c = FColumns[FPackedFields[k]];
            FTexts[k] = buffer + c.valueOffset;
            FLengths[k] = static_cast<std::uint32_t>(textLength(FTexts[k], c.length));
        }
        if (DBResult rc = storeTexts(record); rc != DBIERR_NONE) return rc;
    }
    for (std::uint32_t f = 0; f < FColumns.size(); ++f) {
        Column& c = FColumns[f];
        if (!c.packed && c.length != 0)
            std::memcpy(c.bytes.data() + static_cast<std::size_t>(record - 1) * c.length,
                        buffer + c.valueOffset, c.length);
        setIndicator(record, f, buffer[c.indicatorOffset]);
    }
    return DBIERR_NONE;
}

DBResult RecordStore::writeValues(std::uint32_t record, const RowValue* values) {
    // The bytes of a value as given, none for a null or unassigned one.
    auto given = [](const RowValue& v) {
        return v.indicator == indValue && v.length > 0 ? static_cast<std::size_t>(v.length) : 0;
    };
    if (FPackedCount != 0) {
        for (std::uint32_t k = 0; k < FPackedCount; ++k) {
            const Column& c = FColumns[FPackedFields[k]];
            const RowValue& v = values[FPackedFields[k]];
            // Cut to the width (one byte below the storage length), then at a zero byte.
            FTexts[k] = v.data;
            FLengths[k] = static_cast<std::uint32_t>(
                textLength(v.data, std::min<std::size_t>({given(v), c.width, c.length - 1})));
        }
        if (DBResult rc = storeTexts(record); rc != DBIERR_NONE) return rc;
    }
    for (std::uint32_t f = 0; f < FColumns.size(); ++f) {
        Column& c = FColumns[f];
        const RowValue& v = values[f];
        std::uint8_t indicator = v.indicator == indValue        ? indValue
                                 : v.indicator == indUnassigned ? indUnassigned
                                                                : indNull;
        if (c.kind == Kind::Structure) indicator = indValue;  // a structure carries no value
        if (c.kind == Kind::Blob && indicator == indValue) indicator = indNull;  // no storage
        if (!c.packed && c.length != 0) {
            unsigned char* dest = c.bytes.data() + static_cast<std::size_t>(record - 1) * c.length;
            std::size_t used = 0;
            const std::size_t n = c.kind == Kind::Structure || c.kind == Kind::Blob ? 0 : given(v);
            if (c.kind == Kind::Varying && c.length >= 2) {
                const std::size_t keep = std::min<std::size_t>({n, c.width, c.length - 2});
                putFixed16(dest, static_cast<std::uint16_t>(keep));
                if (keep != 0) std::memcpy(dest + 2, v.data, keep);
                used = 2 + keep;
            } else if (c.kind == Kind::Fixed) {
                used = std::min<std::size_t>(n, c.length);
                if (used != 0) std::memcpy(dest, v.data, used);
            }
            std::memset(dest + used, 0, c.length - used);
        }
        setIndicator(record, f, indicator);
    }
    return DBIERR_NONE;
}

void RecordStore::readRecord(std::uint32_t record, unsigned char* buffer) const {
    for (std::uint32_t f = 0; f < FColumns.size(); ++f) {
        const Column& c = FColumns[f];
        if (!c.packed) copyValue(record, f, buffer + c.valueOffset);
        buffer[c.indicatorOffset] = indicator(record, f);
    }
    if (FPackedCount == 0) return;
    // The packed texts in one walk of the row.
    const unsigned char* p = FRows[record - 1];
    for (std::uint32_t f : FPackedFields) {
        const Column& c = FColumns[f];
        unsigned char* dest = buffer + c.valueOffset;
        std::size_t n = 0;
        if (p != nullptr) {
            n = readLength(p, c.lengthBytes);
            p += c.lengthBytes;
            if (n != 0) std::memcpy(dest, p, n);
            p += n;
        }
        std::memset(dest + n, 0, c.length - n);
    }
}

void RecordStore::dropTexts(std::uint32_t record) {
    if (FPackedCount == 0) return;
    const unsigned char*& row = FRows[record - 1];
    if (row == nullptr) return;
    FGarbage += rowSize(row);
    row = nullptr;
}

void RecordStore::reclaim() {
    if (FGarbage == 0 || FGarbage < FArenaUsed / 4) return;
    const std::size_t live = FArenaUsed - FGarbage;
    std::vector<Block> fresh;
    std::vector<const unsigned char*> rows;
    try {
        rows.assign(FRows.size(), nullptr);
        if (live != 0) {
            Block block;
            block.size = std::max(kFirstBlockBytes, live);
            block.bytes.reset(new unsigned char[block.size]);
            fresh.push_back(std::move(block));
        }
    } catch (const std::bad_alloc&) {
        return;  // the garbage stays until a later merge
    } catch (const std::length_error&) {
        return;
    }
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        if (FRows[i] == nullptr) continue;
        Block& b = fresh.back();
        const std::size_t n = rowSize(FRows[i]);
        unsigned char* p = b.bytes.get() + b.used;
        std::memcpy(p, FRows[i], n);
        b.used += n;
        rows[i] = p;
    }
    FRows.swap(rows);
    FBlocks.swap(fresh);
    FArenaUsed = live;
    FArenaReserved = FBlocks.empty() ? 0 : FBlocks.back().size;
    FGarbage = 0;
}

void RecordStore::zeroStatuses() {
    std::fill(FStatus.begin(), FStatus.end(), 0);
}
