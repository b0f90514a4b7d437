// A decimal ("fixed") column without a precision holds full 34-byte values and keeps doing so
// through every save and load, binary or XML; a precision beyond 64 digits is refused. Found by
// fuzzing appendPacket.

#include <gtest/gtest.h>

#include "engine/EngineFactory.h"
#include "packet/StreamMode.h"
#include "tests/engine/StationTable.h"

namespace {

using Bytes = std::vector<unsigned char>;

// One "fixed" column of stored length 34 without "WIDTH" (precision 0), one row: 123.45 as a
// BCD of precision 32 with 2 places.
const Bytes kDecimalPacket = {
    0x96, 0x19, 0xE0, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,  // header ..
    0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x29, 0x00,  // rows at 41
    0x06, 'A',  'm',  'o',  'u',  'n',  't',  0x22, 0x00, 0x05, 0x00,        // "Amount", 0x00050022
    0x00, 0x00, 0x00, 0x00,                                      // no flags, no attributes
    0x00, 0x00,                                                  // no table attributes
    0x00, 0x00,                                                  // status, indicators
    0x20, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // precision 32, 2 places
    0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x23, 0x45,              // ...12345
};

Bytes streamed(IDSBase& table) {
    Bytes out;
    EXPECT_EQ(table.streamTable(out), DBIERR_NONE);
    return out;
}

TEST(DecimalColumn, WithoutPrecisionSurvivesSavingAndLoading) {
    auto table = createDSBase();
    ASSERT_EQ(table->appendPacket(std::make_shared<const Bytes>(kDecimalPacket), true),
              DBIERR_NONE);
    DSFLDDesc field{};
    ASSERT_EQ(table->getFieldDescriptors(&field), DBIERR_NONE);
    EXPECT_EQ(field.iFldLen, 34);
    EXPECT_EQ(field.iUnits1, 0);
    // No "WIDTH" is written, so the next load stores 34 bytes again.
    const Bytes binary = streamed(*table);
    EXPECT_EQ(binary, kDecimalPacket);

    auto again = createDSBase();
    ASSERT_EQ(again->appendPacket(std::make_shared<const Bytes>(binary), true), DBIERR_NONE);
    EXPECT_EQ(streamed(*again), kDecimalPacket);

    // The XML form reads the value back with the full precision.
    ASSERT_EQ(table->setProperty(propStreamMode, kStreamModeXml), DBIERR_NONE);
    const Bytes xml = streamed(*table);
    auto fromXml = createDSBase();
    ASSERT_EQ(fromXml->appendPacket(std::make_shared<const Bytes>(xml), true), DBIERR_NONE)
        << std::string(xml.begin(), xml.end());
    ASSERT_EQ(fromXml->setProperty(propStreamMode, kStreamModeBinary), DBIERR_NONE);
    EXPECT_EQ(streamed(*fromXml), kDecimalPacket);
}

TEST(DecimalColumn, PrecisionIsZeroToSixtyFourDigits) {
    struct Case {
        std::int32_t type, precision;
        DBResult result;
        std::int32_t length;
    };
    const Case cases[] = {
        {fldBCD, 0, DBIERR_NONE, 34},
        {fldBCD, 64, DBIERR_NONE, 34},
        {fldFMTBCD, 1, DBIERR_NONE, 3},
        {fldBCD, 65, errInvalidFieldType, 0},
        {fldFMTBCD, -2, errInvalidFieldType, 0},
        {fldBCD, 65534, errInvalidFieldType, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " precision " << c.precision);
        auto table = createDSBase();
        DSFLDDesc d = makeDescriptor("D", c.type, c.precision);
        ASSERT_EQ(table->defineTable(1, &d, "T"), c.result);
        if (c.result != DBIERR_NONE) continue;
        DSFLDDesc out{};
        table->getFieldDescriptors(&out);
        EXPECT_EQ(out.iFldLen, c.length);
    }
}

}  // namespace
