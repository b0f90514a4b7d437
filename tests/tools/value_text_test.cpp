#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/ValueText.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes doubleBytes(double d) {
    Bytes b(8);
    std::memcpy(b.data(), &d, 8);
    return b;
}

struct ValueCase {
    const char* what;
    std::uint32_t typeWord;
    Bytes bytes;
    std::string text;
};

TEST(ValueText, DecodesEachClassAndFallsBackToRawForValuesOutOfRange) {
    const std::vector<ValueCase> cases = {
        {"time 08:30:00", 0x00070004, {0x40, 0xEB, 0xD2, 0x01}, "08:30:00"},
        {"last millisecond of the day", 0x00070004, {0xFF, 0x5B, 0x26, 0x05}, "23:59:59.999"},
        {"time of 24:00 is shown raw", 0x00070004, {0x00, 0x5C, 0x26, 0x05}, "86400000"},
        {"negative time is shown raw", 0x00070004, {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {"date 693594", 0x00060004, {0x5A, 0x95, 0x0A, 0x00}, "1899-12-30"},
        {"date 1", 0x00060004, {1, 0, 0, 0}, "0001-01-01"},
        {"date 0 is shown raw", 0x00060004, {0, 0, 0, 0}, "0"},
        {"dateTime", 0x00080008, doubleBytes(693594.0 * 86400000 + 30600000),
         "1899-12-30 08:30:00"},
        {"i4 -1", 0x00010004, {0xFF, 0xFF, 0xFF, 0xFF}, "-1"},
        {"i1 -128", 0x00010001, {0x80}, "-128"},
        {"ui2 65535", 0x00020002, {0xFF, 0xFF}, "65535"},
        {"i8", 0x00010008, {0, 0, 0, 0, 0, 0, 0, 0x80}, "-9223372036854775808"},
        {"boolean", 0x00030002, {1, 0}, "true"},
        {"r8", 0x00040008, doubleBytes(1.5), "1.5"},
        {"r4 with its four ignored bytes", 0x001B0004, {0, 0, 0xC0, 0x3F, 9, 9, 9, 9}, "1.5"},
        {"string from code page 936", 0x00490001, {0xD6, 0xD0, 0xB9, 0xFA}, "\"中国\""},
        {"string up to its first 0", 0x00490001, {'a', 'b', 0, 'c'}, "\"ab\""},
        {"string escapes", 0x00490001, {'"', '\\', '\n', 0x01}, "\"\\\"\\\\\\n\\x01\""},
        {"string.uni", 0x004A0001, {0x2D, 0x4E}, "\"中\""},
        {"string.uni with an odd byte count", 0x004A0001, {0x2D, 0x4E, 0x01}, "0x2d4e01"},
        {"fixed 123.45", 0x00050005, {5, 2, 0x12, 0x34, 0x50}, "123.45"},
        {"fixed -0.5", 0x00050004, {2, 0x81, 0x05}, "-0.5"},
        {"u32 array", 0x00820004, {3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}, "[1, 0, 4]"},
        {"array whose count disagrees", 0x00820002, {3, 0, 0, 0, 1, 0}, "0x030000000100"},
        {"unnamed class", 0x00140003, {1, 2, 3}, "0x010203"},
        {"integer of the wrong length", 0x00010004, {1, 2}, "0x0102"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueToText(decodeValue(c.typeWord, c.bytes)), c.text) << c.what;
}

TEST(ValueText, JsonKeepsTypes) {
    EXPECT_EQ(valueToJson(decodeValue(0x00010004, Bytes{0x0F, 0, 0, 0})), 15);
    EXPECT_EQ(valueToJson(decodeValue(0x00490001, Bytes{'R', 'a'})), "Ra");
    EXPECT_EQ(valueToJson(decodeValue(0x00070004, Bytes{0x40, 0xEB, 0xD2, 0x01})), "08:30:00");
    EXPECT_EQ(valueToJson(decodeValue(0x00030001, Bytes{0})), false);
    EXPECT_EQ(valueToJson(decodeValue(0x000B0002, Bytes{0xAB, 0xCD})),
              (nlohmann::ordered_json{{"hex", "abcd"}}));
    EXPECT_EQ(valueToJson(decodeValue(0x00820002, Bytes{2, 0, 0, 0, 1, 0, 2, 0x80})),
              (nlohmann::ordered_json{1, 32770}));
    EXPECT_EQ(valueToJson(decodeValue(0x00040008, doubleBytes(1.0 / 0.0))), "inf");
}

}  // namespace

TEST(ValueText, StringAttributesAreUtf8AndCodePageOnlyWhenTheyCannotBe) {
    const Bytes utf8 = {0xE4, 0xB8, 0xAD, 0xE5, 0x9B, 0xBD, 0x00};  // "中国" in UTF-8, ended by 0
    const Bytes cp936 = {0xD6, 0xD0, 0xB9, 0xFA};                   // "中国" in code page 936
    const std::vector<ValueCase> cases = {
        {"UTF-8 string attribute", 0x00490002, utf8, "\"中国\""},
        {"code page bytes are no UTF-8", 0x00490002, cp936, "\"中国\""},
        {"ASCII reads the same either way", 0x00490002, {'A', 'u', 't', 'o'}, "\"Auto\""},
        {"string.uni stays UTF-16", 0x004A0001, {0x2D, 0x4E, 0xFD, 0x56}, "\"中国\""},
        {"other types as rows", 0x00020002, {0x14, 0x00}, "20"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueToText(decodeAttributeValue(c.typeWord, c.bytes)), c.text) << c.what;
    }
    // A row's string is code page text: the same UTF-8 bytes are not read as UTF-8 there.
    EXPECT_NE(valueToText(decodeValue(0x00490002, utf8)), "\"中国\"");
}
