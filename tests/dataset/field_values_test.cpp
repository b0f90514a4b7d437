#include <gtest/gtest.h>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "tests/dataset/StationDataSet.h"

namespace {

std::string u8(const std::u16string& s) {
    return utf16ToUtf8(s);
}

template <typename F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return u8(e.Message());
    }
    return "<no exception>";
}

class FieldValues : public ::testing::Test {
  protected:
    void SetUp() override {
        addStationFieldDefs(ds);
        ds.CreateDataSet();
        ds.Edit();  // on the empty table this begins an insert
    }
    TField* field(const char16_t* name) { return ds.FieldByName(name); }
    TClientDataSet ds{u"ClientDataSet1"};
};

TEST_F(FieldValues, EmptyTextIsAValueForStringsAndNullForTimesAndIntegers) {
    field(u"电台名称")->SetAsString(u"");
    field(u"开始时间")->SetAsString(u"");
    field(u"间隔")->SetAsString(u"");
    EXPECT_FALSE(field(u"电台名称")->IsNull());
    EXPECT_EQ(field(u"电台名称")->AsVariant(), Variant::AnsiString(""));
    for (const char16_t* name : {u"开始时间", u"间隔"}) {
        EXPECT_TRUE(field(name)->IsNull());
        EXPECT_EQ(field(name)->AsString(), u"");
        EXPECT_TRUE(field(name)->AsVariant().IsNull());
    }
    // a field never assigned reads as null
    EXPECT_TRUE(field(u"微博")->IsNull());
}

TEST_F(FieldValues, TextIsCutToTheFieldSizeInBytesWithoutSplittingACharacter) {
    struct Case {
        std::u16string text;
        std::string stored;  // code page 936 bytes
    };
    const std::u16string eleven(11, u'电');  // 22 bytes
    const Case cases[] = {
        {u"abcdefghijklmnopqrstu", "abcdefghijklmnopqrst"},  // 21 bytes keep 20
        {eleven, unicodeToAnsi(std::u16string(10, u'电'))},  // 10 characters
        {u"abcdefghijklmnopqrs电", "abcdefghijklmnopqrs"},   // 21st byte would split
        {std::u16string(u"ab\0cd", 5), "ab"},                // cut at the NUL
        {u"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},   // exactly the width
    };
    for (const auto& c : cases) {
        field(u"电台名称")->SetAsString(c.text);
        EXPECT_EQ(field(u"电台名称")->AsAnsiString(), c.stored) << u8(c.text);
    }
}

TEST_F(FieldValues, CharactersTheCodePageLacksBecomeQuestionMarks) {
    field(u"电台国家")->SetAsString(u"a😀b");
    EXPECT_EQ(field(u"电台国家")->AsString(), u"a?b");
    field(u"电台国家")->SetAsString(u"中国");
    EXPECT_EQ(field(u"电台国家")->AsString(), u"中国");
    EXPECT_EQ(field(u"电台国家")->AsAnsiString(), "\xD6\xD0\xB9\xFA");
}

TEST_F(FieldValues, TimesAndIntegersParseAndFormat) {
    field(u"开始时间")->SetAsString(u"12:30:00");
    std::int32_t ms = 0;
    ASSERT_TRUE(field(u"开始时间")->GetData(&ms));
    EXPECT_EQ(ms, 45'000'000);
    EXPECT_EQ(field(u"开始时间")->AsString(), u"12:30:00");
    EXPECT_NEAR(field(u"开始时间")->AsDateTime(), 0.5208333333, 1e-9);
    EXPECT_TRUE(field(u"开始时间")->AsVariant().IsDateTime());

    field(u"间隔")->SetAsString(u"-42");
    EXPECT_EQ(field(u"间隔")->AsInteger(), -42);
    EXPECT_EQ(field(u"间隔")->AsString(), u"-42");
    EXPECT_EQ(field(u"间隔")->AsVariant(), Variant::Integer(-42));
}

TEST_F(FieldValues, BadValuesRaiseTheirMessagesAndKeepThePreviousValue) {
    field(u"间隔")->SetAsInteger(7);
    field(u"开始时间")->SetAsString(u"1:00:00");
    EXPECT_EQ(errorOf([&] { field(u"间隔")->SetAsString(u"abc"); }),
              "'abc' is not a valid integer value for field '间隔'");
    EXPECT_EQ(errorOf([&] { field(u"开始时间")->SetAsString(u"25:00"); }),
              "'25:00' is not a valid time");
    EXPECT_EQ(errorOf([&] { field(u"间隔")->SetAsLargeInt(3000000000LL); }),
              "3000000000 is not a valid value for field '间隔'. The allowed range is -2147483648 "
              "to 2147483647");
    EXPECT_EQ(errorOf([&] { field(u"开始时间")->SetAsInteger(1); }),
              "Cannot access field '开始时间' as type Integer");
    TVarRec pointer;
    pointer.VType = vtPointer;
    pointer.VPointer = &ds;
    EXPECT_EQ(errorOf([&] { field(u"电台名称")->AssignValue(pointer); }),
              "Invalid value for field '电台名称'");
    EXPECT_EQ(field(u"间隔")->AsInteger(), 7);
    EXPECT_EQ(field(u"开始时间")->AsString(), u"1:00:00");
}

TEST_F(FieldValues, AssignValueByTag) {
    TVarRec integer = TVarRec::integer(12);
    field(u"间隔")->AssignValue(integer);
    EXPECT_EQ(field(u"间隔")->AsInteger(), 12);
    TVarRec nilPointer;
    nilPointer.VType = vtPointer;
    field(u"间隔")->AssignValue(nilPointer);  // nothing happens
    EXPECT_EQ(field(u"间隔")->AsInteger(), 12);
    TVarRec empty;
    empty.VType = vtVariant;
    field(u"间隔")->AssignValue(empty);  // an unassigned variant changes nothing
    EXPECT_EQ(field(u"间隔")->AsInteger(), 12);
    TVarRec wide;
    wide.VType = vtWideChar;
    wide.VWideChar = u'台';
    field(u"电台名称")->AssignValue(wide);
    EXPECT_EQ(field(u"电台名称")->AsString(), u"台");
}

TEST(FieldLookup, FindsFieldsByNameIgnoringCaseAndRefusesWritesInBrowseState) {
    TClientDataSet ds(u"ClientDataSet1");
    ds.FieldDefs().Add(u"Name", ftString, 10);
    addStationFieldDefs(ds);
    ds.CreateDataSet();
    EXPECT_EQ(ds.FieldByName(u"NAME"), ds.Fields()[0]);
    EXPECT_EQ(ds.FindField(u"x"), nullptr);
    EXPECT_EQ(errorOf([&] { ds.FieldByName(u"x"); }), "ClientDataSet1: Field 'x' not found");
    EXPECT_EQ(errorOf([&] { ds.FieldByName(u"Name")->SetAsString(u"a"); }),
              "ClientDataSet1: Dataset not in edit or insert mode");
    EXPECT_EQ(errorOf([&] { ds.GetFieldValue(u"Name;y"); }), "ClientDataSet1: Field 'y' not found");
}

}  // namespace
