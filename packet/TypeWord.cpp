#include "packet/TypeWord.h"

#include <string>

#include "packet/AsciiCase.h"

namespace {

const char* intName(std::uint32_t size, bool isSigned) {
    switch (size) {
        case 1:
            return isSigned ? "i1" : "ui1";
        case 2:
            return isSigned ? "i2" : "ui2";
        case 4:
            return isSigned ? "i4" : "ui4";
        case 8:
            return isSigned ? "i8" : "ui8";
        default:
            return nullptr;
    }
}

// The integer type word named by a size digit ('1', '2', '4', '8'), or 0.
std::uint32_t intWordForDigit(std::uint32_t cls, char digit) {
    switch (digit) {
        case '1':
            return makeTypeWord(cls, 1);
        case '2':
            return makeTypeWord(cls, 2);
        case '4':
            return makeTypeWord(cls, 4);
        case '8':
            return makeTypeWord(cls, 8);
        default:
            return 0;
    }
}

}  // namespace

const char* typeClassName(std::uint32_t typeWord) {
    const std::uint32_t size = typeSize(typeWord);
    switch (typeClass(typeWord)) {
        case clsInt:
            return intName(size, true);
        case clsUInt:
            return intName(size, false);
        case clsBool:
            return "boolean";
        case clsFloat:
            return size == 10 ? "r10" : "r8";
        case clsBcd:
            return "fixed";
        case clsDate:
            return "date";
        case clsTime:
            return "time";
        case clsDateTime:
            return "dateTime";
        case clsZString:
            return "string";
        case clsUnicode:
            return "string.uni";
        case clsBytes:
            return "bin.hex";
        case clsNested:
            return "nested";
        case clsSqlTimeStamp:
            return "SQLdateTime";
        case clsFmtBcd:
            return "fixedFMT";
        case clsSingle:
            return "r4";
        case clsSqlTimeStampOffset:
            return "SQLdateTimeOffset";
        default:
            return nullptr;
    }
}

DBResult xmlTypeNameForWrite(std::uint32_t typeWord, const char** name) {
    *name = nullptr;
    const std::uint32_t cls = typeClass(typeWord);
    const std::uint32_t size = typeSize(typeWord);
    if (typeIsArray(typeWord)) {
        if (typeIsVarying(typeWord)) return errInvalidFieldType;
        if (cls == clsInt) *name = "IntArray";
        if (cls == clsUInt) *name = "UIntArray";
        return *name ? DBIERR_NONE : errXmlFieldType;
    }
    switch (cls) {
        case clsInt:
            *name = intName(size, true);
            break;
        case clsUInt:
            *name = size == 8 ? nullptr : intName(size, false);
            break;
        case clsFloat:
            *name = size == 8 ? "r8" : nullptr;
            break;
        case clsSingle:
            *name = size == 4 ? "r4" : nullptr;
            break;
        case clsBool:
        case clsBcd:
        case clsDate:
        case clsTime:
        case clsDateTime:
        case clsZString:
        case clsUnicode:
        case clsBytes:
        case clsNested:
        case clsSqlTimeStamp:
        case clsFmtBcd:
        case clsSqlTimeStampOffset:
            *name = typeClassName(typeWord);
            break;
        default:
            break;
    }
    return *name ? DBIERR_NONE : errXmlFieldType;
}

std::uint32_t typeWordFromXmlName(std::string_view text) {
    const std::string name = asciiLowerCase(text);
    struct Exact {
        const char* name;
        std::uint32_t word;
    };
    static constexpr Exact kExact[] = {
        {"boolean", 0x30002},   {"bin.hex", 0x4B0001},     {"date", 0x60004},
        {"datetime", 0x80008},  {"sqldatetime", 0x110010}, {"sqldatetimeoffset", 0x240014},
        {"fixedfmt", 0x120020}, {"int", 0x10004},          {"intarray", 0x810004},
        {"r4", 0x1B0004},       {"r8", 0x40008},           {"r10", 0x4000A},
        {"string", 0x490001},   {"string.uni", 0x4A0001},  {"time", 0x70004},
        {"uint", 0x20004},      {"uintarray", 0x820004},   {"nested", 0x50E0000},
    };
    for (const auto& e : kExact) {
        if (name == e.name) return e.word;
    }
    if (name.empty()) return 0;
    if (name[0] == 'f') return 0x50020;
    if (name[0] == 'i') {
        if (name.size() == 1) return 0x10004;
        return intWordForDigit(clsInt, name[1]);
    }
    if (name[0] == 'u') {
        if (name.size() == 2) return 0x20004;
        if (name.size() > 2) return intWordForDigit(clsUInt, name[2]);
    }
    return 0;
}

std::uint32_t typeWordForField(std::int32_t fldType, std::int32_t fldLen, std::int32_t units1) {
    const std::uint32_t len = static_cast<std::uint32_t>(fldLen) & kTypeSizeMask;
    const std::uint32_t u1 = static_cast<std::uint32_t>(units1) & kTypeSizeMask;
    const std::uint32_t prefix = fldLen <= 254 ? 1 : 2;
    switch (fldType) {
        case 0:
            return len;  // unknown
        case 1:
            return 0x00490000 + prefix;  // string
        case 2:
            return 0x00060004;  // date
        case 3:
            return 0x004B0004;  // BLOB
        case 4:
            return 0x00030002;  // boolean, 2 bytes
        case 5:
            return 0x00010002;  // 16-bit integer
        case 6:
            return 0x00010004;  // 32-bit integer
        case 7:
            return 0x00040008;  // double
        case 8:
            return 0x00050000 + len;  // BCD
        case 9:
            return 0x000B0000 + len;  // fixed bytes
        case 10:
            return 0x00070004;  // time
        case 11:
            return 0x00080008;  // date and time
        case 12:
            return 0x00020002;  // unsigned 16-bit
        case 13:
            return 0x00020004;  // unsigned 32-bit
        case 14:
            return 0x0004000A;  // extended float
        case 15:
            return 0x004B0000 + prefix;  // varying bytes
        case 18:
            return 0x00010008;  // 64-bit integer
        case 19:
            return 0x00020008;  // unsigned 64-bit
        case 20:
            return kTypeWordStruct + u1;  // structure
        case 21:
            return kTypeWordArray + u1;  // array
        case 22:
            return kTypeWordReference + u1;  // reference
        case 23:
            return kTypeWordNested + u1;  // nested table
        case 24:
            return 0x00110010;  // SQL timestamp
        case 25:
            return 0x00120000 + len;  // FMTBCD
        case 27:
            return 0x001B0004;  // single float
        case 28:
            return 0x00010001;  // 8-bit integer
        case 29:
            return 0x00020001;  // unsigned 8-bit
        case 36:
            return 0x00240014;  // SQL timestamp with offset
        case 4099:
            return 0x00030001;  // boolean, 1 byte
        case 4100:
            return 0x00030004;  // boolean, 4 bytes
        case 4103:
            return 0x004A0000 + prefix;  // wide string
        default:
            return 0;
    }
}

DBResult fieldTypeForTypeWord(std::uint32_t typeWord, FieldTypeOfWord* out) {
    *out = FieldTypeOfWord{};
    if (typeIsArray(typeWord)) return errInvalidFieldType;
    const std::uint32_t size = typeSize(typeWord);
    const bool varying = typeIsVarying(typeWord);
    auto fixed = [&](std::int32_t type) {
        out->fldType = type;
        out->fldLen = static_cast<std::int32_t>(size);
        return DBIERR_NONE;
    };
    // Fixed-size engine types take exactly their own size.
    auto sized = [&](std::uint32_t want, std::int32_t type) {
        return size == want ? fixed(type) : errInvalidFieldType;
    };
    auto composite = [&](std::int32_t type, std::int32_t len) {
        out->fldType = type;
        out->fldLen = len;
        out->units1 = static_cast<std::int32_t>(size);
        return DBIERR_NONE;
    };
    auto varyingOrFixed = [&](std::int32_t type) {
        out->fldType = type;
        out->fldLen = varying ? 0 : static_cast<std::int32_t>(size);
        return DBIERR_NONE;
    };
    switch (typeClass(typeWord)) {
        case clsInt:
            switch (size) {
                case 1:
                    return fixed(28);
                case 2:
                    return fixed(5);
                case 4:
                    return fixed(6);
                case 8:
                    return fixed(18);
                default:
                    return errInvalidFieldType;
            }
        case clsUInt:
            switch (size) {
                case 1:
                    return fixed(29);
                case 2:
                    return fixed(12);
                case 4:
                    return fixed(13);
                case 8:
                    return fixed(19);
                default:
                    return errInvalidFieldType;
            }
        case clsBool:
            switch (size) {
                case 1:
                    return fixed(4099);
                case 2:
                    return fixed(4);
                case 4:
                    return fixed(4100);
                default:
                    return errInvalidFieldType;
            }
        case clsFloat:
            if (size == 8) return fixed(7);
            if (size == 10) return fixed(14);
            return errInvalidFieldType;
        case clsBcd:
            return fixed(8);
        case clsFmtBcd:
            return fixed(25);
        case clsDate:
            return sized(4, 2);
        case clsTime:
            return sized(4, 10);
        case clsDateTime:
            return sized(8, 11);
        case clsSqlTimeStamp:
            return sized(16, 24);
        case clsSingle:
            return sized(4, 27);
        case clsSqlTimeStampOffset:
            return sized(20, 36);
        case clsZString:
            return varyingOrFixed(1);
        case clsUnicode:
            return varyingOrFixed(4103);
        case clsBytes:
        case clsBytesLegacy:
            if (!varying) return fixed(9);
            if (size == 4) return varyingOrFixed(3);
            if (size == 1 || size == 2) return varyingOrFixed(15);
            return errInvalidFieldType;
        case clsStruct:
            return composite(20, 0);
        case clsArray:
            return composite(21, 0);
        case clsNested:
            return composite(23, 4);
        default:
            return errInvalidFieldType;
    }
}
