// Reads arbitrary bytes as the settings file, writes one key and reads it again: whatever the
// file held, the value written must come back (cut where a profile line must end), and nothing
// may crash, leak or trip a sanitizer. The value is made from the input too: printable text,
// quotes, blanks at either end and Chinese characters.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ProfileFile.h"
#include "platform/Unicode.h"

// What this target looks at is the file's content, not whether it would survive a power loss:
// within this program fsync returns at once, and the file lives in memory (/dev/shm) where the
// system has it, so that executions do not wait on the disk (on a disk, two thirds of an hour
// of fuzzing went to waiting for the writes and renames of the saves).
extern "C" int fsync(int) {
    return 0;
}

namespace {
// The folder of the settings file, removed again when the program ends.
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        const std::filesystem::path memory = "/dev/shm";
        const auto base =
            std::filesystem::is_directory(memory) ? memory : std::filesystem::temp_directory_path();
        path = base / ("rovena-settings-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::u16string& settingsPath() {
    static const ScratchFolder folder;
    static const std::u16string path = utf8ToUtf16((folder.path / "settings.ini").string());
    return path;
}

// Up to 40 characters from the input's last bytes.
std::u16string valueFrom(const std::uint8_t* data, std::size_t size) {
    std::u16string value;
    const std::size_t n = size < 40 ? size : 40;
    for (std::size_t i = size - n; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b >= 0x20 && b < 0x7F)
            value += static_cast<char16_t>(b);
        else if (b >= 0x80)
            value += (b & 1) ? u'电' : u'台';
        else
            value += u' ';
    }
    return value;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string& path = settingsPath();
    {
        std::ofstream file(utf16ToUtf8(path), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ProfileFile settings(path);
    (void)settings.readString(u"info", u"SavePath", u"");
    (void)settings.readBool(u"info", u"OpenFolder", false);

    const std::u16string value = valueFrom(data, size);
    if (!settings.writeString(u"info", u"FuzzKey", value)) return 0;  // a refused write is fine
    if (settings.readString(u"info", u"FuzzKey", u"<missing>") != value) std::abort();
    return 0;
}
