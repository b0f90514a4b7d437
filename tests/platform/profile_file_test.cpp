#include "platform/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "tests/platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

TEST(ProfileFile, ReadsValues) {
    struct Case {
        const char* what;
        std::string content;
        std::u16string key;
        std::u16string expected;
    } cases[] = {
        {"plain", "[info]\nroad=/tmp/out\nopen=1\n", u"road", u"/tmp/out"},
        {"second key", "[info]\nroad=/tmp/out\nopen=1\n", u"open", u"1"},
        {"letter case", "[INFO]\nROAD=x\n", u"Road", u"x"},
        {"blanks around names and value", "  [ info ]  \n\t road  =  /a b \t\n", u"road", u"/a b"},
        {"double quotes", "[info]\nroad=\"  x  \"\n", u"road", u"  x  "},
        {"single quotes", "[info]\nroad='y'\n", u"road", u"y"},
        {"unmatched quotes stay", "[info]\nroad=\"z'\n", u"road", u"\"z'"},
        {"empty value", "[info]\nroad=\nopen=1\n", u"road", u""},
        {"first of repeated keys and sections", "[info]\nroad=a\nroad=b\n[info]\nroad=c\n", u"road",
         u"a"},
        {"CRLF lines", "[info]\r\nroad=x\r\nopen=0\r\n", u"road", u"x"},
        {"byte-order mark", "\xEF\xBB\xBF[info]\nroad=x", u"road", u"x"},
        {"UTF-8 text", "[info]\nroad=/home/用户/输出\n", u"road", u"/home/用户/输出"},
        {"equals sign inside the value", "[info]\nroad=a=b\n", u"road", u"a=b"},
        {"key only in another section", "[other]\nroad=x\n[info]\nopen=1\n", u"road", u"dflt"},
        {"key before any section", "road=x\n[info]\n", u"road", u"dflt"},
        {"comment", "[info]\n;road=x\n", u"road", u"dflt"},
        {"no equals sign", "[info]\nroad\n", u"road", u"dflt"},
        {"empty file", "", u"road", u"dflt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        writeText(dir.file("option.dat"), c.content);
        EXPECT_EQ(readProfileString(dir.file16("option.dat"), u"info", c.key, u"dflt"), c.expected);
    }
}

TEST(ProfileFile, ReadFallsBackToDefault) {
    TempFolder dir;
    fs::create_directory(dir.file("folder"));
    EXPECT_EQ(readProfileString(dir.file16("missing"), u"info", u"road", u"keep"), u"keep");
    EXPECT_EQ(readProfileString(dir.file16("folder"), u"info", u"road", u"keep"), u"keep");
    EXPECT_EQ(readProfileString(u"", u"info", u"road", u""), u"");
}

TEST(ProfileFile, ReadIsCutToTheBuffer) {
    TempFolder dir;
    writeText(dir.file("p"), "[s]\nlong=" + std::string(3000, 'a') + "\npair=ab\xF0\x9F\x98\x80\n");
    EXPECT_EQ(readProfileString(dir.file16("p"), u"s", u"long", u"").size(), 2047u);
    EXPECT_EQ(readProfileString(dir.file16("p"), u"s", u"long", u"", 5), u"aaaa");
    // A default is cut the same way.
    EXPECT_EQ(readProfileString(dir.file16("p"), u"s", u"none", std::u16string(3000, u'd')).size(),
              2047u);
    // "ab" then one surrogate pair: a cut after 3 code units would split the pair.
    EXPECT_EQ(readProfileString(dir.file16("p"), u"s", u"pair", u"", 4), u"ab");
    EXPECT_EQ(readProfileString(dir.file16("p"), u"s", u"pair", u"", 5), u"ab\U0001F600");
}

TEST(ProfileFile, FirstWriteCreatesFileAndSection) {
    TempFolder dir;
    ProfileFile settings(dir.file16("option.dat"));
    EXPECT_FALSE(fs::exists(dir.file("option.dat")));  // creating the object touches nothing
    ASSERT_TRUE(settings.writeString(u"info", u"road", u"").ok());
    ASSERT_TRUE(settings.writeBool(u"info", u"open", false).ok());
    ASSERT_TRUE(settings.updateFile().ok());
    EXPECT_EQ(readText(dir.file("option.dat")), "[info]\nroad=\nopen=0\n");
}

TEST(ProfileFile, WritesInPlaceKeepingOtherLines) {
    TempFolder dir;
    const std::string path = dir.file("option.dat");
    writeText(path,
              "; kept comment\r\n[other]\r\nk=v\r\n\r\n[Info]\r\nRoad=old\r\nopen=1\r\n\r\n"
              "[last]\r\nz=1");
    const std::u16string p = dir.file16("option.dat");

    ASSERT_TRUE(writeProfileString(p, u"info", u"road", u"/new/输出").ok());
    ASSERT_TRUE(writeProfileString(p, u"OTHER", u"added", u"2").ok());
    ASSERT_TRUE(writeProfileString(p, u"new", u"key", u"3").ok());
    ASSERT_TRUE(writeProfileString(p, u"last", u"y", u"4").ok());
    EXPECT_EQ(readText(path),
              "; kept comment\r\n[other]\r\nk=v\r\nadded=2\r\n\r\n[Info]\r\nRoad=/new/输出\r\n"
              "open=1\r\n\r\n[last]\r\nz=1\r\ny=4\r\n[new]\r\nkey=3\r\n");
    EXPECT_EQ(readProfileString(p, u"info", u"road", u""), u"/new/输出");
}

// A file cut off between the CR and the LF of its last line: the CR ends that line, and a
// write after it gives it its LF, so the next reading sees the same lines (it once found the
// cut section header on the way back and lost the key just written under a second one).
TEST(ProfileFile, LastLineCutAfterItsCarriageReturn) {
    struct Case {
        const char* name;
        std::string before;
        const char16_t* readBefore;  // "road" of [info] before the write
        std::string after;           // the file after writing [info] key=v
    };
    const Case cases[] = {
        {"section header", "\xEF\xBB\xBF[Info\r", u"dflt", "\xEF\xBB\xBF[Info\r\nkey=v\r\n"},
        {"key line", "[info]\r\nroad=x\r", u"x", "[info]\r\nroad=x\r\nkey=v\r\n"},
        {"other section", "[a]\nz=1\r", u"dflt", "[a]\nz=1\r\n[info]\nkey=v\n"},
        {"only a CR", "\r", u"dflt", "\r\n[info]\r\nkey=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        writeText(dir.file("p"), c.before);
        const std::u16string p = dir.file16("p");
        EXPECT_EQ(readProfileString(p, u"info", u"road", u"dflt"), c.readBefore);
        ASSERT_TRUE(writeProfileString(p, u"info", u"key", u"v").ok());
        EXPECT_EQ(readText(dir.file("p")), c.after);
        EXPECT_EQ(readProfileString(p, u"info", u"key", u""), u"v");
    }
}

TEST(ProfileFile, DeletesKeysAndSections) {
    TempFolder dir;
    const std::string path = dir.file("p");
    const std::u16string p = dir.file16("p");
    writeText(path, "[a]\nx=1\ny=2\n[b]\nz=3\n");

    ASSERT_TRUE(writeProfileString(p, u"a", u"X", std::nullopt).ok());
    EXPECT_EQ(readText(path), "[a]\ny=2\n[b]\nz=3\n");
    ASSERT_TRUE(writeProfileString(p, u"A", std::nullopt, std::nullopt).ok());
    EXPECT_EQ(readText(path), "[b]\nz=3\n");
    // Deleting what is not there and flushing change nothing and create nothing.
    ASSERT_TRUE(writeProfileString(p, u"b", u"none", std::nullopt).ok());
    ASSERT_TRUE(writeProfileString(p, u"none", std::nullopt, std::nullopt).ok());
    EXPECT_EQ(readText(path), "[b]\nz=3\n");
    ASSERT_TRUE(writeProfileString(dir.file16("q"), std::nullopt, std::nullopt, std::nullopt).ok());
    ASSERT_TRUE(writeProfileString(dir.file16("q"), u"s", u"k", std::nullopt).ok());
    EXPECT_FALSE(fs::exists(dir.file("q")));
}

TEST(ProfileFile, ValuesReadBackAsWritten) {
    TempFolder dir;
    ProfileFile settings(dir.file16("p"));
    const std::u16string values[] = {u"",           u"/plain",   u" /blank at both ends ",
                                     u"\"quoted\"", u"'single'", u"a=b;c",
                                     u"/home/用户"};
    for (const auto& v : values) {
        ASSERT_TRUE(settings.writeString(u"info", u"road", v).ok());
        EXPECT_EQ(settings.readString(u"info", u"road", u"dflt"), v);
    }
    // A line break cannot live in a line: the value ends there, and no line is injected.
    ASSERT_TRUE(settings.writeString(u"info", u"road", u"/a\nopen=1").ok());
    EXPECT_EQ(settings.readString(u"info", u"road", u""), u"/a");
    EXPECT_EQ(settings.readString(u"info", u"open", u"none"), u"none");
}

TEST(ProfileFile, RefusedWritesLeaveTheFile) {
    TempFolder dir;
    const std::string path = dir.file("option.dat");
    const std::u16string p = dir.file16("option.dat");
    writeText(path, "[info]\nroad=old\n");

    struct Case {
        std::u16string section, key;
    } invalid[] = {{u"", u"k"},       {u"in]fo", u"k"},  {u"info", u""},  {u"info", u"a=b"},
                   {u"in\nfo", u"k"}, {u"info", u"k\r"}, {u"info", u"[k"}};
    for (const auto& c : invalid)
        EXPECT_EQ(writeProfileString(p, c.section, c.key, u"v").error(), EINVAL);

    ::chmod(path.c_str(), 0444);
    ProfileFile settings(p);
    FileResult r = settings.writeString(u"info", u"road", u"new");
    EXPECT_EQ(r.error(), EACCES);
    EXPECT_EQ(settings.writeString(u"info", u"road", u"old").error(), EACCES);  // even unchanged
    EXPECT_EQ(readText(path), "[info]\nroad=old\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"option.dat"});

    EXPECT_EQ(writeProfileString(dir.file16("missing/option.dat"), u"info", u"road", u"x").error(),
              ENOENT);
}

TEST(ProfileFile, FlagConversion) {
    struct Case {
        std::u16string text;
        bool whenDefaultFalse, whenDefaultTrue;
    } cases[] = {
        {u"1", true, true},     {u"-1", true, true},   {u"2", true, true},
        {u"0x10", true, true},  {u"0X1f", true, true}, {u"$A", true, true},
        {u" 1", true, true},    {u"0", false, false},  {u"0x0", false, false},
        {u"$0", false, false},  {u"-0", false, false}, {u"yes", false, true},
        {u"true", false, true}, {u"", false, true},    {u"0x", false, true},
        {u"1 ", false, true},   {u"1.0", false, true}, {u"99999999999", false, true},
    };
    for (const auto& c : cases) {
        std::string name(c.text.begin(), c.text.end());
        EXPECT_EQ(profileTextToFlag(c.text, false), c.whenDefaultFalse) << name;
        EXPECT_EQ(profileTextToFlag(c.text, true), c.whenDefaultTrue) << name;
    }
}

TEST(ProfileFile, ReadBoolFromFile) {
    TempFolder dir;
    writeText(dir.file("p"), "[info]\nopen=yes\nother=0x10\n");
    ProfileFile settings(dir.file16("p"));
    EXPECT_TRUE(settings.readBool(u"info", u"open", true));
    EXPECT_FALSE(settings.readBool(u"info", u"open", false));
    EXPECT_TRUE(settings.readBool(u"info", u"other", false));
    EXPECT_FALSE(settings.readBool(u"info", u"missing", false));
    ASSERT_TRUE(settings.writeBool(u"info", u"open", true).ok());
    EXPECT_EQ(settings.readString(u"info", u"open", u""), u"1");
}

}  // namespace
