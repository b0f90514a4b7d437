#include <gtest/gtest.h>

#include <string>

#include "packet/AsciiCase.h"

namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
    // Digits, punctuation, the bytes around the letter ranges and multi-byte text (UTF-8 and
    // code page 936 lead bytes) are left alone.
    EXPECT_EQ(asciiLowerCase("AZaz09@[`{_"), "azaz09@[`{_");
    EXPECT_EQ(asciiLowerCase("\xC3\x84\xD6\xD0X"), "\xC3\x84\xD6\xD0x");
    EXPECT_EQ(asciiLower(u'Q'), u'q');
    EXPECT_EQ(asciiLower(u'\u00C4'), u'\u00C4');  // Ä is no ASCII letter
    EXPECT_EQ(asciiUpper(u'q'), u'Q');
    EXPECT_EQ(asciiUpper(u'_'), u'_');
    EXPECT_EQ(asciiUpper(u'\u00E4'), u'\u00E4');
}

TEST(AsciiCase, ComparisonsIgnoreCaseOfAsciiLettersOnly) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"Autoinc", "AUTOINC", true},
        {"string.uni", "STRING.UNI", true},
        {"", "", true},
        {"WIDTH", "WIDTHS", false},  // lengths differ
        {"@", "`", false},           // 0x40 and 0x60 differ by the case bit but are no letters
        {"[", "{", false},           //
        {"\xC4", "\xE4", false},     // code page letters are not folded
    };
    for (const auto& c : cases) {
        EXPECT_EQ(equalsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(startsWithIgnoringAsciiCase("HTTP://host", "http://"));
    EXPECT_FALSE(startsWithIgnoringAsciiCase("http", "http://"));
}

}  // namespace
