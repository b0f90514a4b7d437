#pragma once
// The window's own messages: modal boxes over the main window titled "Rovena".

#include <string>

#include "platform/MessageBoxService.h"

inline constexpr std::u16string_view kWindowMessageTitle = u"Rovena";

inline MessageBoxRequest windowMessage(std::u16string text, MessageBoxIcon icon,
                                       MessageBoxButtons buttons, bool topmost,
                                       MessageBeepKind beep = MessageBeepKind::None) {
    MessageBoxRequest box;
    box.text = std::move(text);
    box.title = std::u16string(kWindowMessageTitle);
    box.icon = icon;
    box.buttons = buttons;
    box.topmost = topmost;
    box.beep = beep;
    return box;
}
