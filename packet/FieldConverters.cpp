#include "packet/FieldConverters.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "packet/TypeWord.h"

// --- fixed-size values -----------------------------------------------------------------------

bool FLDConv::packedSize(const unsigned char* value, std::int64_t, std::size_t* packed) const {
    if (value == nullptr && FSize != 0) return false;
    *packed = FSize;
    return true;
}

unsigned char* FLDConv::write(unsigned char* dest, const unsigned char* value, std::int64_t) const {
    if (FSize != 0) std::memcpy(dest, value, FSize);
    return dest + FSize;
}

bool FLDConv::read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                   std::uint8_t* indicator) const {
    const unsigned char* bytes;
    if (!in.getBytes(FSize, &bytes)) return false;
    if (dest != nullptr && FSize != 0) std::memcpy(dest, bytes, FSize);
    *length = static_cast<std::int32_t>(FSize);
    *indicator = 0;
    return true;
}

// --- r4 -------------------------------------------------------------------------------------

bool FLDCSingle::packedSize(const unsigned char* value, std::int64_t, std::size_t* packed) const {
    if (value == nullptr) return false;
    *packed = 8;
    return true;
}

unsigned char* FLDCSingle::write(unsigned char* dest, const unsigned char* value,
                                 std::int64_t) const {
    std::memcpy(dest, value, 4);
    std::memset(dest + 4, 0, 4);
    return dest + 8;
}

bool FLDCSingle::read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                      std::uint8_t* indicator) const {
    const unsigned char* bytes;
    if (!in.getBytes(8, &bytes)) return false;
    if (dest != nullptr) std::memcpy(dest, bytes, 4);
    *length = 4;
    *indicator = 0;
    return true;
}

// --- BCD ------------------------------------------------------------------------------------

std::int64_t FLDCBcd::valueFixedSize() const {
    return std::min(size(), kPackedSize);
}

bool FLDCBcd::packedSize(const unsigned char* value, std::int64_t, std::size_t* packed) const {
    if (value == nullptr && valueFixedSize() != 0) return false;
    *packed = kPackedSize;
    return true;
}

unsigned char* FLDCBcd::write(unsigned char* dest, const unsigned char* value, std::int64_t) const {
    const auto n = static_cast<std::size_t>(valueFixedSize());
    if (n != 0) std::memcpy(dest, value, n);
    std::memset(dest + n, 0, kPackedSize - n);
    return dest + kPackedSize;
}

bool FLDCBcd::read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                   std::uint8_t* indicator) const {
    const unsigned char* bytes;
    if (!in.getBytes(kPackedSize, &bytes)) return false;
    const auto n = static_cast<std::size_t>(valueFixedSize());
    if (dest != nullptr && n != 0) std::memcpy(dest, bytes, n);
    *length = static_cast<std::int32_t>(n);
    *indicator = 0;
    return true;
}

// --- varying values -------------------------------------------------------------------------

bool FLDCVar::packedSize(const unsigned char* value, std::int64_t length,
                         std::size_t* packed) const {
    const std::int64_t maxLength = size() == 1   ? 0xFF
                                   : size() == 2 ? 0xFFFF
                                                 : std::numeric_limits<std::int32_t>::max();
    if (length > maxLength) return false;
    if (length < 0) {
        if (size() != 4 || length < std::numeric_limits<std::int32_t>::min()) return false;
        *packed = 4;
        return true;
    }
    if (value == nullptr && length != 0) return false;
    *packed = size() + static_cast<std::size_t>(length);
    return true;
}

unsigned char* FLDCVar::write(unsigned char* dest, const unsigned char* value,
                              std::int64_t length) const {
    switch (size()) {
        case 1:
            *dest++ = static_cast<unsigned char>(length);
            break;
        case 2:
            dest = putFixed16(dest, static_cast<std::uint16_t>(length));
            break;
        default:
            dest = putFixed32(dest, static_cast<std::uint32_t>(length));
            break;
    }
    if (length <= 0) return dest;
    std::memcpy(dest, value, static_cast<std::size_t>(length));
    return dest + length;
}

bool FLDCVar::read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                   std::uint8_t* indicator) const {
    ByteReader r = in;
    std::int64_t n = 0;
    if (size() == 1) {
        std::uint8_t v;
        if (!getFixed8(r, &v)) return false;
        n = v;
    } else if (size() == 2) {
        std::uint16_t v;
        if (!getFixed16(r, &v)) return false;
        n = v;
    } else {
        std::uint32_t v;
        if (!getFixed32(r, &v)) return false;
        n = static_cast<std::int32_t>(v);
    }
    if (n > 0) {
        const unsigned char* bytes;
        if (!r.getBytes(static_cast<std::size_t>(n), &bytes)) return false;
        if (dest != nullptr) std::memcpy(dest, bytes, static_cast<std::size_t>(n));
    }
    in = r;
    *length = static_cast<std::int32_t>(n);
    *indicator = 0;
    return true;
}

// --- arrays ---------------------------------------------------------------------------------

bool FLDCRepeat::packedSize(const unsigned char* value, std::int64_t length,
                            std::size_t* packed) const {
    if (value == nullptr || length < 4) return false;
    const std::uint64_t count = decodeFixed32(value);
    const auto valueSize = static_cast<std::uint64_t>(FElement->valueFixedSize());
    const auto packedElement = static_cast<std::uint64_t>(FElement->packedFixedSize());
    if (4 + count * valueSize > static_cast<std::uint64_t>(length)) return false;
    *packed = static_cast<std::size_t>(4 + count * packedElement);
    return true;
}

unsigned char* FLDCRepeat::write(unsigned char* dest, const unsigned char* value,
                                 std::int64_t) const {
    const std::uint32_t count = decodeFixed32(value);
    dest = putFixed32(dest, count);
    const auto valueSize = static_cast<std::size_t>(FElement->valueFixedSize());
    const auto packedElement = static_cast<std::size_t>(FElement->packedFixedSize());
    const unsigned char* src = value + 4;
    if (valueSize == packedElement) {
        if (count != 0 && valueSize != 0) std::memcpy(dest, src, count * valueSize);
        return dest + count * valueSize;
    }
    for (std::uint32_t i = 0; i < count; ++i, src += valueSize) {
        dest = FElement->write(dest, src, static_cast<std::int64_t>(valueSize));
    }
    return dest;
}

bool FLDCRepeat::read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                      std::uint8_t* indicator) const {
    ByteReader r = in;
    std::uint32_t count;
    if (!getFixed32(r, &count)) return false;
    const auto valueSize = static_cast<std::uint64_t>(FElement->valueFixedSize());
    const auto packedElement = static_cast<std::uint64_t>(FElement->packedFixedSize());
    if (count * packedElement > r.remaining()) return false;
    const std::uint64_t total = 4 + count * valueSize;
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    if (dest == nullptr || valueSize == packedElement) {
        const unsigned char* bytes;
        r.getBytes(static_cast<std::size_t>(count * packedElement), &bytes);
        if (dest != nullptr) {
            putFixed32(dest, count);
            if (total > 4) std::memcpy(dest + 4, bytes, static_cast<std::size_t>(total - 4));
        }
    } else {
        putFixed32(dest, count);
        unsigned char* out = dest + 4;
        for (std::uint32_t i = 0; i < count; ++i, out += valueSize) {
            std::int32_t n;
            std::uint8_t ind;
            if (!FElement->read(r, out, &n, &ind)) return false;
        }
    }
    in = r;
    *length = static_cast<std::int32_t>(total);
    *indicator = 0;
    return true;
}

// --- null -----------------------------------------------------------------------------------

bool FLDAlwaysNull::read(ByteReader&, unsigned char*, std::int32_t* length,
                         std::uint8_t* indicator) const {
    *length = 0;
    *indicator = 1;
    return true;
}

// --- choice ---------------------------------------------------------------------------------

namespace {

std::unique_ptr<FLDConv> makeInteger(std::uint32_t size, bool isSigned, const char* name) {
    switch (size) {
        case 1:
            return std::make_unique<FLDCInt8>(isSigned, name);
        case 2:
            return std::make_unique<FLDCInt16>(isSigned, name);
        case 4:
            return std::make_unique<FLDCInt32>(isSigned, name);
        case 8:
            return std::make_unique<FLDCInt64>(isSigned, name);
        default:
            return nullptr;
    }
}

// The converter of one value of a class and size, the array bit aside.
std::unique_ptr<FLDConv> makeScalar(std::uint32_t typeWord) {
    const std::uint32_t cls = typeClass(typeWord);
    const std::uint32_t size = typeSize(typeWord);
    const char* name = typeClassName(typeWord);
    switch (cls) {
        case clsInt:
        case clsUInt:
            return makeInteger(size, cls == clsInt, name);
        case clsBool:
        case clsDate:
        case clsTime:
            return makeInteger(size, true, name);
        case clsDateTime:
            return size == 8 ? std::make_unique<FLDCFloat>(name) : nullptr;
        case clsFloat:
            if (size == 8) return std::make_unique<FLDCFloat>(name);
            if (size == 10) return std::make_unique<FLDCFloatIEEE>();
            return nullptr;
        case clsBcd:
        case clsFmtBcd:
            return std::make_unique<FLDCBcd>(size, name);
        case clsStruct:
        case clsArray:
            return std::make_unique<FLDCFixed>(0);
        case clsNested:
            return std::make_unique<FLDCInt32>(false, name);
        case clsSqlTimeStamp:
            return size == 16 ? std::make_unique<FLDCSQLTIMESTAMP>() : nullptr;
        case clsSingle:
            return size == 4 ? std::make_unique<FLDCSingle>() : nullptr;
        case clsSqlTimeStampOffset:
            return size == 20 ? std::make_unique<FLDCSQLTIMESTAMPOFFSET>() : nullptr;
        default:
            if (!typeIsVarying(typeWord)) return std::make_unique<FLDCFixed>(size, name);
            switch (size) {
                case 1:
                    return std::make_unique<FLDCVar8>(name);
                case 2:
                    return std::make_unique<FLDCVar16>(name);
                case 4:
                    return std::make_unique<FLDCVar32>(name);
                default:
                    return nullptr;
            }
    }
}

}  // namespace

DBResult makeConverter(std::uint32_t typeWord, std::unique_ptr<FLDConv>* converter) {
    converter->reset();
    if (typeIsArray(typeWord)) {
        if (typeIsVarying(typeWord)) return errInvalidFieldType;
        auto element = makeScalar(typeWord);
        if (!element) return errInvalidFieldType;
        const std::uint32_t cls = typeClass(typeWord);
        const char* name = cls == clsInt ? "IntArray" : cls == clsUInt ? "UIntArray" : nullptr;
        *converter = std::make_unique<FLDCRepeat>(std::move(element), name);
        return DBIERR_NONE;
    }
    *converter = makeScalar(typeWord);
    return *converter ? DBIERR_NONE : errInvalidFieldType;
}

PlainLayout plainLayoutOf(const FLDConv& converter) {
    // The fixed-size family and the varying converters keep the base classes' packedSize, write
    // and read; every other converter has its own.
    if (dynamic_cast<const FLDCFixed*>(&converter)) return PlainLayout::fixed;
    if (dynamic_cast<const FLDCVar*>(&converter)) {
        if (converter.size() == 1) return PlainLayout::var8;
        if (converter.size() == 2) return PlainLayout::var16;
    }
    return PlainLayout::other;
}
