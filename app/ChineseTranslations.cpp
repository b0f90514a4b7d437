#include "app/ChineseTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/FileResult.h"

bool speakChinese(QCoreApplication& application) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    // Dates and numbers in Qt's dialogs follow the window's language, not the system's.
    QLocale::setDefault(chinese);
    setErrorTextLanguage(ErrorTextLanguage::Chinese);

    auto* translator = new QTranslator(&application);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
