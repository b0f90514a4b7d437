#include <gtest/gtest.h>

#include <cstring>

#include "engine/EngineFactory.h"
#include "packet/SubtypeNames.h"
#include "tests/engine/StationTable.h"

namespace {

IDSBasePtr defineStationTable() {
    auto table = createDSBase();
    auto descriptors = stationDescriptors();
    EXPECT_EQ(table->defineTable(static_cast<std::uint32_t>(descriptors.size()), descriptors.data(),
                                 "ClientDataSet1"),
              DBIERR_NONE);
    return table;
}

TEST(TableDefinition, StationTableLayoutMatchesTheRecordFormat) {
    auto table = defineStationTable();
    DSTableInfo info;
    ASSERT_EQ(table->getTableInfo(&info), DBIERR_NONE);
    EXPECT_STREQ(info.szTableName, "ClientDataSet1");
    EXPECT_EQ(info.iFields, 20u);
    EXPECT_EQ(info.iRecBufSize, 514u);
    EXPECT_EQ(info.iBookMarkSize, 20u);

    std::vector<DSFLDDesc> fields(info.iFields);
    ASSERT_EQ(table->getFieldDescriptors(fields.data()), DBIERR_NONE);
    const int offsets[] = {0,   21,  32,  53,  74,  78,  82,  88,  109, 210,
                           221, 232, 243, 247, 258, 269, 280, 371, 472, 483};
    const auto& columns = stationColumns();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(columns[i].name);
        EXPECT_STREQ(fields[i].szName, columns[i].name.c_str());
        EXPECT_EQ(fields[i].iFldType, columns[i].type);
        const int expectedLen = columns[i].type == fldZSTRING ? columns[i].width + 1 : 4;
        EXPECT_EQ(fields[i].iFldLen, expectedLen);
        // a field of width 0 is reported with width 1
        EXPECT_EQ(fields[i].iUnits1, columns[i].width == 0 ? 1 : columns[i].width);
        EXPECT_EQ(fields[i].iFldOffsInRec, offsets[i]);
        EXPECT_EQ(fields[i].iNullOffsInRec, 494 + static_cast<int>(i));
        EXPECT_EQ(fields[i].iFieldID, i + 1);
        EXPECT_EQ(fields[i].iFieldIDParent, 0);
    }
    // the first name's UTF-8 bytes, then zero bytes up to 32
    const unsigned char name1[] = {0xe7, 0x94, 0xb5, 0xe5, 0x8f, 0xb0,
                                   0xe5, 0x90, 0x8d, 0xe7, 0xa7, 0xb0};
    EXPECT_EQ(std::memcmp(fields[0].szName, name1, sizeof name1), 0);
    for (std::size_t b = sizeof name1; b < 32; ++b) EXPECT_EQ(fields[0].szName[b], 0);
}

TEST(TableDefinition, SecondDefinitionChangesNothing) {
    auto table = defineStationTable();
    DSFLDDesc other = makeDescriptor("X", fldINT32, 0);
    EXPECT_EQ(table->defineTable(1, &other, "Other"), DBIERR_NONE);
    DSTableInfo info;
    table->getTableInfo(&info);
    EXPECT_EQ(info.iFields, 20u);
    EXPECT_STREQ(info.szTableName, "ClientDataSet1");
}

struct FailingDefinition {
    const char* what;
    DSFLDDesc field;
    DBResult expected;
};

TEST(TableDefinition, FailuresLeaveTheTableUndefined) {
    DSFLDDesc bigString = makeDescriptor("S", fldZSTRING, 0xFFFB);  // length 0xFFFC
    DSFLDDesc adt = makeDescriptor("A", fldADT, 0);
    DSFLDDesc nested = makeDescriptor("N", fldTABLE, 0);
    DSFLDDesc unknown = makeDescriptor("U", 30, 0);
    DSFLDDesc cursor = makeDescriptor("C", fldCURSOR, 0);
    const FailingDefinition cases[] = {
        {"string without width or length", makeDescriptor("S", fldZSTRING, 0), errInvalidParameter},
        {"bytes without width or length", makeDescriptor("B", fldBYTES, 0), errInvalidParameter},
        {"storage length above 65531", bigString, errInvalidFieldType},
        {"structure without children", adt, errInvalidFieldType},
        {"nested table without children", nested, errInvalidFieldType},
        {"type with no storage", unknown, errInvalidFieldType},
        {"cursor type", cursor, errInvalidFieldType},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = createDSBase();
        DSFLDDesc fields[2] = {makeDescriptor("OK", fldINT32, 0), c.field};
        EXPECT_EQ(table->defineTable(2, fields, "T"), c.expected);
        DSTableInfo info;
        table->getTableInfo(&info);
        EXPECT_EQ(info.iFields, 0u);
        EXPECT_EQ(info.iRecBufSize, 0u);
        // still undefined: a good definition now succeeds
        DSFLDDesc good = makeDescriptor("G", fldINT32, 0);
        EXPECT_EQ(table->defineTable(1, &good, "T"), DBIERR_NONE);
        table->getTableInfo(&info);
        EXPECT_EQ(info.iFields, 1u);
    }
}

TEST(TableDefinition, GivenLengthWinsOverWidth) {
    auto table = createDSBase();
    DSFLDDesc fields[2] = {makeDescriptor("S", fldZSTRING, 5), makeDescriptor("B", fldBYTES, 3)};
    fields[0].iFldLen = 9;
    fields[1].iFldLen = 7;
    ASSERT_EQ(table->defineTable(2, fields, "T"), DBIERR_NONE);
    DSFLDDesc out[2];
    table->getFieldDescriptors(out);
    EXPECT_EQ(out[0].iFldLen, 9);
    EXPECT_EQ(out[0].iUnits1, 8);
    EXPECT_EQ(out[1].iFldLen, 7);
    EXPECT_EQ(out[1].iUnits1, 7);
    EXPECT_EQ(out[1].iFldOffsInRec, 9);
}

TEST(TableDefinition, StorageLengthsByType) {
    struct Case {
        std::int32_t type, units1, len;
    };
    const Case cases[] = {
        {fldDATE, 0, 4},      {fldBOOL, 0, 2},       {fldINT16, 0, 2}, {fldFLOAT, 0, 8},
        {fldBCD, 0, 34},      {fldBCD, 5, 5},        {fldBCD, 32, 18}, {fldFMTBCD, 9, 7},
        {fldBLOB, 0, 4},      {fldFLOATIEEE, 0, 10}, {fldINT64, 0, 8}, {fldDATETIME, 0, 16},
        {fldSINGLE, 0, 4},    {fldINT8, 0, 2},       {fldUINT8, 0, 2}, {fldDATETIMEOFFSET, 0, 20},
        {fldUNICODE, 20, 22}, {fldVARBYTES, 30, 32}, {4099, 0, 2},     {4100, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " units " << c.units1);
        auto table = createDSBase();
        DSFLDDesc d = makeDescriptor("F", c.type, c.units1);
        ASSERT_EQ(table->defineTable(1, &d, "T"), DBIERR_NONE);
        DSFLDDesc out;
        table->getFieldDescriptors(&out);
        EXPECT_EQ(out.iFldLen, c.len);
        // a BLOB and a decimal keep width 0; every other type of width 0 is reported with
        // width 1
        const bool keepsZero = c.type == fldBLOB || c.type == fldBCD || c.type == fldFMTBCD;
        EXPECT_EQ(out.iUnits1, c.units1 != 0 ? c.units1 : (keepsZero ? 0 : 1));
    }
}

TEST(TableDefinition, ArrayFieldIsExpandedIntoNamedElements) {
    auto table = createDSBase();
    DSFLDDesc fields[3] = {makeDescriptor("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", fldARRAY, 3),
                           makeDescriptor("E", fldINT32, 0), makeDescriptor("Z", fldINT16, 0)};
    ASSERT_EQ(table->defineTable(3, fields, "T"), DBIERR_NONE);
    DSTableInfo info;
    table->getTableInfo(&info);
    ASSERT_EQ(info.iFields, 5u);
    EXPECT_EQ(info.iRecBufSize, 3u * 4 + 2 + 5);
    std::vector<DSFLDDesc> out(5);
    table->getFieldDescriptors(out.data());
    EXPECT_STREQ(out[1].szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01[0]");
    EXPECT_STREQ(out[3].szName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01[2]");
    EXPECT_EQ(out[2].iFieldIDParent, 1);
    EXPECT_EQ(out[4].iFieldIDParent, 0);
    EXPECT_EQ(out[4].iFldOffsInRec, 12);

    // reported as defined once property 11 is set
    ASSERT_EQ(table->setProperty(propUndefinedArrays, 1), DBIERR_NONE);
    table->getTableInfo(&info);
    ASSERT_EQ(info.iFields, 3u);
    table->getFieldDescriptors(out.data());
    EXPECT_STREQ(out[1].szName, "E");
    EXPECT_STREQ(out[2].szName, "Z");
    EXPECT_EQ(out[2].iFieldID, 5);
}

TEST(TableProperties, EveryServedIdHoldsItsValueAndOthersAreRefused) {
    auto table = defineStationTable();
    for (std::uint32_t id : {0u,  1u,  3u,  4u,  8u,  9u,  11u, 12u, 13u, 14u, 15u, 16u,
                             17u, 18u, 19u, 20u, 21u, 22u, 23u, 24u, 25u, 26u, 27u}) {
        SCOPED_TRACE(id);
        const std::uint32_t v = id == 27 ? 936 : (id == 19 || id == 24 ? 13 : 1);
        ASSERT_EQ(table->setProperty(id, v), DBIERR_NONE);
        std::uint32_t got = 0;
        ASSERT_EQ(table->getProperty(id, &got), DBIERR_NONE);
        EXPECT_EQ(got, v);
    }
    std::uint32_t value = 99;
    for (std::uint32_t id : {2u, 5u, 7u, 10u}) {
        EXPECT_EQ(table->setProperty(id, 1), errInvalidParameter) << id;
        EXPECT_EQ(table->getProperty(id, &value), DBIERR_NONE) << id;
        EXPECT_EQ(value, 0u) << id;  // empty table: no changes, no records, no delta, no save point
    }
    for (std::uint32_t id : {28u, 100u, 0xFFFFFFFFu}) {
        EXPECT_EQ(table->setProperty(id, 1), errInvalidParameter);
        EXPECT_EQ(table->getProperty(id, &value), errInvalidParameter);
    }
    // the station table has no auto-increment field
    ASSERT_EQ(table->getProperty(propNoAutoIncField, &value), DBIERR_NONE);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(table->setProperty(propNoAutoIncField, 1), errNotApplicable);
}

TEST(TableProperties, AutoIncrementFieldCanBeTurnedOff) {
    auto table = createDSBase();
    DSFLDDesc id = makeDescriptor("ID", fldINT32, 0);
    id.iFldSubType = subtypeAutoinc;
    ASSERT_EQ(table->defineTable(1, &id, "T"), DBIERR_NONE);
    std::uint32_t value = 1;
    table->getProperty(propNoAutoIncField, &value);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(table->setProperty(propNoAutoIncField, 1), DBIERR_NONE);
    table->getProperty(propNoAutoIncField, &value);
    EXPECT_EQ(value, 1u);
}

TEST(ErrorText, KnownCodesHaveTheirTextAndOthersAreNotFound) {
    auto table = createDSBase();
    char text[127];
    ASSERT_EQ(table->getErrorText(errAtBeginning, text, sizeof text), DBIERR_NONE);
    EXPECT_STREQ(text, "At beginning of table.");
    ASSERT_EQ(table->getErrorText(errFieldNameNull, text, sizeof text), DBIERR_NONE);
    EXPECT_STREQ(text, "Field name can't be null, datapacket may be corrupted");
    ASSERT_EQ(table->getErrorText(errXmlDelayedFetch, text, sizeof text), DBIERR_NONE);
    EXPECT_STREQ(text, "Delayed fetching not supported for XML.");
    EXPECT_EQ(table->getErrorText(0x1234, text, sizeof text), errObjectNotFound);
    EXPECT_EQ(table->getErrorText(0, text, sizeof text), errObjectNotFound);
}

TEST(OptionalParameters, AddGetAndDropByFieldAndName) {
    auto table = defineStationTable();
    const char name[] = "a long field name";
    ASSERT_EQ(table->addOptionalParameter(3, "FIELDNAME", 0x80490002u, sizeof name, name),
              DBIERR_NONE);
    EXPECT_EQ(table->addOptionalParameter(3, "fieldname", 0x80490002u, sizeof name, name),
              errNameNotUnique);
    std::uint32_t type = 0, length = 0;
    ASSERT_EQ(table->getOptionalParameter(3, "FieldName", &type, &length, nullptr), DBIERR_NONE);
    EXPECT_EQ(type, 0x80490002u);
    EXPECT_EQ(length, sizeof name);
    char buffer[64];
    length = sizeof buffer;
    ASSERT_EQ(table->getOptionalParameter(3, "FIELDNAME", &type, &length, buffer), DBIERR_NONE);
    EXPECT_STREQ(buffer, name);
    EXPECT_EQ(table->getOptionalParameter(4, "FIELDNAME", &type, &length, nullptr),
              errObjectNotFound);

    std::vector<DSFLDDesc> fields(20);
    table->getFieldDescriptors(fields.data());
    EXPECT_EQ(fields[2].iOptParameters, 1);
    EXPECT_EQ(fields[3].iOptParameters, 0);

    EXPECT_EQ(table->dropOptionalParameter(3, "FIELDNAME"), DBIERR_NONE);
    EXPECT_EQ(table->dropOptionalParameter(3, "FIELDNAME"), errObjectNotFound);
    EXPECT_EQ(table->addOptionalParameter(21, "X", 0x00020002u, 2, "\1\0"), errOutOfRange);
}

TEST(Cursor, OpensBeforeTheFirstRecordOfANewTable) {
    auto table = defineStationTable();
    auto cursor = createDSCursor();
    ASSERT_EQ(cursor->openOnTable(table), DBIERR_NONE);
    DSTableInfo info;
    ASSERT_EQ(cursor->getCursorInfo(&info), DBIERR_NONE);
    EXPECT_EQ(info.iRecBufSize, 514u);
    EXPECT_EQ(info.iBookMarkSize, 20u);
    EXPECT_EQ(info.iFields, 20u);
    EXPECT_EQ(cursor->moveBeforeFirst(), DBIERR_NONE);
    EXPECT_EQ(cursor->openOnTable(table), errNotApplicable);

    // the cursor keeps the table alive after the caller lets go of it
    std::weak_ptr<IDSBase> weak = table;
    table.reset();
    EXPECT_FALSE(weak.expired());
    cursor.reset();
    EXPECT_TRUE(weak.expired());
}

}  // namespace
