// Packets written elsewhere, with column properties this system never writes itself, still
// load into field objects that read their own engine fields. Found by fuzzing the load.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dataset/ClientDataSet.h"
#include "dataset/FieldDescriptors.h"
#include "dataset/Streams.h"
#include "platform/Unicode.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Three columns: "link" (string of width 20, field attributes 0x0008: a link field), "start"
// (time) and "n" (i4); one row: "Radio", 08:30:00, 15.
const Bytes kPacketWithLinkColumn = {
    0x96, 0x19, 0xE0, 0xBD, 0x01, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,  // header ..
    0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x4B, 0x00,  // 3 cols, 1 row at 75
    0x04, 'l',  'i',  'n',  'k',  0x01, 0x00, 0x49, 0x00, 0x08, 0x00, 0x01, 0x00,  // string, link
    0x05, 'W',  'I',  'D',  'T',  'H',  0x02, 0x00, 0x02, 0x00, 0x14, 0x00,        // WIDTH 20
    0x05, 's',  't',  'a',  'r',  't',  0x04, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,  // time
    0x01, 'n',  0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,                          // i4
    0x00, 0x00,                                                                          // no attrs
    0x00, 0x00, 0x05, 'R',  'a',  'd',  'i',  'o',   // status, indicators, "Radio"
    0x40, 0xEB, 0xD2, 0x01, 0x0F, 0x00, 0x00, 0x00,  // 08:30:00, 15
};

Bytes fixture(const char* name) {
    std::ifstream in(std::string(ROVENA_FIXTURES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Every field object reads the engine field its number names, and that field is of the field
// object's own type.
void expectFieldsReadTheirOwnEngineFields(TClientDataSet& ds) {
    ASSERT_EQ(ds.DSBase()->setProperty(propUndefinedArrays, 0), DBIERR_NONE);
    DSTableInfo info;
    ASSERT_EQ(ds.DSBase()->getTableInfo(&info), DBIERR_NONE);
    std::vector<DSFLDDesc> descriptors(info.iFields);
    ASSERT_EQ(ds.DSBase()->getFieldDescriptors(descriptors.data()), DBIERR_NONE);
    for (int i = 0; i < ds.Fields().Count(); ++i) {
        TField* f = ds.Fields()[i];
        SCOPED_TRACE(utf16ToUtf8(f->FieldName()));
        ASSERT_GE(f->FieldNo(), 1);
        ASSERT_LE(f->FieldNo(), static_cast<int>(info.iFields));
        if (f->DataType() == ftLargeint || f->DataType() == ftWideString) continue;
        EXPECT_EQ(descriptors[f->FieldNo() - 1].iFldType, engineFieldType(f->DataType()).type);
    }
    // Reading every value of every row goes through those numbers.
    ds.First();
    while (!ds.Eof()) {
        for (int i = 0; i < ds.Fields().Count(); ++i) (void)ds.Fields()[i]->AsString();
        ds.Next();
    }
}

// Two packets of other programs: one whose link column has no field object, one (found by
// fuzzing, where an integer field read an 11-byte string into its 4-byte value) with a column
// that has no field type. Both load, and their fields read their own engine fields.
TEST(ForeignPacket, FieldsAfterASkippedOrUntypedColumnReadTheirOwnEngineFields) {
    {
        SCOPED_TRACE("link column");
        TClientDataSet ds(u"ClientDataSet1");
        TMemoryStream stream(kPacketWithLinkColumn);
        ds.LoadFromStream(stream);
        // The link column has no field object; the others keep the engine's field numbers.
        ASSERT_EQ(ds.Fields().Count(), 2);
        EXPECT_EQ(ds.Fields()[0]->FieldName(), u"start");
        EXPECT_EQ(ds.Fields()[0]->FieldNo(), 2);
        EXPECT_EQ(ds.Fields()[1]->FieldNo(), 3);
        ASSERT_EQ(ds.RecordCount(), 1);
        EXPECT_EQ(utf16ToUtf8(ds.FieldByName(u"start")->AsString()), "8:30:00");
        EXPECT_EQ(ds.FieldByName(u"n")->AsInteger(), 15);
        expectFieldsReadTheirOwnEngineFields(ds);

        // Saving writes the link column's value back as it was.
        TMemoryStream saved;
        ds.SaveToStream(saved);
        EXPECT_EQ(saved.Bytes(), kPacketWithLinkColumn);
    }
    {
        SCOPED_TRACE("column without a field type");
        const Bytes bytes = fixture("regression_unknown_field_numbering.cds");
        ASSERT_FALSE(bytes.empty());
        TClientDataSet ds(u"ClientDataSet1");
        TMemoryStream stream(bytes);
        ds.LoadFromStream(stream);
        expectFieldsReadTheirOwnEngineFields(ds);
    }
}

}  // namespace
