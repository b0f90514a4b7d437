#pragma once
// The folder chooser, as the window asks for it: a modal dialog in which only folders of the
// file system can be picked, opened without any folder preselected. The window states the
// instruction; the service shows the dialog (or, in tests, answers a prepared choice).

#include <optional>
#include <string>

class FolderBrowser {
  public:
    virtual ~FolderBrowser() = default;
    // The chosen folder's path, or nothing when the user cancelled.
    virtual std::optional<std::u16string> chooseFolder(const std::u16string& instruction) = 0;
};
