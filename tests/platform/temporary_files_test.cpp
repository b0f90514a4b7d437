#include "platform/TemporaryFiles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/AtomicFileWriter.h"
#include "tests/platform/TempFolder.h"

namespace {

// The id of a process that has run and is gone.
long finishedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(TemporaryFiles, NamesAreRecognisedForTheirTarget) {
    const std::string made = temporaryNameFor("/data/temp.cds");
    const std::string name = made.substr(made.rfind('/') + 1);
    EXPECT_EQ(temporaryFileWriter(name, "temp.cds"), static_cast<long>(::getpid()));
    EXPECT_EQ(temporaryFileWriter(name), static_cast<long>(::getpid()));
    EXPECT_EQ(temporaryFileWriter(name, "temp.cds.bak"), 0);

    struct Case {
        const char* name;
        const char* target;
        long writer;
    } cases[] = {
        {".temp.cds.tmp123-0-456", "temp.cds", 123},
        {".a.tmp.tmp7-1-2", "a.tmp", 7},  // a target name holding the mark itself
        {".temp.cds.tmp123-0-456", "", 123},
        {"temp.cds.tmp123-0-456", "", 0},    // no leading dot
        {".temp.cds.tmp123-0", "", 0},       // a part missing
        {".temp.cds.tmp123-0-456x", "", 0},  // something after it
        {".temp.cds.tmp-0-456", "", 0},      // no writer
        {".tmp1-2-3", "", 0},                // no target name
        {".temp.cds", "", 0},
        {"stations.cds", "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(temporaryFileWriter(c.name, c.target), c.writer) << c.name;

    // A long target name is shortened in the temporary name and still recognised.
    const std::string longName(200, 'n');
    const std::string longMade = temporaryNameFor("/d/" + longName);
    EXPECT_NE(temporaryFileWriter(longMade.substr(3), longName), 0);
}

// A save killed half-way leaves its temporary file; the next complete save of the same target
// removes it, and keeps what may still be a save in progress or belongs to another file.
TEST(TemporaryFiles, TheNextSaveRemovesWhatAKilledSaveLeft) {
    TempFolder dir;
    ASSERT_TRUE(dir.valid());
    const long gone = finishedProcess();
    const std::string killed = ".temp.cds.tmp" + std::to_string(gone) + "-0-1";
    const std::string running = ".temp.cds.tmp" + std::to_string(::getpid()) + "-99-1";
    const std::string otherFile = ".other.cds.tmp" + std::to_string(gone) + "-0-1";
    for (const std::string& name : {killed, running, otherFile}) writeText(dir.file(name), "half");

    ASSERT_TRUE(writeFileAtomically(dir.file16("temp.cds"), bytesOf("complete")).ok());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{otherFile, running, "temp.cds"}));
    EXPECT_EQ(readText(dir.file("temp.cds")), "complete");

    // At start-up the whole folder is swept.
    removeLeftTemporaryFilesIn(utf8ToUtf16(dir.path()));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{running, "temp.cds"}));
}

}  // namespace
