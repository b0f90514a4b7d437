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

// The system's text for an errno value ("Not a regular file" for FileResult::kNotRegularFile).
std::string systemErrorText(int error);
