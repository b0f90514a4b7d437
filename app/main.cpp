// Program entry: the command-line options, the application, the main window, the message loop.

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "RovenaVersion.h"
#include "app/Artwork.h"
#include "app/ChineseTranslations.h"
#include "app/LaterStarts.h"
#include "app/Unit1.h"
#include "platform/AppPaths.h"
#include "platform/FolderLock.h"
#include "platform/qt/HandoverServer.h"
#include "platform/qt/QtFileDialogService.h"
#include "platform/qt/QtFolderBrowser.h"
#include "platform/qt/QtMessageBoxService.h"
#include "platform/qt/QtShellOpenService.h"

namespace {

constexpr const char* kUsage =
    "Usage: rovena [OPTION]... [FILE]...\n"
    "Compile a list of internet radio and TV stations and write it out as a station file.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "Each FILE is opened in the window, in order: a station file (.cds, binary or XML)\n"
    "becomes the station list, or replaces it or is appended to it, as asked; a station\n"
    "list (.m3u, .m3u8, .pls, .xspf, .csv, .json) is imported into the list.\n"
    "Qt's own options (such as -platform) are passed on to Qt.\n";

// --help and --version, answered before any window system is asked for, so they work without
// a display. Every other argument is left to Qt; an argument after "--" is never an option.
// Answers the exit status when the program should stop here, or -1 to go on.
int answerInformationOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--version") == 0) {
            std::printf("rovena %s\n", ROVENA_VERSION);
            return 0;
        }
    }
    return -1;
}

// The files named on the command line, once Qt has taken its own options out: every argument
// but the program's name, except options before "--".
QStringList fileArguments(const QStringList& arguments) {
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (!optionsEnded && arg == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) continue;
        files << arg;
    }
    return files;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const int status = answerInformationOptions(argc, argv); status >= 0) return status;

    QApplication application(argc, argv);
    application.setWindowIcon(programIcon());
    speakChinese(application);

    QtMessageBoxService messageBoxes;
    const QStringList files = fileArguments(QCoreApplication::arguments());

    // One window per data folder. The lock is taken before the window touches the working
    // file; a start that finds it held hands its files to the window that holds it and ends
    // without touching anything. Without a usable data folder there is nothing to share, and
    // the window starts as it always did.
    const std::string dataFolder = appDataFolderUtf8();
    const FolderLock folderLock = FolderLock::take(dataFolder);
    if (folderLock.heldElsewhere()) return handOverToRunningWindow(dataFolder, files, messageBoxes);
    HandoverServer laterStarts;
    // Listening before the window is built lets a start during the recovery question hand its
    // files over; they wait until the window is up.
    if (folderLock.held()) (void)laterStarts.listen(handoverServerName(dataFolder));

    QtFolderBrowser folderBrowser;
    QtShellOpenService shell;
    QtFileDialogService fileDialogs;
    TForm1 form(WindowServices{messageBoxes, folderBrowser, shell, fileDialogs});
    messageBoxes.setOwner(&form);
    folderBrowser.setOwner(&form);
    fileDialogs.setOwner(&form);
    form.show();
    // The files open once the window is up, so that their boxes stand over it; files handed
    // over by later starts follow them.
    if (!files.isEmpty()) QTimer::singleShot(0, &form, [&form, files] { form.openFiles(files); });
    new LaterStarts(laterStarts, form);
    return application.exec();
}
