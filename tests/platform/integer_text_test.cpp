#include "platform/IntegerText.h"

#include <gtest/gtest.h>

namespace {

TEST(IntegerText, Parses) {
    struct Case {
        std::u16string text;
        std::int32_t value;
    } cases[] = {
        {u"0", 0},
        {u"42", 42},
        {u"+42", 42},
        {u"-42", -42},
        {u"  \t7", 7},
        {u"007", 7},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"$A", 10},
        {u"$ff", 255},
        {u"0x10", 16},
        {u"0X1f", 31},
        {u"-$10", -16},
        {u"$7FFFFFFF", 2147483647},
        {u"$FFFFFFFF", -1},  // hexadecimal uses all 32 bits
        {u"$80000000", -2147483647 - 1},
        {u"00000000000000000001", 1},
    };
    for (const auto& c : cases) {
        auto got = parseInteger(c.text);
        ASSERT_TRUE(got.has_value()) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(*got, c.value);
    }
}

TEST(IntegerText, Rejects) {
    const std::u16string rejected[] = {
        u"",           u" ",          u"-",           u"+",
        u"$",          u"0x",         u"abc",         u"12a",
        u"12 ",        u"1.5",        u"1e3",         u"--1",
        u"+-1",        u"2147483648", u"-2147483649", u"99999999999999999999",
        u"$100000000", u"$G",         u"x10",         u"0x-1",
        u"$ 1",        u"１２",
    };
    for (const auto& text : rejected)
        EXPECT_FALSE(parseInteger(text).has_value()) << std::string(text.begin(), text.end());
}

TEST(IntegerText, Formats) {
    EXPECT_EQ(integerToText(0), u"0");
    EXPECT_EQ(integerToText(-2147483648LL), u"-2147483648");
    EXPECT_EQ(integerToText(123456789), u"123456789");
}

}  // namespace
