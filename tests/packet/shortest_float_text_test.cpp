#include <gtest/gtest.h>

#include <charconv>
#include <limits>
#include <string>

#include "packet/ShortestFloatText.h"

namespace {

template <typename T>
T readBack(const std::string& s) {
    T v{};
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

template <typename T>
std::string text(T value, int digits) {
    std::string out;
    appendShortestFloatText(out, value, digits);
    return out;
}

TEST(ShortestFloatText, FewestDigitsThatReadBack) {
    EXPECT_EQ(text(0.1, 16), "0.1");
    EXPECT_EQ(text(-2.5, 16), "-2.5");
    EXPECT_EQ(text(100.0, 16), "100");
    EXPECT_EQ(text(1e20, 16), "1e+20");
    EXPECT_EQ(text(1.5e-7, 16), "1.5e-07");
    // 16 digits do not tell these apart from a neighbour; 17 do.
    EXPECT_EQ(text(0.1 + 0.2, 16), "0.30000000000000004");
    EXPECT_EQ(text(std::numeric_limits<double>::max(), 16), "1.7976931348623157e+308");
    EXPECT_EQ(text(0.1f, 8), "0.1");
    EXPECT_EQ(text(16777217.0f, 8), "16777216");
    EXPECT_EQ(text(3.4028235e38f, 8), "3.4028235e+38");
    EXPECT_EQ(text(std::numeric_limits<double>::quiet_NaN(), 16), "nan");
    EXPECT_EQ(text(-std::numeric_limits<double>::infinity(), 16), "-inf");
}

TEST(ShortestFloatText, EveryTextReadsBackToItsValue) {
    const double doubles[] = {1.0 / 3, 2.0 / 3, 123456.789, 5e-324, -0.0, 9007199254740993.0};
    for (double v : doubles) EXPECT_EQ(readBack<double>(text(v, 16)), v) << text(v, 16);
    const float floats[] = {1.0f / 3, 0.7f, 1e-45f, 16777215.0f};
    for (float v : floats) EXPECT_EQ(readBack<float>(text(v, 8)), v) << text(v, 8);
}

}  // namespace
