#include "platform/AppPaths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/Unicode.h"

namespace {
constexpr const char* kAppFolderName = "rovena";

// The value of an environment variable when it holds an absolute path, else empty.
std::string absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

// Creates `path` and its missing parents; true when it is a folder afterwards.
bool makeFolders(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash)))
        return false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

std::string appDataFolderUtf8() {
    std::string base = absoluteFromEnvironment("XDG_DATA_HOME");
    if (base.empty()) {
        std::string home = absoluteFromEnvironment("HOME");
        if (home.empty()) return {};
        while (home.size() > 1 && home.back() == '/') home.pop_back();
        base = (home == "/" ? std::string() : home) + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    std::string folder = (base == "/" ? std::string() : base) + "/" + kAppFolderName;
    return makeFolders(folder) ? folder : std::string();
}

std::u16string AppDataFolder() {
    return utf8ToUtf16(appDataFolderUtf8());
}

std::u16string composePath(std::u16string_view folder, std::u16string_view name) {
    std::u16string path(folder);
    path.push_back(u'/');
    path.append(name);
    return path;
}

std::u16string expandFileName(std::u16string_view name) {
    if (name.empty()) return {};
    std::filesystem::path path(utf16ToUtf8(name));
    if (path.is_relative()) {
        std::error_code ec;
        std::filesystem::path cwd = std::filesystem::current_path(ec);
        if (!ec) path = cwd / path;
    }
    return utf8ToUtf16(path.lexically_normal().string());
}
