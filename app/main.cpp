// Program entry: the application, the main window, the message loop.

#include <QApplication>

#include "Artwork.h"
#include "QtMessageBoxService.h"
#include "Unit1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    application.setWindowIcon(programIcon());

    QtMessageBoxService messageBoxes;
    TForm1 form(messageBoxes);
    messageBoxes.setOwner(&form);
    form.show();
    return application.exec();
}
