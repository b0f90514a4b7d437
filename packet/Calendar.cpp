#include "packet/Calendar.h"

// Both conversions count in eras of 400 years (146097 days), the period of the Gregorian
// calendar, with years starting on 1 March so that the leap day ends a year; days are counted
// from 1970-01-01 inside and shifted to day numbers at the edge.

namespace {

constexpr std::int64_t kDaysPerEra = 146097;
// Days from 0000-03-01 to 1970-01-01.
constexpr std::int64_t kEraBaseTo1970 = 719468;

}  // namespace

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(std::int64_t year, unsigned month, unsigned day) {
    return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

std::int64_t dayNumberFromDate(const CivilDate& date) {
    const unsigned m = date.month;
    const std::int64_t y = date.year - (m <= 2);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(y - era * 400);
    const unsigned dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + static_cast<std::int64_t>(dayOfEra) - kEraBaseTo1970 +
           kDayNumberOf19700101;
}

CivilDate dateFromDayNumber(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber - kDayNumberOf19700101 + kEraBaseTo1970;
    const std::int64_t era = (z >= 0 ? z : z - (kDaysPerEra - 1)) / kDaysPerEra;
    const auto dayOfEra = static_cast<unsigned>(z - era * kDaysPerEra);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = dayOfYear - (153 * mp + 2) / 5 + 1;
    date.month = mp < 10 ? mp + 3 : mp - 9;
    date.year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (date.month <= 2);
    return date;
}
