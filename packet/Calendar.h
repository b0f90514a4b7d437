#pragma once
// The proleptic Gregorian calendar of packet dates: a "date" value is a day number in which
// day 1 is 0001-01-01 (day 693594 is 1899-12-30, day 719163 is 1970-01-01). The conversions
// hold for every day number an i32 date or a dateTime value can carry, before year 1 too
// (day 0 is 0000-12-31, the year before year 1 being year 0).

#include <cstdint>

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kDayNumberOf19700101 = 719163;

struct CivilDate {
    std::int64_t year = 1;
    unsigned month = 1;  // 1 to 12
    unsigned day = 1;    // 1 to 31
    bool operator==(const CivilDate&) const = default;
};

bool isLeapYear(std::int64_t year);
// The number of days of `month` (1 to 12) in `year`.
unsigned daysInMonth(std::int64_t year, unsigned month);
// True when month and day name a day of that year.
bool isValidDate(std::int64_t year, unsigned month, unsigned day);

// The day number of a valid date.
std::int64_t dayNumberFromDate(const CivilDate& date);
// The date of a day number.
CivilDate dateFromDayNumber(std::int64_t dayNumber);
