// One program per data folder: the folder's lock refuses a second holder while it is held, and
// is free again once its holder lets go, however the holder ends.

#include "platform/FolderLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "tests/platform/TempFolder.h"

extern char** environ;

namespace {

TEST(FolderLock, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    TempFolder folder;
    TempFolder other;
    ASSERT_TRUE(folder.valid() && other.valid());

    FolderLock first = FolderLock::take(folder.path());
    ASSERT_TRUE(first.held());
    EXPECT_EQ(first.error(), 0);

    // Another lock of the same folder, even in the same process, is refused; another folder's
    // lock is its own.
    const FolderLock second = FolderLock::take(folder.path());
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.heldElsewhere());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
    EXPECT_TRUE(FolderLock::take(other.path()).held());

    // Moved, the lock stays held; released, it can be taken again.
    FolderLock moved = std::move(first);
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(FolderLock::take(folder.path()).heldElsewhere());
    moved.release();
    EXPECT_FALSE(moved.held());
    EXPECT_TRUE(FolderLock::take(folder.path()).held());
}

TEST(FolderLock, AFolderThatCannotHoldALockFileIsNotTakenNorHeldElsewhere) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    for (const std::string& path : {std::string(), folder.file("missing")}) {
        SCOPED_TRACE(path);
        const FolderLock lock = FolderLock::take(path);
        EXPECT_FALSE(lock.held());
        EXPECT_FALSE(lock.heldElsewhere());
        EXPECT_EQ(lock.error(), ENOENT);
    }
}

TEST(FolderLock, AKilledHolderLeavesTheLockFree) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const FolderLock lock = FolderLock::take(folder.path());
        const char taken = lock.held() ? 'y' : 'n';
        (void)::write(ready[1], &taken, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char taken = 0;
    ASSERT_EQ(::read(ready[0], &taken, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(taken, 'y');

    EXPECT_TRUE(FolderLock::take(folder.path()).heldElsewhere());
    ASSERT_EQ(::kill(holder, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(FolderLock::take(folder.path()).held());
}

// A program the holder starts (a file manager, a browser) outlives it often; it must not take
// the lock along.
TEST(FolderLock, AProgramStartedByTheHolderDoesNotKeepTheLock) {
    TempFolder folder;
    ASSERT_TRUE(folder.valid());
    FolderLock lock = FolderLock::take(folder.path());
    ASSERT_TRUE(lock.held());
    pid_t started = 0;
    char sleepPath[] = "/bin/sleep";
    char seconds[] = "30";
    char* arguments[] = {sleepPath, seconds, nullptr};
    ASSERT_EQ(::posix_spawn(&started, sleepPath, nullptr, nullptr, arguments, environ), 0);

    lock.release();
    EXPECT_TRUE(FolderLock::take(folder.path()).held());
    ::kill(started, SIGKILL);
    ::waitpid(started, nullptr, 0);
}

}  // namespace
