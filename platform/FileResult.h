#pragma once
// The outcome of a file operation: success, or the operating system's error number, whose text
// callers put into messages such as "Cannot open file \"%s\". %s".

#include <string>

class FileResult {
  public:
    // Not an errno value: the path names a device, a pipe or a socket, which are never read as
    // files (a device such as /dev/zero has no end, a pipe may never deliver one).
    static constexpr int kNotRegularFile = 0x10000;

    FileResult() = default;
    // `error` is an errno value; 0 means success.
    explicit FileResult(int error) : FError(error) {}

    bool ok() const { return FError == 0; }
    explicit operator bool() const { return ok(); }
    int error() const { return FError; }
    // The system's text for the error ("No such file or directory"); empty on success.
    std::u16string message() const;
    std::string messageUtf8() const;

  private:
    int FError = 0;
};

// The language of the system's texts for file errors. The window speaks Chinese throughout; the
// command-line tool keeps the system's own texts.
enum class ErrorTextLanguage { System, Chinese };
void setErrorTextLanguage(ErrorTextLanguage language);

// The text for an errno value ("Not a regular file" for FileResult::kNotRegularFile). In
// Chinese, the common causes (file exists, access denied, missing file or folder, disk full,
// read-only file system, name too long) have their own text; every other cause keeps the
// system's.
std::string systemErrorText(int error);
