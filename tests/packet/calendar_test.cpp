#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "packet/Calendar.h"

namespace {

struct DayCase {
    std::int64_t dayNumber;
    CivilDate date;
};

const DayCase kDays[] = {
    {1, {1, 1, 1}},             // the first day of year 1
    {0, {0, 12, 31}},           // the day before it
    {59, {1, 2, 28}},           // year 1 is no leap year ...
    {60, {1, 3, 1}},            // ... so March follows February 28
    {693594, {1899, 12, 30}},   // the day whose date-time value is 0
    {693654, {1900, 2, 28}},    // 1900 is divisible by 100: no leap day ...
    {693655, {1900, 3, 1}},     // ... March follows February 28
    {719163, {1970, 1, 1}},     // the start of Unix time
    {730179, {2000, 2, 29}},    // 2000 is divisible by 400: a leap day ...
    {730180, {2000, 3, 1}},     // ... and March after it
    {738945, {2024, 2, 29}},    // an ordinary leap year
    {739251, {2024, 12, 31}},   // its 366th day
    {3652059, {9999, 12, 31}},  // the last day of four-digit years
    {3652060, {10000, 1, 1}},   // the day after it
    {-365, {0, 1, 1}},          // year 0 is a leap year
    {-366, {-1, 12, 31}},       // a year before it
};

TEST(Calendar, DayNumbersAndDatesConvertBothWays) {
    for (const auto& c : kDays) {
        EXPECT_EQ(dateFromDayNumber(c.dayNumber), c.date) << c.dayNumber;
        EXPECT_EQ(dayNumberFromDate(c.date), c.dayNumber) << c.dayNumber;
    }
}

TEST(Calendar, EveryDayOfAnI32DateRangeEndRoundTrips) {
    // A packet's "date" is an i32; the writer turns any of them into a date and the reader back.
    for (std::int64_t base : {std::int64_t{std::numeric_limits<std::int32_t>::min()},
                              std::int64_t{std::numeric_limits<std::int32_t>::max()} - 800}) {
        CivilDate previous = dateFromDayNumber(base - 1);
        for (std::int64_t day = base; day < base + 800; ++day) {
            const CivilDate date = dateFromDayNumber(day);
            ASSERT_TRUE(isValidDate(date.year, date.month, date.day)) << day;
            ASSERT_EQ(dayNumberFromDate(date), day);
            // Consecutive days are consecutive dates.
            const bool nextInMonth = date.year == previous.year && date.month == previous.month &&
                                     date.day == previous.day + 1;
            const bool firstOfMonth =
                date.day == 1 && previous.day == daysInMonth(previous.year, previous.month);
            ASSERT_TRUE(nextInMonth || firstOfMonth) << day;
            previous = date;
        }
    }
}

TEST(Calendar, MonthLengthsFollowTheLeapRule) {
    struct Case {
        std::int64_t year;
        unsigned month;
        unsigned days;
    };
    const Case cases[] = {{2023, 2, 28}, {2024, 2, 29}, {1900, 2, 28}, {2000, 2, 29}, {0, 2, 29},
                          {-4, 2, 29},   {2023, 1, 31}, {2023, 4, 30}, {2023, 12, 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(daysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
    }
    EXPECT_TRUE(isValidDate(2024, 2, 29));
    EXPECT_FALSE(isValidDate(2023, 2, 29));
    EXPECT_FALSE(isValidDate(2023, 4, 31));
    EXPECT_FALSE(isValidDate(2023, 13, 1));
    EXPECT_FALSE(isValidDate(2023, 0, 1));
    EXPECT_FALSE(isValidDate(2023, 1, 0));
}

}  // namespace
