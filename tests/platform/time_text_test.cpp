#include "platform/TimeText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(TimeText, FormatLongTime) {
    struct Case {
        std::int32_t ms;
        std::u16string text;
    } cases[] = {
        {0, u"0:00:00"},
        {45'000'000, u"12:30:00"},
        {9 * 3'600'000 + 5 * 60'000 + 7'000 + 999, u"9:05:07"},  // milliseconds dropped
        {kMSecsPerDay - 1, u"23:59:59"},
        {kMSecsPerDay, u"0:00:00"},  // a whole day later
        {kMSecsPerDay + 3'600'000, u"1:00:00"},
        {-3'600'000, u"1:00:00"},  // before day 0: distance from midnight
        {std::numeric_limits<std::int32_t>::min(), u"20:31:23"},
        {std::numeric_limits<std::int32_t>::max(), u"20:31:23"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatLongTime(c.ms), c.text) << c.ms;
}

TEST(TimeText, ParseAcceptedForms) {
    struct Case {
        std::u16string text;
        std::int32_t ms;
    } cases[] = {
        {u"12:30:00", 45'000'000},
        {u"12:30", 45'000'000},
        {u"0:00", 0},
        {u"9:5", 9 * 3'600'000 + 5 * 60'000},
        {u"09:05:07", 9 * 3'600'000 + 5 * 60'000 + 7'000},
        {u"23:59:59.999", kMSecsPerDay - 1},
        {u"1:00:00.5", 3'600'500},
        {u"1:00:00.05", 3'600'050},
        {u"  \t7:15:30 ", 7 * 3'600'000 + 15 * 60'000 + 30'000},
    };
    for (const auto& c : cases) {
        auto got = parseTime(c.text);
        ASSERT_TRUE(got.has_value()) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(*got, c.ms);
    }
}

TEST(TimeText, ParseRejects) {
    const std::u16string rejected[] = {
        u"",         u"   ",    u"12",        u"12:",          u"24:00",     u"12:60", u"12:30:60",
        u"123:00",   u"12:300", u"12:30:00.", u"1:00:00.1234", u"-1:00",     u"+1:00", u"12.30",
        u"12:30 pm", u"12 :30", u"abc",       u"12:30:00:00",  u"１２:３０",  // full-width digits
    };
    for (const auto& text : rejected)
        EXPECT_FALSE(parseTime(text).has_value()) << std::string(text.begin(), text.end());
}

TEST(TimeText, FormatAndParseAgree) {
    for (std::int32_t ms = 0; ms < kMSecsPerDay; ms += 997'000) {
        std::int32_t whole = ms / 1000 * 1000;
        EXPECT_EQ(parseTime(formatLongTime(ms)), whole);
    }
}

TEST(TimeText, DateTimeConversions) {
    EXPECT_DOUBLE_EQ(msOfDayToDateTime(45'000'000), 45'000'000.0 / kMSecsPerDay);
    EXPECT_EQ(dateTimeToMsOfDay(0.5), 43'200'000);
    EXPECT_EQ(dateTimeToMsOfDay(45'000.75), 64'800'000);        // a date's day number is dropped
    EXPECT_EQ(dateTimeToMsOfDay(-1.25), 21'600'000);            // before day 0
    EXPECT_EQ(dateTimeToMsOfDay(1.0 - 0.1 / kMSecsPerDay), 0);  // rounds up to the next day
    for (std::int32_t ms : {0, 1, 999, 45'000'000, kMSecsPerDay - 1})
        EXPECT_EQ(dateTimeToMsOfDay(msOfDayToDateTime(ms)), ms);
    EXPECT_FALSE(dateTimeToMsOfDay(std::nan("")).has_value());
    EXPECT_FALSE(dateTimeToMsOfDay(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(dateTimeToMsOfDay(1e300).has_value());
}

}  // namespace
