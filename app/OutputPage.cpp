#include "app/OutputPage.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/PageArtwork.h"
#include "app/PreviewList.h"
#include "app/Unit1.h"
#include "app/WindowControls.h"
#include "app/WindowFont.h"

namespace {

QString text(const char16_t* literal) {
    return QString::fromUtf16(literal);
}

QToolButton* pictureButton(QWidget* parent, const char* name, QRect geometry, const QIcon& icon) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setIcon(icon);
    button->setIconSize(kFlatButtonIconSize);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

void createOutputPage(TForm1& form) {
    // Panel4 fills the page, with a raised bevel.
    form.Panel4 = new QFrame(form.Page2);
    form.Panel4->setObjectName(QStringLiteral("Panel4"));
    form.Panel4->setGeometry(0, 0, kClientWidth, 411);
    form.Panel4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    form.Panel4->setLineWidth(1);

    // Tab order: the group box (file name, then the check box), the list, generate.
    form.GroupBox2 = new QGroupBox(text(u"信息汇总 "), form.Panel4);
    form.GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    form.GroupBox2->setGeometry(24, 240, 417, 90);

    form.LabeledEdit1 =
        new TLabeledEdit(form.GroupBox2, QStringLiteral("LabeledEdit1"), QRect(268, 30, 60, 24),
                         text(u"请输入预生成的文件名 (不用输cds后缀名)："), QSize(238, 17));
    form.LabeledEdit1->setFont(windowFont(11));
    QLabel* nameLabel = form.LabeledEdit1->EditLabel();
    QFont labelFont = windowFont(11);
    labelFont.setBold(true);
    nameLabel->setFont(labelFont);
    QPalette red = nameLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    nameLabel->setPalette(red);

    form.SpeedButton5 =
        pictureButton(form.GroupBox2, "SpeedButton5", QRect(336, 30, 30, 30), cardboardBoxIcon());
    form.SpeedButton5->setAutoRaise(true);
    form.SpeedButton5->setToolTip(text(u"选择存放目录"));
    form.SpeedButton6 =
        pictureButton(form.GroupBox2, "SpeedButton6", QRect(376, 30, 30, 30), blueRightArrowIcon());
    form.SpeedButton6->setAutoRaise(true);
    form.SpeedButton6->setToolTip(text(u"打开存放目录"));

    form.CheckBox2 = new QCheckBox(text(u"生成文件后打开所在目录"), form.GroupBox2);
    form.CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    form.CheckBox2->setGeometry(25, 65, 155, 17);

    // The preview list: one column, whole-row selection, no editing, hidden at start.
    form.ListView1 = new PreviewList(form.Panel4);
    form.ListView1->setObjectName(QStringLiteral("ListView1"));
    form.ListView1->setGeometry(104, 24, 250, 193);
    form.ListView1->rows().setHeaderCaption(text(u"电台名称"));
    form.ListView1->setColumnWidth(0, 245);
    form.ListView1->header()->setSectionsClickable(true);
    form.ListView1->header()->setSectionsMovable(false);
    form.ListView1->header()->setStretchLastSection(false);
    form.ListView1->hide();

    form.Button1 = new QPushButton(text(u"生成文件"), form.Panel4);
    form.Button1->setObjectName(QStringLiteral("Button1"));
    form.Button1->setGeometry(305, 348, 95, 30);
    form.Button1->setAutoDefault(false);

    // The preview toggle, picture left of the caption.
    form.SpeedButton3 = new QToolButton(form.Panel4);
    form.SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    form.SpeedButton3->setGeometry(175, 348, 100, 30);
    form.SpeedButton3->setText(text(u"预览文件"));
    form.SpeedButton3->setIcon(previewIcon());
    form.SpeedButton3->setIconSize(kToolIconSize);
    form.SpeedButton3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    form.SpeedButton3->setCheckable(true);
    form.SpeedButton3->setFocusPolicy(Qt::NoFocus);

    form.SpeedButton2 =
        pictureButton(form.Panel4, "SpeedButton2", QRect(410, 348, 30, 30), speechBubblesIcon());

    form.StatusBar1 = new TStatusBar(form.Panel4, QStringLiteral("StatusBar1"),
                                     QRect(1, 388, 457, 22), {70, 380});
    form.StatusBar1->SetPanelText(0, text(u"  保存路径："));
}
