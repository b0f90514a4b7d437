#include "platform/ReadSizeLimits.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <limits>
#include <string>

#include "platform/Unicode.h"

std::uint64_t availableMemoryBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key, unit;
    std::uint64_t value = 0, available = 0;
    bool found = false;
    while (meminfo >> key >> value) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:" || key == "SwapFree:") {
            available += value * 1024;
            found = true;
        }
    }
    return found ? available : std::numeric_limits<std::uint64_t>::max();
}

FileResult checkReadSize(std::uint64_t size, std::uint64_t maxBytes, std::uint64_t memoryPerByte,
                         std::uint64_t available) {
    if (size > maxBytes) return FileResult(EFBIG);
    if (memoryPerByte != 0 && size > available / memoryPerByte) return FileResult(ENOMEM);
    return FileResult();
}

FileResult checkFileReadSize(std::u16string_view path, std::uint64_t maxBytes,
                             std::uint64_t memoryPerByte) {
    struct stat st {};
    if (::stat(utf16ToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FileResult();
    const auto size = static_cast<std::uint64_t>(st.st_size);
    // The free memory is read only for a file large enough to matter.
    if (size <= maxBytes && size < (std::uint64_t{64} << 20)) return FileResult();
    return checkReadSize(size, maxBytes, memoryPerByte, availableMemoryBytes());
}
