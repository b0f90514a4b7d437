#pragma once
// The folder chooser shown with QFileDialog: folders only, modal over the owner window.

#include <QPointer>
#include <QWidget>

#include "platform/FolderBrowser.h"

class QFileDialog;

class QtFolderBrowser : public FolderBrowser {
  public:
    explicit QtFolderBrowser(QWidget* owner = nullptr) : FOwner(owner) {}

    // The window the dialog is modal over and centred on.
    void setOwner(QWidget* owner) { FOwner = owner; }
    QWidget* owner() const { return FOwner; }

    std::optional<std::u16string> chooseFolder(const std::u16string& instruction) override;

    // Prepares the dialog as chooseFolder shows it (used by chooseFolder and its tests).
    static void setUpDialog(QFileDialog& dialog, const QString& instruction);
    // Where the dialog opens: the user's desktop folder, or the home folder when there is none.
    static QString startFolder();

  private:
    QPointer<QWidget> FOwner;
};
