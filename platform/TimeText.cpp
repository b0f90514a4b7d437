#include "platform/TimeText.h"

#include <cmath>
#include <cstdlib>

namespace {
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Reads minDigits to maxDigits decimal digits at `pos`; returns their count (0 when fewer than
// minDigits are there) and their value.
std::size_t readDigits(std::u16string_view text, std::size_t pos, std::size_t maxDigits,
                       int& value) {
    std::size_t n = 0;
    value = 0;
    while (pos + n < text.size() && isDigit(text[pos + n])) {
        if (n == maxDigits) return 0;  // too many digits
        value = value * 10 + (text[pos + n] - u'0');
        ++n;
    }
    return n;
}

void appendTwoDigits(std::u16string& out, int v) {
    out.push_back(static_cast<char16_t>(u'0' + v / 10));
    out.push_back(static_cast<char16_t>(u'0' + v % 10));
}
}  // namespace

std::u16string formatLongTime(std::int32_t msSinceMidnight) {
    std::int64_t ms = std::llabs(static_cast<std::int64_t>(msSinceMidnight)) % kMSecsPerDay;
    int seconds = static_cast<int>(ms / 1000);
    int hours = seconds / 3600;
    std::u16string out;
    if (hours >= 10) out.push_back(static_cast<char16_t>(u'0' + hours / 10));
    out.push_back(static_cast<char16_t>(u'0' + hours % 10));
    out.push_back(u':');
    appendTwoDigits(out, seconds / 60 % 60);
    out.push_back(u':');
    appendTwoDigits(out, seconds % 60);
    return out;
}

std::optional<std::int32_t> parseTime(std::u16string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    text = text.substr(begin, end - begin);

    std::size_t pos = 0;
    int hours, minutes, seconds = 0, fraction = 0;
    std::size_t n = readDigits(text, pos, 2, hours);
    if (n == 0 || hours > 23) return std::nullopt;
    pos += n;
    if (pos >= text.size() || text[pos] != u':') return std::nullopt;
    n = readDigits(text, ++pos, 2, minutes);
    if (n == 0 || minutes > 59) return std::nullopt;
    pos += n;
    if (pos < text.size()) {
        if (text[pos] != u':') return std::nullopt;
        n = readDigits(text, ++pos, 2, seconds);
        if (n == 0 || seconds > 59) return std::nullopt;
        pos += n;
        if (pos < text.size()) {
            if (text[pos] != u'.') return std::nullopt;
            n = readDigits(text, ++pos, 3, fraction);
            if (n == 0) return std::nullopt;
            pos += n;
            for (; n < 3; ++n) fraction *= 10;
        }
    }
    if (pos != text.size()) return std::nullopt;
    return ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction;
}

double msOfDayToDateTime(std::int32_t msSinceMidnight) {
    return static_cast<double>(msSinceMidnight) / kMSecsPerDay;
}

std::optional<std::int32_t> dateTimeToMsOfDay(double dateTime) {
    // Beyond 2^53 ms a double no longer holds every millisecond; such a value has no time of day.
    constexpr double kLimit = 9007199254740992.0;
    double total = std::round(dateTime * kMSecsPerDay);
    if (!std::isfinite(total) || std::fabs(total) >= kLimit) return std::nullopt;
    auto ms = static_cast<std::int64_t>(total);
    return static_cast<std::int32_t>(std::llabs(ms % kMSecsPerDay));
}
