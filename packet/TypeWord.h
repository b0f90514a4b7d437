#pragma once
// The 32-bit type word of every packet column and attribute value, its classes, their XML type
// names, and the mapping between the engine's field types and type words.
//
//   bits  0-15  size: fixed size in bytes, width of a varying value's length prefix (1, 2, 4),
//               or the sub-column count of a composite column (classes 12 to 15)
//   bits 16-21  class
//   bit  22     varying: length prefix of `size` bytes, then that many bytes
//   bit  23     array: u32 element count, then the elements (attribute values only)
//   bits 24-26  composite marks on composite columns; readers ignore them
//   bit  31     attribute to be included in delta packets

#include <cstdint>
#include <string_view>

#include "packet/DBResult.h"

constexpr std::uint32_t kTypeSizeMask = 0x0000FFFF;
constexpr std::uint32_t kTypeClassMask = 0x003F0000;
constexpr unsigned kTypeClassShift = 16;
constexpr std::uint32_t kTypeVarying = 0x00400000;
constexpr std::uint32_t kTypeArray = 0x00800000;
constexpr std::uint32_t kTypeCompositeMask = 0x07000000;
constexpr std::uint32_t kTypeInDelta = 0x80000000;

// Type word classes.
enum : std::uint32_t {
    clsInt = 1,  // signed integer, 1/2/4/8 bytes
    clsUInt = 2,
    clsBool = 3,
    clsFloat = 4,  // 8 or 10 bytes
    clsBcd = 5,
    clsDate = 6,
    clsTime = 7,
    clsDateTime = 8,
    clsZString = 9,
    clsUnicode = 10,
    clsBytes = 11,
    clsStruct = 12,
    clsArray = 13,
    clsNested = 14,
    clsReference = 15,
    clsBytesLegacy = 16,  // read like class 11, never written
    clsSqlTimeStamp = 17,
    clsFmtBcd = 18,
    clsSingle = 27,
    clsSqlTimeStampOffset = 36,
};

// Composite marks written on composite columns (added to the sub-column count).
constexpr std::uint32_t kTypeWordStruct = 0x010C0000;
constexpr std::uint32_t kTypeWordArray = 0x030D0000;
constexpr std::uint32_t kTypeWordReference = 0x010F0000;
constexpr std::uint32_t kTypeWordNested = 0x050E0000;

constexpr std::uint32_t typeSize(std::uint32_t w) {
    return w & kTypeSizeMask;
}
constexpr std::uint32_t typeClass(std::uint32_t w) {
    return (w & kTypeClassMask) >> kTypeClassShift;
}
constexpr bool typeIsVarying(std::uint32_t w) {
    return (w & kTypeVarying) != 0;
}
constexpr bool typeIsArray(std::uint32_t w) {
    return (w & kTypeArray) != 0;
}
constexpr std::uint32_t makeTypeWord(std::uint32_t cls, std::uint32_t size,
                                     std::uint32_t flags = 0) {
    return (cls << kTypeClassShift) | (size & kTypeSizeMask) | flags;
}

// Type words of the attribute values the engine writes itself.
constexpr std::uint32_t kTypeWordUInt16 = makeTypeWord(clsUInt, 2);  // "WIDTH", "DECIMALS", ...
constexpr std::uint32_t kTypeWordInt32 = makeTypeWord(clsInt, 4);    // "AUTOINCVALUE"
// A string with a 2-byte length prefix ("SUBTYPE").
constexpr std::uint32_t kTypeWordString16 = makeTypeWord(clsZString, 2, kTypeVarying);
// An array of u32 elements ("CHANGE_LOG").
constexpr std::uint32_t kTypeWordUInt32Array = makeTypeWord(clsUInt, 4, kTypeArray);
static_assert(kTypeWordUInt16 == 0x00020002 && kTypeWordInt32 == 0x00010004 &&
              kTypeWordString16 == 0x00490002 && kTypeWordUInt32Array == 0x00820004);

// The name of a class as the class table gives it ("i4", "ui2", "r10", "string", ...), or
// nullptr for the unnamed classes (structure, array, reference and the unlisted ones).
const char* typeClassName(std::uint32_t typeWord);

// The XML type name written for a type word. Fails with errInvalidFieldType for the array
// flag together with the varying flag and with errXmlFieldType for a combination that has
// no XML name.
DBResult xmlTypeNameForWrite(std::uint32_t typeWord, const char** name);

// The type word an XML "fieldtype" or "Type" text stands for (compared without regard to
// case); 0 for an unknown name.
std::uint32_t typeWordFromXmlName(std::string_view name);

// The type word written for an engine field (iFldType, iFldLen, iUnits1); 0 for a field type
// that has none. Field type 0 (unknown) gives `fldLen` as a class-0 word.
std::uint32_t typeWordForField(std::int32_t fldType, std::int32_t fldLen, std::int32_t units1);

// What a column's type word makes of an engine field when a packet is read: the field type,
// its storage length (0 for varying classes) and, for composite columns, the sub-column count
// that goes to iUnits1.
struct FieldTypeOfWord {
    std::int32_t fldType = 0;
    std::int32_t fldLen = 0;
    std::int32_t units1 = 0;
};

// Fails with errInvalidFieldType for a type word that names no engine field type (the array
// flag, a reference column, a size the class does not have).
DBResult fieldTypeForTypeWord(std::uint32_t typeWord, FieldTypeOfWord* out);
