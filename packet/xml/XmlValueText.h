#pragma once
// Value texts of the XML datapacket: one value of a type word as attribute text, and back.
//
// Texts written, per class:
//   integers           decimal, "-" when negative
//   boolean            "TRUE" / "FALSE"
//   date               YYYYMMDD (year zero-padded to at least 4 digits)
//   time               HH:MM:SSSSS, the last field the milliseconds within the minute
//   dateTime           the date, then "T" and the time when the time of day is not 0
//   SQLdateTime        YYYYMMDDTHH:MM:SSSSS, or YYYYMMDD when the time is 0
//   SQLdateTimeOffset  as SQLdateTime, then +HH:MM or -HH:MM when the time is not 0
//   r8, r4             shortest of 16 (r4: 8) significant digits that reads back to the value,
//                      else 17 (r4: 9)
//   fixed, fixedFMT    the packed digits as a decimal number: "-", no leading zeros, "." at the
//                      scale, "0" for zero
//   string             the text (up to its first 0 byte), escaped
//   string.uni         the text, every character above U+007F as a character reference
//   bin.hex            Base64, standard alphabet, "=" padding, no line breaks
//   IntArray/UIntArray the elements in decimal, separated by one blank
//
// Values are in the binary value form (FieldConverters.h): a fixed-size class its bytes, a
// varying class its bytes without the length prefix, an array a u32 count and the elements.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "packet/DBResult.h"
#include "packet/xml/XmlText.h"

// Appends the escaped text of a value of `typeWord` to `out`. `length` counts the value's bytes;
// fixed-size classes need at least their size. Fails with errXmlFieldType for a type without XML
// name, errInvalidFieldType for a varying array or a type word without converter, and
// errInvalidParameter for a value shorter than its type needs.
DBResult appendXmlValue(std::string& out, std::uint32_t typeWord, const unsigned char* value,
                        std::size_t length, const XmlTextSettings& settings);

// Precision and scale of a BCD column when its values are read: the "WIDTH" and "DECIMALS" of
// its FIELD element.
struct XmlBcdShape {
    int precision = 32;
    int scale = 0;
};

// Reads the text of a value of `typeWord` as it stands in the document (references not yet
// resolved) into the binary value form the packet reader delivers (for "fixed" the stored BCD
// bytes). A text that is no value of the type (a number without a digit before any letter, a
// date with month above 12) sets *isNull and leaves `out` empty. Fails with errOutOfRange for a
// number its type cannot hold and errInvalidFieldType for a type word the reader cannot fill.
DBResult parseXmlValue(std::string_view raw, std::uint32_t typeWord,
                       const XmlTextSettings& settings, const XmlBcdShape& bcd,
                       std::vector<unsigned char>* out, bool* isNull);
