#pragma once
// Value converters: one per type word class and size, writing values into a binary packet and
// reading them back.
//
// write() puts down a value from the caller's bytes at a position that has room for
// packedSize() bytes. read() takes one value from the front of a ByteReader; it never reads
// past the end of its input: a value that would end beyond it answers false and consumes
// nothing. A read without a destination only measures.
//
// Fixed-size converters copy their size; varying converters (FLDCVar8/16/32) carry a length
// prefix of their width; FLDCRepeat carries a u32 element count and the elements.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "packet/Coding.h"
#include "packet/DBResult.h"

class FLDConv {
  public:
    FLDConv(std::uint32_t size, bool isSigned, const char* xmlTypeName)
        : FSize(size), FSigned(isSigned), FXmlTypeName(xmlTypeName) {}
    virtual ~FLDConv() = default;

    // The value's size, or the width of a varying converter's length prefix.
    std::uint32_t size() const { return FSize; }
    bool isSigned() const { return FSigned; }
    // The type name the XML form uses, or nullptr.
    const char* xmlTypeName() const { return FXmlTypeName; }
    virtual bool isVarying() const { return false; }

    // Bytes of a fixed-size value in the packet and as delivered by read(); -1 for
    // varying and array converters.
    virtual std::int64_t packedFixedSize() const { return FSize; }
    virtual std::int64_t valueFixedSize() const { return FSize; }

    // The number of bytes write() puts down for this value; false when the value cannot be
    // written: a length its prefix cannot hold, a value shorter than its own count claims.
    virtual bool packedSize(const unsigned char* value, std::int64_t length,
                            std::size_t* packed) const;
    // Writes the value at dest; answers the position after it.
    virtual unsigned char* write(unsigned char* dest, const unsigned char* value,
                                 std::int64_t length) const;
    // Reads one value. dest, when given, receives *length bytes (the caller measured first).
    // *indicator is 0 for a value and 1 for a null.
    virtual bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
                      std::uint8_t* indicator) const;

  private:
    std::uint32_t FSize;
    bool FSigned;
    const char* FXmlTypeName;
};

// size bytes copied as they are (bytes, structures, reference columns, unknown classes).
// Subclasses only name sizes: the row loops copy these values inline (plainLayoutOf).
class FLDCFixed : public FLDConv {
  public:
    explicit FLDCFixed(std::uint32_t size, const char* xmlTypeName = nullptr, bool isSigned = false)
        : FLDConv(size, isSigned, xmlTypeName) {}
};

class FLDCInt8 : public FLDCFixed {
  public:
    FLDCInt8(bool isSigned, const char* xmlTypeName) : FLDCFixed(1, xmlTypeName, isSigned) {}
};
class FLDCInt16 : public FLDCFixed {
  public:
    FLDCInt16(bool isSigned, const char* xmlTypeName) : FLDCFixed(2, xmlTypeName, isSigned) {}
};
class FLDCInt32 : public FLDCFixed {
  public:
    FLDCInt32(bool isSigned, const char* xmlTypeName) : FLDCFixed(4, xmlTypeName, isSigned) {}
};
class FLDCInt64 : public FLDCFixed {
  public:
    FLDCInt64(bool isSigned, const char* xmlTypeName) : FLDCFixed(8, xmlTypeName, isSigned) {}
};

// IEEE 754 binary64 ("r8", "dateTime").
class FLDCFloat : public FLDCFixed {
  public:
    explicit FLDCFloat(const char* xmlTypeName) : FLDCFixed(8, xmlTypeName, true) {}
};

// 80-bit extended float as stored ("r10").
class FLDCFloatIEEE : public FLDCFixed {
  public:
    FLDCFloatIEEE() : FLDCFixed(10, "r10", true) {}
};

// 16-byte SQL timestamp: year, month, day, hour, minute, second (u16 each), fractions (u32).
class FLDCSQLTIMESTAMP : public FLDCFixed {
  public:
    FLDCSQLTIMESTAMP() : FLDCFixed(16, "SQLdateTime") {}
};

// 20 bytes: the SQL timestamp, then the zone's hours and minutes (i16 each).
class FLDCSQLTIMESTAMPOFFSET : public FLDCFixed {
  public:
    FLDCSQLTIMESTAMPOFFSET() : FLDCFixed(20, "SQLdateTimeOffset") {}
};

// "r4": the 4 bytes of a binary32 value, then 4 bytes that readers skip (written as 0).
class FLDCSingle : public FLDConv {
  public:
    FLDCSingle() : FLDConv(4, true, "r4") {}
    std::int64_t packedFixedSize() const override { return 8; }
    bool packedSize(const unsigned char* value, std::int64_t length,
                    std::size_t* packed) const override;
    unsigned char* write(unsigned char* dest, const unsigned char* value,
                         std::int64_t length) const override;
    bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
              std::uint8_t* indicator) const override;
};

// BCD ("fixed", "fixedFMT"): always 18 bytes in the packet, the first bytes of the stored
// value (fieldLength of them, at most 18) and zero padding. A read delivers those bytes.
class FLDCBcd : public FLDConv {
  public:
    static constexpr std::uint32_t kPackedSize = 18;
    FLDCBcd(std::uint32_t fieldLength, const char* xmlTypeName)
        : FLDConv(fieldLength, true, xmlTypeName) {}
    std::int64_t packedFixedSize() const override { return kPackedSize; }
    std::int64_t valueFixedSize() const override;
    bool packedSize(const unsigned char* value, std::int64_t length,
                    std::size_t* packed) const override;
    unsigned char* write(unsigned char* dest, const unsigned char* value,
                         std::int64_t length) const override;
    bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
              std::uint8_t* indicator) const override;
};

// A length prefix of 1, 2 or 4 bytes, then that many bytes. Subclasses only name the width: the
// row loops copy these values inline (plainLayoutOf). The 4-byte prefix is signed: a
// negative length (a BLOB whose content was not fetched) is written and read without bytes.
class FLDCVar : public FLDConv {
  public:
    FLDCVar(std::uint32_t prefixWidth, const char* xmlTypeName)
        : FLDConv(prefixWidth, false, xmlTypeName) {}
    bool isVarying() const override { return true; }
    std::int64_t packedFixedSize() const override { return -1; }
    std::int64_t valueFixedSize() const override { return -1; }
    bool packedSize(const unsigned char* value, std::int64_t length,
                    std::size_t* packed) const override;
    unsigned char* write(unsigned char* dest, const unsigned char* value,
                         std::int64_t length) const override;
    bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
              std::uint8_t* indicator) const override;
};

class FLDCVar8 : public FLDCVar {
  public:
    explicit FLDCVar8(const char* xmlTypeName) : FLDCVar(1, xmlTypeName) {}
};
class FLDCVar16 : public FLDCVar {
  public:
    explicit FLDCVar16(const char* xmlTypeName) : FLDCVar(2, xmlTypeName) {}
};
class FLDCVar32 : public FLDCVar {
  public:
    explicit FLDCVar32(const char* xmlTypeName) : FLDCVar(4, xmlTypeName) {}
};

// An array value: u32 element count, then the elements through the element converter. The
// caller's value has the same form, and a read delivers it in that form.
class FLDCRepeat : public FLDConv {
  public:
    explicit FLDCRepeat(std::unique_ptr<FLDConv> element, const char* xmlTypeName)
        : FLDConv(4, false, xmlTypeName), FElement(std::move(element)) {}
    const FLDConv& element() const { return *FElement; }
    std::int64_t packedFixedSize() const override { return -1; }
    std::int64_t valueFixedSize() const override { return -1; }
    bool packedSize(const unsigned char* value, std::int64_t length,
                    std::size_t* packed) const override;
    unsigned char* write(unsigned char* dest, const unsigned char* value,
                         std::int64_t length) const override;
    bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
              std::uint8_t* indicator) const override;

  private:
    std::unique_ptr<FLDConv> FElement;
};

// Writes nothing and reads every value as null.
class FLDAlwaysNull : public FLDConv {
  public:
    FLDAlwaysNull() : FLDConv(0, false, nullptr) {}
    bool read(ByteReader& in, unsigned char* dest, std::int32_t* length,
              std::uint8_t* indicator) const override;
};

// How a converter lays a value down, for the row loops' inline paths: the value's size() bytes as
// they are (fixed), a 1- or 2-byte length followed by that many bytes (var8, var16), or anything
// else (other), which goes through the converter's own calls.
enum class PlainLayout : std::uint8_t { other, fixed, var8, var16 };
PlainLayout plainLayoutOf(const FLDConv& converter);

// Chooses the converter for a type word (binary form). Fails with errInvalidFieldType when the
// type word has none: a varying array, a size or prefix width the class does not have.
DBResult makeConverter(std::uint32_t typeWord, std::unique_ptr<FLDConv>* converter);
