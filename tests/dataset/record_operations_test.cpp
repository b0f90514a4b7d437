#include <gtest/gtest.h>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/Streams.h"
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

// The 20 values the entry page appends: name, country and the rest empty.
std::vector<TVarRec> station(const std::u16string& name) {
    std::vector<TVarRec> values(20, TVarRec::unicode(u""));
    values[0] = TVarRec::unicode(name);
    values[1] = TVarRec::unicode(u"中国");
    return values;
}

class RecordOperations : public ::testing::Test {
  protected:
    void SetUp() override {
        addStationFieldDefs(ds);
        ds.CreateDataSet();
    }
    void addStations(std::initializer_list<const char16_t*> names) {
        for (auto n : names) ds.AppendRecord(station(n));
    }
    std::string current() { return u8(ds.FieldByName(u"电台名称")->AsString()); }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        ds.First();
        while (!ds.Eof()) {
            out.push_back(current());
            ds.Next();
        }
        return out;
    }
    TClientDataSet ds{u"ClientDataSet1"};
};

TEST_F(RecordOperations, EmptyDatasetState) {
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(errorOf([&] { ds.Delete(); }),
              "ClientDataSet1: Cannot perform this operation on an empty dataset");
    EXPECT_EQ(errorOf([&] { ds.Post(); }), "ClientDataSet1: Dataset not in edit or insert mode");
}

TEST_F(RecordOperations, EditOnEmptyTableInsertsAndAppendRecordCancelsIt) {
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_FALSE(ds.Modified());
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.AppendRecord(station(u"A"));
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(ds.UpdateStatus(), usInserted);
    // every field was assigned: strings hold values, the time and integer fields are null
    EXPECT_FALSE(ds.FieldByName(u"微博")->IsNull());
    EXPECT_TRUE(ds.FieldByName(u"开始时间")->IsNull());
    EXPECT_TRUE(ds.FieldByName(u"间隔")->IsNull());
    ds.MergeChangeLog();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.UpdateStatus(), usUnmodified);
}

TEST_F(RecordOperations, AppendRecordAfterAnEditCancelsTheEditAndBecomesCurrent) {
    addStations({u"A", u"B"});
    ds.MergeChangeLog();
    ds.First();
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"changed");
    ds.Cancel();
    ds.Edit();
    ds.AppendRecord(station(u"C"));
    EXPECT_EQ(current(), "C");
    EXPECT_EQ(ds.RecNo(), ds.RecordCount());
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(RecordOperations, EditAndMergeWithoutPostStoresTheChange) {
    addStations({u"A", u"B", u"C"});
    ds.MergeChangeLog();
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"B2");
    ds.MergeChangeLog();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(current(), "B2");
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B2", "C"}));
}

TEST_F(RecordOperations, EditWithUnchangedValuesStoresNothing) {
    addStations({u"A"});
    ds.MergeChangeLog();
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"A");
    ds.Post();
    EXPECT_EQ(ds.ChangeCount(), 0);
    ds.Edit();
    ds.MergeChangeLog();  // nothing written: the edit is cancelled
    EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(RecordOperations, DeleteMakesTheFollowingOrPreviousRecordCurrent) {
    addStations({u"A", u"B", u"C", u"D"});
    ds.MergeChangeLog();
    ds.SetRecNo(2);
    ds.Delete();
    EXPECT_EQ(current(), "C");
    EXPECT_EQ(ds.RecNo(), 2);
    ds.Last();
    ds.Delete();
    EXPECT_EQ(current(), "C");
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.RecNo(), ds.RecordCount());
    ds.First();
    ds.Delete();
    ds.Delete();
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_EQ(ds.RecNo(), 1);  // the deleted record's number stays in the buffer
}

TEST_F(RecordOperations, PriorOnFirstAndNextOnLastStayPut) {
    addStations({u"A", u"B"});
    ds.First();
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(current(), "A");
    ds.Last();
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(current(), "B");
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(ds.MoveBy(-5), -1);
    EXPECT_EQ(current(), "A");
}

TEST_F(RecordOperations, InsertGoesInFrontOfTheCurrentRecordAndAppendAfterTheLast) {
    addStations({u"A", u"B", u"C"});
    ds.SetRecNo(2);
    ds.Insert();
    ds.FieldByName(u"电台名称")->SetAsString(u"new");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "new", "B", "C"}));
    ds.Append();
    ds.FieldByName(u"电台名称")->SetAsString(u"last");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 5);
    ds.SetRecNo(3);
    ds.Insert();
    ds.Cancel();
    EXPECT_EQ(current(), "B");
    ds.Append();
    ds.Cancel();
    EXPECT_EQ(current(), "last");
}

TEST_F(RecordOperations, AppendRecordValueCounts) {
    std::vector<TVarRec> few = {TVarRec::unicode(u"A"), TVarRec::unicode(u"X")};
    ds.AppendRecord(few);
    EXPECT_TRUE(ds.FieldByName(u"电台类别")->IsNull());  // unassigned
    std::vector<TVarRec> many(21, TVarRec::unicode(u"v"));
    EXPECT_EQ(errorOf([&] { ds.AppendRecord(many); }), "Argument out of range");
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(current(), "A");
}

// AppendRecords is AppendRecord record by record with one window update at the end: the same
// table to the byte (values cut, a NUL, trailing blanks, Chinese, empty), the same change log
// and the same current record. With a hook set it runs the hook for every record, and an error
// in the middle leaves the records before it.
TEST_F(RecordOperations, AppendRecordsIsAppendRecordOneByOne) {
    std::vector<std::vector<TVarRec>> records;
    for (const char16_t* name :
         {u"一", u"A name longer than twenty bytes", u"trailing  ", u"", u"末"})
        records.push_back(station(name));
    records[2][8] = TVarRec::unicode(std::u16string(u"http://a\0b", 10));
    records[3][12] = TVarRec::unicode(u"42");

    addStations({u"before"});
    TClientDataSet oneByOne(u"ClientDataSet1");
    addStationFieldDefs(oneByOne);
    oneByOne.CreateDataSet();
    oneByOne.AppendRecord(station(u"before"));
    for (const auto& record : records) oneByOne.AppendRecord(record);
    ds.AppendRecords(records);

    EXPECT_EQ(ds.RecNo(), oneByOne.RecNo());
    EXPECT_EQ(ds.RecordCount(), oneByOne.RecordCount());
    EXPECT_EQ(ds.ChangeCount(), oneByOne.ChangeCount());
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(current(), "末");
    TMemoryStream bulk, single;
    ds.SaveToStream(bulk);
    oneByOne.SaveToStream(single);
    EXPECT_EQ(bulk.Bytes(), single.Bytes());

    int posts = 0;
    ds.AfterPost = [&posts](TClientDataSet&) { ++posts; };
    ds.AppendRecords(records);
    EXPECT_EQ(posts, 5);
    ds.AfterPost = nullptr;

    std::vector<std::vector<TVarRec>> failing = {station(u"ok"), station(u"bad"),
                                                 station(u"never")};
    failing[1][12] = TVarRec::unicode(u"not a number");
    EXPECT_EQ(errorOf([&] { ds.AppendRecords(failing); }),
              "'not a number' is not a valid integer value for field '间隔'");
    EXPECT_EQ(ds.RecordCount(), 12);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(current(), "ok");
}

// The preview reads every name in one pass: it must read what a walk with Next reads, from the
// current record on, and leave the dataset where it was.
// Texts in the code page, appended straight to the engine, give what AppendRecords gives the same
// texts as narrow strings: each cut at a NUL and to its field's size without splitting a
// double-byte character, trailing blanks dropped, empty time and integer values null.
TEST_F(RecordOperations, AppendTextRecordsIsAppendRecordsOfTheNarrowTexts) {
    const std::vector<std::string> names = {
        unicodeToAnsi(u"一"),
        unicodeToAnsi(u"a" + std::u16string(10, u'中')),  // 21 bytes
        "trailing  ",
        std::string("na\0me", 6),
        "",
        unicodeToAnsi(u"末")};
    const auto texts = [&](bool withInterval) {
        std::vector<std::string> all;
        for (const std::string& name : names) {
            std::vector<std::string> record(20);
            record[0] = name;
            record[1] = unicodeToAnsi(u"中国");
            record[8] = "http://a.example/" + name;
            if (withInterval) record[12] = "42";
            all.insert(all.end(), record.begin(), record.end());
        }
        return all;
    };
    const auto narrow = [](const std::vector<std::string>& all) {
        std::vector<std::vector<TVarRec>> records(all.size() / 20, std::vector<TVarRec>(20));
        for (std::size_t i = 0; i < all.size(); ++i) {
            records[i / 20][i % 20].VType = vtAnsiString;
            records[i / 20][i % 20].VAnsi = all[i];
        }
        return records;
    };

    for (const bool withInterval : {false, true}) {  // an integer text takes the field's way
        SCOPED_TRACE(withInterval);
        TClientDataSet direct(u"ClientDataSet1"), viaFields(u"ClientDataSet1");
        for (TClientDataSet* table : {&direct, &viaFields}) {
            addStationFieldDefs(*table);
            table->CreateDataSet();
            table->AppendRecord(station(u"before"));
        }
        const std::vector<std::string> all = texts(withInterval);
        const std::vector<std::string_view> views(all.begin(), all.end());
        direct.AppendTextRecords(views);
        viaFields.AppendRecords(narrow(all));

        EXPECT_EQ(direct.RecNo(), viaFields.RecNo());
        EXPECT_EQ(direct.RecordCount(), 7);
        EXPECT_EQ(direct.ChangeCount(), viaFields.ChangeCount());
        EXPECT_EQ(direct.State(), dsBrowse);
        EXPECT_EQ(direct.Eof(), viaFields.Eof());
        EXPECT_EQ(u8(direct.FieldByName(u"电台名称")->AsString()), "末");
        TMemoryStream a, b;
        direct.SaveToStream(a);
        viaFields.SaveToStream(b);
        EXPECT_EQ(a.Bytes(), b.Bytes());
        direct.SetRecNo(3);
        EXPECT_EQ(u8(direct.FieldByName(u"电台名称")->AsString()), "a中中中中中中中中中")
            << "cut to 19 bytes: the tenth 中 would straddle the limit";
        EXPECT_TRUE(direct.FieldByName(u"开始时间")->IsNull());
    }

    // With a hook set, each record goes through the fields and its hooks run.
    int posts = 0;
    ds.AfterPost = [&posts](TClientDataSet&) { ++posts; };
    const std::vector<std::string> all = texts(false);
    ds.AppendTextRecords(std::vector<std::string_view>(all.begin(), all.end()));
    EXPECT_EQ(posts, 6);
    ds.AfterPost = nullptr;

    EXPECT_EQ(errorOf([&] {
                  const std::vector<std::string_view> odd(21);
                  ds.AppendTextRecords(odd);
              }),
              "Argument out of range");
}

TEST_F(RecordOperations, ReadTextsToEndReadsWhatAWalkWithNextReads) {
    addStations({u"甲台", u"乙台", u"", u"ABC",
                 u"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"});
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName(u"电台名称")->Clear();  // a null name reads as the empty text
    ds.Post();
    ds.MergeChangeLog();
    ds.First();
    ds.Next();
    ASSERT_TRUE(ds.FieldByName(u"电台名称")->IsNull());
    TField& name = *ds.FieldByName(u"电台名称");
    for (int start = 1; start <= 5; ++start) {
        ds.First();
        ds.MoveBy(start - 1);
        ASSERT_FALSE(ds.Eof());
        std::vector<std::u16string> read;
        ASSERT_TRUE(ds.ReadTextsToEnd(name, [&read](std::u16string&& t) { read.push_back(t); }));
        EXPECT_EQ(ds.RecNo(), start);
        std::vector<std::u16string> walked;
        while (!ds.Eof()) {
            walked.push_back(name.AsString());
            ds.Next();
        }
        EXPECT_EQ(read, walked) << "from record " << start;
    }
    // Nothing is read past the end, while editing, or of a field that is not a string.
    auto refused = [&](const TField& field) {
        return !ds.ReadTextsToEnd(field, [](std::u16string&&) { ADD_FAILURE(); });
    };
    // At the end a walk reads nothing, and so does this.
    EXPECT_TRUE(ds.ReadTextsToEnd(name, [](std::u16string&&) { ADD_FAILURE(); }));
    ds.First();
    ds.Edit();
    EXPECT_TRUE(refused(name));
    ds.Cancel();
    for (int i = 0; i < ds.Fields().Count(); ++i) {
        const TField& field = *ds.Fields()[i];
        if (dynamic_cast<const TStringField*>(&field) == nullptr) {
            EXPECT_TRUE(refused(field));
        }
    }
}

TEST_F(RecordOperations, SettingASavePointBackUndoesTheChangesAfterIt) {
    addStations({u"A", u"B"});
    ds.MergeChangeLog();
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"B2");
    ds.Post();
    const std::int32_t savePoint = ds.SavePoint();
    addStations({u"C", u"D"});
    ds.First();
    ds.Delete();
    ds.Last();
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"D2");
    ds.Post();
    ASSERT_EQ(names(), (std::vector<std::string>{"B2", "C", "D2"}));

    ds.SetSavePoint(savePoint);
    EXPECT_EQ(names(), (std::vector<std::string>{"A", "B2"}));
    EXPECT_EQ(ds.ChangeCount(), 1);  // the edit before the save point stays
    ds.First();
    EXPECT_EQ(current(), "A");
    EXPECT_NE(errorOf([&] { ds.SetSavePoint(savePoint + 100); }), "<no exception>");
}

TEST_F(RecordOperations, ApplyUpdatesWithoutProvider) {
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    addStations({u"A"});
    EXPECT_EQ(errorOf([&] { ds.ApplyUpdates(-1); }),
              "ClientDataSet1: Missing data provider or data packet");
    ds.MergeChangeLog();
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
}

TEST_F(RecordOperations, RecNoOutOfRangeRaisesTheEngineText) {
    addStations({u"A"});
    EXPECT_EQ(errorOf([&] { ds.SetRecNo(5); }), "At end of table.");
    EXPECT_EQ(errorOf([&] { ds.SetRecNo(0); }), "At beginning of table.");
}

// A refused move leaves the dataset on the record it was on, so the next step moves from there.
TEST_F(RecordOperations, FailedRecNoWriteStaysOnTheCurrentRecord) {
    addStations({u"A", u"B", u"C"});
    struct Case {
        std::int32_t target;
        void (TClientDataSet::*step)();
        const char* after;
    };
    for (const Case& c :
         {Case{9, &TClientDataSet::Next, "C"}, Case{9, &TClientDataSet::Prior, "A"},
          Case{0, &TClientDataSet::Next, "C"}, Case{-3, &TClientDataSet::Prior, "A"}}) {
        SCOPED_TRACE(c.target);
        ds.SetRecNo(2);
        EXPECT_NE(errorOf([&] { ds.SetRecNo(c.target); }), "<no exception>");
        EXPECT_EQ(current(), "B");
        EXPECT_EQ(ds.RecNo(), 2);
        (ds.*c.step)();
        EXPECT_EQ(current(), c.after);
        EXPECT_FALSE(ds.Eof());
        EXPECT_FALSE(ds.Bof());
    }
}

TEST(ClosedDataSet, OperationsRequireAnOpenDataset) {
    TClientDataSet ds(u"ClientDataSet1");
    EXPECT_EQ(errorOf([&] { ds.RecordCount(); }),
              "ClientDataSet1: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(errorOf([&] { ds.First(); }),
              "ClientDataSet1: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(ds.ChangeCount(), 0);
}

}  // namespace
