#include "platform/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/AtomicFileWriter.h"
#include "platform/Unicode.h"

namespace {
// Closes a descriptor when it goes out of scope unless released first.
class FdGuard {
  public:
    explicit FdGuard(int fd) : FFd(fd) {}
    ~FdGuard() {
        if (FFd >= 0) ::close(FFd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return FFd; }
    // Closes now and reports the close's own outcome.
    int close() {
        int fd = FFd;
        FFd = -1;
        return ::close(fd);
    }

  private:
    int FFd;
};

int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int copyContent(int from, int to) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        if (int error = writeAll(to, buffer, static_cast<std::size_t>(n))) return error;
    }
}

// Renames without replacing on a file system that cannot do it atomically: a hard link
// refuses an existing target; where links are not possible, a check then a plain rename.
int renameNoReplaceFallback(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0) return 0;
        int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return errno;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
}  // namespace

FileResult readWholeFile(std::u16string_view path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::string name = utf16ToUtf8(path);
    // Non-blocking, so that opening a pipe without a writer does not wait; only regular files
    // are read, since a device or a pipe need not ever end.
    FdGuard fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return FileResult(errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return FileResult(errno);
    if (S_ISDIR(st.st_mode)) return FileResult(EISDIR);
    if (!S_ISREG(st.st_mode)) return FileResult(FileResult::kNotRegularFile);
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            bytes.clear();
            return FileResult(error);
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return FileResult();
}

FileResult moveFileByCopy(std::u16string_view source, std::u16string_view target) {
    std::string from = utf16ToUtf8(source), to = utf16ToUtf8(target);
    FdGuard in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return FileResult(errno);
    struct stat st;
    if (::fstat(in.get(), &st) != 0) return FileResult(errno);
    if (!S_ISREG(st.st_mode)) return FileResult(S_ISDIR(st.st_mode) ? EXDEV : EINVAL);

    FdGuard out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777));
    if (out.get() < 0) return FileResult(errno);
    int error = copyContent(in.get(), out.get());
    if (error == 0 && ::fsync(out.get()) != 0) error = errno;
    if (error == 0) {
        if (out.close() != 0) error = errno;
    }
    if (error == 0 && ::unlink(from.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(to.c_str());
        return FileResult(error);
    }
    return FileResult();
}

FileResult moveFile(std::u16string_view source, std::u16string_view target) {
    std::string from = utf16ToUtf8(source), to = utf16ToUtf8(target);
    if (from.empty() || to.empty()) return FileResult(ENOENT);
    int error = 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        error = errno;
        if (error == EINVAL || error == ENOSYS || error == ENOTSUP)
            error = renameNoReplaceFallback(from, to);
    }
    if (error == EXDEV) return moveFileByCopy(source, target);
    return FileResult(error);
}

namespace {
// The checks before a target is replaced: a folder is never replaced, and a file the user may
// not write stays as it is (the same answer the atomic writer gives it).
int replaceableTargetError(const std::string& to) {
    struct stat st;
    if (::stat(to.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(to.c_str(), W_OK) != 0)
        return EACCES;
    return 0;
}
}  // namespace

FileResult moveFileReplacingByCopy(std::u16string_view source, std::u16string_view target) {
    std::vector<std::uint8_t> bytes;
    if (FileResult read = readWholeFile(source, bytes); !read) return read;
    if (FileResult written = writeFileAtomically(target, bytes); !written) return written;
    // The target is complete; a source that cannot go is a left-over copy, not a failed move.
    (void)deleteFile(source);
    return FileResult();
}

FileResult moveFileReplacing(std::u16string_view source, std::u16string_view target) {
    std::string from = utf16ToUtf8(source), to = utf16ToUtf8(target);
    if (from.empty() || to.empty()) return FileResult(ENOENT);
    if (int error = replaceableTargetError(to)) return FileResult(error);
    struct stat st;
    if (::stat(from.c_str(), &st) != 0) return FileResult(errno);
    if (!S_ISREG(st.st_mode)) return FileResult(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    if (std::rename(from.c_str(), to.c_str()) == 0) return FileResult();
    if (errno == EXDEV) return moveFileReplacingByCopy(source, target);
    return FileResult(errno);
}

FileResult deleteFile(std::u16string_view path) {
    std::string name = utf16ToUtf8(path);
    return FileResult(::unlink(name.c_str()) == 0 ? 0 : errno);
}

bool fileExists(std::u16string_view path) {
    std::string name = utf16ToUtf8(path);
    struct stat st;
    return ::stat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}
