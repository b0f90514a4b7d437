#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

FolderLock FolderLock::take(const std::string& folder) {
    FolderLock lock;
    if (folder.empty()) {
        lock.FError = ENOENT;
        return lock;
    }
    const std::string path = (folder == "/" ? std::string() : folder) + "/" + kLockFileName;
    // Close-on-exec: a program the window starts (a file manager, a browser) must not inherit
    // the descriptor, or the lock would outlive the window with it.
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        lock.FError = errno;
        return lock;
    }
    // The lock belongs to this open file description: a second open of the same file, in this
    // process or another, cannot take it while this one holds it.
    int locked;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        lock.FError = errno;
        lock.FHeldElsewhere = errno == EWOULDBLOCK;
        ::close(descriptor);
        return lock;
    }
    lock.FDescriptor = descriptor;
    return lock;
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : FDescriptor(other.FDescriptor), FHeldElsewhere(other.FHeldElsewhere), FError(other.FError) {
    other.FDescriptor = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        release();
        FDescriptor = other.FDescriptor;
        FHeldElsewhere = other.FHeldElsewhere;
        FError = other.FError;
        other.FDescriptor = -1;
    }
    return *this;
}

FolderLock::~FolderLock() {
    release();
}

void FolderLock::release() {
    if (FDescriptor < 0) return;
    // Closing the only descriptor of the open file description drops the lock.
    ::close(FDescriptor);
    FDescriptor = -1;
}
