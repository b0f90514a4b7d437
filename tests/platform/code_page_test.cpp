#include "platform/CodePage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CodePage, DefaultIs936) {
    EXPECT_EQ(defaultAnsiCodePage(), 936u);
}

TEST(CodePage, UnicodeToAnsi) {
    struct Case {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"", ""},
        {u"abc 123", "abc 123"},
        {u"中国", "\xD6\xD0\xB9\xFA"},
        {u"\u20AC", "\x80"},                // euro sign at 0x80
        {u"a\u0E01b", "a?b"},               // a character 936 lacks, between two it has
        {u"\u0E01\u0E02中", "??\xD6\xD0"},  // several in a row do not stop the rest
        {u"x\U0001F600y", "x?y"},           // a surrogate pair is one character
        {std::u16string(u"a\xD800"
                        u"b"),
         "a?b"},                             // an unpaired high surrogate
        {std::u16string(u"a\xDC00"), "a?"},  // an unpaired low surrogate at the end
        {std::u16string(u"a\xD800"), "a?"},  // a high surrogate at the very end
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unicodeToAnsi(c.text), c.bytes) << c.bytes;
    }
}

TEST(CodePage, AnsiToUnicode) {
    struct Case {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"\xD6\xD0\xB9\xFA", u"中国"},
        {"\x80", u"\u20AC"},
        {"a\xD6", u"a\uFFFD"},        // lead byte at the end
        {"\x81\x7F", u"\uFFFD\x7F"},  // 0x7F cannot trail: it is read afresh
        {"\xD6\x20x", u"\uFFFD x"},   // nor can a blank
        {"\xAA\xA1z", u"\uFFFDz"},    // a well-formed pair the code page leaves unassigned
        {"\xFF"
         "b",
         u"\uFFFDb"},  // 0xFF is no character
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ansiToUnicode(c.bytes), c.text) << c.bytes;
    }
}

// Pure ASCII text takes a shortcut past the converter; it must give what the converter gives
// for the same character inside non-ASCII text.
TEST(CodePage, AsciiAloneAndBesideChineseConvertAlike) {
    for (char16_t c = 0; c < 0x80; ++c) {
        const std::u16string alone(1, c);
        const std::string byte(1, static_cast<char>(c));
        EXPECT_EQ(unicodeToAnsi(alone), byte) << int(c);
        EXPECT_EQ(ansiToUnicode(byte), alone) << int(c);
        EXPECT_EQ(unicodeToAnsi(alone + u"中"), byte + "\xD6\xD0") << int(c);
        EXPECT_EQ(ansiToUnicode(byte + "\xD6\xD0"), alone + u"中") << int(c);
    }
}

// The conversions answer from tables made once; every character, alone and between others,
// must convert as the converter itself converts it.
TEST(CodePage, EveryCharacterConvertsAsTheConverterConvertsIt) {
    iconv_t encoder = iconv_open("CP936", "UTF-16LE");
    iconv_t decoder = iconv_open("UTF-16LE", "CP936");
    ASSERT_NE(encoder, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(decoder, reinterpret_cast<iconv_t>(-1));
    const auto reference = [](iconv_t cd, const void* in, std::size_t size) -> std::string {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(static_cast<const char*>(in));
        char out[8];
        char* outPtr = out;
        std::size_t outLeft = sizeof out;
        if (iconv(cd, &inPtr, &size, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return "error";
        return std::string(out, sizeof out - outLeft);
    };
    int mismatches = 0;
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const auto unit = static_cast<char16_t>(c);
        std::string expected = reference(encoder, &unit, sizeof unit);
        if (expected == "error") expected = "?";
        const std::u16string inside = u"中" + std::u16string(1, unit) + u"x";
        if (unicodeToAnsi(inside) != "\xD6\xD0" + expected + "x" && ++mismatches < 10)
            ADD_FAILURE() << "U+" << std::hex << c;
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            std::u16string expected;
            const std::string pair = reference(decoder, bytes.data(), 2);
            if (pair != "error" && ansiCharLength(bytes, 0) == 2) {
                expected.assign(reinterpret_cast<const char16_t*>(pair.data()), pair.size() / 2);
            } else if (ansiCharLength(bytes, 0) == 2) {
                expected = u"\uFFFD";
            } else {
                const std::string single = reference(decoder, bytes.data(), 1);
                expected = single == "error"
                               ? std::u16string(u"\uFFFD")
                               : std::u16string(reinterpret_cast<const char16_t*>(single.data()),
                                                single.size() / 2);
                expected += ansiToUnicode(bytes.substr(1));
            }
            if (ansiToUnicode(bytes) != expected && ++mismatches < 10)
                ADD_FAILURE() << std::hex << lead << " " << trail;
        }
    }
    EXPECT_EQ(mismatches, 0);
    iconv_close(encoder);
    iconv_close(decoder);
}

TEST(CodePage, RoundTripOfEveryAssignedPairIsStable) {
    // Every double-byte character that decodes to something other than U+FFFD encodes back to
    // the same two bytes, so text written into a record reads back unchanged.
    int checked = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            std::u16string text = ansiToUnicode(pair);
            ASSERT_EQ(text.size(), 1u);
            if (text[0] == 0xFFFD) continue;
            ASSERT_EQ(unicodeToAnsi(text), pair) << lead << " " << trail;
            ++checked;
        }
    }
    EXPECT_GT(checked, 20000);
}

TEST(CodePage, CharacterBoundaries) {
    // "a中b" then a lone lead byte at the end.
    const std::string bytes =
        "a\xD6\xD0"
        "b\xB9";
    EXPECT_EQ(ansiCharLength(bytes, 0), 1u);
    EXPECT_EQ(ansiCharLength(bytes, 1), 2u);
    EXPECT_EQ(ansiCharLength(bytes, 3), 1u);
    EXPECT_EQ(ansiCharLength(bytes, 4), 1u);  // lone lead byte
    EXPECT_EQ(ansiCharLength(bytes, 5), 0u);

    struct Case {
        std::size_t max, cut;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {5, 5}, {99, 5}};
    for (auto c : cases) EXPECT_EQ(ansiCutLength(bytes, c.max), c.cut) << c.max;

    // A trail byte that looks like a lead byte: 中 is D6 D0, and D0 is in the lead range, so
    // boundaries are found from the start. "中中" cut at 3 keeps one character, not three bytes.
    EXPECT_EQ(ansiCutLength("\xD6\xD0\xD6\xD0", 3), 2u);
    // 11 CJK characters cut to 20 bytes keep 10 whole characters.
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "\xD6\xD0";
    EXPECT_EQ(ansiCutLength(eleven, 20), 20u);
    EXPECT_EQ(ansiCutLength("x" + eleven, 20), 19u);
}

TEST(CodePage, ThreadsConvertIndependently) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (unicodeToAnsi(u"中\u0E01国") != "\xD6\xD0?\xB9\xFA") ++failures[t];
                if (ansiToUnicode("\xD6\xD0\xFF") != u"中\uFFFD") ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
