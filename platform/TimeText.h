#pragma once
// Time-of-day text of the process's locale: the long time format "H:mm:ss" (24-hour clock,
// colon separator, no leading zero on the hour) and parsing of "H:mm[:ss[.zzz]]".
//
// A time of day is held as milliseconds since midnight; a date-time value is days since
// 1899-12-30 as a double, whose fraction is the time of day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::int32_t kMSecsPerDay = 86'400'000;

// Formats a time of day as "H:mm:ss"; milliseconds are dropped, not rounded. A count outside
// one day is reduced to its time of day by whole days; a negative count is read as a date-time
// before day 0, whose time of day is its distance from midnight (-3 600 000 gives "1:00:00").
std::u16string formatLongTime(std::int32_t msSinceMidnight);

// Parses "H:mm", "H:mm:ss" or "H:mm:ss.zzz" with blanks (spaces, tabs) allowed around it.
// Hours, minutes and seconds take one or two digits, the fraction of a second one to three
// (".5" is 500 ms). Hours above 23, minutes or seconds above 59, any other character and
// missing digits give no value.
std::optional<std::int32_t> parseTime(std::u16string_view text);

// The date-time of day 0 plus `msSinceMidnight` milliseconds.
double msOfDayToDateTime(std::int32_t msSinceMidnight);

// Splits a date-time into whole days and the time of day, rounded to the millisecond, and
// answers the time of day (0 to 86 399 999); before day 0 the time of day is the distance from
// midnight, as formatLongTime reads it. No value for an infinite, NaN or far out-of-range input.
std::optional<std::int32_t> dateTimeToMsOfDay(double dateTime);
