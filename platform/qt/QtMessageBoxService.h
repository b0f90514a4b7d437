#pragma once
// Message boxes shown with QMessageBox, modal over the owner window; beeps through
// QApplication::beep.

#include <QPointer>
#include <QWidget>

#include "platform/MessageBoxService.h"

class QtMessageBoxService : public MessageBoxService {
  public:
    explicit QtMessageBoxService(QWidget* owner = nullptr) : FOwner(owner) {}

    // The window the boxes are modal over and centred on; may be set after construction, since
    // the main window is usually created with the service already in hand.
    void setOwner(QWidget* owner) { FOwner = owner; }
    QWidget* owner() const { return FOwner; }

    MessageBoxAnswer show(const MessageBoxRequest& request) override;

  private:
    QPointer<QWidget> FOwner;
};
