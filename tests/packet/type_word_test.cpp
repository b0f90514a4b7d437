#include <gtest/gtest.h>

#include "packet/SubtypeNames.h"
#include "packet/TypeWord.h"

namespace {

TEST(TypeWord, FieldsOfTheWord) {
    const std::uint32_t w = 0x80820004;  // delta bit, array, class 2, size 4
    EXPECT_EQ(typeSize(w), 4u);
    EXPECT_EQ(typeClass(w), clsUInt);
    EXPECT_TRUE(typeIsArray(w));
    EXPECT_FALSE(typeIsVarying(w));
    EXPECT_EQ(typeClass(0x050E0003), clsNested);  // composite marks are not part of the class
    EXPECT_EQ(makeTypeWord(clsZString, 1, kTypeVarying), 0x00490001u);
}

// Engine field (type, stored length, units1) -> type word, and the field type read back.
TEST(TypeWord, EngineFieldTypesMapBothWays) {
    struct Case {
        std::int32_t fldType, fldLen, units1;
        std::uint32_t word;
        std::int32_t readType, readLen, readUnits1;
    } cases[] = {
        {1, 21, 20, 0x00490001, 1, 0, 0},        // string of width 20
        {1, 254, 253, 0x00490001, 1, 0, 0},      // width 253: 1-byte prefix
        {1, 255, 254, 0x00490002, 1, 0, 0},      // width 254: 2-byte prefix
        {2, 4, 0, 0x00060004, 2, 4, 0},          // date
        {3, 8, 0, 0x004B0004, 3, 0, 0},          // BLOB
        {4, 2, 0, 0x00030002, 4, 2, 0},          // boolean
        {5, 2, 0, 0x00010002, 5, 2, 0},          // i2
        {6, 4, 0, 0x00010004, 6, 4, 0},          // i4
        {7, 8, 0, 0x00040008, 7, 8, 0},          // double
        {8, 10, 16, 0x0005000A, 8, 10, 0},       // BCD precision 16
        {9, 12, 12, 0x000B000C, 9, 12, 0},       // fixed bytes
        {10, 4, 0, 0x00070004, 10, 4, 0},        // time
        {11, 8, 0, 0x00080008, 11, 8, 0},        // date and time
        {12, 2, 0, 0x00020002, 12, 2, 0},        // u2
        {13, 4, 0, 0x00020004, 13, 4, 0},        // u4
        {14, 10, 0, 0x0004000A, 14, 10, 0},      // extended
        {15, 102, 100, 0x004B0001, 15, 0, 0},    // varying bytes
        {15, 302, 300, 0x004B0002, 15, 0, 0},    // varying bytes, 2-byte prefix
        {18, 8, 0, 0x00010008, 18, 8, 0},        // i8
        {19, 8, 0, 0x00020008, 19, 8, 0},        // u8
        {20, 0, 3, 0x010C0003, 20, 0, 3},        // structure
        {21, 0, 5, 0x030D0005, 21, 0, 5},        // array
        {23, 4, 2, 0x050E0002, 23, 4, 2},        // nested table
        {24, 16, 0, 0x00110010, 24, 16, 0},      // SQL timestamp
        {25, 34, 0, 0x00120022, 25, 34, 0},      // FMTBCD
        {27, 4, 0, 0x001B0004, 27, 4, 0},        // single
        {28, 2, 0, 0x00010001, 28, 1, 0},        // i1 stored in 2 bytes
        {29, 2, 0, 0x00020001, 29, 1, 0},        // u1
        {36, 20, 0, 0x00240014, 36, 20, 0},      // timestamp with offset
        {4099, 2, 0, 0x00030001, 4099, 1, 0},    // 1-byte boolean
        {4100, 4, 0, 0x00030004, 4100, 4, 0},    // 4-byte boolean
        {4103, 42, 40, 0x004A0001, 4103, 0, 0},  // wide string of 20 characters
        {4103, 302, 300, 0x004A0002, 4103, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fldType);
        EXPECT_EQ(typeWordForField(c.fldType, c.fldLen, c.units1), c.word);
        FieldTypeOfWord f;
        ASSERT_EQ(fieldTypeForTypeWord(c.word, &f), DBIERR_NONE);
        EXPECT_EQ(f.fldType, c.readType);
        EXPECT_EQ(f.fldLen, c.readLen);
        EXPECT_EQ(f.units1, c.readUnits1);
    }
    EXPECT_EQ(typeWordForField(22, 0, 2), 0x010F0002u);  // reference
    EXPECT_EQ(typeWordForField(0, 7, 0), 7u);            // unknown: its length, class 0
    EXPECT_EQ(typeWordForField(16, 4, 0), 0u);           // no word
    EXPECT_EQ(typeWordForField(1000, 4, 0), 0u);
}

TEST(TypeWord, WordsWithoutAFieldType) {
    const std::uint32_t words[] = {
        0x00820004,  // array attribute value
        0x010F0002,  // reference
        0x00080004,  // dateTime of 4 bytes
        0x00040006,  // float of 6 bytes
        0x00010003,  // integer of 3 bytes
        0x004B0003,  // bytes with a 3-byte prefix
        0x00000004,  // class 0
        0x00250004,  // class 37
    };
    for (std::uint32_t w : words) {
        FieldTypeOfWord f;
        EXPECT_EQ(fieldTypeForTypeWord(w, &f), errInvalidFieldType) << std::hex << w;
    }
    FieldTypeOfWord f;
    ASSERT_EQ(fieldTypeForTypeWord(0x00100007, &f), DBIERR_NONE);  // class 16 as class 11
    EXPECT_EQ(f.fldType, 9);
    EXPECT_EQ(f.fldLen, 7);
    ASSERT_EQ(fieldTypeForTypeWord(0x07070004, &f), DBIERR_NONE);  // composite bits ignored
    EXPECT_EQ(f.fldType, 10);
}

TEST(TypeWord, ClassNames) {
    struct Case {
        std::uint32_t word;
        const char* name;
    } cases[] = {
        {0x00010001, "i1"},
        {0x00010008, "i8"},
        {0x00020004, "ui4"},
        {0x00020008, "ui8"},
        {0x00030002, "boolean"},
        {0x00040008, "r8"},
        {0x0004000A, "r10"},
        {0x00050012, "fixed"},
        {0x00060004, "date"},
        {0x00070004, "time"},
        {0x00080008, "dateTime"},
        {0x00490001, "string"},
        {0x004A0002, "string.uni"},
        {0x004B0004, "bin.hex"},
        {0x050E0001, "nested"},
        {0x00110010, "SQLdateTime"},
        {0x00120022, "fixedFMT"},
        {0x001B0004, "r4"},
        {0x00240014, "SQLdateTimeOffset"},
        {0x010C0002, nullptr},
        {0x00100004, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.word);
        const char* name = typeClassName(c.word);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr);
        } else {
            ASSERT_NE(name, nullptr);
            EXPECT_STREQ(name, c.name);
        }
    }
}

TEST(TypeWord, XmlNamesWritten) {
    struct Case {
        std::uint32_t word;
        DBResult rc;
        const char* name;
    } cases[] = {
        {0x00010002, DBIERR_NONE, "i2"},
        {0x00810004, DBIERR_NONE, "IntArray"},
        {0x00820002, DBIERR_NONE, "UIntArray"},
        {0x00020001, DBIERR_NONE, "ui1"},
        {0x00020008, errXmlFieldType, nullptr},
        {0x0004000A, errXmlFieldType, nullptr},
        {0x00040008, DBIERR_NONE, "r8"},
        {0x00490002, DBIERR_NONE, "string"},
        {0x004B0004, DBIERR_NONE, "bin.hex"},
        {0x010C0002, errXmlFieldType, nullptr},
        {0x00890001, errXmlFieldType, nullptr},      // array flag on a string
        {0x00C10004, errInvalidFieldType, nullptr},  // array and varying
        {0x001B0004, DBIERR_NONE, "r4"},
        {0x050E0002, DBIERR_NONE, "nested"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.word);
        const char* name = nullptr;
        EXPECT_EQ(xmlTypeNameForWrite(c.word, &name), c.rc);
        if (c.name) {
            ASSERT_NE(name, nullptr);
            EXPECT_STREQ(name, c.name);
        }
    }
}

TEST(TypeWord, XmlNamesRead) {
    struct Case {
        const char* name;
        std::uint32_t word;
    } cases[] = {
        {"boolean", 0x30002},
        {"BIN.HEX", 0x4B0001},
        {"date", 0x60004},
        {"dateTime", 0x80008},
        {"sqldatetime", 0x110010},
        {"SQLdateTimeOffset", 0x240014},
        {"fixedFMT", 0x120020},
        {"fixed", 0x50020},
        {"Fxyz", 0x50020},
        {"i1", 0x10001},
        {"I2", 0x10002},
        {"i4", 0x10004},
        {"i8", 0x10008},
        {"i", 0x10004},
        {"int", 0x10004},
        {"i3", 0},
        {"IntArray", 0x810004},
        {"r4", 0x1B0004},
        {"r8", 0x40008},
        {"r10", 0x4000A},
        {"string", 0x490001},
        {"string.uni", 0x4A0001},
        {"time", 0x70004},
        {"ui1", 0x20001},
        {"UI8", 0x20008},
        {"ui", 0x20004},
        {"uint", 0x20004},
        {"UIntArray", 0x820004},
        {"nested", 0x50E0000},
        {"text", 0},
        {"", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typeWordFromXmlName(c.name), c.word) << c.name;
    }
}

TEST(SubtypeNames, BothDirections) {
    const std::pair<std::int32_t, const char*> known[] = {
        {21, "Money"}, {22, "Text"},      {29, "Autoinc"},  {35, "ADTNestedTable"},
        {38, "Guid"},  {70, "Reference"}, {27, "dBASEOle"}, {32, "WideText"},
    };
    for (const auto& [code, name] : known) {
        ASSERT_NE(subtypeName(code), nullptr);
        EXPECT_STREQ(subtypeName(code), name);
        std::int32_t back = 0;
        EXPECT_TRUE(subtypeCodeFromName(name, &back));
        EXPECT_EQ(back, code);
    }
    std::int32_t code = 0;
    EXPECT_TRUE(subtypeCodeFromName("AUTOINC", &code));
    EXPECT_EQ(code, 29);
    EXPECT_TRUE(subtypeCodeFromName("wIdEtExT", &code));
    EXPECT_EQ(code, 32);
    EXPECT_FALSE(subtypeCodeFromName("Autoinc2", &code));
    EXPECT_FALSE(subtypeCodeFromName("", &code));
    EXPECT_EQ(subtypeName(0), nullptr);
    EXPECT_EQ(subtypeName(39), nullptr);
    EXPECT_EQ(subtypeName(20), nullptr);
}

}  // namespace
