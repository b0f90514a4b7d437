#pragma once
// Replaces a file atomically: the bytes go to a temporary file in the target's folder, which is
// flushed to disk and then renamed over the target. Until the rename the target is untouched;
// any failure removes the temporary file and leaves the old file byte for byte as it was.
//
// Every write is checked; a short write that makes no progress counts as "No space left on
// device", never as a partial success. The sync and the close are checked as well, because a
// file system may report a lost write only there.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/FileResult.h"

// The system calls the writer makes, replaceable so tests can make any of them fail.
struct FileWriteCalls {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> FWrite;
    std::function<int(int fd)> FSync;
    std::function<int(int fd)> FClose;
    std::function<int(const char* from, const char* to)> FRename;

    // The real calls.
    static FileWriteCalls system();
};

class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(FileWriteCalls calls = FileWriteCalls::system());
    // Discards the temporary file unless commit succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file for `path`. Fails when the target is a folder or an existing
    // target may not be written (a read-only file stays read-only), or when the folder does not
    // exist or refuses a new file. A file with no write permission bit is read-only even for
    // the administrator. A target that is a symbolic link is resolved: the file it
    // points to is replaced and the link kept. The new file gets the old file's permissions,
    // or the usual ones for a new file.
    FileResult open(std::u16string_view path);
    // Appends bytes. After the first failure the temporary file is gone and every further call
    // answers that failure again.
    FileResult write(const void* data, std::size_t size);
    FileResult write(std::span<const std::uint8_t> bytes) {
        return write(bytes.data(), bytes.size());
    }
    // Syncs, closes and renames the temporary file over the target.
    FileResult commit();
    // Drops the temporary file; the target stays as it was.
    void discard();

    bool isOpen() const { return FFd >= 0; }
    // The temporary file's path while open (for tests and diagnostics).
    const std::string& temporaryPath() const { return FTempPath; }

  private:
    FileResult fail(int error);

    FileWriteCalls FCalls;
    std::string FTarget;
    std::string FTempPath;
    int FFd = -1;
    FileResult FFailure;
};

// Opens, writes all bytes and commits in one go.
FileResult writeFileAtomically(std::u16string_view path, std::span<const std::uint8_t> bytes,
                               FileWriteCalls calls = FileWriteCalls::system());
