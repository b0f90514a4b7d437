#include "platform/AppPaths.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Unicode.h"
#include "tests/platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Sets or unsets an environment variable for one test and restores it afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name)) FOld = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }

  private:
    const char* FName;
    std::optional<std::string> FOld;
};

class AppPathsTest : public ::testing::Test {
  protected:
    TempFolder FTemp;
    const std::string FDir = FTemp.path();
};

TEST_F(AppPathsTest, UsesXdgDataHomeAndCreatesIt) {
    const std::string xdg = FDir + "/xdg/data";  // parents missing too
    ScopedEnv x("XDG_DATA_HOME", xdg.c_str());
    ScopedEnv h("HOME", (FDir + "/home").c_str());
    EXPECT_EQ(appDataFolderUtf8(), xdg + "/rovena");
    EXPECT_EQ(AppDataFolder(), utf8ToUtf16(xdg + "/rovena"));
    EXPECT_TRUE(fs::is_directory(xdg + "/rovena"));
    // A second call finds the folder in place.
    EXPECT_EQ(appDataFolderUtf8(), xdg + "/rovena");
}

TEST_F(AppPathsTest, FallsBackToHome) {
    const std::string home = FDir + "/home";
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        ScopedEnv x("XDG_DATA_HOME", xdg);
        ScopedEnv h("HOME", (home + "/").c_str());
        EXPECT_EQ(appDataFolderUtf8(), home + "/.local/share/rovena");
    }
    EXPECT_TRUE(fs::is_directory(home + "/.local/share/rovena"));
}

TEST_F(AppPathsTest, EmptyWhenNoFolderCanBeHad) {
    {
        ScopedEnv x("XDG_DATA_HOME", nullptr);
        ScopedEnv h("HOME", nullptr);
        EXPECT_EQ(AppDataFolder(), u"");
    }
    {
        ScopedEnv x("XDG_DATA_HOME", nullptr);
        ScopedEnv h("HOME", "");
        EXPECT_EQ(AppDataFolder(), u"");
    }
    {
        // A file stands where a folder is needed.
        fs::create_directory(FDir + "/xdg");
        ::close(::creat((FDir + "/xdg/rovena").c_str(), 0600));
        ScopedEnv x("XDG_DATA_HOME", (FDir + "/xdg").c_str());
        EXPECT_EQ(AppDataFolder(), u"");
    }
}

TEST(AppPaths, ComposePath) {
    EXPECT_EQ(composePath(u"/home/u/.local/share/rovena", u"temp.cds"),
              u"/home/u/.local/share/rovena/temp.cds");
    EXPECT_EQ(composePath(u"", u"option.dat"), u"/option.dat");
    EXPECT_EQ(composePath(u"/out", u"x.cds.cds"), u"/out/x.cds.cds");
}

TEST(AppPaths, ExpandFileName) {
    const std::u16string cwd = utf8ToUtf16(fs::current_path().string());
    EXPECT_EQ(expandFileName(u""), u"");
    EXPECT_EQ(expandFileName(u"/a/b/../c/./d.cds"), u"/a/c/d.cds");
    EXPECT_EQ(expandFileName(u"//a///b"), u"/a/b");
    EXPECT_EQ(expandFileName(u"x.cds"), cwd + u"/x.cds");
    EXPECT_EQ(expandFileName(u"电台.cds"), cwd + u"/电台.cds");
}

}  // namespace
