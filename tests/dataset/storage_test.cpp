#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "dataset/ClientDataSet.h"
#include "dataset/Exceptions.h"
#include "dataset/FieldDescriptors.h"
#include "dataset/Streams.h"
#include "platform/Unicode.h"
#include "tests/dataset/StationDataSet.h"

namespace fs = std::filesystem;

namespace {

std::string u8(const std::u16string& s) {
    return utf16ToUtf8(s);
}
std::u16string u16(const fs::path& p) {
    return utf8ToUtf16(p.string());
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

std::vector<unsigned char> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

std::vector<TVarRec> station(const std::u16string& name) {
    std::vector<TVarRec> values(20, TVarRec::unicode(u""));
    values[0] = TVarRec::unicode(name);
    values[8] = TVarRec::unicode(u"http://example/" + name);
    return values;
}

class Storage : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("rovena-storage-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        addStationFieldDefs(ds);
        ds.CreateDataSet();
    }
    void TearDown() override {
        if (mounted) ::umount(mounted->c_str());
        fs::remove_all(dir);
    }
    void addStations(std::initializer_list<const char16_t*> names) {
        for (auto n : names) ds.AppendRecord(station(n));
        ds.MergeChangeLog();
    }
    std::vector<std::string> names(TClientDataSet& d) {
        std::vector<std::string> out;
        d.First();
        while (!d.Eof()) {
            out.push_back(u8(d.FieldByName(u"电台名称")->AsString()));
            d.Next();
        }
        return out;
    }
    // A tmpfs of the given size and options at dir/name; skips the test where mounting is not
    // allowed.
    fs::path mountTmpfs(const std::string& name, const std::string& options) {
        fs::path at = dir / name;
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0) return {};
        mounted = at;
        return at;
    }

    fs::path dir;
    std::optional<fs::path> mounted;
    TClientDataSet ds{u"ClientDataSet1"};
};

TEST_F(Storage, CloseAndOpenBringBackTheSameRowsWithNewFieldObjects) {
    addStations({u"A", u"B", u"C"});
    TField* before = ds.FieldByName(u"电台名称");
    ds.Close();
    EXPECT_FALSE(ds.Active());
    ASSERT_TRUE(ds.SavedPacket());
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_FALSE(ds.SavedPacket());
    EXPECT_NE(ds.FieldByName(u"电台名称"), before);
    EXPECT_EQ(names(ds), (std::vector<std::string>{"A", "B", "C"}));
    ds.Open();  // does nothing on an open dataset
    ds.Close();
    ds.Close();  // nor on a closed one
}

TEST_F(Storage, CloseDiscardsAnUnpostedEdit) {
    addStations({u"A"});
    ds.Edit();
    ds.FieldByName(u"电台名称")->SetAsString(u"changed");
    ds.Close();
    ds.Open();
    EXPECT_EQ(names(ds), std::vector<std::string>{"A"});
}

TEST_F(Storage, EmptyTableSurvivesCloseAndOpen) {
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.Fields().Count(), 20);
}

TEST_F(Storage, SaveToFileThenLoadFromFileGivesTheSameRows) {
    addStations({u"中央广播", u"B"});
    const fs::path file = dir / "temp.cds";
    ds.SaveToFile(u16(file));
    const auto saved = readBytes(file);
    TMemoryStream stream;
    ds.SaveToStream(stream);
    EXPECT_EQ(stream.Bytes(), saved);  // exactly the packet bytes, no prefix
    ds.SaveToFile(u16(file));
    EXPECT_EQ(readBytes(file), saved);  // saving twice gives the same bytes

    TClientDataSet other(u"ClientDataSet1");
    other.LoadFromFile(u16(file));
    EXPECT_EQ(names(other), (std::vector<std::string>{"中央广播", "B"}));
    EXPECT_EQ(u8(other.FieldByName(u"电台地址")->AsString()), "http://example/B");
}

// Close keeps the bytes SaveToFile wrote when nothing changed in between, and a fresh packet
// for every kind of change.
TEST_F(Storage, CloseAfterSaveKeepsTheSavedBytesOnlyWhileTheTableIsUnchanged) {
    const fs::path file = dir / "stations.cds";
    struct Case {
        const char* name;
        void (*between)(TClientDataSet&);
        bool sameObject;
    };
    const Case cases[] = {
        {"nothing", [](TClientDataSet&) {}, true},
        {"a browse", [](TClientDataSet& d) { d.Last(); }, true},
        {"an append", [](TClientDataSet& d) { d.AppendRecord(station(u"D")); }, false},
        {"an edit",
         [](TClientDataSet& d) {
             d.Edit();
             d.FieldByName(u"电台名称")->SetAsString(u"A2");
             d.Post();
         },
         false},
        {"a merge", [](TClientDataSet& d) { d.MergeChangeLog(); }, false},
        {"a delete", [](TClientDataSet& d) { d.Delete(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TClientDataSet d{u"Saved"};
        addStationFieldDefs(d);
        d.CreateDataSet();
        d.AppendRecord(station(u"A"));
        d.AppendRecord(station(u"B"));  // left in the change log: a merge changes the bytes
        d.SaveToFile(u16(file), dfBinary);
        c.between(d);
        d.Close();
        ASSERT_TRUE(d.SavedPacket());
        if (c.sameObject) {
            EXPECT_EQ(*d.SavedPacket(), readBytes(file));
        } else {
            EXPECT_NE(*d.SavedPacket(), readBytes(file));
        }
        // Either way the kept bytes are what the table streams now.
        d.Open();
        TMemoryStream again;
        d.SaveToStream(again, dfBinary);
        d.Close();
        EXPECT_EQ(*d.SavedPacket(), again.Bytes());
    }
}

TEST_F(Storage, FreshStationTableSavesItsEmptyPacket) {
    const fs::path file = dir / "temp.cds";
    ds.SaveToFile(u16(file));
    EXPECT_EQ(fs::file_size(file), 619u);
    TClientDataSet other(u"ClientDataSet1");
    other.LoadFromFile(u16(file));
    EXPECT_EQ(other.RecordCount(), 0);
    EXPECT_EQ(other.Fields().Count(), 20);
}

TEST_F(Storage, LoadFailures) {
    addStations({u"A", u"B"});
    // an empty file: no error, the dataset shows its rows again
    const fs::path empty = dir / "empty.cds";
    writeBytes(empty, "");
    ds.LoadFromFile(u16(empty));
    EXPECT_EQ(names(ds), (std::vector<std::string>{"A", "B"}));

    // a missing file: the error names the full path; a later Open restores the rows
    const fs::path missing = dir / "missing.cds";
    EXPECT_EQ(errorOf([&] { ds.LoadFromFile(u16(missing)); }),
              "Cannot open file \"" + missing.string() + "\". No such file or directory");
    EXPECT_FALSE(ds.Active());
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 2);

    // a text file: the engine's error, and every later Open fails the same way
    const fs::path text = dir / "notes.cds";
    writeBytes(text, "just some text\n");
    EXPECT_EQ(errorOf([&] { ds.LoadFromFile(u16(text)); }), "Mismatch in datapacket.");
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(errorOf([&] { ds.Open(); }), "Mismatch in datapacket.");

    // closed with no kept packet: the missing provider
    TClientDataSet fresh(u"ClientDataSet1");
    EXPECT_EQ(errorOf([&] { fresh.LoadFromFile(u16(empty)); }),
              "ClientDataSet1: Missing data provider or data packet");
}

// A file larger than any packet (a sparse file takes no disk space) is refused before it is
// read, and the open table keeps its rows.
TEST_F(Storage, AFileLargerThanAPacketIsRefusedAndTheTableStaysOpen) {
    addStations({u"A", u"B"});
    const fs::path huge = dir / "huge.cds";
    { std::ofstream(huge, std::ios::binary).put('x'); }
    fs::resize_file(huge, std::uint64_t{5} << 30);
    EXPECT_EQ(errorOf([&] { ds.LoadFromFile(u16(huge)); }),
              "Cannot open file \"" + huge.string() + "\". File too large");
    EXPECT_TRUE(ds.Active());
    EXPECT_EQ(names(ds), (std::vector<std::string>{"A", "B"}));
}

TEST_F(Storage, SaveToFileOfAClosedDatasetWritesNothing) {
    TClientDataSet never(u"ClientDataSet1");
    never.SaveToFile(u16(dir / "never.cds"));
    EXPECT_FALSE(fs::exists(dir / "never.cds"));
    ds.Close();
    ds.SaveToFile(u16(dir / "closed.cds"));
    EXPECT_FALSE(fs::exists(dir / "closed.cds"));
}

TEST_F(Storage, XmlExtensionSelectsTheXmlForm) {
    for (const char* name : {"t.xml", "t.XmL"}) {
        const fs::path file = dir / name;
        try {
            ds.SaveToFile(u16(file));
            const auto bytes = readBytes(file);
            ASSERT_FALSE(bytes.empty());
            EXPECT_EQ(bytes[0], '<') << name;
        } catch (const EDBClient& e) {
            // until the XML writer exists the engine refuses the XML form, and no file appears
            EXPECT_FALSE(fs::exists(file));
        }
    }
    const fs::path cds = dir / "t.cds";
    ds.SaveToFile(u16(cds));
    EXPECT_EQ(readBytes(cds)[0], 0x96);
}

// A stream that accepts n bytes and then fails.
class FailingStream : public TStream {
  public:
    explicit FailingStream(std::size_t n) : FLeft(n) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void*, std::size_t count) override {
        if (count > FLeft) throw EWriteError(u"Stream write error");
        FLeft -= count;
    }
    std::uint64_t Size() const override { return 0; }
    std::uint64_t Position() const override { return 0; }
    void SetPosition(std::uint64_t) override {}

  private:
    std::size_t FLeft;
};

TEST_F(Storage, WriteErrorsReachTheCaller) {
    FailingStream stream(100);
    EXPECT_EQ(errorOf([&] { ds.SaveToStream(stream); }), "Stream write error");
    EXPECT_TRUE(ds.Active());
    EXPECT_FALSE(ds.SavedPacket());
}

TEST_F(Storage, FailedSavesLeaveThePreviousFileAndNoTemporaryFile) {
    addStations({u"A"});
    // a full file system
    const fs::path small = mountTmpfs("small", "size=4k");
    if (small.empty()) GTEST_SKIP() << "tmpfs cannot be mounted here";
    const fs::path file = small / "temp.cds";
    writeBytes(file, "old");
    for (int i = 0; i < 60; ++i) ds.AppendRecord(station(u"x"));
    ds.MergeChangeLog();
    const std::string message = errorOf([&] { ds.SaveToFile(u16(file)); });
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(readBytes(file), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator{}), 1);
    ::umount(small.c_str());
    mounted.reset();

    // a read-only file system
    const fs::path ro = mountTmpfs("ro", "size=64k");
    ASSERT_FALSE(ro.empty());
    writeBytes(ro / "temp.cds", "old");
    ASSERT_EQ(::mount("tmpfs", ro.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
    const std::string roMessage = errorOf([&] { ds.SaveToFile(u16(ro / "temp.cds")); });
    EXPECT_NE(roMessage.find("Cannot create file \"" + (ro / "temp.cds").string() + "\"."),
              std::string::npos)
        << roMessage;
    EXPECT_EQ(readBytes(ro / "temp.cds"), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(ro), fs::directory_iterator{}), 1);
}

}  // namespace
