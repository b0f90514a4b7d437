#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "packet/FieldConverters.h"
#include "packet/TypeWord.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct ConverterCase {
    const char* what;
    std::uint32_t typeWord;
    Bytes value;          // the caller's value as handed to write
    std::int64_t length;  // the caller's length (ignored by fixed-size converters)
    Bytes packed;         // the bytes in the packet
    Bytes readBack;       // the value a read delivers
    std::int32_t readLength;
};

const ConverterCase kCases[] = {
    {"string Radio",
     0x00490001,
     {'R', 'a', 'd', 'i', 'o'},
     5,
     {0x05, 'R', 'a', 'd', 'i', 'o'},
     {'R', 'a', 'd', 'i', 'o'},
     5},
    {"empty non-null string", 0x00490001, {0x00}, 1, {0x01, 0x00}, {0x00}, 1},
    {"string, 2-byte prefix",
     0x00490002,
     {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'},
     8,
     {0x08, 0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'},
     {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'},
     8},
    {"string.uni",
     0x004A0001,
     {0x35, 0x75, 0x30, 0x53},
     4,
     {0x04, 0x35, 0x75, 0x30, 0x53},
     {0x35, 0x75, 0x30, 0x53},
     4},
    {"BLOB", 0x004B0004, {0xDE, 0xAD}, 2, {0x02, 0x00, 0x00, 0x00, 0xDE, 0xAD}, {0xDE, 0xAD}, 2},
    {"BLOB not fetched", 0x004B0004, {}, -1, {0xFF, 0xFF, 0xFF, 0xFF}, {}, -1},
    {"time 08:30:00",
     0x00070004,
     {0x40, 0xEB, 0xD2, 0x01},
     0,
     {0x40, 0xEB, 0xD2, 0x01},
     {0x40, 0xEB, 0xD2, 0x01},
     4},
    {"time 23:59:59.999",
     0x00070004,
     {0xFF, 0x5B, 0x26, 0x05},
     0,
     {0xFF, 0x5B, 0x26, 0x05},
     {0xFF, 0x5B, 0x26, 0x05},
     4},
    {"i4 -1",
     0x00010004,
     {0xFF, 0xFF, 0xFF, 0xFF},
     0,
     {0xFF, 0xFF, 0xFF, 0xFF},
     {0xFF, 0xFF, 0xFF, 0xFF},
     4},
    {"i1 carries the low stored byte", 0x00010001, {0x85, 0xFF}, 0, {0x85}, {0x85}, 1},
    {"ui2", 0x00020002, {0x34, 0x12}, 0, {0x34, 0x12}, {0x34, 0x12}, 2},
    {"i8",
     0x00010008,
     {1, 2, 3, 4, 5, 6, 7, 8},
     0,
     {1, 2, 3, 4, 5, 6, 7, 8},
     {1, 2, 3, 4, 5, 6, 7, 8},
     8},
    {"boolean 2 bytes", 0x00030002, {0x01, 0x00}, 0, {0x01, 0x00}, {0x01, 0x00}, 2},
    {"date 1899-12-30",
     0x00060004,
     {0x1A, 0x95, 0x0A, 0x00},
     0,
     {0x1A, 0x95, 0x0A, 0x00},
     {0x1A, 0x95, 0x0A, 0x00},
     4},
    {"dateTime",
     0x00080008,
     {0, 0, 0, 0, 0, 0, 0xF0, 0x3F},
     0,
     {0, 0, 0, 0, 0, 0, 0xF0, 0x3F},
     {0, 0, 0, 0, 0, 0, 0xF0, 0x3F},
     8},
    {"r10",
     0x0004000A,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     0,
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     10},
    {"r4 takes 8 bytes",
     0x001B0004,
     {0x00, 0x00, 0x80, 0x3F},
     0,
     {0x00, 0x00, 0x80, 0x3F, 0, 0, 0, 0},
     {0x00, 0x00, 0x80, 0x3F},
     4},
    {"BCD of 4 stored bytes takes 18",
     0x00050004,
     {0x04, 0x02, 0x12, 0x34},
     0,
     {0x04, 0x02, 0x12, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     {0x04, 0x02, 0x12, 0x34},
     4},
    {"fixed bytes", 0x000B0003, {0xAA, 0xBB, 0xCC}, 0, {0xAA, 0xBB, 0xCC}, {0xAA, 0xBB, 0xCC}, 3},
    {"SQLdateTime", 0x00110010, Bytes(16, 0x11), 0, Bytes(16, 0x11), Bytes(16, 0x11), 16},
    {"SQLdateTimeOffset", 0x00240014, Bytes(20, 0x22), 0, Bytes(20, 0x22), Bytes(20, 0x22), 20},
    {"nested row count", 0x050E0002, {0x03, 0, 0, 0}, 0, {0x03, 0, 0, 0}, {0x03, 0, 0, 0}, 4},
    {"structure writes nothing", 0x010C0003, {}, 0, {}, {}, 0},
    {"composite marks do not change reading",
     0x07010004,
     {9, 0, 0, 0},
     0,
     {9, 0, 0, 0},
     {9, 0, 0, 0},
     4},
    {"class 32, varying", 0x00600001, {7}, 1, {0x01, 7}, {7}, 1},
    {"u16 array",
     0x00820002,
     {0x02, 0, 0, 0, 0x01, 0x80, 0x02, 0x00},
     8,
     {0x02, 0, 0, 0, 0x01, 0x80, 0x02, 0x00},
     {0x02, 0, 0, 0, 0x01, 0x80, 0x02, 0x00},
     8},
    {"u32 array",
     0x00820004,
     {0x03, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0},
     16,
     {0x03, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0},
     {0x03, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0},
     16},
    {"r4 array widens each element",
     0x009B0004,
     {0x02, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8},
     12,
     {0x02, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 0, 0, 0, 0},
     {0x02, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8},
     12},
    {"empty array", 0x00810004, {0, 0, 0, 0}, 4, {0, 0, 0, 0}, {0, 0, 0, 0}, 4},
};

TEST(FieldConverters, WriteAndReadEveryClass) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<FLDConv> conv;
        ASSERT_EQ(makeConverter(c.typeWord, &conv), DBIERR_NONE);

        std::size_t packedSize = 0;
        ASSERT_TRUE(conv->packedSize(c.value.data(), c.length, &packedSize));
        ASSERT_EQ(packedSize, c.packed.size());
        Bytes out(packedSize + 1, 0xEE);
        unsigned char* end = conv->write(out.data(), c.value.data(), c.length);
        EXPECT_EQ(end, out.data() + packedSize);
        EXPECT_EQ(out.back(), 0xEE) << "wrote past its size";
        out.pop_back();
        EXPECT_EQ(out, c.packed);

        // Measuring consumes like reading, and both stop right after the value.
        Bytes input = c.packed;
        input.push_back(0x5A);
        ByteReader measure(input);
        std::int32_t length = 0;
        std::uint8_t indicator = 9;
        ASSERT_TRUE(conv->read(measure, nullptr, &length, &indicator));
        EXPECT_EQ(length, c.readLength);
        EXPECT_EQ(indicator, 0);
        EXPECT_EQ(measure.remaining(), 1u);

        ByteReader reader(input);
        Bytes value(c.readBack.size() + 1, 0xEE);
        ASSERT_TRUE(conv->read(reader, value.data(), &length, &indicator));
        EXPECT_EQ(value.back(), 0xEE) << "read past its length";
        value.pop_back();
        EXPECT_EQ(value, c.readBack);
        EXPECT_EQ(reader.remaining(), 1u);
    }
}

TEST(FieldConverters, EveryShorterPrefixFailsWithoutConsuming) {
    for (const auto& c : kCases) {
        std::unique_ptr<FLDConv> conv;
        ASSERT_EQ(makeConverter(c.typeWord, &conv), DBIERR_NONE);
        for (std::size_t n = 0; n < c.packed.size(); ++n) {
            SCOPED_TRACE(std::string(c.what) + ", prefix " + std::to_string(n));
            ByteReader r(c.packed.data(), n);
            std::int32_t length = 0;
            std::uint8_t indicator = 0;
            Bytes scratch(64);
            EXPECT_FALSE(conv->read(r, scratch.data(), &length, &indicator));
            EXPECT_EQ(r.remaining(), n);
        }
    }
}

TEST(FieldConverters, ValuesThatCannotBeWrittenAreRefused) {
    struct Case {
        const char* what;
        std::uint32_t typeWord;
        Bytes value;
        std::int64_t length;
    } cases[] = {
        {"256 bytes behind a 1-byte prefix", 0x00490001, Bytes(256, 'x'), 256},
        {"65536 bytes behind a 2-byte prefix", 0x004B0002, Bytes(65536, 'x'), 65536},
        {"negative length behind a 1-byte prefix", 0x00490001, {}, -1},
        {"negative length behind a 2-byte prefix", 0x004B0002, {}, -5},
        {"array count larger than its value", 0x00820002, {0x05, 0, 0, 0, 1, 0}, 6},
        {"array shorter than its count", 0x00820004, {0x01, 0}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<FLDConv> conv;
        ASSERT_EQ(makeConverter(c.typeWord, &conv), DBIERR_NONE);
        std::size_t packed = 0;
        EXPECT_FALSE(conv->packedSize(c.value.data(), c.length, &packed));
    }
}

TEST(FieldConverters, ArrayCountBeyondTheInputFailsAtOnce) {
    std::unique_ptr<FLDConv> conv;
    ASSERT_EQ(makeConverter(0x00820004, &conv), DBIERR_NONE);
    const Bytes packed = {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    ByteReader r(packed);
    std::int32_t length = 0;
    std::uint8_t indicator = 0;
    EXPECT_FALSE(conv->read(r, nullptr, &length, &indicator));
    EXPECT_EQ(r.remaining(), packed.size());
}

TEST(FieldConverters, ChoiceOfConverter) {
    struct Case {
        std::uint32_t typeWord;
        bool hasConverter;
        std::uint32_t size;  // size or prefix width of the chosen converter
        bool isSigned;
        bool varying;
    } cases[] = {
        {0x00010003, false, 0, false, false},  // integer of 3 bytes
        {0x00020010, false, 0, false, false},  // unsigned of 16 bytes
        {0x00080004, false, 0, false, false},  // dateTime of 4 bytes
        {0x00040006, false, 0, false, false},  // float of 6 bytes
        {0x00040004, false, 0, false, false},  // float of 4 bytes
        {0x00110008, false, 0, false, false},  // SQL timestamp of 8 bytes
        {0x001B0008, false, 0, false, false},  // r4 of 8 bytes
        {0x00240010, false, 0, false, false},  // timestamp with offset of 16 bytes
        {0x00490003, false, 0, false, false},  // string with a 3-byte prefix
        {0x004B0008, false, 0, false, false},  // bytes with an 8-byte prefix
        {0x00C10004, false, 0, false, false},  // varying array
        {0x00010001, true, 1, true, false},   {0x00020008, true, 8, false, false},
        {0x00030004, true, 4, true, false},   {0x00070004, true, 4, true, false},
        {0x0005000A, true, 10, true, false},  // BCD keeps the field length
        {0x00120022, true, 34, true, false},  // FMTBCD of precision 0
        {0x000E0003, true, 4, false, false},  // nested: unsigned row count
        {0x000D0005, true, 0, false, false},  // array column
        {0x000F0002, true, 2, false, false},  // reference: fixed of its size
        {0x00100007, true, 7, false, false},  // class 16 like class 11
        {0x00530002, true, 2, false, true},   // class 19, 2-byte prefix
        {0x00200005, true, 5, false, false},  // class 32, fixed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.typeWord);
        std::unique_ptr<FLDConv> conv;
        const DBResult rc = makeConverter(c.typeWord, &conv);
        if (!c.hasConverter) {
            EXPECT_EQ(rc, errInvalidFieldType);
            EXPECT_EQ(conv, nullptr);
            continue;
        }
        ASSERT_EQ(rc, DBIERR_NONE);
        EXPECT_EQ(conv->size(), c.size);
        EXPECT_EQ(conv->isSigned(), c.isSigned);
        EXPECT_EQ(conv->isVarying(), c.varying);
    }
}

TEST(FieldConverters, AlwaysNullReadsNullAndWritesNothing) {
    FLDAlwaysNull conv;
    const Bytes input = {1, 2, 3};
    ByteReader r(input);
    std::int32_t length = 7;
    std::uint8_t indicator = 0;
    ASSERT_TRUE(conv.read(r, nullptr, &length, &indicator));
    EXPECT_EQ(indicator, 1);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(r.remaining(), 3u);
    std::size_t packed = 1;
    ASSERT_TRUE(conv.packedSize(nullptr, 0, &packed));
    EXPECT_EQ(packed, 0u);
}

}  // namespace
