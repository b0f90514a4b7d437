#include <gtest/gtest.h>

#include <cstring>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldDescriptors.h"
#include "engine/EngineFactory.h"
#include "platform/Unicode.h"
#include "tests/dataset/StationDataSet.h"

namespace {

std::string u8(const std::u16string& s) {
    return utf16ToUtf8(s);
}

template <typename E, typename F>
std::string messageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return u8(e.Message());
    }
    return "<no exception>";
}

TEST(FieldDefs, AddFailuresRaiseTheirMessagesAndLeaveTheCollectionUnchanged) {
    TClientDataSet ds(u"ClientDataSet1");
    addStationFieldDefs(ds);
    ds.FieldDefs().Add(u"Name", ftString, 5);
    struct Case {
        std::u16string name;
        TFieldType type;
        int size;
        std::string message;
    };
    const Case cases[] = {
        {u"", ftString, 20, "ClientDataSet1: Field name missing"},
        {u"电台名称", ftString, 20, "Duplicate name '电台名称' in TFieldDefs"},
        {u"NAME", ftInteger, 0, "Duplicate name 'NAME' in TFieldDefs"},
        {u"Interval", ftInteger, 4, "Invalid field size"},
        {u"Start", ftTime, 8, "Invalid field size"},
        {u"Text", ftString, -1, "Invalid field size"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(messageOf<EDatabaseError>([&] { ds.FieldDefs().Add(c.name, c.type, c.size); }),
                  c.message);
        EXPECT_EQ(ds.FieldDefs().Count(), 21);
    }
    EXPECT_EQ(ds.FieldDefs().IndexOf(u"Interval"), -1);
}

TEST(FieldDefs, FindAndIndexOfIgnoreCase) {
    TClientDataSet ds(u"ClientDataSet1");
    ds.FieldDefs().Add(u"Alpha", ftString, 5);
    ds.FieldDefs().Add(u"电台名称", ftString, 20);
    EXPECT_EQ(ds.FieldDefs().IndexOf(u"ALPHA"), 0);
    EXPECT_EQ(ds.FieldDefs().IndexOf(u"电台名称"), 1);
    EXPECT_EQ(ds.FieldDefs().Find(u"alpha").Size(), 5);
    EXPECT_EQ(messageOf<EDatabaseError>([&] { ds.FieldDefs().Find(u"Beta"); }),
              "ClientDataSet1: Field 'Beta' not found");
    ds.FieldDefs().Clear();
    EXPECT_EQ(ds.FieldDefs().IndexOf(u"Alpha"), -1);
}

TEST(FieldDefs, TypeSetsItsDefaultSizeBeforeTheCallersSize) {
    TClientDataSet ds(u"D");
    EXPECT_EQ(ds.FieldDefs().Add(u"S", ftString).Size(), 0);  // the caller's size 0 wins
    TFieldDef& def = ds.FieldDefs().AddFieldDef();
    def.SetDataType(ftString);
    EXPECT_EQ(def.Size(), 20);
    def.SetDataType(ftFixedWideChar);
    EXPECT_EQ(def.Size(), 40);
    def.SetDataType(ftInteger);
    EXPECT_EQ(def.Size(), 0);
}

TEST(FieldDefs, NameHashIsComputedOnUpperCase) {
    EXPECT_EQ(nameHash(u""), 0u);
    EXPECT_EQ(nameHash(u"a"), nameHash(u"A"));
    EXPECT_EQ(nameHash(u"AB"), (0x41u << 5) ^ 0x42u);
    // rotation, not shift: the high bits come round
    std::uint32_t h = 0;
    for (char16_t c : std::u16string(u"ABCDEFGH")) h = c ^ ((h << 5) | (h >> 27));
    EXPECT_EQ(nameHash(u"abcdefgh"), h);
}

TEST(FieldDescriptors, StationDefinitionsEncodeAsTheEngineExpects) {
    TClientDataSet ds(u"ClientDataSet1");
    addStationFieldDefs(ds);
    auto descriptors = fieldDefsToDescriptors(ds.FieldDefs());
    ASSERT_EQ(descriptors.size(), 20u);
    const auto& defs = stationFieldDefs();
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        const DSFLDDesc& d = descriptors[i];
        EXPECT_EQ(utf8ToUtf16(d.szName), defs[i].name);
        EXPECT_EQ(d.iFldType, defs[i].type == ftString ? 1 : defs[i].type == ftTime ? 10 : 6);
        EXPECT_EQ(d.iFldSubType, 0);
        EXPECT_EQ(d.iUnits1, defs[i].type == ftString ? defs[i].size : 0);
        EXPECT_EQ(d.iUnits2 | d.iFldLen | d.iFldOffsInRec | d.iNullOffsInRec | d.iFieldID |
                      d.bCalculated | d.iFldAttr | d.iOptParameters,
                  0);
    }
    // "编码率" is 9 UTF-8 bytes, "自定义1" 10
    EXPECT_EQ(std::string(descriptors[3].szName).size(), 9u);
    EXPECT_EQ(std::string(descriptors[18].szName).size(), 10u);
}

TEST(FieldDescriptors, TypeUnitsAndNameCutting) {
    TClientDataSet ds(u"D");
    auto& bcd = ds.FieldDefs().Add(u"Amount", ftBCD, 2);
    bcd.SetPrecision(10);
    ds.FieldDefs().Add(u"Wide", ftWideString, 15);
    ds.FieldDefs().Add(u"Fixed", ftFixedChar, 8);
    ds.FieldDefs().Add(u"Auto", ftAutoInc);
    ds.FieldDefs().Add(std::u16string(11, u'电'), ftInteger);  // 33 UTF-8 bytes
    auto d = fieldDefsToDescriptors(ds.FieldDefs());
    EXPECT_EQ(d[0].iFldType, 8);
    EXPECT_EQ(d[0].iUnits1, 10);
    EXPECT_EQ(d[0].iUnits2, 2);
    EXPECT_EQ(d[1].iFldType, 0x1007);
    EXPECT_EQ(d[1].iUnits1, 30);
    EXPECT_EQ(d[2].iFldSubType, 31);
    EXPECT_EQ(d[3].iFldType, 6);
    EXPECT_EQ(d[3].iFldSubType, 29);
    EXPECT_EQ(std::string(d[4].szName).size(), 31u);  // cut inside the eleventh character
}

TEST(CreateDataSet, StationTableOpensEmptyWithItsFieldObjects) {
    TClientDataSet ds(u"ClientDataSet1");
    addStationFieldDefs(ds);
    ds.CreateDataSet();
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    ASSERT_EQ(ds.Fields().Count(), 20);
    const auto& defs = stationFieldDefs();
    for (int i = 0; i < 20; ++i) {
        TField* f = ds.Fields()[i];
        EXPECT_EQ(f->FieldName(), defs[i].name);
        EXPECT_EQ(f->FieldNo(), i + 1);
        EXPECT_EQ(f->DataType(), defs[i].type);
        EXPECT_EQ(f->Size(), defs[i].size);
        const char16_t* cls = defs[i].type == ftString ? u"TStringField"
                              : defs[i].type == ftTime ? u"TTimeField"
                                                       : u"TIntegerField";
        EXPECT_EQ(f->ClassName(), cls);
    }
    // definitions are read back from the engine, with their field numbers
    EXPECT_EQ(ds.FieldDefs().Count(), 20);
    EXPECT_EQ(ds.FieldDefs()[12].FieldNo(), 13);
    EXPECT_EQ(ds.FieldDefs()[12].DataType(), ftInteger);
    // record buffer layout: 514-byte engine record, record info at 514, bookmark at 520
    EXPECT_EQ(ds.RecordSize(), 514);
    EXPECT_EQ(ds.RecInfoOfs(), 514);
    EXPECT_EQ(ds.BookmarkOfs(), 520);
    EXPECT_EQ(ds.RecBufSize(), 540);
    EXPECT_EQ(ds.IOBufferSize(), 8193u);
    // engine table properties set on creation
    std::uint32_t value = 0;
    ds.DSBase()->getProperty(propCodePage, &value);
    EXPECT_EQ(value, 936u);
    ds.DSBase()->getProperty(propUtf8Metadata, &value);
    EXPECT_EQ(value, 1u);
    ds.DSBase()->getProperty(propUtf8ErrorText, &value);
    EXPECT_EQ(value, 1u);
}

TEST(CreateDataSet, RefusesWithoutDefinitionsOrWhenOpen) {
    TClientDataSet ds(u"ClientDataSet1");
    EXPECT_EQ(messageOf<EDatabaseError>([&] { ds.CreateDataSet(); }),
              "No fields defined.  Cannot create dataset");
    EXPECT_FALSE(ds.Active());
    addStationFieldDefs(ds);
    ds.CreateDataSet();
    EXPECT_EQ(messageOf<EDatabaseError>([&] { ds.CreateDataSet(); }),
              "ClientDataSet1: Cannot perform this operation on an open dataset");
}

TEST(CreateDataSet, EngineFailureRaisesEDBClientAndReleasesTheTable) {
    TClientDataSet ds(u"ClientDataSet1");
    ds.FieldDefs().Add(u"Empty", ftString, 0);
    try {
        ds.CreateDataSet();
        FAIL() << "no exception";
    } catch (const EDBClient& e) {
        EXPECT_EQ(u8(e.Message()), "Invalid parameter.");  // no dataset prefix
        EXPECT_EQ(e.ErrorCode(), errInvalidParameter);
    }
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(ds.DSBase(), nullptr);
    EXPECT_EQ(ds.FieldDefs().Count(), 1);  // the definitions stay
}

TEST(CreateDataSet, LongNamesComeBackThroughTheFieldNameParameter) {
    TClientDataSet ds(u"ClientDataSet1");
    const std::u16string ascii40 = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    const std::u16string cjk11(11, u'电');
    ds.FieldDefs().Add(ascii40, ftString, 5);
    ds.FieldDefs().Add(cjk11, ftInteger);
    ds.CreateDataSet();
    std::uint32_t type = 0, length = 0;
    ASSERT_EQ(ds.DSBase()->getOptionalParameter(1, "FIELDNAME", &type, &length, nullptr),
              DBIERR_NONE);
    EXPECT_EQ(type, 0x80490002u);
    EXPECT_EQ(length, 41u);
    EXPECT_EQ(ds.Fields()[0]->FieldName(), ascii40);
    // the CJK name is cut inside a character, so its cut form does not decode to 31 characters
    EXPECT_NE(ds.Fields()[1]->FieldName(), cjk11);
    EXPECT_EQ(ds.Fields()[1]->FieldName().substr(0, 10), cjk11.substr(0, 10));
}

TEST(OpenDataSet, DescriptorsWithEqualNamesGetNumberedSuffixes) {
    // Three fields whose names become equal only after cutting to 31 bytes.
    TClientDataSet ds(u"ClientDataSet1");
    const std::u16string base(31, u'x');
    ds.FieldDefs().Add(base + u"1", ftInteger);
    ds.FieldDefs().Add(base + u"2", ftInteger);
    ds.FieldDefs().Add(base, ftInteger);
    ASSERT_NO_THROW(ds.CreateDataSet());
    // the first two come back whole through FIELDNAME; the third keeps its 31 characters
    EXPECT_EQ(ds.Fields()[0]->FieldName(), base + u"1");
    EXPECT_EQ(ds.Fields()[2]->FieldName(), base);
}

TEST(OpenDataSet, EngineDescriptorsThatDecodeToEqualNames) {
    // A table defined directly on the engine with three fields named A.
    TClientDataSet ds(u"ClientDataSet1");
    for (const char16_t* n : {u"A", u"B", u"C"}) ds.FieldDefs().Add(n, ftInteger);
    auto descriptors = fieldDefsToDescriptors(ds.FieldDefs());
    for (auto& d : descriptors) std::strcpy(d.szName, "A");
    auto engine = createDSBase();
    ASSERT_EQ(engine->defineTable(3, descriptors.data(), "T"), DBIERR_NONE);
    TFieldDefs defs(&ds);
    descriptorsToFieldDefs(*engine, defs, &TClientDataSet::raiseEngineError);
    ASSERT_EQ(defs.Count(), 3);
    EXPECT_EQ(u8(defs[0].Name()), "A");
    EXPECT_EQ(u8(defs[1].Name()), "A_1");
    EXPECT_EQ(u8(defs[2].Name()), "A_2");
    EXPECT_EQ(defs[2].FieldNo(), 3);
}

TEST(Messages, PrefixRules) {
    TComponent form(u"Form1");
    TComponent owned(u"ClientDataSet1", &form, false);
    TComponent sub(u"Inner", &form, true);
    TComponent unnamed(u"");
    EXPECT_EQ(u8(prefixedMessage(u"M", &owned)), "ClientDataSet1: M");
    EXPECT_EQ(u8(prefixedMessage(u"M", &sub)), "Form1.Inner: M");
    EXPECT_EQ(u8(prefixedMessage(u"M", &unnamed)), "M");
    EXPECT_EQ(u8(prefixedMessage(u"M", nullptr)), "M");
}

}  // namespace
