#include "app/WindowFont.h"

#include <QStringList>

namespace {

const QString kWindowFontFamily = QStringLiteral("微软雅黑");

void registerSubstitutes() {
    static const bool registered = [] {
        QFont::insertSubstitutions(
            kWindowFontFamily,
            {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
             QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Droid Sans Fallback")});
        return true;
    }();
    (void)registered;
}

}  // namespace

QFont windowFont(int pixelSize) {
    registerSubstitutes();
    QFont font(kWindowFontFamily);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
