#pragma once
// Decoding of datapacket values for display: a value's bytes, read by its type word, become a
// number, a text, a date or time, a list of array elements, or plain bytes shown in hex.
//
// Narrow strings ("string") of rows are decoded from code page 936 up to their first 0 byte; wide
// strings ("string.uni") from UTF-16LE. A value that does not fit its class (a time beyond
// midnight, a date before year 1, an odd number of UTF-16 bytes) is shown by its raw number or
// bytes instead, so that nothing in the file is hidden or invented.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct DecodedValue {
    enum class Kind {
        integer,
        unsignedInteger,
        boolean,
        real,
        text,
        temporal,
        decimal,
        bytes,
        array
    };
    Kind kind = Kind::bytes;
    std::int64_t integer = 0;
    std::uint64_t unsignedInteger = 0;
    bool boolean = false;
    double real = 0;
    std::string text;  // UTF-8 text; date, time or decimal text; hex digits for bytes
    std::vector<DecodedValue> elements;
};

// Decodes a value as the reader delivers it: a varying value without its length prefix, an
// array value as its u32 count followed by the elements.
DecodedValue decodeValue(std::uint32_t typeWord, std::span<const unsigned char> bytes);

// Decodes an attribute value. A "string" attribute is metadata text, which the engine and both
// readers keep in UTF-8 (names, kept attributes of other programs, XML parameters): it is
// decoded as UTF-8, and only bytes that are not well-formed UTF-8 as code page 936 like a row's
// string. Every other type as decodeValue.
DecodedValue decodeAttributeValue(std::uint32_t typeWord, std::span<const unsigned char> bytes);

// The value as one line of text: strings quoted with C-style escapes, numbers, dates and times
// bare, bytes as "0x" and hex digits, arrays as "[a, b, c]".
std::string valueToText(const DecodedValue& value);

// The value as JSON: strings, numbers and booleans as themselves, dates and times as strings,
// bytes as {"hex": "..."}, a real that is not finite as its text.
nlohmann::ordered_json valueToJson(const DecodedValue& value);

// Day number (1 = 0001-01-01) as "YYYY-MM-DD"; false outside 0001-01-01 to 9999-12-31.
bool dayNumberText(std::int64_t day, std::string* out);
// Milliseconds since midnight as "HH:MM:SS" or "HH:MM:SS.mmm"; false outside one day.
bool timeOfDayText(std::int64_t milliseconds, std::string* out);

// Bytes as lower-case hex digits.
std::string hexText(std::span<const unsigned char> bytes);
// Text quoted and escaped for one line: backslash, quote and control characters.
std::string quotedText(const std::string& utf8);
// Bytes that claim to be UTF-8 (names), with every ill-formed sequence replaced by U+FFFD.
std::string sanitizedUtf8(const std::string& bytes);
