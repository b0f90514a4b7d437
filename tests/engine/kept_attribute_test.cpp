// A kept attribute is written back exactly as it was read, whatever its type word says.
// Found by fuzzing appendPacket: a decimal value whose type word also carried the varying bit
// was written with a length prefix in front, shifting it by four bytes at every save.

#include <gtest/gtest.h>

#include "engine/EngineFactory.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One column "N" (i4) with the kept attribute "KEEP": type word 0x00520012 (class 18, size 18,
// and the varying bit, which decimal values ignore), an 18-byte value; no rows.
const Bytes kPacket = {
    0x96, 0x19, 0xE0, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,  // header ..
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x3F, 0x00,  // rows at 63
    0x01, 'N',  0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00,              // i4, one attribute
    0x04, 'K',  'E',  'E',  'P',  0x12, 0x00, 0x52, 0x00,                    // "KEEP", 0x00520012
    0x05, 0x02, 0x12, 0x34, 0x50, 0x00, 0x00, 0x00, 0x00,                    // 123.45, precision 5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                    // padding to 18 bytes
    0x00, 0x00,                                                              // no table attributes
};

TEST(KeptAttribute, DecimalValueWithTheVaryingBitIsWrittenBackUnchanged) {
    Bytes packet = kPacket;
    for (int save = 0; save < 2; ++save) {
        SCOPED_TRACE(save);
        auto table = createDSBase();
        ASSERT_EQ(table->appendPacket(std::make_shared<const Bytes>(packet), true), DBIERR_NONE);
        Bytes out;
        ASSERT_EQ(table->streamTable(out), DBIERR_NONE);
        EXPECT_EQ(out, kPacket);
        packet = out;
    }
}

}  // namespace
