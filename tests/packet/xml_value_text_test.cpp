// Value texts of the XML datapacket: every type written as text and read back, and the texts the
// reader accepts beyond what the writer produces.

#include <gtest/gtest.h>

#include <string>

#include "packet/xml/XmlValueText.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

const XmlTextSettings kCodePageDoc{false, false, true};
const XmlTextSettings kUtf8Doc{true, false, true};

struct TextCase {
    std::uint32_t typeWord;
    const char* hex;
    const char* text;
    XmlBcdShape bcd = {};
};

// Written and read back to the same bytes.
const TextCase kSymmetric[] = {
    {0x00010001, "FB", "-5"},
    {0x00010002, "D4 FE", "-300"},
    {0x00010004, "FF FF FF FF", "-1"},
    {0x00010008, "00 00 00 00 00 00 00 80", "-9223372036854775808"},
    {0x00020001, "FF", "255"},
    {0x00020004, "FF FF FF FF", "4294967295"},
    {0x00030002, "01 00", "TRUE"},
    {0x00030001, "00", "FALSE"},
    {0x00060004, "5A 95 0A 00", "18991230"},  // day 693594
    {0x00060004, "01 00 00 00", "00010101"},
    {0x00070004, "40 EB D2 01", "08:30:00000"},
    {0x00070004, "95 2C B3 02", "12:34:56789"},
    {0x00070004, "FF 5B 26 05", "23:59:59999"},
    {0x00080008, "00 A0 A1 6D 5E 40 CB 42", "18991230T08:30:00000"},  // 693594 days + 8.5 h
    {0x00080008, "00 00 2C 84 5D 40 CB 42", "18991230"},
    {0x00040008, "00 00 00 00 00 00 F8 3F", "1.5"},
    {0x00040008, "9A 99 99 99 99 99 B9 3F", "0.1"},
    {0x00040008, "00 00 00 00 00 00 02 C0", "-2.25"},
    {0x00040008, "34 33 33 33 33 33 D3 3F", "0.30000000000000004"},
    {0x001B0004, "CD CC CC 3D", "0.1"},
    {0x00050004, "04 02 12 34", "12.34", {4, 2}},
    {0x00050004, "02 81 05 00", "-0.5", {2, 1}},
    {0x00050004, "04 00 01 20", "120", {4, 0}},
    {0x00490001, "52 61 64 69 6F", "Radio"},
    {0x00490001, "22 26 5C 09 0A 0D 3C 3E 27", "&quot;&amp;&#092;&#009;&#010;&#013;&lt;&gt;&apos;"},
    {0x00490001, "01 7F", "&#001;\x7F"},
    {0x00490001, "D6 D0 95 5C", "\xD6\xD0\x95\x5C"},  // 中 and 昞, whose trail byte is "\"
    {0x004A0001, "2D 4E 61 00 3D D8 00 DE", "&#20013;a&#128512;"},
    {0x004B0004, "00 01 02 FF", "AAEC/w=="},
    {0x004B0001, "4D", "TQ=="},
    {0x004B0001, "", ""},
    {0x00110010, "E8 07 03 00 0F 00 08 00 1E 00 05 00 FA 00 00 00", "20240315T08:30:05250"},
    {0x00110010, "E8 07 03 00 0F 00 00 00 00 00 00 00 00 00 00 00", "20240315"},
    {0x00240014, "E8 07 03 00 0F 00 08 00 1E 00 05 00 00 00 00 00 08 00 00 00",
     "20240315T08:30:05000+08:00"},
    {0x00240014, "E8 07 03 00 0F 00 08 00 1E 00 05 00 00 00 00 00 00 00 E2 FF",
     "20240315T08:30:05000-00:30"},
    {0x00810004, "02 00 00 00 01 00 00 00 FE FF FF FF", "1 -2"},
    {0x00820002, "02 00 00 00 01 00 02 80", "1 32770"},
    {0x00820004, "00 00 00 00", ""},
};

TEST(XmlValueText, EveryTypeIsWrittenAndReadBack) {
    for (const auto& c : kSymmetric) {
        SCOPED_TRACE(std::string(c.text) + " as type " + std::to_string(c.typeWord));
        const Bytes value = hexBytes(c.hex);
        std::string text;
        ASSERT_EQ(appendXmlValue(text, c.typeWord, value.data(), value.size(), kCodePageDoc),
                  DBIERR_NONE);
        EXPECT_EQ(text, c.text);
        Bytes back;
        bool isNull = true;
        ASSERT_EQ(parseXmlValue(text, c.typeWord, kCodePageDoc, c.bcd, &back, &isNull),
                  DBIERR_NONE);
        EXPECT_FALSE(isNull);
        EXPECT_EQ(back, value);
    }
}

TEST(XmlValueText, TextOfTheCodePageIsUtf8InAUtf8Document) {
    const Bytes value = hexBytes("5C D6 D0");  // \中
    std::string text;
    ASSERT_EQ(appendXmlValue(text, 0x00490001, value.data(), value.size(), kUtf8Doc), DBIERR_NONE);
    EXPECT_EQ(text, "&#092;\xE4\xB8\xAD");
    Bytes back;
    bool isNull = true;
    ASSERT_EQ(parseXmlValue(text, 0x00490001, kUtf8Doc, {}, &back, &isNull), DBIERR_NONE);
    EXPECT_EQ(back, value);
    // A UTF-8 table keeps its text as UTF-8 in either document, and gets it back so.
    const XmlTextSettings utf8Table{false, true, true};
    ASSERT_EQ(parseXmlValue("\xD6\xD0&#x4E2D;", 0x00490001, utf8Table, {}, &back, &isNull),
              DBIERR_NONE);
    EXPECT_EQ(back, hexBytes("E4 B8 AD E4 B8 AD"));
}

// Texts the reader takes although the writer never produces them.
TEST(XmlValueText, ReaderAcceptsLenientTexts) {
    struct Case {
        std::uint32_t typeWord;
        const char* text;
        const char* hex;  // nullptr: null
    };
    const Case cases[] = {
        {0x00010004, "12abc", "0C 00 00 00"},
        {0x00010004, " +42", "2A 00 00 00"},
        {0x00010004, "x12", nullptr},
        {0x00010004, "", nullptr},
        {0x00040008, "1.", "00 00 00 00 00 00 F0 3F"},
        {0x00040008, "inf", nullptr},
        {0x00030002, "t", "01 00"},
        {0x00030002, "false", "00 00"},
        {0x00030002, "1", "01 00"},
        {0x00030002, "yes", nullptr},
        {0x00070004, "12:34:5", "10 12 B3 02"},     // last field padded: 12:34:50
        {0x00070004, "12:34:56.5", "74 2B B3 02"},  // 12:34:56.500
        {0x00070004, "24:00:00000", nullptr},
        {0x00060004, "2024-03-15", "90 46 0B 00"},  // day 738960
        {0x00060004, "240315", "90 46 0B 00"},
        {0x00060004, "2024031", "82 46 0B 00"},  // day of one digit: 2024-03-01
        {0x00060004, "20241315", nullptr},       // month 13
        {0x00060004, "20240230", nullptr},       // no 30 February
        {0x00490001, "&#x41;&#66;&lt;&bogus;", "41 42 3C 26 62 6F 67 75 73 3B"},
        {0x004B0001, "  !!AAEC/w==", "00 01 02 FF"},
        {0x004B0001, "AA EC\n/w", "00 01 02 FF"},
        {0x00050004, " - 1 2.5 ", "04 81 01 25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Bytes out;
        bool isNull = false;
        ASSERT_EQ(parseXmlValue(c.text, c.typeWord, kCodePageDoc, {4, 1}, &out, &isNull),
                  DBIERR_NONE);
        if (c.hex == nullptr) {
            EXPECT_TRUE(isNull);
            EXPECT_TRUE(out.empty());
        } else {
            EXPECT_FALSE(isNull);
            EXPECT_EQ(out, hexBytes(c.hex));
        }
    }
}

TEST(XmlValueText, NumbersTheirTypeCannotHoldAreOutOfRange) {
    const struct {
        std::uint32_t typeWord;
        const char* text;
    } cases[] = {
        {0x00010002, "40000"},
        {0x00010001, "-129"},
        {0x00020004, "-1"},
        {0x00010008, "99999999999999999999"},
        {0x00040008, "1e400"},
        {0x00050004, "123.4"},  // precision 4 with 2 decimals: 2 integer digits
        {0x00820002, "1 65536"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Bytes out;
        bool isNull = false;
        EXPECT_EQ(parseXmlValue(c.text, c.typeWord, kCodePageDoc, {4, 2}, &out, &isNull),
                  errOutOfRange);
    }
}

TEST(XmlValueText, TypesWithoutTextAreRefused) {
    const Bytes value(16, 0);
    const struct {
        std::uint32_t typeWord;
        DBResult expected;
    } cases[] = {
        {0x0004000A, errXmlFieldType},      // r10
        {0x00020008, errXmlFieldType},      // ui8
        {0x010C0002, errXmlFieldType},      // structure
        {0x00830004, errXmlFieldType},      // boolean array
        {0x00C10004, errInvalidFieldType},  // varying array
        {0x00080004, errInvalidFieldType},  // dateTime of 4 bytes
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(appendXmlValue(text, c.typeWord, value.data(), value.size(), kCodePageDoc),
                  c.expected)
            << std::hex << c.typeWord;
    }
    std::string text;
    EXPECT_EQ(appendXmlValue(text, 0x00010004, value.data(), 3, kCodePageDoc), errInvalidParameter);
    EXPECT_EQ(
        appendXmlValue(text, 0x00820004, hexBytes("05000000 01000000").data(), 8, kCodePageDoc),
        errInvalidParameter);  // count beyond the bytes
}

}  // namespace
