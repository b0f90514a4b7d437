#pragma once
// Modal message boxes and system beeps, as the window asks for them. The window describes each
// box in plain terms; the service shows it (or, in tests, records it) and answers the button that
// closed it.

#include <optional>
#include <string>
#include <vector>

enum class MessageBoxIcon { None, Information, Warning, Error, Question };

// The sets of buttons a box can carry, in the order they appear.
enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// The button that closed a box.
enum class MessageBoxAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// The system sound played before a box appears; None plays nothing.
enum class MessageBeepKind { None, Default, Information, Warning, Error, Question };

struct MessageBoxRequest {
    std::u16string text;
    std::u16string title;
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    bool topmost = false;  // the box stays above every other window
    MessageBeepKind beep = MessageBeepKind::None;
    // The button Enter presses; none given: the first button.
    std::optional<MessageBoxAnswer> defaultAnswer;
    // Captions in place of the standard ones, in button order ("替换", "追加", "取消" on
    // Yes+No+Cancel); the answers stay those of the standard buttons. Empty: standard captions.
    std::vector<std::u16string> buttonTexts;
};

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Plays the request's beep, shows the box modally and answers the pressed button.
    virtual MessageBoxAnswer show(const MessageBoxRequest& request) = 0;
};

// The button a box answers when it is dismissed without a choice (Escape or the close button):
// Cancel where the box has one, No for Yes+No, Abort for Abort+Retry+Ignore, else Ok.
inline MessageBoxAnswer dismissAnswer(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::OkCancel:
        case MessageBoxButtons::YesNoCancel:
        case MessageBoxButtons::RetryCancel:
            return MessageBoxAnswer::Cancel;
        case MessageBoxButtons::YesNo:
            return MessageBoxAnswer::No;
        case MessageBoxButtons::AbortRetryIgnore:
            return MessageBoxAnswer::Abort;
        case MessageBoxButtons::Ok:
            break;
    }
    return MessageBoxAnswer::Ok;
}
