#include "app/DefaultErrorDisplay.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "dataset/Exceptions.h"
#include "platform/Unicode.h"

std::u16string withClosingFullStop(std::u16string message) {
    if (!message.empty() && message.back() > u'.') message.push_back(u'.');
    return message;
}

std::u16string titleFromExecutable(std::u16string_view executable) {
    // Both separators: a name may come from either kind of system.
    const std::size_t slash = executable.find_last_of(u"/\\");
    std::u16string_view name =
        slash == std::u16string_view::npos ? executable : executable.substr(slash + 1);
    const std::size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::u16string(name);
}

std::u16string programTitle() {
    QString executable = QCoreApplication::arguments().value(0);
    if (executable.isEmpty()) executable = QCoreApplication::applicationFilePath();
    return titleFromExecutable(executable.toStdU16String());
}

MessageBoxRequest DefaultErrorDisplay::request(const std::u16string& message) const {
    MessageBoxRequest box;
    box.text = withClosingFullStop(message);
    box.title = FTitle;
    box.icon = MessageBoxIcon::Error;
    box.buttons = MessageBoxButtons::Ok;
    return box;
}

void DefaultErrorDisplay::show(const std::u16string& message) {
    FMessageBoxes.show(request(message));
}

bool DefaultErrorDisplay::run(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const Exception& error) {
        show(error.Message());
    } catch (const std::exception& error) {
        show(utf8ToUtf16(error.what()));
    }
    return false;
}
