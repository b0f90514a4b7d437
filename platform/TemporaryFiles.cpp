#include "platform/TemporaryFiles.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <random>

#include "platform/Unicode.h"

namespace {
constexpr std::size_t kMaxTargetNameInTemporaryName = 128;
constexpr std::string_view kTemporaryMark = ".tmp";

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads a run of decimal digits at `pos`; false when there is none or it is too long to be a
// number of ours.
bool readNumber(std::string_view text, std::size_t& pos, long& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (pos - start >= 18) return false;
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

// True when no process with this id runs (a process of another user still counts as running).
bool writerIsGone(long pid) {
    if (pid <= 0 || pid == static_cast<long>(::getpid())) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void removeLeftovers(const std::string& folder, std::string_view targetName) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    while (const dirent* entry = ::readdir(dir)) {
        const long writer = temporaryFileWriter(entry->d_name, targetName);
        if (writer != 0 && writerIsGone(writer)) (void)::unlink((prefix + entry->d_name).c_str());
    }
    ::closedir(dir);
}
}  // namespace

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    const std::string folder = folderOf(target);
    std::string name = folder == "/" ? "/" : folder + "/";
    name += "." + baseNameOf(target).substr(0, kMaxTargetNameInTemporaryName) +
            std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
            std::to_string(counter++) + "-" + std::to_string(random() % 1000000);
    return name;
}

long temporaryFileWriter(std::string_view name, std::string_view targetName) {
    // ".<target>.tmp<pid>-<counter>-<random>", read from the end: the target's name may itself
    // hold ".tmp" and digits.
    if (name.size() < 2 || name[0] != '.') return 0;
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark < 2) return 0;
    std::size_t pos = mark + kTemporaryMark.size();
    long pid = 0, counter = 0, random = 0;
    if (!readNumber(name, pos, pid) || pos >= name.size() || name[pos++] != '-') return 0;
    if (!readNumber(name, pos, counter) || pos >= name.size() || name[pos++] != '-') return 0;
    if (!readNumber(name, pos, random) || pos != name.size()) return 0;
    if (!targetName.empty()) {
        const std::string_view shown = targetName.substr(0, kMaxTargetNameInTemporaryName);
        if (name.substr(1, mark - 1) != shown) return 0;
    }
    return pid;
}

void removeLeftTemporaryFiles(const std::string& target) {
    removeLeftovers(folderOf(target), baseNameOf(target));
}

void removeLeftTemporaryFilesIn(std::u16string_view folder) {
    removeLeftovers(utf16ToUtf8(folder), {});
}
