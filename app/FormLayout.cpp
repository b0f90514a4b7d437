#include "app/FormLayout.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStackedWidget>

#include "app/Artwork.h"
#include "app/EntryPage.h"
#include "app/OutputPage.h"
#include "app/Unit1.h"
#include "app/WindowFont.h"

namespace {

QFrame* flatPanel(QWidget* parent, const char* name, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* barButton(QWidget* parent, const char* name, const QString& caption, int x) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, 8, 75, 25);
    button->setAutoDefault(false);
    button->setIconSize(QSize(16, 16));
    return button;
}

}  // namespace

void createFrameControls(TForm1& form) {
    form.setFont(windowFont());
    QPalette palette = form.palette();
    palette.setColor(QPalette::Window, Qt::white);
    form.setPalette(palette);
    form.setAutoFillBackground(true);

    // The banner picture is 2 pixels wider than the window; its right edge is cut off.
    form.Image1 = new QLabel(&form);
    form.Image1->setObjectName(QStringLiteral("Image1"));
    form.Image1->setGeometry(0, 0, kClientWidth, kBannerHeight);
    form.Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    form.Image1->setPixmap(bannerPixmap(form.devicePixelRatioF()));

    form.Panel1 = flatPanel(&form, "Panel1", QRect(0, 38, kClientWidth, 411));
    form.Notebook1 = new QStackedWidget(form.Panel1);
    form.Notebook1->setObjectName(QStringLiteral("Notebook1"));
    form.Notebook1->setGeometry(0, 0, kClientWidth, 411);
    form.Page1 = new QWidget(form.Notebook1);
    form.Page1->setObjectName(QStringLiteral("1"));
    form.Page2 = new QWidget(form.Notebook1);
    form.Page2->setObjectName(QStringLiteral("2"));
    form.Notebook1->addWidget(form.Page1);
    form.Notebook1->addWidget(form.Page2);
    createEntryPage(form);
    createOutputPage(form);

    // Created after the page area, so that Tab reaches the pages first, then the bottom bar.
    form.Panel2 = flatPanel(&form, "Panel2", QRect(0, 449, kClientWidth, 41));
    form.BitBtn2 = barButton(form.Panel2, "BitBtn2", QStringLiteral("上一步"), 200);
    form.BitBtn2->setIcon(leftTriangleIcon());
    form.BitBtn2->setEnabled(false);
    form.BitBtn3 = barButton(form.Panel2, "BitBtn3", QStringLiteral("下一步"), 281);
    form.BitBtn3->setIcon(rightTriangleIcon());
    form.BitBtn3->setLayoutDirection(Qt::RightToLeft);  // picture right of the caption
    form.BitBtn4 = barButton(form.Panel2, "BitBtn4", QStringLiteral("退出"), 366);
}
