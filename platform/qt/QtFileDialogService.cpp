#include "platform/qt/QtFileDialogService.h"

#include <QDir>
#include <QFileDialog>

QStringList QtFileDialogService::nameFilters(const std::vector<FileDialogFilter>& filters) {
    QStringList names;
    for (const FileDialogFilter& filter : filters) {
        names << QStringLiteral("%1 (%2)").arg(QString::fromStdU16String(filter.description),
                                               QString::fromStdU16String(filter.patterns));
    }
    return names;
}

std::vector<std::u16string> QtFileDialogService::chooseFilesToOpen(
    const std::u16string& title, const std::vector<FileDialogFilter>& filters) {
    QFileDialog dialog(FOwner, QString::fromStdU16String(title));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(nameFilters(filters));
    std::vector<std::u16string> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& path : dialog.selectedFiles())
        chosen.push_back(QDir::toNativeSeparators(path).toStdU16String());
    return chosen;
}

std::optional<SaveFileChoice> QtFileDialogService::chooseFileToSave(
    const std::u16string& title, const std::vector<FileDialogFilter>& filters) {
    QFileDialog dialog(FOwner, QString::fromStdU16String(title));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList names = nameFilters(filters);
    dialog.setNameFilters(names);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    SaveFileChoice choice;
    choice.path = QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdU16String();
    const qsizetype selected = names.indexOf(dialog.selectedNameFilter());
    choice.filter = selected >= 0 ? static_cast<std::size_t>(selected) : 0;
    return choice;
}
