// Window tests share one QApplication. It is started under the program's executable name,
// "rovena", so that titles derived from that name read as they do in the program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <vector>

#include "app/ChineseTranslations.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time, for ctest) needs no window system.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own dialogs keep their state in the user's configuration folder; during the tests
    // that folder is a temporary one, removed at the end.
    QTemporaryDir configHome;
    if (!configHome.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    static char programName[] = "rovena";
    static std::vector<char*> qtArgv{programName, nullptr};
    static int qtArgc = 1;
    QApplication application(qtArgc, qtArgv.data());
    // As the program does: Qt's own texts and the file-error reasons in Chinese.
    if (!speakChinese(application)) return 2;
    return RUN_ALL_TESTS();
}
