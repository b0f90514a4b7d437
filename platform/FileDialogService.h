#pragma once
// The file dialogs, as the window asks for them: choosing files to open and a file to save to.
// The window states the title and the filters; the service shows the dialog (or, in tests,
// answers a prepared choice).

#include <optional>
#include <string>
#include <vector>

// One entry of a dialog's type list: "M3U8 播放列表" with the patterns "*.m3u8".
struct FileDialogFilter {
    std::u16string description;
    std::u16string patterns;  // blank-separated, "*.m3u *.m3u8"
};

// The file a save dialog chose, and which of its filters was selected then.
struct SaveFileChoice {
    std::u16string path;
    std::size_t filter = 0;  // index into the filters the dialog was given
};

class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    // The existing files chosen, in the order given; none when the user cancelled.
    virtual std::vector<std::u16string> chooseFilesToOpen(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) = 0;
    // The file to write, or nothing when the user cancelled. Choosing a file that exists is
    // confirmed in the dialog, as save dialogs do.
    virtual std::optional<SaveFileChoice> chooseFileToSave(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) = 0;
};
