// The PLS reader on a fixture with the awkward cases.

#include "interchange/PlsReader.h"

#include "tests/interchange/InterchangeTestSupport.h"

namespace {

std::vector<std::pair<std::string, std::string>> namesAndAddresses(const PlaylistReadResult& read) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const StationEntry& e : read.entries) out.emplace_back(u8(e.name), u8(e.address));
    return out;
}

TEST(PlsReader, ReadsTheAwkwardFixture) {
    // Keys in any letter case and order, blanks around "=", a "=" inside a title, numbering with
    // gaps, NumberOfEntries disagreeing, a title without a file, another section ignored.
    const PlaylistReadResult read = readPls(fixtureText("awkward.pls"));
    ASSERT_TRUE(read.ok());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"First Station", "http://one.example/live"},
        {"Third = Best", "http://three.example/stream"},
        {"Title only", ""},
        {"", "mms://ten.example/x"},
    };
    EXPECT_EQ(namesAndAddresses(read), expected);
}

TEST(PlsReader, NumbersOrderTheEntriesAndTheLastValueOfAKeyCounts) {
    const PlaylistReadResult read = readPls(
        "File2=http://two.example/\nFile01=http://one.example/\nFile2=http://two.example/b\n"
        "File=http://no-number.example/\nFilex=http://bad.example/\n"
        "File99999999999999999999=http://too-big.example/\nnot a key line\n");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"", "http://one.example/"},
        {"", "http://two.example/b"},
    };
    EXPECT_EQ(namesAndAddresses(read), expected);
}

TEST(PlsReader, LinesBeforeAnySectionCountAndAnotherSectionEndsThePlaylist) {
    const PlaylistReadResult read = readPls(
        "File1=http://a.example/\n[Playlist]\nFile2=http://b.example/\n[extra]\n"
        "File3=http://c.example/\n[ PLAYLIST ]\nFile4=http://d.example/\n");
    EXPECT_EQ(read.entries.size(), 3u);
}

}  // namespace
