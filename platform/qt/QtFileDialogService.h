#pragma once
// The file dialogs shown with QFileDialog, modal over the owner window.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "platform/FileDialogService.h"

class QtFileDialogService : public FileDialogService {
  public:
    explicit QtFileDialogService(QWidget* owner = nullptr) : FOwner(owner) {}

    void setOwner(QWidget* owner) { FOwner = owner; }
    QWidget* owner() const { return FOwner; }

    std::vector<std::u16string> chooseFilesToOpen(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) override;
    std::optional<SaveFileChoice> chooseFileToSave(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) override;

    // The dialog's name filters: "M3U8 播放列表 (*.m3u8)".
    static QStringList nameFilters(const std::vector<FileDialogFilter>& filters);

  private:
    QPointer<QWidget> FOwner;
};
