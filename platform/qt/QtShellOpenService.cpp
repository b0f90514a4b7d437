#include "platform/qt/QtShellOpenService.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool QtShellOpenService::openFolder(const std::u16string& path) {
    if (path.empty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdU16String(path)));
}

bool QtShellOpenService::openAddress(const std::u16string& address) {
    const QUrl url(QString::fromStdU16String(address), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(url);
}
