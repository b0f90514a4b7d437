#include "platform/FileOps.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

#include "tests/platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

TEST(FileOps, ReadWholeFile) {
    TempFolder dir;
    std::string big(200'000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    writeText(dir.file("big"), big);
    writeText(dir.file("empty"), "");
    fs::create_directory(dir.file("folder"));

    std::vector<std::uint8_t> bytes{1, 2, 3};
    ASSERT_TRUE(readWholeFile(dir.file16("big"), bytes).ok());
    EXPECT_EQ(bytes, bytesOf(big));
    ASSERT_TRUE(readWholeFile(dir.file16("empty"), bytes).ok());
    EXPECT_TRUE(bytes.empty());

    bytes = {1};
    FileResult r = readWholeFile(dir.file16("missing"), bytes);
    EXPECT_EQ(r.error(), ENOENT);
    EXPECT_EQ(r.messageUtf8(), "No such file or directory");
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(readWholeFile(dir.file16("folder"), bytes).error(), EISDIR);
}

// A device or a pipe chosen as a file is refused at once: /dev/zero would otherwise be read
// until memory ran out, and a pipe without a writer would wait for ever.
TEST(FileOps, ReadWholeFileRefusesDevicesAndPipes) {
    TempFolder dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    for (const std::u16string& path : {std::u16string(u"/dev/zero"), dir.file16("pipe")}) {
        std::vector<std::uint8_t> bytes{1};
        const FileResult r = readWholeFile(path, bytes);
        EXPECT_EQ(r.error(), FileResult::kNotRegularFile);
        EXPECT_EQ(r.messageUtf8(), "Not a regular file");
        EXPECT_TRUE(bytes.empty());
    }
}

TEST(FileOps, MoveRefusesExistingTarget) {
    TempFolder dir;
    writeText(dir.file("temp.cds"), "working");
    writeText(dir.file("taken.cds"), "earlier station file");

    EXPECT_EQ(moveFile(dir.file16("temp.cds"), dir.file16("taken.cds")).error(), EEXIST);
    EXPECT_EQ(readText(dir.file("temp.cds")), "working");
    EXPECT_EQ(readText(dir.file("taken.cds")), "earlier station file");

    fs::create_directory(dir.file("out"));
    ASSERT_TRUE(moveFile(dir.file16("temp.cds"), dir.file16("out/电台.cds")).ok());
    EXPECT_FALSE(fs::exists(dir.file("temp.cds")));
    EXPECT_EQ(readText(dir.file("out/电台.cds")), "working");

    // The working file is gone now: a second move has nothing to move.
    EXPECT_EQ(moveFile(dir.file16("temp.cds"), dir.file16("out/b.cds")).error(), ENOENT);
    // A missing target folder.
    writeText(dir.file("temp.cds"), "again");
    EXPECT_EQ(moveFile(dir.file16("temp.cds"), dir.file16("nowhere/b.cds")).error(), ENOENT);
    EXPECT_EQ(moveFile(dir.file16("temp.cds"), u"").error(), ENOENT);
    EXPECT_EQ(readText(dir.file("temp.cds")), "again");
}

TEST(FileOps, MoveByCopy) {
    TempFolder dir;
    writeText(dir.file("a"), "payload");
    ::chmod(dir.file("a").c_str(), 0640);
    writeText(dir.file("taken"), "keep");

    EXPECT_EQ(moveFileByCopy(dir.file16("a"), dir.file16("taken")).error(), EEXIST);
    EXPECT_EQ(readText(dir.file("taken")), "keep");
    EXPECT_EQ(moveFileByCopy(dir.file16("missing"), dir.file16("b")).error(), ENOENT);
    EXPECT_FALSE(fs::exists(dir.file("b")));

    ASSERT_TRUE(moveFileByCopy(dir.file16("a"), dir.file16("b")).ok());
    EXPECT_FALSE(fs::exists(dir.file("a")));
    EXPECT_EQ(readText(dir.file("b")), "payload");
    EXPECT_EQ(fs::status(dir.file("b")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileOps, MoveAcrossFileSystems) {
    TempFolder here;
    TempFolder there("/dev/shm");
    struct stat a, b;
    if (!there.valid() || ::stat(here.path().c_str(), &a) != 0 ||
        ::stat(there.path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    writeText(here.file("temp.cds"), "across");
    writeText(there.file("taken.cds"), "keep");
    EXPECT_EQ(moveFile(here.file16("temp.cds"), there.file16("taken.cds")).error(), EEXIST);
    ASSERT_TRUE(moveFile(here.file16("temp.cds"), there.file16("new.cds")).ok());
    EXPECT_FALSE(fs::exists(here.file("temp.cds")));
    EXPECT_EQ(readText(there.file("new.cds")), "across");
    EXPECT_EQ(readText(there.file("taken.cds")), "keep");
}

// Replacing a station file: the new bytes take the old name, by rename or, across file
// systems, by a complete copy renamed over it; a read-only target or a folder is refused and
// nothing moves.
TEST(FileOps, MoveReplacing) {
    TempFolder here;
    TempFolder there("/dev/shm");
    writeText(here.file("taken.cds"), "earlier");
    writeText(here.file("locked.cds"), "locked");
    ::chmod(here.file("locked.cds").c_str(), 0444);
    fs::create_directory(here.file("folder.cds"));

    writeText(here.file("temp.cds"), "new");
    EXPECT_EQ(moveFileReplacing(here.file16("temp.cds"), here.file16("locked.cds")).error(),
              EACCES);
    EXPECT_EQ(moveFileReplacing(here.file16("temp.cds"), here.file16("folder.cds")).error(),
              EISDIR);
    EXPECT_EQ(moveFileReplacing(here.file16("missing"), here.file16("taken.cds")).error(), ENOENT);
    EXPECT_EQ(readText(here.file("locked.cds")), "locked");
    EXPECT_EQ(readText(here.file("taken.cds")), "earlier");

    ASSERT_TRUE(moveFileReplacing(here.file16("temp.cds"), here.file16("taken.cds")).ok());
    EXPECT_FALSE(fs::exists(here.file("temp.cds")));
    EXPECT_EQ(readText(here.file("taken.cds")), "new");

    // The copy path, called directly so that it runs without a second file system too.
    writeText(here.file("temp.cds"), "copied");
    ASSERT_TRUE(moveFileReplacingByCopy(here.file16("temp.cds"), here.file16("taken.cds")).ok());
    EXPECT_FALSE(fs::exists(here.file("temp.cds")));
    EXPECT_EQ(readText(here.file("taken.cds")), "copied");
    // taken.cds, locked.cds and folder.cds: no temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(here.path()), fs::directory_iterator()), 3);

    struct stat a, b;
    if (!there.valid() || ::stat(here.path().c_str(), &a) != 0 ||
        ::stat(there.path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    writeText(here.file("temp.cds"), "across");
    writeText(there.file("taken.cds"), "keep");
    ASSERT_TRUE(moveFileReplacing(here.file16("temp.cds"), there.file16("taken.cds")).ok());
    EXPECT_FALSE(fs::exists(here.file("temp.cds")));
    EXPECT_EQ(readText(there.file("taken.cds")), "across");
    EXPECT_EQ(std::distance(fs::directory_iterator(there.path()), fs::directory_iterator()), 1);
}

TEST(FileOps, DeleteAndExists) {
    TempFolder dir;
    writeText(dir.file("f"), "x");
    fs::create_directory(dir.file("folder"));
    EXPECT_TRUE(fileExists(dir.file16("f")));
    EXPECT_FALSE(fileExists(dir.file16("folder")));
    ASSERT_TRUE(deleteFile(dir.file16("f")).ok());
    EXPECT_FALSE(fileExists(dir.file16("f")));
    EXPECT_EQ(deleteFile(dir.file16("f")).error(), ENOENT);
    EXPECT_FALSE(deleteFile(dir.file16("folder")).ok());
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
}

// The window shows the common reasons in Chinese; any other reason, and every reason outside
// the window, keeps the system's text.
TEST(FileOps, ErrorReasonsInChinese) {
    struct Case {
        int error;
        const char* chinese;
    };
    const Case cases[] = {
        {EEXIST, "文件已存在"},         {EACCES, "拒绝访问"},         {EPERM, "拒绝访问"},
        {ENOENT, "找不到文件或文件夹"}, {ENOSPC, "磁盘空间不足"},     {EDQUOT, "磁盘空间不足"},
        {EROFS, "文件系统是只读的"},    {ENAMETOOLONG, "文件名太长"}, {EISDIR, "Is a directory"},
        {EIO, "Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(systemErrorText(c.error), std::string(strerror(c.error)));
        setErrorTextLanguage(ErrorTextLanguage::Chinese);
        EXPECT_EQ(FileResult(c.error).messageUtf8(), c.chinese);
        setErrorTextLanguage(ErrorTextLanguage::System);
    }

    // A refused move reports its reason in the chosen language.
    TempFolder dir;
    writeText(dir.file("a"), "a");
    writeText(dir.file("b"), "b");
    setErrorTextLanguage(ErrorTextLanguage::Chinese);
    EXPECT_EQ(moveFile(dir.file16("a"), dir.file16("b")).message(), u"文件已存在");
    setErrorTextLanguage(ErrorTextLanguage::System);
}

}  // namespace
