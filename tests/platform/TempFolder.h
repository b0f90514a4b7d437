#pragma once
// A folder under the system's temporary folder, removed with everything in it at the end of
// the test.

#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Unicode.h"

class TempFolder {
  public:
    explicit TempFolder(const std::string& parent = std::filesystem::temp_directory_path()) {
        std::string pattern = parent + "/rovena-test-XXXXXX";
        if (::mkdtemp(pattern.data())) FPath = pattern;
    }
    ~TempFolder() {
        if (FPath.empty()) return;
        std::error_code ec;
        // Give back write permission that a test took away, so everything can be removed.
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(FPath, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool valid() const { return !FPath.empty(); }
    const std::string& path() const { return FPath; }
    std::string file(const std::string& name) const { return FPath + "/" + name; }
    std::u16string file16(const std::string& name) const { return utf8ToUtf16(file(name)); }

    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(FPath))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    std::string FPath;
};

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}
