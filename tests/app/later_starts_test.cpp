// One window per data folder: a later start of the program hands its files to the running
// window, which opens them as a drop; a later start the running window does not answer says so
// and ends; a peer that sends something else does not harm the running window.

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include "app/LaterStarts.h"
#include "platform/AppPaths.h"
#include "platform/FolderLock.h"
#include "platform/HandoverMessage.h"
#include "platform/qt/HandoverServer.h"
#include "tests/app/WindowTestSupport.h"

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The window running on the test's data folder as the program runs it: the folder locked, the
// handover server listening, handed-over files delivered to the window.
class LaterStartsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        dataFolder = appDataFolderUtf8();
        lock = FolderLock::take(dataFolder);
        ASSERT_TRUE(lock.held());
        server = std::make_unique<HandoverServer>();
        ASSERT_TRUE(server->listen(handoverServerName(dataFolder)));
        new LaterStarts(*server, *form);
        showWindow();
    }
    void TearDown() override {
        form.reset();
        server.reset();
        WindowTest::TearDown();
    }

    QString writePlaylist(const QString& name, const QByteArray& text) {
        const QString path = dataHome.path(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    // Runs the program as a later start, in `folder`, with `arguments`, while the window goes
    // on running; answers its exit code (-1 when it did not end normally).
    int runLaterStart(const QString& folder, const QStringList& arguments) {
        QProcess program;
        program.setWorkingDirectory(folder);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(ROVENA_PROGRAM), arguments);
        if (!program.waitForStarted(30000)) return -1;
        // The window's events go on while the later start waits for its answer.
        if (!QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 60000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    std::string dataFolder;
    FolderLock lock;
    std::unique_ptr<HandoverServer> server;
};

TEST_F(LaterStartsTest, ALaterStartHandsItsFilesToTheRunningWindowAndEnds) {
    writePlaylist(
        QStringLiteral("two.m3u"),
        "#EXTM3U\n#EXTINF:-1,Alpha\nhttp://a.example/1\n#EXTINF:-1,贝塔\nhttp://b.example/2\n");
    const QByteArray emptyTable = fileBytes(QString::fromStdU16String(workingFilePath()));
    const QStringList folderBefore = QDir(QString::fromStdString(dataFolder)).entryList();

    // Named relative to the later start's own folder: the running window has another one.
    EXPECT_EQ(runLaterStart(dataHome.path(), {QStringLiteral("two.m3u")}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ClientDataSet1.RecordCount() == 2; }, 30000));
    EXPECT_EQ(tableNames(), (std::vector<std::u16string>{u"Alpha", u"贝塔"}));
    EXPECT_EQ(workingFile().names(), tableNames());
    // Imported as a drop imports: summed up in a box.
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().icon, MessageBoxIcon::Information);
    EXPECT_NE(emptyTable, fileBytes(QString::fromStdU16String(workingFilePath())));

    // A later start without files only brings the window forward: nothing in the data folder
    // changes, the table stays as it is.
    boxes.clear();
    const QByteArray held = fileBytes(QString::fromStdU16String(workingFilePath()));
    form->showMinimized();
    EXPECT_EQ(runLaterStart(dataHome.path(), {}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isMinimized(); }, 30000));
    EXPECT_EQ(fileBytes(QString::fromStdU16String(workingFilePath())), held);
    EXPECT_EQ(QDir(QString::fromStdString(dataFolder)).entryList(), folderBefore);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LaterStartsTest, HandedOverFilesWaitUntilTheBoxOnScreenIsAnswered) {
    const QString playlist =
        writePlaylist(QStringLiteral("one.m3u"), "#EXTM3U\n#EXTINF:-1,Alpha\nhttp://a.example/1\n");
    QDialog question(form.get());
    question.setModal(true);
    question.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &question);

    EXPECT_EQ(runLaterStart(dataHome.path(), {playlist}), 0);
    QTest::qWait(500);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
    question.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->ClientDataSet1.RecordCount() == 1; }, 30000));
}

// A running window that does not answer: one whose lock is held while nothing listens (it has
// not got that far, or it hangs before), and one that listens but never reads its peers.
TEST_F(LaterStartsTest, ALaterStartTheRunningWindowDoesNotAnswerSaysSoAndFails) {
    server.reset();  // the window of the fixture no longer listens
    const QByteArray held = fileBytes(QString::fromStdU16String(workingFilePath()));
    for (bool listening : {false, true}) {
        SCOPED_TRACE(listening ? "listening, never answering" : "not listening");
        QLocalServer hung;
        if (listening) {
            ASSERT_TRUE(hung.listen(handoverServerName(dataFolder)));
        }
        RecordingMessageBoxService laterBoxes;
        EXPECT_EQ(handOverToRunningWindow(dataFolder, {dataHome.path(QStringLiteral("x.m3u"))},
                                          laterBoxes),
                  1);
        ASSERT_EQ(laterBoxes.boxes().size(), 1u);
        EXPECT_EQ(laterBoxes.boxes().front().text, u"Rovena 已经在运行。");
        EXPECT_EQ(laterBoxes.boxes().front().title, u"Rovena");
        EXPECT_EQ(fileBytes(QString::fromStdU16String(workingFilePath())), held);
    }
}

// Peers that send something else than a handover, or stop half-way, are dropped; the server
// goes on taking handovers.
TEST_F(LaterStartsTest, APeerThatSendsGarbageOrStopsHalfWayIsDropped) {
    struct Case {
        const char* label;
        QByteArray bytes;
        bool hangUp;  // the peer disconnects after sending
    };
    const std::string whole = encodeHandover({"/tmp/a.m3u"});
    const Case cases[] = {
        {"another protocol", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"a length beyond the limit", QByteArray("RVNH\x7f\xff\xff\xff", 8), false},
        {"a header cut short", QByteArray("RVN"), true},
        {"a list cut short", QByteArray::fromStdString(whole.substr(0, whole.size() - 3)), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QLocalSocket peer;
        peer.connectToServer(handoverServerName(dataFolder));
        ASSERT_TRUE(peer.waitForConnected(5000));
        peer.write(c.bytes);
        peer.flush();
        if (c.hangUp) {
            peer.disconnectFromServer();
            QTest::qWait(200);
        } else {
            // The server hangs up on it without an answer.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return peer.state() == QLocalSocket::UnconnectedState; }, 30000));
            EXPECT_EQ(peer.bytesAvailable(), 0);
        }
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
        EXPECT_TRUE(boxes.boxes().empty());
    }

    // A whole handover afterwards is taken and answered.
    QLocalSocket peer;
    peer.connectToServer(handoverServerName(dataFolder));
    ASSERT_TRUE(peer.waitForConnected(5000));
    peer.write(QByteArray::fromStdString(encodeHandover({})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.bytesAvailable() > 0; }, 30000));
    EXPECT_EQ(peer.read(1), QByteArray(1, kHandoverTaken));
}

}  // namespace
