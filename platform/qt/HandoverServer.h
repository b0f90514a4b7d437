#pragma once
// The running program's end of the handover (platform/HandoverMessage.h): a local socket on
// which later starts of the program hand over their files. Every peer is read within bounds:
// one that sends something else than a handover, stops half-way or never finishes is dropped,
// and the server goes on.

#include <QObject>
#include <QStringList>

#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

// The socket name of the program using the application-data folder `dataFolder` (UTF-8): the
// same folder always gives the same name, two folders (two users, or tests with their own data
// folders) different ones. Short, as socket paths are limited.
QString handoverServerName(const std::string& dataFolder);

class HandoverServer : public QObject {
    Q_OBJECT

  public:
    // A peer that has not handed over its list by then is dropped.
    static constexpr int kPeerTimeoutMilliseconds = 10000;
    // Peers served at the same time; more are turned away at once.
    static constexpr int kMaxPeers = 16;

    explicit HandoverServer(QObject* parent = nullptr);
    ~HandoverServer() override;

    // Listens under `name`. A socket left under that name by a program that was killed is
    // removed first: the caller holds the data folder's lock, so no running program owns it.
    bool listen(const QString& name);
    QString fullServerName() const;

    // The lists handed over since the last call, in the order they arrived (a list may be
    // empty: that start only asked the program to come forward).
    std::vector<QStringList> takeHandovers();

  signals:
    // A list arrived and waits in takeHandovers().
    void handedOver();

  private:
    struct Peer;
    void acceptPeers();
    void readPeer(QLocalSocket* socket, Peer& peer);

    QLocalServer* FServer;
    std::vector<QStringList> FReceived;
    int FPeers = 0;
};
