#include "platform/qt/QtMessageBoxService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace {

QMessageBox::Icon toQtIcon(MessageBoxIcon icon) {
    switch (icon) {
        case MessageBoxIcon::Information:
            return QMessageBox::Information;
        case MessageBoxIcon::Warning:
            return QMessageBox::Warning;
        case MessageBoxIcon::Error:
            return QMessageBox::Critical;
        case MessageBoxIcon::Question:
            return QMessageBox::Question;
        case MessageBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

using ButtonPair = std::pair<QMessageBox::StandardButton, MessageBoxAnswer>;

std::vector<ButtonPair> buttonsOf(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return {{QMessageBox::Ok, MessageBoxAnswer::Ok}};
        case MessageBoxButtons::OkCancel:
            return {{QMessageBox::Ok, MessageBoxAnswer::Ok},
                    {QMessageBox::Cancel, MessageBoxAnswer::Cancel}};
        case MessageBoxButtons::YesNo:
            return {{QMessageBox::Yes, MessageBoxAnswer::Yes},
                    {QMessageBox::No, MessageBoxAnswer::No}};
        case MessageBoxButtons::YesNoCancel:
            return {{QMessageBox::Yes, MessageBoxAnswer::Yes},
                    {QMessageBox::No, MessageBoxAnswer::No},
                    {QMessageBox::Cancel, MessageBoxAnswer::Cancel}};
        case MessageBoxButtons::RetryCancel:
            return {{QMessageBox::Retry, MessageBoxAnswer::Retry},
                    {QMessageBox::Cancel, MessageBoxAnswer::Cancel}};
        case MessageBoxButtons::AbortRetryIgnore:
            return {{QMessageBox::Abort, MessageBoxAnswer::Abort},
                    {QMessageBox::Retry, MessageBoxAnswer::Retry},
                    {QMessageBox::Ignore, MessageBoxAnswer::Ignore}};
    }
    return {{QMessageBox::Ok, MessageBoxAnswer::Ok}};
}

}  // namespace

MessageBoxAnswer QtMessageBoxService::show(const MessageBoxRequest& request) {
    if (request.beep != MessageBeepKind::None) QApplication::beep();

    // Application-modal: while the box is up, every other window of the program is disabled.
    QMessageBox box(FOwner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(QString::fromStdU16String(request.title));
    box.setText(QString::fromStdU16String(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(toQtIcon(request.icon));
    if (request.topmost) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    const std::vector<ButtonPair> buttons = buttonsOf(request.buttons);
    const MessageBoxAnswer dismissed = dismissAnswer(request.buttons);
    QMessageBox::StandardButton defaultButton = buttons.front().first;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const auto& [standard, answer] = buttons[i];
        QPushButton* button = box.addButton(standard);
        if (i < request.buttonTexts.size())
            button->setText(QString::fromStdU16String(request.buttonTexts[i]));
        if (answer == dismissed) box.setEscapeButton(button);
        if (request.defaultAnswer == answer) defaultButton = standard;
    }
    box.setDefaultButton(defaultButton);

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [standard, answer] : buttons) {
        if (clicked != nullptr && clicked == box.button(standard)) return answer;
    }
    return dismissed;
}
