#include "tools/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "packet/Calendar.h"
#include "packet/TypeWord.h"
#include "packet/xml/XmlText.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace {

constexpr std::int64_t kLastDay = 3652059;  // 9999-12-31

std::uint64_t readUnsigned(std::span<const unsigned char> bytes, std::size_t size) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return v;
}

std::int64_t readSigned(std::span<const unsigned char> bytes, std::size_t size) {
    const std::uint64_t v = readUnsigned(bytes, size);
    if (size >= 8) return static_cast<std::int64_t>(v);
    const std::uint64_t sign = std::uint64_t{1} << (8 * size - 1);
    return static_cast<std::int64_t>((v ^ sign) - sign);
}

DecodedValue bytesValue(std::span<const unsigned char> bytes) {
    DecodedValue v;
    v.kind = DecodedValue::Kind::bytes;
    v.text = hexText(bytes);
    return v;
}

DecodedValue integerValue(std::int64_t n) {
    DecodedValue v;
    v.kind = DecodedValue::Kind::integer;
    v.integer = n;
    return v;
}

DecodedValue temporalValue(std::string text) {
    DecodedValue v;
    v.kind = DecodedValue::Kind::temporal;
    v.text = std::move(text);
    return v;
}

DecodedValue realValue(double r) {
    DecodedValue v;
    v.kind = DecodedValue::Kind::real;
    v.real = r;
    return v;
}

std::string twoDigits(unsigned n) {
    return {static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

std::string yearText(std::int64_t year) {
    std::string s = std::to_string(year);
    return std::string(s.size() < 4 ? 4 - s.size() : 0, '0') + s;
}

// A UTF-16LE byte run as UTF-8, or false for an odd byte count.
bool wideText(std::span<const unsigned char> bytes, std::string* out) {
    if (bytes.size() % 2 != 0) return false;
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    *out = utf16ToUtf8(units);
    return true;
}

// A packed BCD value (precision, sign and places, then one digit per nibble) as decimal text.
bool bcdText(std::span<const unsigned char> bytes, std::string* out) {
    if (bytes.size() < 2) return false;
    const unsigned precision = bytes[0];
    const unsigned places = bytes[1] & 0x3F;
    const bool negative = (bytes[1] & 0x80) != 0;
    if (precision == 0 || precision > 64 || places > precision ||
        2 + (precision + 1) / 2 > bytes.size()) {
        return false;
    }
    std::string digits;
    for (unsigned i = 0; i < precision; ++i) {
        const unsigned char b = bytes[2 + i / 2];
        const unsigned d = i % 2 == 0 ? b >> 4 : b & 0x0F;
        if (d > 9) return false;
        digits.push_back(static_cast<char>('0' + d));
    }
    std::string whole = digits.substr(0, precision - places);
    const std::string fraction = digits.substr(precision - places);
    const auto nonZero = whole.find_first_not_of('0');
    whole = nonZero == std::string::npos ? "0" : whole.substr(nonZero);
    *out = (negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
    return true;
}

// Year, month, day, hour, minute, second (u16 each) and fractions (u32) of an SQL timestamp.
std::string sqlTimeStampText(std::span<const unsigned char> b) {
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(readUnsigned(b.subspan(at), 2));
    };
    std::string s = yearText(u16(0)) + "-" + twoDigits(u16(2)) + "-" + twoDigits(u16(4)) + " " +
                    twoDigits(u16(6)) + ":" + twoDigits(u16(8)) + ":" + twoDigits(u16(10));
    const std::uint64_t fractions = readUnsigned(b.subspan(12), 4);
    if (fractions != 0) s += "." + std::to_string(fractions);
    return s;
}

DecodedValue decodeArray(std::uint32_t typeWord, std::span<const unsigned char> bytes) {
    const std::uint32_t element = typeWord & ~(kTypeArray | kTypeInDelta);
    const std::size_t size = typeSize(element);
    if (bytes.size() < 4 || typeIsVarying(element) || size == 0) return bytesValue(bytes);
    const std::uint64_t count = readUnsigned(bytes, 4);
    const std::size_t available = (bytes.size() - 4) / size;
    if (count != available || (bytes.size() - 4) % size != 0) return bytesValue(bytes);
    DecodedValue v;
    v.kind = DecodedValue::Kind::array;
    for (std::size_t i = 0; i < available; ++i)
        v.elements.push_back(decodeValue(element, bytes.subspan(4 + i * size, size)));
    return v;
}

}  // namespace

DecodedValue decodeValue(std::uint32_t typeWord, std::span<const unsigned char> bytes) {
    if (typeIsArray(typeWord)) return decodeArray(typeWord, bytes);
    const std::size_t size = typeSize(typeWord);
    const bool fixedSize = !typeIsVarying(typeWord);
    switch (typeClass(typeWord)) {
        case clsInt:
        case clsUInt:
        case clsBool:
        case clsDate:
        case clsTime: {
            if (!fixedSize || (size != 1 && size != 2 && size != 4 && size != 8) ||
                bytes.size() != size) {
                break;
            }
            const std::uint32_t cls = typeClass(typeWord);
            if (cls == clsUInt) {
                DecodedValue v;
                v.kind = DecodedValue::Kind::unsignedInteger;
                v.unsignedInteger = readUnsigned(bytes, size);
                return v;
            }
            const std::int64_t n = readSigned(bytes, size);
            std::string text;
            if (cls == clsBool) {
                DecodedValue v;
                v.kind = DecodedValue::Kind::boolean;
                v.boolean = n != 0;
                return v;
            }
            if (cls == clsDate && dayNumberText(n, &text)) return temporalValue(text);
            if (cls == clsTime && timeOfDayText(n, &text)) return temporalValue(text);
            return integerValue(n);
        }
        case clsDateTime: {
            if (!fixedSize || size != 8 || bytes.size() != 8) break;
            double ms;
            std::memcpy(&ms, bytes.data(), 8);
            std::string date, time;
            if (std::isfinite(ms) && std::fabs(ms) < 1e18) {
                const auto whole = static_cast<std::int64_t>(std::floor(ms));
                std::int64_t day = whole / kMsPerDay, rest = whole % kMsPerDay;
                if (rest < 0) rest += kMsPerDay, --day;
                if (static_cast<double>(whole) == ms && dayNumberText(day, &date) &&
                    timeOfDayText(rest, &time)) {
                    return temporalValue(date + " " + time);
                }
            }
            return realValue(ms);
        }
        case clsFloat:
            if (fixedSize && size == 8 && bytes.size() == 8) {
                double r;
                std::memcpy(&r, bytes.data(), 8);
                return realValue(r);
            }
            break;
        case clsSingle:
            // Four bytes of value and four that no reader uses.
            if (fixedSize && size == 4 && bytes.size() == 8) {
                float r;
                std::memcpy(&r, bytes.data(), 4);
                return realValue(r);
            }
            break;
        case clsBcd:
        case clsFmtBcd: {
            std::string text;
            if (bcdText(bytes, &text)) {
                DecodedValue v;
                v.kind = DecodedValue::Kind::decimal;
                v.text = text;
                return v;
            }
            break;
        }
        case clsZString: {
            DecodedValue v;
            v.kind = DecodedValue::Kind::text;
            const auto* chars = reinterpret_cast<const char*>(bytes.data());
            const std::string_view raw(chars, bytes.size());
            v.text = utf16ToUtf8(ansiToUnicode(raw.substr(0, raw.find('\0'))));
            return v;
        }
        case clsUnicode: {
            DecodedValue v;
            v.kind = DecodedValue::Kind::text;
            if (wideText(bytes, &v.text)) return v;
            break;
        }
        case clsNested:
            if (bytes.size() == 4)
                return integerValue(static_cast<std::int64_t>(readUnsigned(bytes, 4)));
            break;
        case clsSqlTimeStamp:
            if (bytes.size() == 16) return temporalValue(sqlTimeStampText(bytes));
            break;
        case clsSqlTimeStampOffset:
            if (bytes.size() == 20) {
                const std::int64_t hours = readSigned(bytes.subspan(16), 2);
                const std::int64_t minutes = readSigned(bytes.subspan(18), 2);
                const bool negative = hours < 0 || minutes < 0;
                return temporalValue(sqlTimeStampText(bytes) + (negative ? " -" : " +") +
                                     twoDigits(static_cast<unsigned>(std::llabs(hours))) + ":" +
                                     twoDigits(static_cast<unsigned>(std::llabs(minutes))));
            }
            break;
        default:
            break;
    }
    return bytesValue(bytes);
}

DecodedValue decodeAttributeValue(std::uint32_t typeWord, std::span<const unsigned char> bytes) {
    if (typeClass(typeWord) != clsZString || typeIsArray(typeWord))
        return decodeValue(typeWord, bytes);
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::string_view text = raw.substr(0, raw.find('\0'));
    if (!isWellFormedUtf8(text)) return decodeValue(typeWord, bytes);
    DecodedValue v;
    v.kind = DecodedValue::Kind::text;
    v.text = std::string(text);
    return v;
}

bool dayNumberText(std::int64_t day, std::string* out) {
    if (day < 1 || day > kLastDay) return false;
    const CivilDate date = dateFromDayNumber(day);
    *out = yearText(date.year) + "-" + twoDigits(date.month) + "-" + twoDigits(date.day);
    return true;
}

bool timeOfDayText(std::int64_t ms, std::string* out) {
    if (ms < 0 || ms >= kMsPerDay) return false;
    const auto seconds = static_cast<unsigned>(ms / 1000);
    *out = twoDigits(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60) + ":" +
           twoDigits(seconds % 60);
    if (const auto fraction = static_cast<unsigned>(ms % 1000)) {
        *out += "." + std::to_string(fraction / 100) + std::to_string(fraction / 10 % 10) +
                std::to_string(fraction % 10);
    }
    return true;
}

std::string hexText(std::span<const unsigned char> bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 0x0F]);
    }
    return s;
}

std::string quotedText(const std::string& utf8) {
    std::string s = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                s += "\\\"";
                break;
            case '\\':
                s += "\\\\";
                break;
            case '\n':
                s += "\\n";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\t':
                s += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    static const char digits[] = "0123456789abcdef";
                    s += "\\x";
                    s.push_back(digits[c >> 4]);
                    s.push_back(digits[c & 0x0F]);
                } else {
                    s.push_back(static_cast<char>(c));
                }
        }
    }
    return s + "\"";
}

std::string sanitizedUtf8(const std::string& bytes) {
    return utf16ToUtf8(utf8ToUtf16(bytes));
}

namespace {

std::string realText(double r) {
    if (std::isnan(r)) return "nan";
    if (std::isinf(r)) return r < 0 ? "-inf" : "inf";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, r);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string valueToText(const DecodedValue& v) {
    switch (v.kind) {
        case DecodedValue::Kind::integer:
            return std::to_string(v.integer);
        case DecodedValue::Kind::unsignedInteger:
            return std::to_string(v.unsignedInteger);
        case DecodedValue::Kind::boolean:
            return v.boolean ? "true" : "false";
        case DecodedValue::Kind::real:
            return realText(v.real);
        case DecodedValue::Kind::text:
            return quotedText(v.text);
        case DecodedValue::Kind::temporal:
        case DecodedValue::Kind::decimal:
            return v.text;
        case DecodedValue::Kind::bytes:
            return "0x" + v.text;
        case DecodedValue::Kind::array: {
            std::string s = "[";
            for (std::size_t i = 0; i < v.elements.size(); ++i)
                s += (i ? ", " : "") + valueToText(v.elements[i]);
            return s + "]";
        }
    }
    return {};
}

nlohmann::ordered_json valueToJson(const DecodedValue& v) {
    switch (v.kind) {
        case DecodedValue::Kind::integer:
            return v.integer;
        case DecodedValue::Kind::unsignedInteger:
            return v.unsignedInteger;
        case DecodedValue::Kind::boolean:
            return v.boolean;
        case DecodedValue::Kind::real:
            if (std::isfinite(v.real)) return v.real;
            return realText(v.real);
        case DecodedValue::Kind::text:
        case DecodedValue::Kind::temporal:
        case DecodedValue::Kind::decimal:
            return v.text;
        case DecodedValue::Kind::bytes:
            return nlohmann::ordered_json{{"hex", v.text}};
        case DecodedValue::Kind::array: {
            nlohmann::ordered_json a = nlohmann::ordered_json::array();
            for (const auto& e : v.elements) a.push_back(valueToJson(e));
            return a;
        }
    }
    return nullptr;
}
