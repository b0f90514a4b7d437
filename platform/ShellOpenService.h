#pragma once
// Opening a folder or a web address in the desktop's own handler (its file browser, its web
// browser). The outcome is only advisory: the window does not act on it.

#include <string>

class ShellOpenService {
  public:
    virtual ~ShellOpenService() = default;
    // Opens a folder of the file system in the desktop's file browser.
    virtual bool openFolder(const std::u16string& path) = 0;
    // Opens an address such as "https://host/path" in the desktop's web browser.
    virtual bool openAddress(const std::u16string& address) = 0;
};
