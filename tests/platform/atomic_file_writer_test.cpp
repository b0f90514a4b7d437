#include "platform/AtomicFileWriter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "tests/platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kOld = "old content that must survive";
const std::string kNew = "new content, somewhat longer than the old one";

mode_t modeOf(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(AtomicFileWriter, CreatesAndReplaces) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    const std::string target = dir.file("temp.cds");

    ASSERT_TRUE(writeFileAtomically(dir.file16("temp.cds"), bytesOf(kOld)).ok());
    EXPECT_EQ(readText(target), kOld);

    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(dir.file16("temp.cds"), bytesOf(kNew)).ok());
    EXPECT_EQ(readText(target), kNew);
    EXPECT_EQ(modeOf(target), 0640u);  // the old file's permissions carry over
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"temp.cds"});

    // Empty content is a valid file of zero bytes.
    ASSERT_TRUE(writeFileAtomically(dir.file16("temp.cds"), {}).ok());
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST(AtomicFileWriter, PartialWritesThatProgressComplete) {
    TempFolder dir;
    FileWriteCalls calls = FileWriteCalls::system();
    auto real = calls.FWrite;
    calls.FWrite = [real](int fd, const void* data, std::size_t size) {
        return real(fd, data, size < 3 ? size : 3);
    };
    ASSERT_TRUE(writeFileAtomically(dir.file16("f"), bytesOf(kNew), calls).ok());
    EXPECT_EQ(readText(dir.file("f")), kNew);
}

// Each failure reaches the caller with its error, and the old file stays byte for byte.
TEST(AtomicFileWriter, FailuresKeepTheOldFile) {
    struct Case {
        const char* what;
        std::function<void(FileWriteCalls&)> breakIt;
        int error;
    };
    const Case cases[] = {
        {"write fails after 10 bytes",
         [](FileWriteCalls& c) {
             auto real = c.FWrite;
             auto written = std::make_shared<std::size_t>(0);
             c.FWrite = [real, written](int fd, const void* data, std::size_t size) -> ssize_t {
                 if (*written >= 10) {
                     errno = ENOSPC;
                     return -1;
                 }
                 std::size_t n = std::min(size, 10 - *written);
                 *written += n;
                 return real(fd, data, n);
             };
         },
         ENOSPC},
        {"write makes no progress",
         [](FileWriteCalls& c) {
             c.FWrite = [](int, const void*, std::size_t) -> ssize_t { return 0; };
         },
         ENOSPC},
        {"sync fails",
         [](FileWriteCalls& c) {
             c.FSync = [](int) {
                 errno = EIO;
                 return -1;
             };
         },
         EIO},
        {"close fails after closing",
         [](FileWriteCalls& c) {
             auto real = c.FClose;
             c.FClose = [real](int fd) {
                 real(fd);
                 errno = EIO;
                 return -1;
             };
         },
         EIO},
        {"rename fails",
         [](FileWriteCalls& c) {
             c.FRename = [](const char*, const char*) {
                 errno = EACCES;
                 return -1;
             };
         },
         EACCES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        writeText(dir.file("temp.cds"), kOld);
        FileWriteCalls calls = FileWriteCalls::system();
        c.breakIt(calls);

        FileResult r = writeFileAtomically(dir.file16("temp.cds"), bytesOf(kNew), calls);
        EXPECT_FALSE(r.ok());
        EXPECT_EQ(r.error(), c.error);
        EXPECT_FALSE(r.message().empty());
        EXPECT_EQ(readText(dir.file("temp.cds")), kOld);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"temp.cds"});  // no temporary left
    }
}

TEST(AtomicFileWriter, FailureIsSticky) {
    TempFolder dir;
    FileWriteCalls calls = FileWriteCalls::system();
    calls.FWrite = [](int, const void*, std::size_t) -> ssize_t {
        errno = EIO;
        return -1;
    };
    AtomicFileWriter writer(calls);
    ASSERT_TRUE(writer.open(dir.file16("f")).ok());
    EXPECT_EQ(writer.write("abc", 3).error(), EIO);
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(writer.write("abc", 3).error(), EIO);
    EXPECT_EQ(writer.commit().error(), EIO);
    EXPECT_FALSE(fs::exists(dir.file("f")));
    EXPECT_TRUE(dir.entries().empty());
}

TEST(AtomicFileWriter, UncommittedWriterLeavesNothing) {
    TempFolder dir;
    writeText(dir.file("temp.cds"), kOld);
    {
        AtomicFileWriter writer;
        ASSERT_TRUE(writer.open(dir.file16("temp.cds")).ok());
        EXPECT_TRUE(fs::exists(writer.temporaryPath()));
        ASSERT_TRUE(writer.write(kNew.data(), kNew.size()).ok());
    }
    EXPECT_EQ(readText(dir.file("temp.cds")), kOld);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"temp.cds"});
}

TEST(AtomicFileWriter, RefusesWhatCannotBeCreated) {
    TempFolder dir;
    fs::create_directory(dir.file("folder"));
    writeText(dir.file("readonly"), kOld);
    ::chmod(dir.file("readonly").c_str(), 0444);
    struct Case {
        std::string name;
        int error;
    } cases[] = {
        {"missing/f", ENOENT},
        {"folder", EISDIR},
        {"readonly", EACCES},
    };
    for (const auto& c : cases) {
        AtomicFileWriter writer;
        FileResult r = writer.open(dir.file16(c.name));
        EXPECT_EQ(r.error(), c.error) << c.name;
        EXPECT_FALSE(writer.isOpen());
    }
    EXPECT_EQ(readText(dir.file("readonly")), kOld);
    EXPECT_EQ(AtomicFileWriter().open(u"").error(), ENOENT);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder", "readonly"}));
}

TEST(AtomicFileWriter, LongestNameStillWorks) {
    TempFolder dir;
    const std::string name(255, 'n');  // the longest name a folder entry may have
    ASSERT_TRUE(writeFileAtomically(dir.file16(name), bytesOf(kNew)).ok());
    EXPECT_EQ(readText(dir.file(name)), kNew);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{name});
}

TEST(AtomicFileWriter, ReplacesTheFileBehindALink) {
    TempFolder dir;
    writeText(dir.file("real"), kOld);
    fs::create_symlink(dir.file("real"), dir.file("link"));
    ASSERT_TRUE(writeFileAtomically(dir.file16("link"), bytesOf(kNew)).ok());
    EXPECT_TRUE(fs::is_symlink(dir.file("link")));
    EXPECT_EQ(readText(dir.file("real")), kNew);
}

}  // namespace
