#include "app/EntryPage.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/PageArtwork.h"
#include "app/Unit1.h"
#include "app/WindowControls.h"
#include "stations/StationInput.h"

namespace {

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

const QSize kInputLabelSize(60, 17);
// Sky blue, behind the address label.
const QColor kSkyBlue(0xA6, 0xCA, 0xF0);

TLabeledEdit* stationInput(QGroupBox* parent, const char* name, QRect geometry,
                           const char16_t* label) {
    return new TLabeledEdit(parent, QString::fromLatin1(name), geometry, text(label),
                            kInputLabelSize);
}

QToolButton* toolButton(QFrame* bar, const char* name, int x, const QIcon& icon) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, 2, 23, 22);
    button->setIcon(icon);
    button->setIconSize(kToolIconSize);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QFrame* toolSeparator(QFrame* bar, const char* name, int x) {
    auto* separator = new QFrame(bar);
    separator->setObjectName(QString::fromLatin1(name));
    separator->setGeometry(x, 2, 8, 22);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    return separator;
}

}  // namespace

void createEntryPage(TForm1& form) {
    form.ImageList1 = new TImageList(&form, QStringLiteral("ImageList1"), kToolIconSize);
    form.ImageList1->Add(previousArrowIcon());
    form.ImageList1->Add(nextArrowIcon());
    form.ImageList1->Add(undoArrowIcon());
    form.ImageList1->Add(wasteBinIcon());

    // Panel3 fills the page, with a lowered inner bevel.
    form.Panel3 = new QFrame(form.Page1);
    form.Panel3->setObjectName(QStringLiteral("Panel3"));
    form.Panel3->setGeometry(0, 0, kClientWidth, 411);
    form.Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    form.Panel3->setLineWidth(1);

    // GroupBox1 comes first in the tab order, its inputs in the order they stand.
    form.GroupBox1 = new QGroupBox(text(u"电台 | 电视台信息："), form.Panel3);
    form.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    form.GroupBox1->setGeometry(20, 85, 421, 270);

    form.LabeledEdit2 =
        stationInput(form.GroupBox1, "LabeledEdit2", {132, 30, 121, 25}, u"电台名称：");
    QPalette nameLabel = form.LabeledEdit2->EditLabel()->palette();
    nameLabel.setColor(QPalette::WindowText, nameLabel.color(QPalette::Highlight));
    form.LabeledEdit2->EditLabel()->setPalette(nameLabel);

    form.LabeledEdit3 =
        stationInput(form.GroupBox1, "LabeledEdit3", {132, 65, 191, 25}, u"电台地址：");
    // The hot-light colour (the system's colour for links) on sky blue.
    QLabel* addressLabel = form.LabeledEdit3->EditLabel();
    QPalette addressColours = addressLabel->palette();
    addressColours.setColor(QPalette::WindowText, addressColours.color(QPalette::Link));
    addressColours.setColor(QPalette::Window, kSkyBlue);
    addressLabel->setPalette(addressColours);
    addressLabel->setAutoFillBackground(true);

    form.LabeledEdit4 =
        stationInput(form.GroupBox1, "LabeledEdit4", {132, 106, 121, 25}, u"电台国家：");
    form.LabeledEdit5 =
        stationInput(form.GroupBox1, "LabeledEdit5", {132, 145, 121, 25}, u"电台语种：");
    form.LabeledEdit6 =
        stationInput(form.GroupBox1, "LabeledEdit6", {132, 185, 121, 25}, u"电台编码：");

    form.BitBtn1 = new QPushButton(text(kSaveFirstCaption), form.GroupBox1);
    form.BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    form.BitBtn1->setGeometry(172, 228, 229, 30);
    form.BitBtn1->setIcon(saveListIcon());
    form.BitBtn1->setIconSize(kToolIconSize);
    form.BitBtn1->setAutoDefault(false);

    form.ToolBar1 = new QFrame(form.GroupBox1);
    form.ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    form.ToolBar1->setGeometry(16, 230, 120, 29);
    form.ToolBar1->setEnabled(false);
    form.ToolButton1 = toolButton(form.ToolBar1, "ToolButton1", 0, form.ImageList1->Image(0));
    form.ToolButton2 = toolSeparator(form.ToolBar1, "ToolButton2", 23);
    form.ToolButton3 = toolButton(form.ToolBar1, "ToolButton3", 31, form.ImageList1->Image(1));
    form.ToolButton4 = toolSeparator(form.ToolBar1, "ToolButton4", 54);
    form.ToolButton5 = toolButton(form.ToolBar1, "ToolButton5", 62, form.ImageList1->Image(2));
    form.ToolButton6 = toolButton(form.ToolBar1, "ToolButton6", 85, form.ImageList1->Image(3));

    form.RadioGroup1 = new TRadioGroup(
        form.Panel3, QStringLiteral("RadioGroup1"), text(u"电台类型："),
        {QString::fromUtf16(kRadioStationCaption.data(), kRadioStationCaption.size()),
         QString::fromUtf16(kTvStationCaption.data(), kTvStationCaption.size())},
        2);
    form.RadioGroup1->setGeometry(20, 15, 421, 55);
    form.RadioGroup1->SetItemIndex(0);

    // The edit-mode switch: a toggle that takes no focus, up and disabled at start.
    form.SpeedButton1 = new QToolButton(form.Panel3);
    form.SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    form.SpeedButton1->setGeometry(152, 366, 141, 30);
    form.SpeedButton1->setText(text(kSwitchToEditCaption));
    form.SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    form.SpeedButton1->setCheckable(true);
    form.SpeedButton1->setFocusPolicy(Qt::NoFocus);
    form.SpeedButton1->setEnabled(false);
}
