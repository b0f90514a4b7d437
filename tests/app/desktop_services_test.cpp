// The Qt folder chooser and the Qt shell-open service: the dialog they show and the addresses
// they hand to the desktop (caught here by URL handlers, so nothing is launched).

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <functional>

#include "platform/qt/QtFolderBrowser.h"
#include "platform/qt/QtShellOpenService.h"

namespace {

void whenDialogAppears(const std::function<void(QFileDialog&)>& act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        }
    });
    timer->start();
}

TEST(QtFolderBrowser, ShowsAFoldersOnlyDialogAndAnswersTheChoice) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("chosen")));
    QWidget owner;
    owner.show();
    QtFolderBrowser browser(&owner);

    bool seen = false;
    whenDialogAppears([&](QFileDialog& dialog) {
        seen = true;
        EXPECT_EQ(dialog.parentWidget(), &owner);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("请选择预生成cds文件的保存目录:"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
        EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
        // It starts at the desktop folder with nothing preselected.
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
                  QDir(QtFolderBrowser::startFolder()).canonicalPath());
        // Its labels read in Chinese.
        EXPECT_EQ(dialog.labelText(QFileDialog::Reject), QStringLiteral("取消"));
        // Confirming while inside a folder chooses that folder.
        dialog.setDirectory(QDir(root.path()).filePath(QStringLiteral("chosen")));
        static_cast<QDialog&>(dialog).accept();  // QFileDialog's own accept is protected
    });
    const std::optional<std::u16string> chosen =
        browser.chooseFolder(u"请选择预生成cds文件的保存目录:");
    EXPECT_TRUE(seen);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QString::fromStdU16String(*chosen),
              QDir(root.path()).filePath(QStringLiteral("chosen")));

    whenDialogAppears([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(browser.chooseFolder(u"x").has_value());
}

// The chooser opens on the desktop folder, or on the home folder of a user who has none.
TEST(QtFolderBrowser, StartsAtTheDesktopElseAtHome) {
    QTemporaryDir home;
    const QByteArray previousHome = qgetenv("HOME");
    const QByteArray previousConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    // No user-dirs file: the desktop is the home's "Desktop" folder.
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());

    EXPECT_EQ(QtFolderBrowser::startFolder(), home.path());
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Desktop")));
    EXPECT_EQ(QtFolderBrowser::startFolder(), home.filePath(QStringLiteral("Desktop")));

    qputenv("HOME", previousHome);
    qputenv("XDG_CONFIG_HOME", previousConfig);
}

// Receives the URLs the desktop would have opened.
class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    std::vector<QUrl> urls;

  public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

TEST(QtShellOpenService, HandsFoldersAndAddressesToTheDesktop) {
    UrlCatcher catcher;
    for (const char* scheme : {"file", "https", "http"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");

    QtShellOpenService shell;
    EXPECT_TRUE(shell.openFolder(u"/srv/电台 out"));
    EXPECT_TRUE(shell.openAddress(u"https://rovena.example/bbs/?forum-3.htm"));
    // Nothing to open: no folder text, an address without a scheme.
    EXPECT_FALSE(shell.openFolder(u""));
    EXPECT_FALSE(shell.openAddress(u"not an address"));

    for (const char* scheme : {"file", "https", "http"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));

    ASSERT_EQ(catcher.urls.size(), 2u);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(QStringLiteral("/srv/电台 out")));
    EXPECT_EQ(catcher.urls[1].host(), QStringLiteral("rovena.example"));
    EXPECT_EQ(catcher.urls[1].path(), QStringLiteral("/bbs/"));
    EXPECT_EQ(catcher.urls[1].query(), QStringLiteral("forum-3.htm"));
}

}  // namespace

#include "desktop_services_test.moc"
