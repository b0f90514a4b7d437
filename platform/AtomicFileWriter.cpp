#include "platform/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/TemporaryFiles.h"
#include "platform/Unicode.h"

namespace {
std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename has happened; a failing folder sync cannot undo it, so it is not reported.
    (void)::fsync(fd);
    ::close(fd);
}
}  // namespace

FileWriteCalls FileWriteCalls::system() {
    FileWriteCalls calls;
    calls.FWrite = [](int fd, const void* data, std::size_t size) {
        return ::write(fd, data, size);
    };
    calls.FSync = [](int fd) { return ::fsync(fd); };
    calls.FClose = [](int fd) { return ::close(fd); };
    calls.FRename = [](const char* from, const char* to) { return std::rename(from, to); };
    return calls;
}

AtomicFileWriter::AtomicFileWriter(FileWriteCalls calls) : FCalls(std::move(calls)) {}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

FileResult AtomicFileWriter::open(std::u16string_view path) {
    discard();
    FFailure = FileResult();
    FTarget = utf16ToUtf8(path);
    if (FTarget.empty()) return FileResult(ENOENT);

    struct stat st;
    if (::lstat(FTarget.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(FTarget.c_str(), nullptr)) {
            FTarget = resolved;
            std::free(resolved);
        }
    }
    mode_t mode = 0666;  // narrowed by the process's umask, as for any new file
    bool exists = ::stat(FTarget.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return FileResult(EISDIR);
        // A file without any write permission is read-only for everyone, its owner and the
        // administrator included; the rename would otherwise replace it regardless.
        if ((st.st_mode & 0222) == 0) return FileResult(EACCES);
        if (::access(FTarget.c_str(), W_OK) != 0) return FileResult(errno);
    }

    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = temporaryNameFor(FTarget);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            if (exists) (void)::fchmod(fd, st.st_mode & 07777);
            FFd = fd;
            FTempPath = std::move(candidate);
            return FileResult();
        }
        if (errno != EEXIST) return FileResult(errno);
    }
    return FileResult(EEXIST);
}

FileResult AtomicFileWriter::fail(int error) {
    discard();
    FFailure = FileResult(error);
    return FFailure;
}

FileResult AtomicFileWriter::write(const void* data, std::size_t size) {
    if (!FFailure.ok()) return FFailure;
    if (!isOpen()) return FileResult(EBADF);
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = FCalls.FWrite(FFd, bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (n == 0) return fail(ENOSPC);
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return FileResult();
}

FileResult AtomicFileWriter::commit() {
    if (!FFailure.ok()) return FFailure;
    if (!isOpen()) return FileResult(EBADF);
    if (FCalls.FSync(FFd) != 0) return fail(errno);
    int fd = FFd;
    FFd = -1;
    if (FCalls.FClose(fd) != 0) {
        int error = errno;
        ::unlink(FTempPath.c_str());
        FTempPath.clear();
        FFailure = FileResult(error);
        return FFailure;
    }
    if (FCalls.FRename(FTempPath.c_str(), FTarget.c_str()) != 0) {
        int error = errno;
        ::unlink(FTempPath.c_str());
        FTempPath.clear();
        FFailure = FileResult(error);
        return FFailure;
    }
    FTempPath.clear();
    syncFolder(folderOf(FTarget));
    // A save of this target that was killed earlier left its temporary file; this one is
    // complete, so that one can go.
    removeLeftTemporaryFiles(FTarget);
    return FileResult();
}

void AtomicFileWriter::discard() {
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
    if (!FTempPath.empty()) {
        ::unlink(FTempPath.c_str());
        FTempPath.clear();
    }
}

FileResult writeFileAtomically(std::u16string_view path, std::span<const std::uint8_t> bytes,
                               FileWriteCalls calls) {
    AtomicFileWriter writer(std::move(calls));
    if (FileResult r = writer.open(path); !r) return r;
    if (FileResult r = writer.write(bytes); !r) return r;
    return writer.commit();
}
