// A packet the engine cannot load says which check failed and at which byte, beside the result
// code, which stays what it always was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packet/Coding.h"
#include "tests/engine/SmallTable.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The small table with one record ("Radio", 15, null time), merged: header, three descriptors
// (NAME with its WIDTH), the table attribute count, one row ending in the 4-byte integer.
Bytes smallPacket() {
    auto table = small::makeTable();
    small::insert(*table, small::record("Radio", 15));
    EXPECT_EQ(table->commitChangeLog(), DBIERR_NONE);
    Bytes packet;
    EXPECT_EQ(table->streamTable(packet), DBIERR_NONE);
    return packet;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST(ReadFailure, ADamagedPacketNamesTheFailedCheckAndItsByte) {
    const Bytes good = smallPacket();
    const std::size_t rowStart = decodeFixed16(good.data() + 22);
    ASSERT_GT(rowStart, 24u);
    auto changed = [&](std::size_t at, unsigned char value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    auto cut = [&](std::size_t n) { return Bytes(good.begin(), good.begin() + n); };

    struct Case {
        const char* name;
        Bytes packet;
        DBResult code;
        std::string check;
        std::size_t offset;
    };
    const std::vector<Case> cases = {
        {"empty", {}, errPacketMismatch, "packet is empty", 0},
        {"truncated header", cut(10), errPacketMismatch, "packet header runs past the end", 0},
        {"bad magic", changed(0, 0x00), errPacketMismatch,
         "bad magic number: neither a binary nor an XML datapacket", 0},
        {"newer version", changed(4, 4), errPacketMismatch, "major version above 3", 4},
        {"no metadata", changed(18, 0x02), errNoMetadata, "packet has no metadata", 18},
        {"header size past the end", changed(8, 0xF0), errPacketMismatch,
         "header size points past the end", 8},
        // The first descriptor starts at 24: name length 4, "NAME", type word...
        {"descriptor past the end", cut(30), errPacketMismatch,
         "column descriptor runs past the end", 24},
        {"empty column name", changed(24, 0), errFieldNameNull, "column name is empty", 24},
        {"row status cut off", cut(rowStart + 1), errPacketMismatch,
         "row status and indicators run past the end", rowStart},
        // The row's last value is the 4-byte integer.
        {"row cut short", cut(good.size() - 2), errPacketMismatch, "row value runs past the end",
         good.size() - 4},
        {"XML element not closed", text("<DATAPACKET><METADATA><FIELDS>"), errPacketMismatch,
         "element is not closed", 30},
        {"XML end tag of another element", text("<DATAPACKET><METADATA></ROWDATA>"),
         errPacketMismatch, "end tag does not match its start tag", 22},
        {"XML row state", text("<DATAPACKET><ROWDATA><ROW RowState=\"x\"/></ROWDATA></DATAPACKET>"),
         errPacketMismatch, "RowState is no number from 0 to 255", 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DSBASE table;
        EXPECT_EQ(table.appendPacket(std::make_shared<const Bytes>(c.packet), true), c.code);
        const ReadFailure failure = table.lastReadFailure();
        ASSERT_TRUE(failure.failed());
        EXPECT_EQ(std::string(failure.check), c.check);
        EXPECT_EQ(failure.offset, c.offset);
        EXPECT_EQ(describeReadFailure(failure), c.check + " at byte " + std::to_string(c.offset));
    }
}

TEST(ReadFailure, ALoadThatSucceedsTellsNothing) {
    const Bytes good = smallPacket();
    DSBASE loaded;
    ASSERT_EQ(loaded.appendPacket(std::make_shared<const Bytes>(good), true), DBIERR_NONE);
    EXPECT_FALSE(loaded.lastReadFailure().failed());

    // A failure is forgotten by the next load that succeeds.
    DSBASE table;
    const Bytes cutShort(good.begin(), good.begin() + 30);
    EXPECT_NE(table.appendPacket(std::make_shared<const Bytes>(cutShort), true), DBIERR_NONE);
    EXPECT_TRUE(table.lastReadFailure().failed());
    ASSERT_EQ(table.appendPacket(std::make_shared<const Bytes>(good), true), DBIERR_NONE);
    EXPECT_FALSE(table.lastReadFailure().failed());
}

}  // namespace
