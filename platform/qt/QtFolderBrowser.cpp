#include "platform/qt/QtFolderBrowser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>

void QtFolderBrowser::setUpDialog(QFileDialog& dialog, const QString& instruction) {
    dialog.setWindowTitle(instruction);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Read-only: the dialog offers no way to create, rename or delete folders.
    dialog.setOption(QFileDialog::ReadOnly, true);
    // The browsing starts at the user's desktop, never at a folder chosen before.
    dialog.setDirectory(startFolder());
}

QString QtFolderBrowser::startFolder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QDir(desktop).exists()) return desktop;
    return QDir::homePath();
}

std::optional<std::u16string> QtFolderBrowser::chooseFolder(const std::u16string& instruction) {
    QFileDialog dialog(FOwner);
    setUpDialog(dialog, QString::fromStdU16String(instruction));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(QDir::cleanPath(chosen.first())).toStdU16String();
}
