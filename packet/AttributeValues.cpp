#include "packet/AttributeValues.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "packet/Coding.h"
#include "packet/FieldConverters.h"

std::array<unsigned char, kFieldUnitsSize> encodeFieldUnits(std::uint16_t units) {
    std::array<unsigned char, kFieldUnitsSize> out;
    putFixed16(out.data(), units);
    return out;
}

std::array<unsigned char, kAutoIncValueSize> encodeAutoIncValue(std::int32_t next) {
    std::array<unsigned char, kAutoIncValueSize> out;
    putFixed32(out.data(), static_cast<std::uint32_t>(next));
    return out;
}

bool decodeSmallNumber(std::uint32_t typeWord, std::span<const unsigned char> value,
                       std::uint32_t* number) {
    const bool fixed = !typeIsVarying(typeWord) && !typeIsArray(typeWord);
    const std::size_t needed = fixed ? std::clamp<std::size_t>(typeSize(typeWord), 1, 4) : 1;
    if (value.size() < needed) return false;
    const unsigned char* p = value.data();
    if (typeSize(typeWord) == 2 && value.size() >= 2) {
        *number = decodeFixed16(p);
    } else if (value.size() >= 4) {
        *number = decodeFixed32(p);
    } else if (value.size() >= 2) {
        *number = decodeFixed16(p);
    } else {
        *number = p[0];
    }
    return true;
}

std::vector<unsigned char> encodeSubtypeValue(std::string_view name) {
    std::vector<unsigned char> out(name.begin(), name.end());
    out.push_back(0);
    return out;
}

bool decodeSubtypeValue(std::uint32_t typeWord, std::span<const unsigned char> value,
                        std::string_view* name) {
    // An empty value has no terminating 0 (and may have no storage at all for memchr).
    if (typeClass(typeWord) != clsZString || value.empty()) return false;
    const auto* end = static_cast<const unsigned char*>(std::memchr(value.data(), 0, value.size()));
    if (end == nullptr) return false;
    *name = std::string_view(reinterpret_cast<const char*>(value.data()),
                             static_cast<std::size_t>(end - value.data()));
    return true;
}

std::vector<unsigned char> encodeChangeLog(std::span<const ChangeLogTriple> entries) {
    std::vector<unsigned char> out;
    out.reserve(kChangeLogCountSize + entries.size() * kChangeLogEntrySize);
    putFixed32(out, static_cast<std::uint32_t>(entries.size() * kChangeLogElementsPerEntry));
    for (const ChangeLogTriple& e : entries) {
        putFixed32(out, e.record);
        putFixed32(out, e.other);
        putFixed32(out, e.kind);
    }
    return out;
}

bool decodeChangeLog(std::uint32_t typeWord, std::span<const unsigned char> value,
                     std::vector<ChangeLogTriple>* entries) {
    if (!typeIsArray(typeWord) || typeSize(typeWord) != kChangeLogElementSize) return false;
    ByteReader in(value);
    std::uint32_t count;
    if (!getFixed32(in, &count) || count < kChangeLogElementsPerEntry) return false;
    if (in.remaining() / kChangeLogElementSize < count) return false;
    std::vector<ChangeLogTriple> out;
    out.reserve(count / kChangeLogElementsPerEntry);
    const unsigned char* p = in.data();  // holds `count` elements, checked above
    for (std::uint32_t i = 0; i + kChangeLogElementsPerEntry <= count;
         i += kChangeLogElementsPerEntry, p += kChangeLogEntrySize) {
        out.push_back({decodeFixed32(p), decodeFixed32(p + 4), decodeFixed32(p + 8)});
    }
    *entries = std::move(out);
    return true;
}

std::vector<unsigned char> attributeWriterArgument(std::uint32_t typeWord,
                                                   std::span<const unsigned char> value) {
    // The converter decides, not the type word's varying bit: the decimal classes ignore that
    // bit, and a prefix the writer does not strip would shift the value by its width at every
    // save.
    std::vector<unsigned char> out;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(typeWord, &conv) == DBIERR_NONE && conv->isVarying()) {
        const auto n = static_cast<std::uint32_t>(value.size());
        switch (conv->size()) {
            case 1:
                out.push_back(static_cast<unsigned char>(n));
                break;
            case 2:
                putFixed16(out, static_cast<std::uint16_t>(n));
                break;
            default:
                putFixed32(out, n);
                break;
        }
    }
    out.insert(out.end(), value.begin(), value.end());
    return out;
}
