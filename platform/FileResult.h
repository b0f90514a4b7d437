#pragma once
// The outcome of a file operation: success, or the operating system's error number, whose text
// callers put into messages such as "Cannot open file \"%s\". %s".

#include <string>

class FileResult {
  public:
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

// The system's text for an errno value.
std::string systemErrorText(int error);
