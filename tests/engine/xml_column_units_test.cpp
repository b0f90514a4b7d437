// Widths and scales above 32767 are u16 values in binary packets; the XML form writes them as
// numbers and reads them back as the same u16. Found by fuzzing appendPacket.

#include <gtest/gtest.h>

#include "engine/EngineFactory.h"
#include "packet/StreamMode.h"
#include "tests/engine/StationTable.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(XmlColumnUnits, WideStringWidthAndScaleComeBackFromXml) {
    auto table = createDSBase();
    DSFLDDesc d = makeDescriptor("S", fldZSTRING, 40000);
    d.iUnits2 = 65000;
    ASSERT_EQ(table->defineTable(1, &d, "T"), DBIERR_NONE);
    ASSERT_EQ(table->setProperty(propStreamMode, kStreamModeXml), DBIERR_NONE);
    Bytes xml;
    ASSERT_EQ(table->streamTable(xml), DBIERR_NONE);

    auto again = createDSBase();
    ASSERT_EQ(again->appendPacket(std::make_shared<const Bytes>(xml), true), DBIERR_NONE)
        << std::string(xml.begin(), xml.end());
    DSFLDDesc out{};
    ASSERT_EQ(again->getFieldDescriptors(&out), DBIERR_NONE);
    EXPECT_EQ(out.iUnits1, 40000);
    EXPECT_EQ(out.iFldLen, 40001);
    EXPECT_EQ(out.iUnits2, 65000);
}

}  // namespace
