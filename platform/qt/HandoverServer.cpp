#include "platform/qt/HandoverServer.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "platform/HandoverMessage.h"

QString handoverServerName(const std::string& dataFolder) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(dataFolder), QCryptographicHash::Sha256);
    return QStringLiteral("rovena-") + QString::fromLatin1(digest.left(8).toHex());
}

HandoverServer::HandoverServer(QObject* parent) : QObject(parent), FServer(new QLocalServer(this)) {
    // Only this user's programs may hand files over.
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &HandoverServer::acceptPeers);
}

HandoverServer::~HandoverServer() = default;

bool HandoverServer::listen(const QString& name) {
    QLocalServer::removeServer(name);
    return FServer->listen(name);
}

QString HandoverServer::fullServerName() const {
    return FServer->fullServerName();
}

std::vector<QStringList> HandoverServer::takeHandovers() {
    std::vector<QStringList> received;
    received.swap(FReceived);
    return received;
}

// What the server knows of one peer while it is connected.
struct HandoverServer::Peer {
    HandoverReader reader;
    bool answered = false;
};

void HandoverServer::acceptPeers() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        // Whatever ends a peer (its list taken, a broken message, a timeout, the peer gone),
        // the socket goes with the next turn of the event loop, and its place with it.
        connect(socket, &QObject::destroyed, this, [this] { --FPeers; });
        ++FPeers;
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (FPeers > kMaxPeers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto peer = std::make_shared<Peer>();
        auto* timeout = new QTimer(socket);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        timeout->start(kPeerTimeoutMilliseconds);
        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket, peer] { readPeer(socket, *peer); });
        // Bytes may have arrived with the connection, or the peer may be gone already.
        readPeer(socket, *peer);
        if (socket->state() != QLocalSocket::ConnectedState && !peer->answered)
            socket->deleteLater();
    }
}

void HandoverServer::readPeer(QLocalSocket* socket, Peer& peer) {
    if (peer.answered) return;  // what a peer sends after its list is not read
    // Never more than the message still lacks, and never more than a buffer's worth at once.
    constexpr std::size_t kReadAtMost = 64 * 1024;
    while (peer.reader.state() == HandoverReader::State::Incomplete &&
           socket->bytesAvailable() > 0) {
        const QByteArray bytes =
            socket->read(static_cast<qint64>(std::min(peer.reader.wanted(), kReadAtMost)));
        if (bytes.isEmpty()) break;
        peer.reader.feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    if (peer.reader.state() == HandoverReader::State::Broken) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (peer.reader.state() != HandoverReader::State::Complete) return;
    peer.answered = true;
    QStringList paths;
    for (const std::string& path : peer.reader.paths()) paths << QString::fromStdString(path);
    FReceived.push_back(paths);
    socket->write(&kHandoverTaken, 1);
    socket->disconnectFromServer();
    emit handedOver();
}
