#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "dataset/ClientDataSet.h"
#include "dataset/Streams.h"
#include "platform/Unicode.h"
#include "tests/dataset/StationDataSet.h"

namespace fs = std::filesystem;

namespace {

std::vector<TVarRec> station(std::initializer_list<std::u16string> first) {
    std::vector<TVarRec> values(20, TVarRec::unicode(u""));
    std::size_t i = 0;
    for (const auto& v : first) values[i++] = TVarRec::unicode(v);
    return values;
}

// Every field of every row as text, with nulls marked.
std::vector<std::vector<std::string>> contents(TClientDataSet& ds) {
    std::vector<std::vector<std::string>> rows;
    ds.First();
    while (!ds.Eof()) {
        std::vector<std::string> row;
        for (int i = 0; i < ds.Fields().Count(); ++i) {
            TField* f = ds.Fields()[i];
            row.push_back(f->IsNull() ? "<null>" : utf16ToUtf8(f->AsString()));
        }
        rows.push_back(row);
        ds.Next();
    }
    return rows;
}

class XmlRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("rovena-xml-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        addStationFieldDefs(ds);
        ds.CreateDataSet();
        ds.AppendRecord(
            station({u"中央人民广播电台", u"中国", u"用户自定义", u"128k", u"8:30:00", u""}));
        ds.AppendRecord(station({u"Say \"hi\" & <go> \\", u"", u"", u"", u"", u"23:59:59"}));
        std::vector<TVarRec> partial = {TVarRec::unicode(u"partial")};  // the others unassigned
        ds.AppendRecord(partial);
        ds.MergeChangeLog();
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    TClientDataSet ds{u"ClientDataSet1"};
};

TEST_F(XmlRoundTrip, BothXmlFormsLoadBackTheSameRows) {
    const auto expected = contents(ds);
    for (TDataPacketFormat format : {dfXML, dfXMLUTF8}) {
        SCOPED_TRACE(static_cast<int>(format));
        const fs::path file = dir / (format == dfXML ? "stations.xml" : "stations-utf8.xml");
        ds.SaveToFile(utf8ToUtf16(file.string()), format);
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        ASSERT_EQ(text.rfind("<?xml", 0), 0u);
        TClientDataSet loaded(u"ClientDataSet1");
        loaded.LoadFromFile(utf8ToUtf16(file.string()));
        EXPECT_EQ(loaded.Fields().Count(), 20);
        EXPECT_EQ(contents(loaded), expected);
    }
}

TEST_F(XmlRoundTrip, BinaryToXmlToBinaryKeepsColumnsValuesAndStatuses) {
    // a pending change log travels too: one more insert, not merged
    ds.AppendRecord(station({u"pending"}));
    const auto expected = contents(ds);
    TMemoryStream binary;
    ds.SaveToStream(binary);
    TMemoryStream xml;
    ds.SaveToStream(xml, dfXMLUTF8);

    TClientDataSet fromXml(u"ClientDataSet1");
    TMemoryStream xmlIn(xml.Bytes());
    fromXml.LoadFromStream(xmlIn);
    EXPECT_EQ(fromXml.ChangeCount(), 1);
    EXPECT_EQ(contents(fromXml), expected);
    fromXml.Last();
    EXPECT_EQ(fromXml.UpdateStatus(), usInserted);
    TMemoryStream again;
    fromXml.SaveToStream(again);
    // The same length and layout; only a null's indicator bit may differ, since the XML form
    // leaves nulls out of a row and they come back marked as not changed.
    ASSERT_EQ(again.Bytes().size(), binary.Bytes().size());
    TMemoryStream xmlAgain;
    fromXml.SaveToStream(xmlAgain, dfXMLUTF8);
    EXPECT_EQ(xmlAgain.Bytes(), xml.Bytes());
}

TEST(XmlRoundTripNames, LongFieldNameComesBackFromBothXmlForms) {
    // 31 ASCII bytes, then CJK: the descriptor keeps the ASCII part and "FIELDNAME" the whole
    // name, which both XML forms must carry as text.
    const std::u16string name = u"station_name_with_a_long_prefix电台名称";
    TClientDataSet ds(u"ClientDataSet1");
    ds.FieldDefs().Add(name, ftInteger);
    ds.CreateDataSet();
    ASSERT_EQ(ds.Fields()[0]->FieldName(), name);
    for (TDataPacketFormat format : {dfXML, dfXMLUTF8}) {
        SCOPED_TRACE(static_cast<int>(format));
        TMemoryStream xml;
        ds.SaveToStream(xml, format);
        TClientDataSet fromXml(u"ClientDataSet1");
        TMemoryStream xmlIn(xml.Bytes());
        fromXml.LoadFromStream(xmlIn);
        EXPECT_EQ(fromXml.Fields()[0]->FieldName(), name);
        // and again from the binary packet of the table read from XML
        TMemoryStream binary;
        fromXml.SaveToStream(binary);
        TClientDataSet fromBinary(u"ClientDataSet1");
        TMemoryStream binaryIn(binary.Bytes());
        fromBinary.LoadFromStream(binaryIn);
        EXPECT_EQ(fromBinary.Fields()[0]->FieldName(), name);
    }
}

}  // namespace
