#include "FileResult.h"

#include <cstring>

#include "Unicode.h"

std::string systemErrorText(int error) {
    if (error == FileResult::kNotRegularFile) return "Not a regular file";
    char buffer[256];
    // The GNU variant answers a pointer to the text, which may or may not be `buffer`.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

std::string FileResult::messageUtf8() const {
    return ok() ? std::string() : systemErrorText(FError);
}

std::u16string FileResult::message() const {
    return utf8ToUtf16(messageUtf8());
}
