#pragma once
// Opening folders and web addresses through QDesktopServices::openUrl.

#include "platform/ShellOpenService.h"

class QtShellOpenService : public ShellOpenService {
  public:
    // An empty path opens nothing and answers false.
    bool openFolder(const std::u16string& path) override;
    // An address that does not parse as a URL with a scheme opens nothing and answers false.
    bool openAddress(const std::u16string& address) override;
};
