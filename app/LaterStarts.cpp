#include "app/LaterStarts.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include "app/Unit1.h"
#include "app/WindowMessages.h"
#include "platform/MessageBoxService.h"
#include "platform/qt/HandoverClient.h"
#include "platform/qt/HandoverServer.h"

namespace {
// How often a waiting handover looks again whether the modal window is gone.
constexpr int kModalRetryMilliseconds = 200;
}  // namespace

int handOverToRunningWindow(const std::string& dataFolder, const QStringList& files,
                            MessageBoxService& messageBoxes, int waitMilliseconds) {
    QStringList absolute;
    for (const QString& file : files)
        absolute << (file.isEmpty() ? file : QFileInfo(file).absoluteFilePath());
    if (handOverFiles(handoverServerName(dataFolder), absolute, waitMilliseconds)) return 0;
    messageBoxes.show(windowMessage(std::u16string(kAlreadyRunningText),
                                    MessageBoxIcon::Information, MessageBoxButtons::Ok, true));
    return 1;
}

LaterStarts::LaterStarts(HandoverServer& server, TForm1& form)
    : QObject(&form), FServer(server), FForm(form) {
    connect(&server, &HandoverServer::handedOver, this, &LaterStarts::deliver,
            Qt::QueuedConnection);
    // Lists that arrived while the window was being built.
    QTimer::singleShot(0, this, &LaterStarts::deliver);
}

void LaterStarts::deliver() {
    if (QApplication::activeModalWidget() != nullptr) {
        if (!FRetryPending) {
            FRetryPending = true;
            QTimer::singleShot(kModalRetryMilliseconds, this, [this] {
                FRetryPending = false;
                deliver();
            });
        }
        return;
    }
    for (const QStringList& files : FServer.takeHandovers()) {
        FForm.setWindowState(FForm.windowState() & ~Qt::WindowMinimized);
        FForm.show();
        FForm.raise();
        FForm.activateWindow();
        if (!files.isEmpty()) FForm.openFiles(files);
    }
}
