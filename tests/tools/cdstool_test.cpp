// Runs the built cdstool on station files written by the dataset layer, on damaged files and
// on missing ones.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "dataset/ClientDataSet.h"
#include "platform/Unicode.h"
#include "tests/dataset/StationDataSet.h"
#include "tests/platform/TempFolder.h"
#include "tests/tools/RunCdsTool.h"

namespace {

std::vector<TVarRec> station(const std::u16string& name, const std::u16string& start,
                             const std::u16string& interval) {
    std::vector<TVarRec> values(20, TVarRec::unicode(u""));
    values[0] = TVarRec::unicode(name);
    values[1] = TVarRec::unicode(u"中国");
    values[4] = TVarRec::unicode(start);
    values[8] = TVarRec::unicode(u"http://example.org/" + name + u".m3u8");
    values[12] = TVarRec::unicode(interval);
    return values;
}

class CdsTool : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.valid()); }

    RunResult run(const std::string& arguments) { return runCdsTool(arguments, folder); }

    static std::string quoted(const std::string& path) { return "'" + path + "'"; }

    // The working file as the window writes it: the station table with three rows, the change
    // log merged.
    std::string writeStationFile(const std::string& name = "temp.cds") {
        TClientDataSet ds(u"ClientDataSet1");
        addStationFieldDefs(ds);
        ds.CreateDataSet();
        ds.AppendRecord(station(u"中国之声", u"8:30:00", u"15"));
        ds.AppendRecord(station(u"Radio 1", u"", u""));
        ds.AppendRecord(station(u"经济之声", u"23:59:59", u"-1"));
        ds.MergeChangeLog();
        const std::string path = folder.file(name);
        ds.SaveToFile(utf8ToUtf16(path));
        return path;
    }

    TempFolder folder;
};

TEST_F(CdsTool, DumpPrintsColumnsAttributesAndRowsReadably) {
    const std::string file = writeStationFile();
    const RunResult r = run("dump " + quoted(file));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    for (const char* expected : {
             "binary datapacket, magic 0xbde01996, version 1.0",
             "Header: 20 columns, 3 rows, flags 0x0003 (METADATA, ROW_OFFSET)",
             "Columns (20):",
             "  1. 电台名称  string, type 0x00490001\n       WIDTH = 20  (ui2, type 0x00020002)\n",
             "  5. 开始时间  time, type 0x00070004\n  6. 结束时间",
             " 13. 间隔  i4, type 0x00010004\n",
             "  9. 电台地址  string, type 0x00490001\n       WIDTH = 100",
             "Table attributes (0):",
             "Rows (3):",
             "  Row 1  status 0x00 (unmodified)\n    电台名称 = \"中国之声\"\n    电台国家 = "
             "\"中国\"",
             "    开始时间 = 08:30:00\n    结束时间 = NULL\n",
             "    间隔 = 15\n",
             "  Row 2  status 0x00 (unmodified)\n    电台名称 = \"Radio 1\"",
             "    间隔 = NULL\n",
             "    开始时间 = 23:59:59\n",
             "    间隔 = -1\n",
         }) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\nin:\n" << r.out;
    }
}

TEST_F(CdsTool, DumpJsonParsesAndHoldsTheRows) {
    const std::string file = writeStationFile();
    const RunResult r = run("dump --json " + quoted(file));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["format"], "binary");
    EXPECT_EQ(doc["header"]["rowCount"], 3);
    ASSERT_EQ(doc["columns"].size(), 20u);
    EXPECT_EQ(doc["columns"][0]["name"], "电台名称");
    EXPECT_EQ(doc["columns"][0]["type"], "string");
    EXPECT_EQ(doc["columns"][8]["attributes"][0]["name"], "WIDTH");
    EXPECT_EQ(doc["columns"][8]["attributes"][0]["value"], 100);
    EXPECT_TRUE(doc["columns"][4]["attributes"].empty());
    EXPECT_TRUE(doc["tableAttributes"].empty());
    ASSERT_EQ(doc["rows"].size(), 3u);
    const auto& first = doc["rows"][0];
    EXPECT_EQ(first["status"], 0);
    ASSERT_EQ(first["values"].size(), 20u);
    EXPECT_EQ(first["values"][0], "中国之声");
    EXPECT_EQ(first["values"][4], "08:30:00");
    EXPECT_TRUE(first["values"][5].is_null());
    EXPECT_EQ(first["values"][6], "");  // an empty text is an empty string, not a null
    EXPECT_EQ(first["values"][12], 15);
    EXPECT_EQ(doc["rows"][1]["values"][0], "Radio 1");
    EXPECT_TRUE(doc["rows"][1]["values"][12].is_null());
    EXPECT_EQ(doc["rows"][2]["values"][12], -1);
    EXPECT_FALSE(doc.contains("error"));
}

TEST_F(CdsTool, DumpShowsThePendingChangeLogAndRowStatuses) {
    // A deletion and an insert after the last merge: the packet keeps every record slot.
    TClientDataSet ds(u"ClientDataSet1");
    addStationFieldDefs(ds);
    ds.CreateDataSet();
    ds.AppendRecord(station(u"A", u"", u""));
    ds.AppendRecord(station(u"B", u"", u""));
    ds.MergeChangeLog();
    ds.First();
    ds.Delete();
    ds.AppendRecord(station(u"C", u"", u""));
    const std::string file = folder.file("pending.cds");
    ds.SaveToFile(utf8ToUtf16(file));

    const RunResult r = run("dump --json " + quoted(file));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    ASSERT_EQ(doc["rows"].size(), 3u);
    EXPECT_EQ(doc["rows"][0]["status"], 2);
    EXPECT_EQ(doc["rows"][0]["statusNames"], nlohmann::json({"deleted"}));
    EXPECT_EQ(doc["rows"][0]["values"][0], "A");
    EXPECT_EQ(doc["rows"][1]["status"], 0);
    EXPECT_EQ(doc["rows"][2]["status"], 4);
    EXPECT_EQ(doc["rows"][2]["values"][0], "C");
    ASSERT_EQ(doc["tableAttributes"].size(), 1u);
    EXPECT_EQ(doc["tableAttributes"][0]["name"], "CHANGE_LOG");
    EXPECT_EQ(doc["tableAttributes"][0]["type"], "ui4[]");
    EXPECT_EQ(doc["tableAttributes"][0]["value"], nlohmann::json({1, 0, 2, 3, 0, 4}));

    const RunResult text = run("dump " + quoted(file));
    EXPECT_NE(text.out.find("CHANGE_LOG = [1, 0, 2, 3, 0, 4]  (ui4[], type 0x00820004)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("Row 1  status 0x02 (deleted)"), std::string::npos);
    EXPECT_NE(text.out.find("Row 3  status 0x04 (inserted)"), std::string::npos);

    // The loaded table holds the two live records.
    const RunResult check = run("check " + quoted(file));
    EXPECT_EQ(check.status, 0) << check.err;
    EXPECT_EQ(check.out, file + ": valid binary datapacket, 2 rows, 20 columns\n");
}

TEST_F(CdsTool, DumpShowsUtf8StringAttributesAsTheirText) {
    // A table attribute of type "string" holds UTF-8 text, as the XML reader gives it and the
    // engine keeps it in the binary packet it saves; row strings stay in code page 936.
    const std::string xml = folder.file("named.xml");
    writeText(xml,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
              "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
              "<FIELD attrname=\"name\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>"
              "<PARAMS TABLENAME=\"电台列表\"/></METADATA>"
              "<ROWDATA><ROW name=\"中国之声\"/></ROWDATA></DATAPACKET>");
    const std::string binary = folder.file("named.cds");
    const RunResult convert = run("convert " + quoted(xml) + " " + quoted(binary));
    ASSERT_EQ(convert.status, 0) << convert.err;
    for (const std::string& file : {xml, binary}) {
        SCOPED_TRACE(file);
        const RunResult text = run("dump " + quoted(file));
        ASSERT_EQ(text.status, 0) << text.err;
        EXPECT_NE(text.out.find("TABLENAME = \"电台列表\"  (string, type 0x0049000"),
                  std::string::npos)
            << text.out;
        const auto doc = nlohmann::json::parse(run("dump --json " + quoted(file)).out);
        ASSERT_EQ(doc["tableAttributes"].size(), 1u);
        EXPECT_EQ(doc["tableAttributes"][0]["value"], "电台列表");
        EXPECT_EQ(doc["rows"][0]["values"][0], "中国之声");
    }
}

TEST_F(CdsTool, CheckReportsRowsAndColumns) {
    const std::string file = writeStationFile();
    const RunResult r = run("check " + quoted(file));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, file + ": valid binary datapacket, 3 rows, 20 columns\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(CdsTool, ConvertWritesTheFormatOfTheExtensionOrTheOneAskedFor) {
    const std::string file = writeStationFile();
    const std::string original = readText(file);

    // A merged table loaded and saved again gives the same bytes.
    const std::string copy = folder.file("copy.cds");
    RunResult r = run("convert " + quoted(file) + " " + quoted(copy));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, copy + ": binary datapacket, 3 rows, 20 columns\n");
    EXPECT_EQ(readText(copy), original);

    const std::string xml = folder.file("stations.XML");
    r = run("convert " + quoted(file) + " " + quoted(xml));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(xml).rfind("<?xml version=\"1.0\" standalone=\"yes\"?>", 0), 0u);

    // Back from XML: the same rows and names.
    const std::string back = folder.file("back.cds");
    r = run("convert " + quoted(xml) + " " + quoted(back));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto doc = nlohmann::json::parse(run("dump --json " + quoted(back)).out);
    ASSERT_EQ(doc["rows"].size(), 3u);
    EXPECT_EQ(doc["rows"][0]["values"][0], "中国之声");
    EXPECT_EQ(doc["rows"][2]["values"][0], "经济之声");

    const std::string utf8 = folder.file("utf8.cds");
    r = run("convert --format xml-utf8 " + quoted(file) + " " + quoted(utf8));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(utf8).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
    EXPECT_NE(readText(utf8).find("中国之声"), std::string::npos);

    // An explicit binary format wins over the ".xml" name.
    const std::string binaryXml = folder.file("binary.xml");
    r = run("convert --format binary " + quoted(file) + " " + quoted(binaryXml));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(binaryXml), original);

    r = run("convert --format text " + quoted(file) + " " + quoted(folder.file("x.cds")));
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(folder.file("x.cds")));
}

TEST_F(CdsTool, DamagedFilesAreReportedWithTheEngineMessageAndCode) {
    const std::string good = readText(writeStationFile());
    std::string newerVersion = good;
    newerVersion[4] = 4;  // majorVersion 4: not binary, and not XML either
    std::string noMetadata = good;
    noMetadata[18] = 0x02;  // packetFlags without PF_METADATA

    struct Damage {
        const char* name;
        std::string bytes;
        int code;
        std::string text;    // the engine's text for the code
        std::string detail;  // the failed check and its byte
    };
    const std::vector<Damage> damages = {
        {"truncated.cds", good.substr(0, 200), 0x4005, "Mismatch in datapacket.",
         "column descriptor runs past the end at byte 195"},
        {"text.cds", "just some text\n", 0x4005, "Mismatch in datapacket.",
         "bad magic number: neither a binary nor an XML datapacket at byte 0"},
        {"newer.cds", newerVersion, 0x4005, "Mismatch in datapacket.",
         "major version above 3 at byte 4"},
        {"nometa.cds", noMetadata, 0x4003, "Datapacket contains no meta data.",
         "packet has no metadata at byte 18"},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.name);
        const std::string file = folder.file(d.name);
        writeText(file, d.bytes);
        char code[8];
        std::snprintf(code, sizeof code, "0x%04X", d.code);
        const std::string message = d.text + " (error code " + code + ")" + ": " + d.detail + "\n";

        RunResult r = run("check " + quoted(file));
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "cdstool: " + file + ": not a valid datapacket: " + message);

        const std::string out = folder.file("out.cds");
        r = run("convert " + quoted(file) + " " + quoted(out));
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err, "cdstool: " + file + ": " + message);
        EXPECT_FALSE(std::filesystem::exists(out));

        r = run("dump " + quoted(file));
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.err, "cdstool: " + file + ": " + message);
        r = run("dump --json " + quoted(file));
        EXPECT_NE(r.status, 0);
        const auto doc = nlohmann::json::parse(r.out);
        EXPECT_EQ(doc["error"]["code"], d.code);
        EXPECT_EQ(doc["error"]["message"], d.text);
    }
}

TEST_F(CdsTool, DumpOfATruncatedFileShowsWhatWasReadBeforeTheFailure) {
    const std::string good = readText(writeStationFile());
    const std::string file = folder.file("cut.cds");
    writeText(file, good.substr(0, good.size() - 3));  // inside the last row
    const RunResult r = run("dump --json " + quoted(file));
    EXPECT_NE(r.status, 0);
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["columns"].size(), 20u);
    ASSERT_EQ(doc["rows"].size(), 3u);
    EXPECT_EQ(doc["rows"][1]["values"][0], "Radio 1");
    EXPECT_EQ(doc["error"]["code"], 0x4005);
}

TEST_F(CdsTool, AnEmptyFileHasNoPacket) {
    const std::string file = folder.file("empty.cds");
    writeText(file, "");
    RunResult r = run("check " + quoted(file));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err, "cdstool: Missing data provider or data packet\n");
    r = run("dump " + quoted(file));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err,
              "cdstool: " + file +
                  ": Mismatch in datapacket. (error code 0x4005): packet is empty at byte 0\n");
}

TEST_F(CdsTool, ALoadFailureNamesTheReadersCheckAndByteBesideTheCode) {
    const std::string good = readText(writeStationFile());
    const std::string file = folder.file("cut.cds");
    // The last row ends in a string value; cut inside it.
    writeText(file, good.substr(0, good.size() - 1));
    const std::string expected =
        "Mismatch in datapacket. (error code 0x4005): row value runs "
        "past the end at byte ";

    RunResult r = run("check " + quoted(file));
    EXPECT_NE(r.status, 0);
    const auto at = r.err.find(expected);
    ASSERT_NE(at, std::string::npos) << r.err;
    const std::string offset = r.err.substr(at + expected.size());
    ASSERT_FALSE(offset.empty());
    EXPECT_EQ(offset.back(), '\n');
    const std::size_t byte = std::stoul(offset);
    EXPECT_LT(byte, good.size() - 1);
    EXPECT_GT(byte, good.size() - 100);

    // dump says the same, on stderr and in the JSON report.
    r = run("dump " + quoted(file));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err, "cdstool: " + file + ": " + expected + std::to_string(byte) + "\n");
    r = run("dump --json " + quoted(file));
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["error"]["code"], 0x4005);
    EXPECT_EQ(doc["error"]["check"], "row value runs past the end");
    EXPECT_EQ(doc["error"]["offset"], byte);
}

TEST_F(CdsTool, MissingFilesAreReportedByEveryCommand) {
    const std::string missing = folder.file("missing.cds");
    const std::string expected =
        "cdstool: Cannot open file \"" + missing + "\". No such file or directory\n";
    const std::string out = folder.file("out.cds");
    for (const std::string& args :
         {"dump " + quoted(missing), "dump --json " + quoted(missing), "check " + quoted(missing),
          "convert " + quoted(missing) + " " + quoted(out)}) {
        SCOPED_TRACE(args);
        const RunResult r = run(args);
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, expected);
    }
    EXPECT_FALSE(std::filesystem::exists(out));

    // A target folder that does not exist: the dataset's creation error.
    const std::string file = writeStationFile();
    const std::string unreachable = folder.file("no/such/folder/out.cds");
    const RunResult r = run("convert " + quoted(file) + " " + quoted(unreachable));
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.rfind("cdstool: Cannot create file \"" + unreachable + "\". ", 0), 0u) << r.err;
}

TEST_F(CdsTool, DumpAndCheckNeverChangeTheFile) {
    const std::string file = writeStationFile();
    const std::string before = readText(file);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const auto modified = st.st_mtim;
    const auto inode = st.st_ino;

    run("dump " + quoted(file));
    run("dump --json " + quoted(file));
    run("check " + quoted(file));
    run("convert " + quoted(file) + " " + quoted(folder.file("other.cds")));

    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(readText(file), before);
    EXPECT_EQ(st.st_ino, inode);
    EXPECT_EQ(st.st_mtim.tv_sec, modified.tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, modified.tv_nsec);
}

TEST_F(CdsTool, EveryCommandHasHelp) {
    for (const std::string command : {"dump", "convert", "check"}) {
        SCOPED_TRACE(command);
        const RunResult r = run(command + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find(command), std::string::npos);
    }
    EXPECT_EQ(run("--help").status, 0);
    EXPECT_NE(run("").status, 0);  // a command is required
    EXPECT_NE(run("dump").status, 0);
}

}  // namespace
