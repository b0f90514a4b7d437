// Array fields expand into one field per element; the element counts may come from a packet,
// so the expansion is bounded by what a table can hold: 65535 fields, one 16-bit id each.
// Found by fuzzing appendPacket (an array of 16404 arrays of 12870 elements).

#include <gtest/gtest.h>

#include "engine/EngineFactory.h"
#include "tests/engine/StationTable.h"

namespace {

TEST(ArrayExpansion, StopsAtTheLargestTableOfSixteenBitFieldIds) {
    struct Case {
        const char* what;
        std::int32_t outer, inner;  // inner 0: an array of integers
        DBResult result;
        std::uint32_t fields;
    };
    const Case cases[] = {
        {"array and 65534 elements: 65535 fields", 65534, 0, DBIERR_NONE, 65535},
        {"one field more", 65535, 0, errInvalidFieldType, 0},
        {"arrays of arrays beyond the limit", 16404, 12870, errInvalidFieldType, 0},
        {"arrays of arrays within it", 100, 100, DBIERR_NONE, 1 + 100 * 101},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DSFLDDesc> d = {makeDescriptor("A", fldARRAY, c.outer)};
        if (c.inner) d.push_back(makeDescriptor("B", fldARRAY, c.inner));
        d.push_back(makeDescriptor("N", fldINT32, 0));
        auto table = createDSBase();
        EXPECT_EQ(table->defineTable(static_cast<std::uint32_t>(d.size()), d.data(), "T"),
                  c.result);
        DSTableInfo info{};
        ASSERT_EQ(table->getTableInfo(&info), DBIERR_NONE);
        EXPECT_EQ(info.iFields, c.fields);
    }
}

TEST(ArrayExpansion, RecordsAreAtMostFourMegabytes) {
    // 64 elements of 65531 bytes fit (4 MB less the indicators); 65 do not.
    for (const auto& [elements, result] :
         {std::pair{64, DBResult{DBIERR_NONE}}, std::pair{65, DBResult{errInvalidFieldType}}}) {
        SCOPED_TRACE(elements);
        DSFLDDesc d[2] = {makeDescriptor("A", fldARRAY, elements),
                          makeDescriptor("S", fldZSTRING, 65530)};
        auto table = createDSBase();
        EXPECT_EQ(table->defineTable(2, d, "T"), result);
    }
}

}  // namespace
