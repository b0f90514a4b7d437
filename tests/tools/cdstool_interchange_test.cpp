// Runs the built cdstool's import and export commands on the interchange fixtures.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "dataset/ClientDataSet.h"
#include "platform/Unicode.h"
#include "stations/StationSchema.h"
#include "tests/platform/TempFolder.h"
#include "tests/tools/RunCdsTool.h"

namespace {

std::string fixture(const std::string& name) {
    return "'" + std::string(ROVENA_FIXTURES_DIR) + "/interchange/" + name + "'";
}

class CdsToolInterchange : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.valid()); }

    RunResult run(const std::string& arguments) { return runCdsTool(arguments, scratch); }

    std::string path(const std::string& name) const { return "'" + folder.file(name) + "'"; }

    // The names of the stations in a station file, in order.
    std::vector<std::string> stationNames(const std::string& name) {
        TClientDataSet table;
        table.LoadFromFile(folder.file16(name));
        std::vector<std::string> names;
        for (table.First(); !table.Eof(); table.Next())
            names.push_back(utf16ToUtf8(table.FieldByName(StationFieldName::Name)->AsString()));
        return names;
    }

    TempFolder folder;   // the files the commands write
    TempFolder scratch;  // the captured output
};

TEST_F(CdsToolInterchange, ImportsListsOfSeveralFormatsIntoOneStationFile) {
    const RunResult r = run("import " + fixture("awkward.m3u") + " " + fixture("directory.json") +
                            " " + fixture("awkward.pls") + " -o " + path("stations.cds"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    for (const char* line : {
             "awkward.m3u: m3u, UTF-8 with BOM, 8 entries, imported 5; skipped 3 (no address 1, "
             "invalid address 1, address too long 0, duplicate 1); names cut 0\n",
             "directory.json: json, UTF-8, 5 entries, imported 3; skipped 2 (no address 2, "
             "invalid address 0, address too long 0, duplicate 0); names cut 2\n",
             "awkward.pls: pls, UTF-8, 4 entries, imported 3; skipped 1 (no address 1, invalid "
             "address 0, address too long 0, duplicate 0); names cut 0\n",
             "cdstool: imported 11 stations into ",
             "; skipped 6 (no address 4, invalid address 1, address too long 0, duplicate 1); "
             "names cut 2\n",
         }) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\nin:\n" << r.err;
    }
    const std::vector<std::string> names = stationNames("stations.cds");
    ASSERT_EQ(names.size(), 11u);
    EXPECT_EQ(names[0], "中国之声");
    EXPECT_EQ(names[4], "sport.example");
    EXPECT_EQ(names[5], "Deutschlandfunk");
    EXPECT_EQ(names[6], "The Long Country Sta") << "cut to 20 bytes";
    EXPECT_EQ(names[7], "中央人民广播电台中国");
    EXPECT_EQ(names[10], "ten.example");
}

TEST_F(CdsToolInterchange, JsonReportAndDuplicatesAcrossFiles) {
    const RunResult r = run("import --json " + fixture("awkward.m3u") + " " +
                            fixture("awkward.m3u") + " -o " + path("twice.xml"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report["written"], true);
    EXPECT_EQ(report["imported"], 5);
    EXPECT_EQ(report["skipped"]["duplicate"], 1 + 6);
    EXPECT_EQ(report["skipped"]["total"], 3 + 8);
    ASSERT_EQ(report["files"].size(), 2u);
    EXPECT_EQ(report["files"][0]["format"], "m3u");
    EXPECT_EQ(report["files"][1]["imported"], 0);
    EXPECT_EQ(stationNames("twice.xml").size(), 5u) << "an .xml name gets the XML form";
    EXPECT_EQ(readText(folder.file("twice.xml")).rfind("<?xml", 0), 0u);
}

TEST_F(CdsToolInterchange, AGivenFormatWinsOverTheGuess) {
    writeText(folder.file("list.txt"), "Name A,http://a.example/\nName B,http://b.example/\n");
    RunResult r = run("import --format csv " + path("list.txt") + " -o " + path("out.cds"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(stationNames("out.cds"), (std::vector<std::string>{"Name A", "Name B"}));
    r = run("import --format xml " + path("list.txt") + " -o " + path("out.cds"));
    EXPECT_NE(r.status, 0);
}

TEST_F(CdsToolInterchange, NothingImportedWritesNothingAndFails) {
    writeText(folder.file("bad.m3u"), "#EXTM3U\nftp://a.example/\n#EXTINF:-1,No address\n");
    writeText(folder.file("keep.cds"), "old bytes");
    const RunResult r = run("import --json " + path("bad.m3u") + " -o " + path("keep.cds"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no station could be imported"), std::string::npos) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["written"], false);
    EXPECT_EQ(readText(folder.file("keep.cds")), "old bytes");
}

TEST_F(CdsToolInterchange, AMalformedOrMissingInputStopsBeforeAnythingIsWritten) {
    writeText(folder.file("broken.json"), "[{\"url\": \"http://a.example/\"},\n{\"url\": }]");
    writeText(folder.file("keep.cds"), "old bytes");
    struct Case {
        std::string input;
        std::string message;
    };
    const Case cases[] = {
        {path("broken.json"), "broken.json: not a valid json list: malformed JSON at line 2: "},
        {path("missing.m3u"),
         "Cannot open file \"" + folder.file("missing.m3u") + "\". No such file or directory"},
        {path(""), "Is a directory"},
    };
    for (const Case& c : cases) {
        const RunResult r =
            run("import " + fixture("awkward.pls") + " " + c.input + " -o " + path("keep.cds"));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(readText(folder.file("keep.cds")), "old bytes");
    }
}

TEST_F(CdsToolInterchange, ExportsByExtensionOrFormatAndImportsBack) {
    ASSERT_EQ(run("import " + fixture("awkward.m3u") + " -o " + path("stations.cds")).status, 0);
    const std::vector<std::string> names = stationNames("stations.cds");
    struct Case {
        std::string file;
        std::string format;  // empty: from the extension
        std::string description;
    };
    const Case cases[] = {
        {"out.m3u8", "", "M3U8 playlist"},        {"out.M3U", "", "M3U8 playlist"},
        {"out.pls", "", "PLS playlist"},          {"out.xspf", "", "XSPF playlist"},
        {"out.csv", "", "CSV station list"},      {"out.json", "", "JSON station list"},
        {"out.txt", "json", "JSON station list"},
    };
    for (const Case& c : cases) {
        const std::string format = c.format.empty() ? "" : " --format " + c.format;
        const RunResult r = run("export " + path("stations.cds") + " -o " + path(c.file) + format);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, folder.file(c.file) + ": " + c.description + ", 5 stations\n");
        const RunResult back = run("import " + path(c.file) + format + " -o " + path("back.cds"));
        ASSERT_EQ(back.status, 0) << c.file << ": " << back.err;
        EXPECT_EQ(stationNames("back.cds"), names) << c.file;
    }
    // The exports replaced nothing but their own files and left no temporary file behind.
    EXPECT_EQ(folder.entries(),
              (std::vector<std::string>{"back.cds", "out.M3U", "out.csv", "out.json", "out.m3u8",
                                        "out.pls", "out.txt", "out.xspf", "stations.cds"}));
}

TEST_F(CdsToolInterchange, ExportFailures) {
    ASSERT_EQ(run("import " + fixture("awkward.pls") + " -o " + path("stations.cds")).status, 0);
    RunResult r = run("export " + path("stations.cds") + " -o " + path("out.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("give one with --format"), std::string::npos) << r.err;
    r = run("export " + path("missing.cds") + " -o " + path("out.m3u"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.cds"), std::string::npos) << r.err;
    writeText(folder.file("not-a-packet.cds"), "#EXTM3U\n");
    r = run("export " + path("not-a-packet.cds") + " -o " + path("out.m3u"));
    EXPECT_EQ(r.status, 1);
    r = run("export " + path("stations.cds") + " -o " + path("no-folder/out.m3u"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot create file"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.m3u")));
}

}  // namespace
