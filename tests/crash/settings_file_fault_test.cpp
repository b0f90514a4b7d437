// The settings file under the faults users meet: a disk that fills up and a program killed while
// it writes. Either way the file afterwards holds settings that were written whole, never a
// mixture of bytes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "platform/TemporaryFiles.h"
#include "platform/Unicode.h"
#include "stations/SettingsFile.h"
#include "tests/platform/TempFolder.h"

namespace {
namespace fs = std::filesystem;

bool hasTemporaryFiles(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (temporaryFileWriter(entry.path().filename().string()) != 0) return true;
    }
    return false;
}

// A small file system of its own, so that filling it up touches nothing else.
class SmallDisk {
  public:
    SmallDisk() {
        if (!FFolder.valid()) return;
        FMounted = ::mount("tmpfs", FFolder.path().c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (FMounted) ::umount(FFolder.path().c_str());
    }
    bool mounted() const { return FMounted; }
    std::string file(const std::string& name) const { return FFolder.file(name); }
    std::string path() const { return FFolder.path(); }

    // Writes a filler file until the disk refuses another byte.
    void fill() const {
        std::ofstream filler(file("filler"), std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
        std::ofstream last(file("filler2"), std::ios::binary);
        while (last.put('x') && last.flush()) {
        }
    }

  private:
    TempFolder FFolder;
    bool FMounted = false;
};

TEST(SettingsFileFaults, AFullDiskKeepsThePreviousSettings) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs the administrator";
    const std::u16string settings = utf8ToUtf16(disk.file("option.dat"));
    writeOutputSettings(settings, {u"/home/用户/电台", true});

    disk.fill();
    const OutputSettings wanted{u"/media/" + std::u16string(8000, u'长'), false};
    EXPECT_THROW(writeOutputSettings(settings, wanted), EIniFileException);

    const OutputSettings read = readOutputSettings(settings, {u"unset", false});
    EXPECT_EQ(read.outputFolder, u"/home/用户/电台");
    EXPECT_TRUE(read.openFolder);
    EXPECT_FALSE(hasTemporaryFiles(disk.path()));
}

// A child writes one of two settings over and over and is killed at a random moment, 100
// times. Each value is written whole (road first, then open), so every read finds each key at
// one of its two values and the file never breaks.
TEST(SettingsFileFaults, AKillWhileWritingLeavesWholeValues) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    const std::u16string settings = dir.file16("option.dat");
    const OutputSettings a{u"/home/甲/电台/" + std::u16string(300, u'a'), true};
    const OutputSettings b{u"/srv/乙", false};
    writeOutputSettings(settings, a);

    std::mt19937 random(20261210);
    for (int round = 0; round < 100; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) writeOutputSettings(settings, i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

        const OutputSettings read = readOutputSettings(settings, {u"unset", false});
        EXPECT_TRUE(read.outputFolder == a.outputFolder || read.outputFolder == b.outputFolder)
            << "round " << round << ": " << utf16ToUtf8(read.outputFolder);
        ASSERT_FALSE(HasFailure());
    }
    // The next write clears the temporary files the kills left.
    writeOutputSettings(settings, b);
    EXPECT_FALSE(hasTemporaryFiles(dir.path()));
    const OutputSettings read = readOutputSettings(settings, {u"unset", true});
    EXPECT_EQ(read.outputFolder, b.outputFolder);
    EXPECT_FALSE(read.openFolder);
}

}  // namespace
