// Program entry: the application, the main window, the message loop.

#include <QApplication>

#include "Artwork.h"
#include "ChineseTranslations.h"
#include "QtFolderBrowser.h"
#include "QtMessageBoxService.h"
#include "QtShellOpenService.h"
#include "Unit1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setWindowIcon(programIcon());
    speakChinese(application);

    QtMessageBoxService messageBoxes;
    QtFolderBrowser folderBrowser;
    QtShellOpenService shell;
    TForm1 form(WindowServices{messageBoxes, folderBrowser, shell});
    messageBoxes.setOwner(&form);
    folderBrowser.setOwner(&form);
    form.show();
    return application.exec();
}
