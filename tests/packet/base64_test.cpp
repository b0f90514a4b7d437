#include <gtest/gtest.h>

#include <string>

#include "packet/Base64.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

TEST(Base64, EncodesEveryTailLengthAndReadsItBack) {
    struct Case {
        const char* hex;
        const char* text;
    };
    const Case cases[] = {
        {"", ""},
        {"66", "Zg=="},
        {"66 6F", "Zm8="},
        {"66 6F 6F", "Zm9v"},
        {"66 6F 6F 62", "Zm9vYg=="},
        {"FB FF BF", "+/+/"},  // the two last letters of the alphabet
        {"00 10 83 10 51 87 20 92 8B", "ABCDEFGHIJKL"},
    };
    for (const auto& c : cases) {
        const Bytes bytes = hexBytes(c.hex);
        EXPECT_EQ(base64Encode(bytes.data(), bytes.size()), c.text) << c.hex;
        EXPECT_EQ(base64Decode(c.text), bytes) << c.text;
    }
}

TEST(Base64, DecodingIsLenientAtTheEdges) {
    struct Case {
        const char* text;
        const char* hex;
    };
    const Case cases[] = {
        {"  \r\n Zm9v", "66 6F 6F"},    // blanks before the data
        {"*!Zm9v", "66 6F 6F"},         // anything outside the alphabet before the data
        {"Zm\n9v\tYg", "66 6F 6F 62"},  // blanks within it
        {"Zm9v*Zm9v", "66 6F 6F"},      // another character ends it
        {"Zm8=Zm9v", "66 6F"},          // so does "="
        {"Zm9vY", "66 6F 6F"},          // a lone final character gives no byte
    };
    for (const auto& c : cases) EXPECT_EQ(base64Decode(c.text), hexBytes(c.hex)) << c.text;
}

}  // namespace
