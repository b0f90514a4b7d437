#include <gtest/gtest.h>

#include <vector>

#include "packet/Coding.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(Coding, PutAppendsLittleEndian) {
    Bytes out;
    putFixed16(out, 0x1234);
    putFixed32(out, 0xBDE01996u);
    putFixed64(out, 0x0102030405060708ull);
    EXPECT_EQ(out, (Bytes{0x34, 0x12,                                         // u16
                          0x96, 0x19, 0xE0, 0xBD,                             // u32
                          0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}));  // u64
}

TEST(Coding, PutAtPositionAnswersTheNextPosition) {
    unsigned char buf[14] = {};
    unsigned char* p = putFixed16(buf, 0xABCD);
    p = putFixed32(p, 0xFFFFFFFFu);
    p = putFixed64(p, 0x8000000000000001ull);
    EXPECT_EQ(p, buf + 14);
    EXPECT_EQ(decodeFixed16(buf), 0xABCD);
    EXPECT_EQ(decodeFixed32(buf + 2), 0xFFFFFFFFu);
    EXPECT_EQ(decodeFixed64(buf + 6), 0x8000000000000001ull);
}

TEST(Coding, GetRoundTripsAndConsumes) {
    Bytes in;
    putFixed16(in, 0xBEEF);
    putFixed32(in, 86399999u);
    putFixed64(in, 0xFEDCBA9876543210ull);
    in.push_back(0x7F);
    ByteReader r(in);
    std::uint16_t a;
    std::uint32_t b;
    std::uint64_t c;
    std::uint8_t d;
    ASSERT_TRUE(getFixed16(r, &a));
    ASSERT_TRUE(getFixed32(r, &b));
    ASSERT_TRUE(getFixed64(r, &c));
    ASSERT_TRUE(getFixed8(r, &d));
    EXPECT_EQ(a, 0xBEEF);
    EXPECT_EQ(b, 86399999u);
    EXPECT_EQ(c, 0xFEDCBA9876543210ull);
    EXPECT_EQ(d, 0x7F);
    EXPECT_TRUE(r.empty());
    EXPECT_FALSE(getFixed8(r, &d));
}

// Every shorter input fails and leaves the reader where it was.
TEST(Coding, ShortInputFailsWithoutConsuming) {
    const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (std::size_t n = 0; n < 8; ++n) {
        SCOPED_TRACE(n);
        ByteReader r(bytes, n);
        std::uint16_t v16;
        std::uint32_t v32;
        std::uint64_t v64;
        EXPECT_EQ(getFixed16(r, &v16), n >= 2);
        ByteReader r32(bytes, n);
        EXPECT_EQ(getFixed32(r32, &v32), n >= 4);
        ByteReader r64(bytes, n);
        EXPECT_FALSE(getFixed64(r64, &v64));
        EXPECT_EQ(r64.remaining(), n);
        EXPECT_EQ(r64.data(), bytes);
    }
    ByteReader r(bytes, 3);
    const unsigned char* p = nullptr;
    EXPECT_FALSE(r.getBytes(4, &p));
    EXPECT_FALSE(r.skip(4));
    EXPECT_EQ(r.remaining(), 3u);
    EXPECT_TRUE(r.getBytes(3, &p));
    EXPECT_EQ(p, bytes);
    EXPECT_TRUE(r.empty());
}

}  // namespace
