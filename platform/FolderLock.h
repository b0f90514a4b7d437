#pragma once
// One program per application-data folder: an exclusive lock on a lock file in the folder,
// held for as long as the object lives (and at the latest until the process ends, however it
// ends: the system drops the lock with the process's last open descriptor of the file).

#include <string>

class FolderLock {
  public:
    // The lock file's name inside the folder.
    static constexpr const char* kLockFileName = "instance.lock";

    // Takes the lock of `folder` (a full path, UTF-8) without waiting. The lock file is created
    // when missing; its content is never read or written.
    static FolderLock take(const std::string& folder);

    FolderLock() = default;
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // This object holds the lock.
    bool held() const { return FDescriptor >= 0; }
    // Another holder has the lock (another process, or another FolderLock of this one).
    bool heldElsewhere() const { return FHeldElsewhere; }
    // Why the lock was not taken: an errno value (EWOULDBLOCK when held elsewhere, the open's
    // error when the lock file could not be opened, ENOENT for an empty folder); 0 when held.
    int error() const { return FError; }

    // Gives the lock up now (the lock file stays).
    void release();

  private:
    int FDescriptor = -1;
    bool FHeldElsewhere = false;
    int FError = 0;
};
