#pragma once
// Helpers shared by the packet tests: hex fixtures and column records.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "packet/Coding.h"
#include "packet/PacketColumnDesc.h"

using Bytes = std::vector<unsigned char>;

// "96 19 E0 BD" -> bytes; blanks and line breaks between pairs are ignored.
inline Bytes hexBytes(const std::string& text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else {
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<unsigned char>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline PacketColumnDesc column(const char* name, std::uint32_t typeWord, std::uint16_t attrs = 0) {
    PacketColumnDesc c{};
    std::strncpy(c.szName, name, sizeof(c.szName) - 1);
    c.iTypeWord = typeWord;
    c.iFieldAttrs = attrs;
    return c;
}

// A u16 attribute value as the engine passes "WIDTH", "DECIMALS" and "CALCULATED".
inline Bytes u16Value(std::uint16_t v) {
    Bytes b;
    putFixed16(b, v);
    return b;
}

// The three columns of the worked example: a string of width 20, a time, an integer.
inline const char* const kNameColumn = "\xE7\x94\xB5\xE5\x8F\xB0\xE5\x90\x8D\xE7\xA7\xB0";
inline const char* const kStartColumn = "\xE5\xBC\x80\xE5\xA7\x8B\xE6\x97\xB6\xE9\x97\xB4";
inline const char* const kIntervalColumn = "\xE9\x97\xB4\xE9\x9A\x94";

// The worked example packet: three columns, two rows, 117 bytes.
inline Bytes workedExamplePacket() {
    return hexBytes(
        "96 19 E0 BD"  // magic
        "01 00"        // majorVersion 1
        "00 00"        // minorVersion 0
        "18 00 00 00"  // headerSize 24
        "03 00"        // columnCount 3
        "02 00 00 00"  // rowCount 2
        "03 00 00 00"  // packetFlags: PF_METADATA + PF_ROW_OFFSET
        "5F 00"        // rowDataOffset 95
        // column 1
        "0C"                                   // name length 12
        "E7 94 B5 E5 8F B0 E5 90 8D E7 A7 B0"  // name, UTF-8
        "01 00 49 00"                          // type word 0x00490001: string, 1-byte prefix
        "00 00"                                // field attributes
        "01 00"                                // one column attribute
        "05 57 49 44 54 48"                    // "WIDTH"
        "02 00 02 00"                          // type word 0x00020002: unsigned 2-byte
        "14 00"                                // 20
        // column 2
        "0C E5 BC 80 E5 A7 8B E6 97 B6 E9 97 B4"  // name
        "04 00 07 00"                             // type word 0x00070004: time
        "00 00 00 00"                             // field attributes, no attributes
        // column 3
        "06 E9 97 B4 E9 9A 94"  // name
        "04 00 01 00"           // type word 0x00010004: signed 4-byte
        "00 00 00 00"           // field attributes, no attributes
        "00 00"                 // no table attributes
        // row 1 at offset 95
        "00"                 // status: unchanged
        "00"                 // indicators: nothing null
        "05 52 61 64 69 6F"  // string, length 5, "Radio"
        "40 EB D2 01"        // time 08:30:00
        "0F 00 00 00"        // integer 15
        // row 2
        "00"           // status
        "05"           // indicators: slot 0 null (0x01), slot 1 null (0x04)
        "00 00 00 00"  // integer 0
    );
}
