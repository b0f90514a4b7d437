#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "packet/AttributeValues.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(AttributeValues, EncodingsHaveTheirFixedBytes) {
    const auto width = encodeFieldUnits(20);
    EXPECT_EQ(Bytes(width.begin(), width.end()), (Bytes{0x14, 0x00}));
    const auto autoInc = encodeAutoIncValue(-2);
    EXPECT_EQ(Bytes(autoInc.begin(), autoInc.end()), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(encodeSubtypeValue("AUTOINC"), (Bytes{'A', 'U', 'T', 'O', 'I', 'N', 'C', 0}));
    const ChangeLogTriple log[] = {{3, 0, 4}, {5, 2, 8}};
    EXPECT_EQ(encodeChangeLog(log), (Bytes{6, 0, 0, 0,                             // 6 elements
                                           3, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0,     // insert of 3
                                           5, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0}));  // 5 replaces 2
}

// Every attribute value: decoding the whole encoding gives the value back, and every shorter
// prefix fails without producing anything.
TEST(AttributeValues, RoundTripAndEveryShorterPrefixFails) {
    struct Case {
        const char* name;
        std::uint32_t typeWord;
        Bytes encoding;
        // Decodes `bytes` and, on success, checks that the value came back.
        std::function<bool(std::span<const unsigned char> bytes, bool check)> decode;
    };
    const auto units = encodeFieldUnits(0xBEEF);
    const auto autoInc = encodeAutoIncValue(0x12345678);
    const std::vector<ChangeLogTriple> log = {{1, 0, 4}, {7, 6, 8}, {2, 0, 2}};
    const std::vector<Case> cases = {
        {"WIDTH", kTypeWordUInt16, Bytes(units.begin(), units.end()),
         [](std::span<const unsigned char> b, bool check) {
             std::uint32_t v = 0xFFFFFFFF;
             const bool ok = decodeFieldUnits(kTypeWordUInt16, b, &v);
             if (!ok) {
                 EXPECT_EQ(v, 0xFFFFFFFFu);
             }
             if (ok && check) {
                 EXPECT_EQ(v, 0xBEEFu);
             }
             return ok;
         }},
        {"AUTOINCVALUE", kTypeWordInt32, Bytes(autoInc.begin(), autoInc.end()),
         [](std::span<const unsigned char> b, bool check) {
             std::uint32_t v = 0xFFFFFFFF;
             const bool ok = decodeAutoIncValue(kTypeWordInt32, b, &v);
             if (!ok) {
                 EXPECT_EQ(v, 0xFFFFFFFFu);
             }
             if (ok && check) {
                 EXPECT_EQ(v, 0x12345678u);
             }
             return ok;
         }},
        {"SUBTYPE", kTypeWordString16, encodeSubtypeValue("Binary"),
         [](std::span<const unsigned char> b, bool check) {
             std::string_view name = "untouched";
             const bool ok = decodeSubtypeValue(kTypeWordString16, b, &name);
             if (!ok) {
                 EXPECT_EQ(name, "untouched");
             }
             if (ok && check) {
                 EXPECT_EQ(name, "Binary");
             }
             return ok;
         }},
        {"CHANGE_LOG", kTypeWordUInt32Array, encodeChangeLog(log),
         [&log](std::span<const unsigned char> b, bool check) {
             std::vector<ChangeLogTriple> out = {{9, 9, 9}};
             const bool ok = decodeChangeLog(kTypeWordUInt32Array, b, &out);
             if (!ok) {
                 EXPECT_EQ(out, (std::vector<ChangeLogTriple>{{9, 9, 9}}));
             }
             if (ok && check) {
                 EXPECT_EQ(out, log);
             }
             return ok;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.decode(c.encoding, true));
        for (std::size_t n = 0; n < c.encoding.size(); ++n) {
            SCOPED_TRACE(n);
            // A copy of exactly n bytes, so that a read past them is caught by the sanitizers.
            const Bytes prefix(c.encoding.begin(), c.encoding.begin() + n);
            EXPECT_FALSE(c.decode(prefix, false));
        }
    }
}

TEST(AttributeValues, DecodersRefuseValuesOfTheWrongType) {
    const Bytes name = encodeSubtypeValue("Binary");
    std::string_view text;
    EXPECT_FALSE(decodeSubtypeValue(kTypeWordUInt16, name, &text));

    const ChangeLogTriple one[] = {{1, 0, 4}};
    const Bytes log = encodeChangeLog(one);
    std::vector<ChangeLogTriple> entries;
    EXPECT_TRUE(decodeChangeLog(kTypeWordUInt32Array, log, &entries));
    EXPECT_FALSE(decodeChangeLog(kTypeWordUInt32Array & ~kTypeArray, log, &entries));
    EXPECT_FALSE(decodeChangeLog(makeTypeWord(clsUInt, 2, kTypeArray), log, &entries));
    // Fewer than one entry's three elements.
    const Bytes two = {2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(decodeChangeLog(kTypeWordUInt32Array, two, &entries));
    // An incomplete last triple is passed over.
    const Bytes four = {4, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 9, 0, 0, 0};
    ASSERT_TRUE(decodeChangeLog(kTypeWordUInt32Array, four, &entries));
    EXPECT_EQ(entries, (std::vector<ChangeLogTriple>{{1, 0, 4}}));
}

// Numbers of foreign attributes are read by their own class's size.
TEST(AttributeValues, SmallNumbersFollowTheValuesClass) {
    struct Case {
        std::uint32_t typeWord;
        Bytes value;
        bool ok;
        std::uint32_t number;
    } const cases[] = {
        {makeTypeWord(clsUInt, 1), {0x7F}, true, 0x7F},
        {makeTypeWord(clsUInt, 4), {1, 2, 3, 4}, true, 0x04030201},
        {makeTypeWord(clsUInt, 4), {1, 2, 3}, false, 0},
        {makeTypeWord(clsInt, 8), {1, 2, 3, 4, 5, 6, 7, 8}, true, 0x04030201},  // the low half
        {makeTypeWord(clsBool, 2), {1, 0}, true, 1},
        // A varying value gives as many of its first bytes as it has, up to 4.
        {makeTypeWord(clsZString, 1, kTypeVarying), {'1', 0}, true, 0x0031},
        {makeTypeWord(clsZString, 1, kTypeVarying), {}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeWord);
        std::uint32_t number = 0;
        EXPECT_EQ(decodeSmallNumber(c.typeWord, c.value, &number), c.ok);
        if (c.ok) {
            EXPECT_EQ(number, c.number);
        }
    }
}

TEST(AttributeValues, WriterArgumentCarriesTheConvertersPrefix) {
    const Bytes name = encodeSubtypeValue("Binary");
    Bytes expected = {7, 0};  // u16 length of the 2-byte prefix
    expected.insert(expected.end(), name.begin(), name.end());
    EXPECT_EQ(attributeWriterArgument(kTypeWordString16, name), expected);
    Bytes shortPrefix = {7};  // a 1-byte prefix
    shortPrefix.insert(shortPrefix.end(), name.begin(), name.end());
    EXPECT_EQ(attributeWriterArgument(makeTypeWord(clsZString, 1, kTypeVarying), name),
              shortPrefix);
    // Fixed-size values and arrays pass unchanged.
    const Bytes units = {0x14, 0x00};
    EXPECT_EQ(attributeWriterArgument(kTypeWordUInt16, units), units);
    const ChangeLogTriple one[] = {{1, 0, 4}};
    EXPECT_EQ(attributeWriterArgument(kTypeWordUInt32Array, encodeChangeLog(one)),
              encodeChangeLog(one));
}

}  // namespace
