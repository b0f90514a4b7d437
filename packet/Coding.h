#pragma once
// Little-endian fixed-width encoding helpers for datapackets.
//
// putFixedNN appends a value to a byte vector, or writes it at a position and answers the
// position after it. getFixedNN consumes a value from the front of a ByteReader and answers
// false, consuming nothing, when fewer bytes remain than the value needs. Every read of a
// packet goes through a ByteReader, so no read can pass the end of its input.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Values in record buffers are copied into packets byte for byte; packets are little-endian.
static_assert(std::endian::native == std::endian::little,
              "record values are copied into little-endian packets unchanged");

// A bounded view of bytes that is consumed from the front.
class ByteReader {
  public:
    ByteReader() = default;
    ByteReader(const unsigned char* data, std::size_t size) : FData(data), FRemaining(size) {}
    explicit ByteReader(std::span<const unsigned char> bytes)
        : FData(bytes.data()), FRemaining(bytes.size()) {}

    const unsigned char* data() const { return FData; }
    std::size_t remaining() const { return FRemaining; }
    bool empty() const { return FRemaining == 0; }

    // Drops n bytes from the front; false (nothing dropped) when fewer remain.
    bool skip(std::size_t n) {
        if (n > FRemaining) return false;
        FData += n;
        FRemaining -= n;
        return true;
    }

    // Hands out the next n bytes and drops them; false (nothing consumed) when fewer remain.
    bool getBytes(std::size_t n, const unsigned char** bytes) {
        if (n > FRemaining) return false;
        *bytes = FData;
        return skip(n);
    }

  private:
    const unsigned char* FData = nullptr;
    std::size_t FRemaining = 0;
};

inline std::uint16_t decodeFixed16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t decodeFixed32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t decodeFixed64(const unsigned char* p) {
    return static_cast<std::uint64_t>(decodeFixed32(p)) |
           (static_cast<std::uint64_t>(decodeFixed32(p + 4)) << 32);
}

inline unsigned char* putFixed16(unsigned char* dst, std::uint16_t v) {
    dst[0] = static_cast<unsigned char>(v);
    dst[1] = static_cast<unsigned char>(v >> 8);
    return dst + 2;
}
inline unsigned char* putFixed32(unsigned char* dst, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) dst[i] = static_cast<unsigned char>(v >> (8 * i));
    return dst + 4;
}
inline unsigned char* putFixed64(unsigned char* dst, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) dst[i] = static_cast<unsigned char>(v >> (8 * i));
    return dst + 8;
}

inline void putFixed16(std::vector<unsigned char>& dst, std::uint16_t v) {
    const std::size_t at = dst.size();
    dst.resize(at + 2);
    putFixed16(dst.data() + at, v);
}
inline void putFixed32(std::vector<unsigned char>& dst, std::uint32_t v) {
    const std::size_t at = dst.size();
    dst.resize(at + 4);
    putFixed32(dst.data() + at, v);
}
inline void putFixed64(std::vector<unsigned char>& dst, std::uint64_t v) {
    const std::size_t at = dst.size();
    dst.resize(at + 8);
    putFixed64(dst.data() + at, v);
}

inline bool getFixed8(ByteReader& in, std::uint8_t* v) {
    const unsigned char* p;
    if (!in.getBytes(1, &p)) return false;
    *v = p[0];
    return true;
}
inline bool getFixed16(ByteReader& in, std::uint16_t* v) {
    const unsigned char* p;
    if (!in.getBytes(2, &p)) return false;
    *v = decodeFixed16(p);
    return true;
}
inline bool getFixed32(ByteReader& in, std::uint32_t* v) {
    const unsigned char* p;
    if (!in.getBytes(4, &p)) return false;
    *v = decodeFixed32(p);
    return true;
}
inline bool getFixed64(ByteReader& in, std::uint64_t* v) {
    const unsigned char* p;
    if (!in.getBytes(8, &p)) return false;
    *v = decodeFixed64(p);
    return true;
}
