#pragma once
// Private profile (INI) files: "[section]" lines, each followed by "key=value" lines, UTF-8
// text. Sections and keys match without regard to letter case, the first match counts, and
// blanks around names and values are not part of them. Every call opens the file and closes
// it again; nothing is cached between calls. A write replaces the whole file atomically.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileResult.h"

// Values come back through a buffer of this many characters including the terminating NUL.
inline constexpr std::size_t kProfileBufferSize = 2048;

// The value of `key` in `section`, or `defaultValue` when the file, the section or the key is
// missing or the file cannot be read. A value enclosed in matching quotes (" or ') comes back
// without them. The answer is cut to `bufferSize` - 1 UTF-16 code units (2047 by default),
// never between the two halves of a surrogate pair.
std::u16string readProfileString(std::u16string_view path, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view defaultValue,
                                 std::size_t bufferSize = kProfileBufferSize);

// Writes `value` under `key` in `section`, creating the file and the section when missing and
// replacing an existing key's line in place; every other line keeps its bytes and its place.
// A new key goes after the last line of its section, a new section at the end of the file.
// No value deletes the key; no key deletes the section with all its lines; no section only
// flushes, which with no cache is nothing to do. A value is cut at its first line break or NUL
// (a profile line cannot hold more); a value with blanks at either end, or one that begins and
// ends with the same quote, is written within double quotes so that it reads back unchanged.
// An empty key or section, a key holding "=", a section holding "]" or a name with a line
// break is refused ("Invalid argument"). Any failure leaves the file as it was.
FileResult writeProfileString(std::u16string_view path, std::optional<std::u16string_view> section,
                              std::optional<std::u16string_view> key,
                              std::optional<std::u16string_view> value);

// The flag a profile text stands for: a text longer than 2 characters that begins with "0x"
// (either case) has those two characters replaced by "$"; the text is then read as an integer
// (see parseInteger: leading blanks, sign, decimal or "$" hexadecimal). True when the integer
// is not 0; when the text is no integer (empty, "yes", "true"), the default decides.
bool profileTextToFlag(std::u16string_view text, bool defaultValue);

// The settings object: one profile file, read and written key by key. Creating it does not
// touch the file.
class ProfileFile {
  public:
    explicit ProfileFile(std::u16string fileName) : FFileName(std::move(fileName)) {}

    const std::u16string& fileName() const { return FFileName; }

    std::u16string readString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultValue) const;
    // Reads the key as text with the empty text as default, then profileTextToFlag.
    bool readBool(std::u16string_view section, std::u16string_view key, bool defaultValue) const;

    FileResult writeString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value);
    // Writes "1" or "0".
    FileResult writeBool(std::u16string_view section, std::u16string_view key, bool value);
    // Asks the platform to flush cached profile data for the file (a write with section, key
    // and value all absent).
    FileResult updateFile();

  private:
    std::u16string FFileName;
};
