#pragma once
// The default error display: every error that no handler of the window catches ends that
// handler and is shown here, in a box titled with the program's name; the program goes on.

#include <functional>
#include <string>

#include "platform/MessageBoxService.h"

// The message as the box shows it: a full stop is appended when the last character's code is
// above that of the full stop (so "!" and "?" stay bare, while "a", ")" or "。" get one).
std::u16string withClosingFullStop(std::u16string message);

// The executable's file name without its extension, from a path or a bare name.
std::u16string titleFromExecutable(std::u16string_view executable);

// The title of this process: the name it was started under (argv[0]), without folder and
// extension.
std::u16string programTitle();

class DefaultErrorDisplay {
  public:
    DefaultErrorDisplay(MessageBoxService& messageBoxes, std::u16string title)
        : FMessageBoxes(messageBoxes), FTitle(std::move(title)) {}

    const std::u16string& title() const { return FTitle; }

    // The box for an error's message: error icon, one OK button.
    MessageBoxRequest request(const std::u16string& message) const;
    void show(const std::u16string& message);

    // Runs one handler. An error it raises (an Exception of the dataset layer or any
    // std::exception) ends the handler and is shown; returns false in that case.
    bool run(const std::function<void()>& handler);

  private:
    MessageBoxService& FMessageBoxes;
    std::u16string FTitle;
};
