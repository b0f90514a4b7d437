#include "platform/FileResult.h"

#include <cerrno>
#include <cstring>

#include "platform/Unicode.h"

namespace {

ErrorTextLanguage errorTextLanguage = ErrorTextLanguage::System;

const char* chineseErrorText(int error) {
    switch (error) {
        case EEXIST:
            return "文件已存在";
        case EACCES:
        case EPERM:
            return "拒绝访问";
        case ENOENT:
            return "找不到文件或文件夹";
        case ENOSPC:
        case EDQUOT:
            return "磁盘空间不足";
        case EROFS:
            return "文件系统是只读的";
        case ENAMETOOLONG:
            return "文件名太长";
        case EFBIG:
            return "文件太大";
        case ENOMEM:
            return "内存不足";
        default:
            return nullptr;
    }
}

}  // namespace

void setErrorTextLanguage(ErrorTextLanguage language) {
    errorTextLanguage = language;
}

std::string systemErrorText(int error) {
    if (error == FileResult::kNotRegularFile) return "Not a regular file";
    if (errorTextLanguage == ErrorTextLanguage::Chinese) {
        if (const char* text = chineseErrorText(error)) return text;
    }
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
