#pragma once
// The values of the attributes the engine writes and reads itself, as encode/decode pairs.
//
// A value here is the attribute's value as the packet reader delivers it and as the engine
// keeps it: a fixed-size value as its bytes, a varying value without its length prefix, an
// array as its u32 element count followed by the elements. Decoders read only the bytes they
// are given and answer false, producing nothing, for a value that is cut short or not of the
// type the attribute needs.
//
//   name                             type word              value
//   "WIDTH", "DECIMALS",             kTypeWordUInt16        u16
//   "CALCULATED", ("ELEMENTS")
//   "SUBTYPE"                        kTypeWordString16      the name's bytes, then a 0 byte
//   "CHANGE_LOG"                     kTypeWordUInt32Array   u32 element count (3 per entry),
//                                                           then per entry u32 record number,
//                                                           u32 other record number, u32 kind
//   "AUTOINCVALUE"                   kTypeWordInt32         i32, the next value given out

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "packet/TypeWord.h"

inline constexpr char kAttrWidth[] = "WIDTH";
inline constexpr char kAttrElements[] = "ELEMENTS";
inline constexpr char kAttrDecimals[] = "DECIMALS";
inline constexpr char kAttrCalculated[] = "CALCULATED";
inline constexpr char kAttrSubtype[] = "SUBTYPE";
inline constexpr char kAttrChangeLog[] = "CHANGE_LOG";
inline constexpr char kAttrAutoIncValue[] = "AUTOINCVALUE";

constexpr std::size_t kFieldUnitsSize = 2;
constexpr std::size_t kAutoIncValueSize = 4;
constexpr std::size_t kChangeLogCountSize = 4;
constexpr std::size_t kChangeLogElementSize = 4;
constexpr std::size_t kChangeLogElementsPerEntry = 3;
constexpr std::size_t kChangeLogEntrySize = kChangeLogElementsPerEntry * kChangeLogElementSize;

// "WIDTH", "DECIMALS" and "CALCULATED": a field's size units or calculated mark.
std::array<unsigned char, kFieldUnitsSize> encodeFieldUnits(std::uint16_t units);

// "AUTOINCVALUE".
std::array<unsigned char, kAutoIncValueSize> encodeAutoIncValue(std::int32_t next);

// A small number as the engine reads it from any attribute ("WIDTH", "AUTOINCVALUE", "LCID",
// "READONLY", ...). A value of a fixed-size class must hold its class's size (at most 4 bytes
// are read); the number is then a u16 for size 2, else the first 4 bytes as a u32 when there
// are 4, else a u16 or a u8. Any other value gives its first 4, 2 or 1 bytes, as many as it
// has. False for a value shorter than that.
bool decodeSmallNumber(std::uint32_t typeWord, std::span<const unsigned char> value,
                       std::uint32_t* number);

inline bool decodeFieldUnits(std::uint32_t typeWord, std::span<const unsigned char> value,
                             std::uint32_t* units) {
    return decodeSmallNumber(typeWord, value, units);
}
inline bool decodeAutoIncValue(std::uint32_t typeWord, std::span<const unsigned char> value,
                               std::uint32_t* next) {
    return decodeSmallNumber(typeWord, value, next);
}

// "SUBTYPE": the subtype's name with its terminating 0 byte.
std::vector<unsigned char> encodeSubtypeValue(std::string_view name);
// The name up to its 0 byte (a view into `value`). False for a type word not of the string
// class or a value without the 0 byte.
bool decodeSubtypeValue(std::uint32_t typeWord, std::span<const unsigned char> value,
                        std::string_view* name);

// One entry of "CHANGE_LOG": the record, the record a modification replaced (else 0), the kind.
struct ChangeLogTriple {
    std::uint32_t record = 0;
    std::uint32_t other = 0;
    std::uint32_t kind = 0;

    bool operator==(const ChangeLogTriple&) const = default;
};

std::vector<unsigned char> encodeChangeLog(std::span<const ChangeLogTriple> entries);
// One entry per complete triple of the element count (count div 3). False for a type word that
// is not an array of 4-byte elements, fewer than 3 elements, or fewer elements than counted.
bool decodeChangeLog(std::uint32_t typeWord, std::span<const unsigned char> value,
                     std::vector<ChangeLogTriple>* entries);

// The value as IDSWriter::addAttribute takes it: a value whose type word's converter is varying
// gets its length prefix, of the converter's width, in front; any other value is unchanged.
std::vector<unsigned char> attributeWriterArgument(std::uint32_t typeWord,
                                                   std::span<const unsigned char> value);
