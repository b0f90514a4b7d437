#include <gtest/gtest.h>

#include <string>

#include "packet/BcdText.h"
#include "tests/packet/PacketTestUtil.h"

namespace {

std::string bcdText(const char* hex) {
    const Bytes bytes = hexBytes(hex);
    std::string out = "<";  // appended, not replaced
    appendBcdText(out, bytes.data(), bytes.size());
    return out;
}

TEST(BcdText, DigitsSignAndPlaces) {
    struct Case {
        const char* hex;  // precision, sign and places, digits
        const char* text;
    };
    const Case cases[] = {
        {"04 02 12 34", "<12.34"},
        {"04 82 12 34", "<-12.34"},
        {"04 00 00 42", "<42"},         // leading zeros dropped
        {"04 03 00 05", "<0.005"},      // "0" before the point
        {"04 02 01 50", "<1.50"},       // trailing places kept
        {"04 82 00 00", "<0"},          // zero has no sign and no places
        {"05 01 12 34 50", "<1234.5"},  // an odd precision ends in a high nibble
        {"04 00 1F 23", "<1923"},       // a nibble above 9 is shown as 9
        {"08 00 12 34", "<1234"},       // precision cut to the digits the bytes hold
        {"02 05 12", "<0.12"},          // places cut to the precision
        {"00 00", "<0"},
    };
    for (const auto& c : cases) EXPECT_EQ(bcdText(c.hex), c.text) << c.hex;
}

}  // namespace
