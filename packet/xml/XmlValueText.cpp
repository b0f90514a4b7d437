#include "packet/xml/XmlValueText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "packet/Base64.h"
#include "packet/BcdText.h"
#include "packet/Calendar.h"
#include "packet/FieldConverters.h"
#include "packet/ShortestFloatText.h"
#include "packet/TypeWord.h"

namespace {

constexpr std::size_t kBcdPacked = 18;
constexpr int kBcdMaxDigits = static_cast<int>(kBcdPacked - 2) * 2;

// --- little-endian integers -----------------------------------------------------------------

std::uint64_t loadUnsigned(const unsigned char* p, std::size_t size) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

std::int64_t loadSigned(const unsigned char* p, std::size_t size) {
    const std::uint64_t v = loadUnsigned(p, size);
    if (size >= 8) return static_cast<std::int64_t>(v);
    const std::uint64_t sign = std::uint64_t{1} << (8 * size - 1);
    return static_cast<std::int64_t>((v ^ sign) - sign);
}

void storeLittle(std::vector<unsigned char>* out, std::uint64_t v, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

template <typename T>
void storeBytes(std::vector<unsigned char>* out, const T& v, std::size_t size = sizeof(T)) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    out->insert(out->end(), p, p + size);
}

void appendInt(std::string& out, std::int64_t v) {
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}
void appendUInt(std::string& out, std::uint64_t v) {
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

void appendDateText(std::string& out, std::int64_t dayNumber) {
    const CivilDate date = dateFromDayNumber(dayNumber);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04lld%02u%02u", static_cast<long long>(date.year), date.month,
                  date.day);
    out += buf;
}

void appendTimeText(std::string& out, std::int64_t ms) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%05lld", static_cast<long long>(ms / 3600000),
                  static_cast<long long>(ms / 60000 % 60), static_cast<long long>(ms % 60000));
    out += buf;
}

// --- parsing helpers --------------------------------------------------------------------------

bool isBlank(char c) {
    return c >= 0x01 && c <= 0x20;
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::size_t skipBlanks(std::string_view t, std::size_t pos) {
    while (pos < t.size() && isBlank(t[pos])) ++pos;
    return pos;
}

// A text is a number when a digit comes before any letter.
bool looksNumeric(std::string_view t) {
    for (char c : t) {
        if (isDigit(c)) return true;
        if (isLetter(c)) return false;
    }
    return false;
}

// Reads up to `maxDigits` digits at pos; answers how many were read.
int readDigits(std::string_view t, std::size_t* pos, int maxDigits, std::int64_t* value) {
    int n = 0;
    *value = 0;
    while (*pos < t.size() && isDigit(t[*pos]) && n < maxDigits) {
        *value = *value * 10 + (t[*pos] - '0');
        ++*pos;
        ++n;
    }
    return n;
}

std::size_t digitRun(std::string_view t, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < t.size() && isDigit(t[pos + n])) ++n;
    return n;
}

// A date: a year of 2 or 4 digits, a month of 2, a day of 1 or 2; either back to back or with
// "-", "/" or "." between them. Two-digit years fall in 1950-2049.
bool parseDateText(std::string_view t, std::size_t* pos, std::int64_t* dayNumber) {
    std::size_t p = skipBlanks(t, *pos);
    const std::size_t run = digitRun(t, p);
    std::int64_t y = 0, m = 0, d = 0;
    int yearDigits;
    if (run >= 1 && p + run < t.size() &&
        (t[p + run] == '-' || t[p + run] == '/' || t[p + run] == '.')) {
        const char sep = t[p + run];
        yearDigits = readDigits(t, &p, 4, &y);
        if ((yearDigits != 2 && yearDigits != 4) || p >= t.size() || t[p] != sep) return false;
        ++p;
        if (readDigits(t, &p, 2, &m) == 0 || p >= t.size() || t[p] != sep) return false;
        ++p;
        if (readDigits(t, &p, 2, &d) == 0) return false;
    } else {
        if (run < 5 || run > 8) return false;
        yearDigits = run >= 7 ? 4 : 2;
        readDigits(t, &p, yearDigits, &y);
        readDigits(t, &p, 2, &m);
        readDigits(t, &p, 2, &d);
    }
    if (yearDigits == 2) y += y < 50 ? 2000 : 1900;
    const CivilDate date{y, static_cast<unsigned>(m), static_cast<unsigned>(d)};
    if (!isValidDate(date.year, date.month, date.day)) return false;
    *dayNumber = dayNumberFromDate(date);
    *pos = p;
    return true;
}

// HH:MM:SSSSS; a shorter last field is padded with zeros on the right, SS.mmm is read as
// seconds and milliseconds, and a missing last field is 0.
bool parseTimeText(std::string_view t, std::size_t* pos, std::int64_t* ms) {
    std::size_t p = skipBlanks(t, *pos);
    std::int64_t h = 0, m = 0, field = 0;
    if (readDigits(t, &p, 2, &h) == 0 || p >= t.size() || t[p] != ':') return false;
    ++p;
    if (readDigits(t, &p, 2, &m) == 0) return false;
    if (p < t.size() && t[p] == ':') {
        ++p;
        std::int64_t v = 0;
        const int k = readDigits(t, &p, 5, &v);
        if (k == 0) return false;
        if (k <= 2 && p < t.size() && t[p] == '.') {
            ++p;
            std::int64_t millis = 0;
            const int f = readDigits(t, &p, 3, &millis);
            for (int i = f; i < 3; ++i) millis *= 10;
            field = v * 1000 + millis;
        } else {
            field = v;
            for (int i = k; i < 5; ++i) field *= 10;
        }
        while (p < t.size() && isDigit(t[p])) ++p;
    }
    if (h > 23 || m > 59 || field > 59999) return false;
    *ms = h * 3600000 + m * 60000 + field;
    *pos = p;
    return true;
}

// Integer text into `size` little-endian bytes.
DBResult parseInteger(std::string_view t, bool isSigned, std::size_t size,
                      std::vector<unsigned char>* out, bool* isNull) {
    if (!looksNumeric(t)) {
        *isNull = true;
        return DBIERR_NONE;
    }
    std::size_t p = skipBlanks(t, 0);
    bool negative = false;
    if (p < t.size() && (t[p] == '-' || t[p] == '+')) negative = t[p++] == '-';
    std::uint64_t magnitude = 0;
    const auto r = std::from_chars(t.data() + p, t.data() + t.size(), magnitude);
    if (r.ec == std::errc::result_out_of_range) return errOutOfRange;
    if (r.ec != std::errc{}) {
        *isNull = true;
        return DBIERR_NONE;
    }
    const unsigned bits = static_cast<unsigned>(8 * size);
    if (isSigned) {
        const std::uint64_t limit = std::uint64_t{1} << (bits - 1);  // |min|
        if (negative ? magnitude > limit : magnitude >= limit) return errOutOfRange;
        const std::uint64_t v = negative ? 0 - magnitude : magnitude;
        storeLittle(out, v, size);
    } else {
        if (negative && magnitude != 0) return errOutOfRange;
        if (bits < 64 && magnitude >> bits != 0) return errOutOfRange;
        storeLittle(out, magnitude, size);
    }
    return DBIERR_NONE;
}

template <typename T>
DBResult parseFloat(std::string_view t, std::vector<unsigned char>* out, bool* isNull,
                    std::size_t size = sizeof(T)) {
    if (!looksNumeric(t)) {
        *isNull = true;
        return DBIERR_NONE;
    }
    std::size_t p = skipBlanks(t, 0);
    bool negative = false;
    if (p < t.size() && (t[p] == '-' || t[p] == '+')) negative = t[p++] == '-';
    T v{};
    const auto r = std::from_chars(t.data() + p, t.data() + t.size(), v);
    if (r.ec == std::errc::result_out_of_range) return errOutOfRange;
    if (r.ec != std::errc{}) {
        *isNull = true;
        return DBIERR_NONE;
    }
    if (negative) v = -v;
    storeBytes(out, v, size);
    return DBIERR_NONE;
}

DBResult parseBoolean(std::string_view t, std::size_t size, std::vector<unsigned char>* out,
                      bool* isNull) {
    const std::size_t p = skipBlanks(t, 0);
    if (p < t.size() && (t[p] == 'T' || t[p] == 't')) {
        storeLittle(out, 1, size);
    } else if (p < t.size() && (t[p] == 'F' || t[p] == 'f')) {
        storeLittle(out, 0, size);
    } else {
        // Numbers stand for themselves: 0 is false, anything else true.
        std::vector<unsigned char> number;
        DBResult rc = parseInteger(t, true, 8, &number, isNull);
        if (rc == errOutOfRange) {
            *isNull = false;
            storeLittle(out, 1, size);
            return DBIERR_NONE;
        }
        if (rc != DBIERR_NONE || *isNull) return rc;
        storeLittle(out, loadUnsigned(number.data(), 8) != 0 ? 1 : 0, size);
    }
    return DBIERR_NONE;
}

// BCD text into a TBcd of the column's precision: digits, an optional leading "-", a "." and
// blanks. The value keeps its fraction digits as far as the precision holds them.
DBResult parseBcd(std::string_view t, const XmlBcdShape& shape, std::size_t valueSize,
                  std::vector<unsigned char>* out, bool* isNull) {
    const int precision = std::clamp(shape.precision, 1, kBcdMaxDigits);
    const int scale = std::clamp(shape.scale, 0, precision);
    std::size_t p = skipBlanks(t, 0);
    bool negative = false;
    if (p < t.size() && t[p] == '-') {
        negative = true;
        ++p;
    }
    std::string intDigits, fracDigits;
    bool inFraction = false;
    bool sawDigit = false;
    for (; p < t.size(); ++p) {
        const char c = t[p];
        if (isDigit(c)) {
            sawDigit = true;
            std::string& digits = inFraction ? fracDigits : intDigits;
            if (!inFraction && digits.empty() && c == '0') continue;  // leading zero
            if (digits.size() < 80) digits.push_back(c);
            if (!inFraction && intDigits.size() > static_cast<std::size_t>(precision)) {
                return errOutOfRange;
            }
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else if (!isBlank(c)) {
            break;
        }
    }
    if (!sawDigit) {
        *isNull = true;
        return DBIERR_NONE;
    }
    const int intCount = static_cast<int>(intDigits.size());
    if (intCount > precision - scale) return errOutOfRange;
    const int places = std::min(static_cast<int>(fracDigits.size()), precision - intCount);
    unsigned char bcd[kBcdPacked] = {};
    bcd[0] = static_cast<unsigned char>(precision);
    bcd[1] = static_cast<unsigned char>(places);
    // Integer digits end where the places begin; the fraction follows.
    const int intStart = precision - places - intCount;
    bool nonZero = false;
    auto put = [&](int k, char c) {
        const int digit = c - '0';
        nonZero = nonZero || digit != 0;
        bcd[2 + k / 2] |= static_cast<unsigned char>(k % 2 == 0 ? digit << 4 : digit);
    };
    for (int i = 0; i < intCount; ++i) put(intStart + i, intDigits[i]);
    for (int i = 0; i < places; ++i) put(precision - places + i, fracDigits[i]);
    if (negative && nonZero) bcd[1] |= 0x80;
    out->assign(bcd, bcd + std::min(valueSize, kBcdPacked));
    return DBIERR_NONE;
}

DBResult parseArray(std::string_view t, std::uint32_t typeWord, std::vector<unsigned char>* out) {
    const bool isSigned = typeClass(typeWord) == clsInt;
    const std::size_t size = typeSize(typeWord);
    if (size != 1 && size != 2 && size != 4 && size != 8) return errInvalidFieldType;
    storeLittle(out, 0, 4);
    std::uint32_t count = 0;
    std::size_t p = 0;
    while (p < t.size()) {
        if (!isDigit(t[p])) {
            ++p;
            continue;
        }
        std::size_t start = p;
        if (p > 0 && t[p - 1] == '-') start = p - 1;
        while (p < t.size() && isDigit(t[p])) ++p;
        bool isNull = false;
        DBResult rc = parseInteger(t.substr(start, p - start), isSigned, size, out, &isNull);
        if (rc != DBIERR_NONE) return rc;
        ++count;
    }
    putFixed32(out->data(), count);
    return DBIERR_NONE;
}

void parseSqlTimeStamp(std::string_view t, bool withOffset, std::vector<unsigned char>* out,
                       bool* isNull) {
    const std::size_t p0 = skipBlanks(t, 0);
    if (t.size() < p0 + 8 || digitRun(t, p0) < 8) {
        *isNull = true;
        return;
    }
    std::size_t p = p0;
    std::int64_t y, m, d;
    readDigits(t, &p, 4, &y);
    readDigits(t, &p, 2, &m);
    readDigits(t, &p, 2, &d);
    if (!isValidDate(y, static_cast<unsigned>(m), static_cast<unsigned>(d))) {
        *isNull = true;
        return;
    }
    std::int64_t ms = 0;
    std::int64_t zoneHours = 0, zoneMinutes = 0;
    if (p < t.size() && t[p] == 'T') {
        ++p;
        if (!parseTimeText(t, &p, &ms)) {
            *isNull = true;
            return;
        }
        p = skipBlanks(t, p);
        if (withOffset && p < t.size() && (t[p] == '+' || t[p] == '-')) {
            const bool negative = t[p++] == '-';
            readDigits(t, &p, 2, &zoneHours);
            if (p < t.size() && t[p] == ':') {
                ++p;
                readDigits(t, &p, 2, &zoneMinutes);
            }
            if (negative) {
                zoneHours = -zoneHours;
                zoneMinutes = -zoneMinutes;
            }
        }
    }
    const std::uint64_t fields[] = {static_cast<std::uint64_t>(y),
                                    static_cast<std::uint64_t>(m),
                                    static_cast<std::uint64_t>(d),
                                    static_cast<std::uint64_t>(ms / 3600000),
                                    static_cast<std::uint64_t>(ms / 60000 % 60),
                                    static_cast<std::uint64_t>(ms % 60000 / 1000)};
    for (std::uint64_t f : fields) storeLittle(out, f, 2);
    storeLittle(out, static_cast<std::uint64_t>(ms % 1000), 4);
    if (withOffset) {
        storeLittle(out, static_cast<std::uint64_t>(zoneHours), 2);
        storeLittle(out, static_cast<std::uint64_t>(zoneMinutes), 2);
    }
}

void appendSqlTimeStamp(std::string& out, const unsigned char* v, bool withOffset) {
    const unsigned year = decodeFixed16(v), month = decodeFixed16(v + 2),
                   day = decodeFixed16(v + 4);
    const unsigned hour = decodeFixed16(v + 6), minute = decodeFixed16(v + 8);
    const std::uint64_t last = std::uint64_t{decodeFixed16(v + 10)} * 1000 + decodeFixed32(v + 12);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04u%02u%02u", year, month, day);
    out += buf;
    if (hour == 0 && minute == 0 && last == 0) return;
    std::snprintf(buf, sizeof buf, "T%02u:%02u:%05llu", hour, minute,
                  static_cast<unsigned long long>(last));
    out += buf;
    if (!withOffset) return;
    const auto zoneHours = static_cast<std::int16_t>(decodeFixed16(v + 16));
    const auto zoneMinutes = static_cast<std::int16_t>(decodeFixed16(v + 18));
    // The sign belongs to the whole offset: -00:30 keeps its minus.
    const bool negative = zoneHours < 0 || (zoneHours == 0 && zoneMinutes < 0);
    std::snprintf(buf, sizeof buf, "%c%02d:%02d", negative ? '-' : '+', std::abs(zoneHours),
                  std::abs(zoneMinutes));
    out += buf;
}

}  // namespace

DBResult appendXmlValue(std::string& out, std::uint32_t typeWord, const unsigned char* value,
                        std::size_t length, const XmlTextSettings& settings) {
    const char* name = nullptr;
    DBResult rc = xmlTypeNameForWrite(typeWord, &name);
    if (rc != DBIERR_NONE) return rc;
    std::unique_ptr<FLDConv> conv;
    if (makeConverter(typeWord, &conv) != DBIERR_NONE) return errInvalidFieldType;
    const std::uint32_t cls = typeClass(typeWord);
    const std::size_t size = typeSize(typeWord);
    if (value == nullptr && length != 0) return errInvalidParameter;

    if (typeIsArray(typeWord)) {
        if (length < 4) return errInvalidParameter;
        const std::uint32_t count = decodeFixed32(value);
        if (size == 0 || count > (length - 4) / size) return errInvalidParameter;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (i != 0) out.push_back(' ');
            const unsigned char* e = value + 4 + i * size;
            if (cls == clsInt) {
                appendInt(out, loadSigned(e, size));
            } else {
                appendUInt(out, loadUnsigned(e, size));
            }
        }
        return DBIERR_NONE;
    }
    const std::int64_t fixed = conv->valueFixedSize();
    if (fixed >= 0 && length < static_cast<std::size_t>(fixed)) return errInvalidParameter;
    const std::size_t n = fixed >= 0 ? static_cast<std::size_t>(fixed) : length;
    const auto text = [&](std::size_t count) {
        return std::string_view(reinterpret_cast<const char*>(value), count);
    };

    switch (cls) {
        case clsInt:
            appendInt(out, loadSigned(value, size));
            break;
        case clsUInt:
            appendUInt(out, loadUnsigned(value, size));
            break;
        case clsBool:
            out += loadUnsigned(value, size) != 0 ? "TRUE" : "FALSE";
            break;
        case clsFloat: {
            double v;
            std::memcpy(&v, value, sizeof v);
            appendShortestFloatText(out, v, 16);
            break;
        }
        case clsSingle: {
            float v;
            std::memcpy(&v, value, sizeof v);
            appendShortestFloatText(out, v, 8);
            break;
        }
        case clsBcd:
        case clsFmtBcd:
            if (n < 2) return errInvalidParameter;
            appendBcdText(out, value, n);
            break;
        case clsDate:
            appendDateText(out, loadSigned(value, size));
            break;
        case clsTime:
            appendTimeText(out, loadSigned(value, size));
            break;
        case clsDateTime: {
            double v;
            std::memcpy(&v, value, sizeof v);
            if (!std::isfinite(v)) v = 0;
            v = std::clamp(v, -1e17, 1e17);
            std::int64_t days = static_cast<std::int64_t>(std::floor(v / kMsPerDay));
            std::int64_t ms = std::llround(v - static_cast<double>(days) * kMsPerDay);
            if (ms >= kMsPerDay) {
                ++days;
                ms -= kMsPerDay;
            }
            appendDateText(out, days);
            if (ms != 0) {
                out.push_back('T');
                appendTimeText(out, ms);
            }
            break;
        }
        case clsSqlTimeStamp:
            appendSqlTimeStamp(out, value, false);
            break;
        case clsSqlTimeStampOffset:
            appendSqlTimeStamp(out, value, true);
            break;
        case clsZString: {
            // A C string: the text ends at its first 0 byte.
            std::string_view s = text(n);
            s = s.substr(0, s.find('\0'));
            appendXmlText(out, s, narrowForm(settings), settings);
            break;
        }
        case clsUnicode:
            appendXmlText(out, text(n), XmlTextForm::Utf16LE, settings);
            break;
        case clsBytes:
            out += base64Encode(value, n);
            break;
        default:
            return errXmlFieldType;  // nested tables are not carried in the XML form
    }
    return DBIERR_NONE;
}

DBResult parseXmlValue(std::string_view raw, std::uint32_t typeWord,
                       const XmlTextSettings& settings, const XmlBcdShape& bcd,
                       std::vector<unsigned char>* out, bool* isNull) {
    out->clear();
    *isNull = false;
    const std::uint32_t cls = typeClass(typeWord);
    const std::size_t size = typeSize(typeWord);
    if (typeIsArray(typeWord)) {
        if (typeIsVarying(typeWord) || (cls != clsInt && cls != clsUInt)) {
            return errInvalidFieldType;
        }
        return parseArray(decodeXmlText(raw, settings.utf8Document, XmlTextForm::Utf8), typeWord,
                          out);
    }
    std::unique_ptr<FLDConv> conv;
    if (cls == clsNested || makeConverter(typeWord, &conv) != DBIERR_NONE) {
        return errInvalidFieldType;
    }
    const std::int64_t fixed = conv->valueFixedSize();
    // Text values keep their characters; everything else is read from its ASCII form.
    if (cls == clsZString || cls == clsUnicode) {
        const XmlTextForm form = cls == clsZString ? narrowForm(settings) : XmlTextForm::Utf16LE;
        const std::string s = decodeXmlText(raw, settings.utf8Document, form);
        out->assign(s.begin(), s.end());
        if (fixed >= 0) out->resize(static_cast<std::size_t>(fixed), 0);
        return DBIERR_NONE;
    }
    const std::string t = decodeXmlText(raw, settings.utf8Document, XmlTextForm::Utf8);
    switch (cls) {
        case clsInt:
        case clsUInt:
            return parseInteger(t, cls == clsInt, size, out, isNull);
        case clsBool:
            return parseBoolean(t, size, out, isNull);
        case clsFloat:
            if (size == 10) {
                static_assert(std::numeric_limits<long double>::digits == 64,
                              "r10 values are x87 extended precision");
                return parseFloat<long double>(t, out, isNull, 10);
            }
            return parseFloat<double>(t, out, isNull);
        case clsSingle:
            return parseFloat<float>(t, out, isNull);
        case clsBcd:
        case clsFmtBcd:
            return parseBcd(t, bcd, static_cast<std::size_t>(fixed), out, isNull);
        case clsDate:
        case clsTime:
        case clsDateTime: {
            std::size_t p = 0;
            std::int64_t day = 0, ms = 0;
            bool ok;
            if (cls == clsTime) {
                ok = parseTimeText(t, &p, &ms);
            } else {
                ok = parseDateText(t, &p, &day);
                if (ok && cls == clsDateTime && p < t.size() && t[p] == 'T') {
                    ++p;
                    ok = parseTimeText(t, &p, &ms);
                }
            }
            if (!ok) {
                *isNull = true;
                return DBIERR_NONE;
            }
            if (cls == clsDateTime) {
                storeBytes(out, static_cast<double>(day * kMsPerDay + ms));
            } else {
                storeLittle(out, static_cast<std::uint64_t>(cls == clsTime ? ms : day), size);
            }
            return DBIERR_NONE;
        }
        case clsSqlTimeStamp:
        case clsSqlTimeStampOffset:
            parseSqlTimeStamp(t, cls == clsSqlTimeStampOffset, out, isNull);
            if (*isNull) out->clear();
            return DBIERR_NONE;
        default: {
            // bin.hex and every other class: Base64 bytes.
            *out = base64Decode(t);
            if (fixed >= 0) out->resize(static_cast<std::size_t>(fixed), 0);
            return DBIERR_NONE;
        }
    }
}
