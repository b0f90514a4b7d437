#include "platform/qt/HandoverClient.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/HandoverMessage.h"

bool handOverFiles(const QString& serverName, const QStringList& paths, int waitMilliseconds) {
    std::vector<std::string> utf8Paths;
    for (const QString& path : paths) utf8Paths.push_back(path.toStdString());
    const std::string message = encodeHandover(utf8Paths);
    if (message.empty()) return false;

    const QDeadlineTimer deadline(waitMilliseconds);
    QLocalSocket socket;
    // The running program may have taken the lock and not be listening yet.
    for (;;) {
        socket.connectToServer(serverName);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
        socket.abort();
        if (deadline.hasExpired()) return false;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(50, deadline.remainingTime())));
        if (deadline.hasExpired()) return false;
    }

    if (socket.write(message.data(), static_cast<qint64>(message.size())) !=
        static_cast<qint64>(message.size()))
        return false;
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() ||
            !socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kHandoverTaken;
}
