// The real main window, started offscreen: frame, controls of both pages, bottom bar, the
// station table and the working file after start-up, closing, and errors reaching the default
// error display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <memory>

#include "stations/StationSchema.h"
#include "tests/app/WindowTestSupport.h"

namespace {

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, FrameIsAFixedSizeWhiteWindowWithoutMaximise) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Rovena 1.0"));
    EXPECT_EQ(form->size(), QSize(459, 490));
    EXPECT_EQ(form->minimumSize(), QSize(459, 490));
    EXPECT_EQ(form->maximumSize(), QSize(459, 490));

    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));

    form->show();
    form->resize(800, 600);  // a fixed window refuses
    EXPECT_EQ(form->size(), QSize(459, 490));

    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(form->font().family(), QStringLiteral("微软雅黑"));
    EXPECT_EQ(form->font().pixelSize(), 12);
    EXPECT_FALSE(form->windowIcon().isNull());
}

TEST_F(MainWindowTest, ControlsStandAtTheirPlaces) {
    struct Placement {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const std::array<Placement, 7> placements = {{
        {"Image1", "Form1", QRect(0, 0, 459, 38)},
        {"Panel1", "Form1", QRect(0, 38, 459, 411)},
        {"Notebook1", "Panel1", QRect(0, 0, 459, 411)},
        {"Panel2", "Form1", QRect(0, 449, 459, 41)},
        {"BitBtn2", "Panel2", QRect(200, 8, 75, 25)},
        {"BitBtn3", "Panel2", QRect(281, 8, 75, 25)},
        {"BitBtn4", "Panel2", QRect(366, 8, 75, 25)},
    }};
    form->show();
    for (const Placement& p : placements) {
        SCOPED_TRACE(p.name);
        QWidget* widget = control(p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(p.parent));
        EXPECT_EQ(widget->geometry(), p.geometry);
        EXPECT_TRUE(widget->isVisible());
    }

    // The banner picture is 461 x 38 whatever the pixel ratio.
    const QPixmap banner = control<QLabel>("Image1")->pixmap();
    EXPECT_EQ(banner.deviceIndependentSize().toSize(), QSize(461, 38));

    auto* notebook = control<QStackedWidget>("Notebook1");
    ASSERT_EQ(notebook->count(), 2);
    EXPECT_EQ(notebook->widget(0)->objectName(), QStringLiteral("1"));
    EXPECT_EQ(notebook->widget(1)->objectName(), QStringLiteral("2"));

    struct BarButton {
        const char* name;
        const char* caption;
        bool enabled;
        bool picture;
    };
    for (const BarButton& b :
         {BarButton{"BitBtn2", "上一步", false, true}, BarButton{"BitBtn3", "下一步", true, true},
          BarButton{"BitBtn4", "退出", true, false}}) {
        SCOPED_TRACE(b.name);
        auto* button = control<QPushButton>(b.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(button->isEnabled(), b.enabled);
        EXPECT_EQ(!button->icon().isNull(), b.picture);
    }
    // 下一步 carries its picture right of the caption.
    EXPECT_EQ(control("BitBtn3")->layoutDirection(), Qt::RightToLeft);

    // Tab goes through the page area before the bottom bar.
    EXPECT_LT(form->children().indexOf(control("Panel1")),
              form->children().indexOf(control("Panel2")));
}

TEST_F(MainWindowTest, PageControlsStandAtTheirPlaces) {
    struct Placement {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const Placement placements[] = {
        // Entry page.
        {"Panel3", "1", QRect(0, 0, 459, 411)},
        {"GroupBox1", "Panel3", QRect(20, 85, 421, 270)},
        {"RadioGroup1", "Panel3", QRect(20, 15, 421, 55)},
        {"SpeedButton1", "Panel3", QRect(152, 366, 141, 30)},
        {"LabeledEdit2", "GroupBox1", QRect(132, 30, 121, 25)},
        {"LabeledEdit3", "GroupBox1", QRect(132, 65, 191, 25)},
        {"LabeledEdit4", "GroupBox1", QRect(132, 106, 121, 25)},
        {"LabeledEdit5", "GroupBox1", QRect(132, 145, 121, 25)},
        {"LabeledEdit6", "GroupBox1", QRect(132, 185, 121, 25)},
        {"BitBtn1", "GroupBox1", QRect(172, 228, 229, 30)},
        {"ToolBar1", "GroupBox1", QRect(16, 230, 120, 29)},
        {"ToolButton1", "ToolBar1", QRect(0, 2, 23, 22)},
        {"ToolButton2", "ToolBar1", QRect(23, 2, 8, 22)},
        {"ToolButton3", "ToolBar1", QRect(31, 2, 23, 22)},
        {"ToolButton4", "ToolBar1", QRect(54, 2, 8, 22)},
        {"ToolButton5", "ToolBar1", QRect(62, 2, 23, 22)},
        {"ToolButton6", "ToolBar1", QRect(85, 2, 23, 22)},
        // Labels stand left of their inputs, 3 pixels apart, centred on them.
        {"LabeledEdit2Label", "GroupBox1", QRect(69, 34, 60, 17)},
        {"LabeledEdit6Label", "GroupBox1", QRect(69, 189, 60, 17)},
        // Output page.
        {"Panel4", "2", QRect(0, 0, 459, 411)},
        {"ListView1", "Panel4", QRect(104, 24, 250, 193)},
        {"GroupBox2", "Panel4", QRect(24, 240, 417, 90)},
        {"LabeledEdit1", "GroupBox2", QRect(268, 30, 60, 24)},
        {"LabeledEdit1Label", "GroupBox2", QRect(27, 33, 238, 17)},
        {"SpeedButton5", "GroupBox2", QRect(336, 30, 30, 30)},
        {"SpeedButton6", "GroupBox2", QRect(376, 30, 30, 30)},
        {"CheckBox2", "GroupBox2", QRect(25, 65, 155, 17)},
        {"SpeedButton3", "Panel4", QRect(175, 348, 100, 30)},
        {"Button1", "Panel4", QRect(305, 348, 95, 30)},
        {"SpeedButton2", "Panel4", QRect(410, 348, 30, 30)},
        {"StatusBar1", "Panel4", QRect(1, 388, 457, 22)},
    };
    for (const Placement& p : placements) {
        SCOPED_TRACE(p.name);
        QWidget* widget = control(p.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(p.parent));
        EXPECT_EQ(widget->geometry(), p.geometry);
    }
}

TEST_F(MainWindowTest, PageControlsStartWithTheirCaptionsAndStates) {
    form->show();
    // Entry page.
    EXPECT_EQ(form->GroupBox1->title(), QStringLiteral("电台 | 电视台信息："));
    EXPECT_EQ(form->RadioGroup1->title(), QStringLiteral("电台类型："));
    ASSERT_EQ(form->RadioGroup1->Count(), 2);
    EXPECT_EQ(form->RadioGroup1->Item(0), QStringLiteral("普通电台"));
    EXPECT_EQ(form->RadioGroup1->Item(1), QStringLiteral("电视台"));
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 0);
    // Two columns: the items stand side by side.
    EXPECT_EQ(form->RadioGroup1->Button(0)->y(), form->RadioGroup1->Button(1)->y());
    EXPECT_LT(form->RadioGroup1->Button(0)->x(), form->RadioGroup1->Button(1)->x());

    const std::pair<TLabeledEdit*, const char*> labels[] = {
        {form->LabeledEdit2, "电台名称："}, {form->LabeledEdit3, "电台地址："},
        {form->LabeledEdit4, "电台国家："}, {form->LabeledEdit5, "电台语种："},
        {form->LabeledEdit6, "电台编码："},
    };
    for (const auto& [input, label] : labels) {
        EXPECT_EQ(input->EditLabel()->text(), QString::fromUtf8(label));
        EXPECT_TRUE(input->text().isEmpty());
        EXPECT_EQ(input->font().pixelSize(), 12);
    }
    EXPECT_EQ(form->LabeledEdit2->EditLabel()->palette().color(QPalette::WindowText),
              form->palette().color(QPalette::Highlight));
    QLabel* addressLabel = form->LabeledEdit3->EditLabel();
    EXPECT_TRUE(addressLabel->autoFillBackground());
    EXPECT_EQ(addressLabel->palette().color(QPalette::Window), QColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(addressLabel->palette().color(QPalette::WindowText),
              form->palette().color(QPalette::Link));

    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("保存并继续添加 &M"));
    EXPECT_FALSE(form->BitBtn1->icon().isNull());
    EXPECT_EQ(form->SpeedButton1->text(), QStringLiteral("点击切换至编辑模式"));
    EXPECT_TRUE(form->SpeedButton1->isCheckable());
    EXPECT_FALSE(form->SpeedButton1->isChecked());
    EXPECT_FALSE(form->SpeedButton1->isEnabled());
    EXPECT_FALSE(form->ToolBar1->isEnabled());

    // The toolbar's icons come from the image list of four 16 x 16 pictures.
    ASSERT_EQ(form->ImageList1->Count(), 4);
    EXPECT_EQ(form->ImageList1->ImageSize(), QSize(16, 16));
    QToolButton* const tools[] = {form->ToolButton1, form->ToolButton3, form->ToolButton5,
                                  form->ToolButton6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tools[i]->icon().cacheKey(), form->ImageList1->Image(i).cacheKey());
        EXPECT_TRUE(tools[i]->text().isEmpty());
        EXPECT_TRUE(tools[i]->toolTip().isEmpty());
    }

    // Output page.
    EXPECT_EQ(form->GroupBox2->title(), QStringLiteral("信息汇总 "));
    EXPECT_EQ(form->LabeledEdit1->EditLabel()->text(),
              QStringLiteral("请输入预生成的文件名 (不用输cds后缀名)："));
    EXPECT_EQ(form->LabeledEdit1->font().pixelSize(), 11);
    EXPECT_EQ(form->LabeledEdit1->font().family(), QStringLiteral("微软雅黑"));
    EXPECT_TRUE(form->LabeledEdit1->EditLabel()->font().bold());
    EXPECT_EQ(form->LabeledEdit1->EditLabel()->palette().color(QPalette::WindowText),
              QColor(Qt::red));
    EXPECT_EQ(form->SpeedButton5->toolTip(), QStringLiteral("选择存放目录"));
    EXPECT_EQ(form->SpeedButton6->toolTip(), QStringLiteral("打开存放目录"));
    EXPECT_TRUE(form->SpeedButton5->autoRaise());
    EXPECT_TRUE(form->SpeedButton6->autoRaise());
    EXPECT_EQ(form->CheckBox2->text(), QStringLiteral("生成文件后打开所在目录"));
    EXPECT_FALSE(form->CheckBox2->isChecked());
    EXPECT_EQ(form->SpeedButton3->text(), QStringLiteral("预览文件"));
    EXPECT_EQ(form->SpeedButton3->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_TRUE(form->SpeedButton3->isCheckable());
    EXPECT_TRUE(form->SpeedButton3->isEnabled());
    EXPECT_EQ(form->Button1->text(), QStringLiteral("生成文件"));
    for (QToolButton* pictured :
         {form->SpeedButton2, form->SpeedButton3, form->SpeedButton5, form->SpeedButton6})
        EXPECT_FALSE(pictured->icon().isNull());

    EXPECT_TRUE(form->ListView1->isHidden());
    EXPECT_EQ(form->ListView1->count(), 0);
    EXPECT_EQ(form->ListView1->model()->columnCount(), 1);
    EXPECT_EQ(form->ListView1->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("电台名称"));
    EXPECT_EQ(form->ListView1->columnWidth(0), 245);
    EXPECT_EQ(form->ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(form->ListView1->selectionBehavior(), QAbstractItemView::SelectRows);

    ASSERT_EQ(form->StatusBar1->PanelCount(), 2);
    EXPECT_EQ(form->StatusBar1->Panel(0)->width(), 70);
    EXPECT_EQ(form->StatusBar1->Panel(1)->width(), 380);
    EXPECT_EQ(form->StatusBar1->PanelText(0), QStringLiteral("  保存路径："));
    EXPECT_TRUE(form->StatusBar1->PanelText(1).isEmpty());
}

TEST_F(MainWindowTest, TabGoesThroughThePagesInOrderThenTheBottomBar) {
    const QWidget* const expected[] = {
        form->LabeledEdit2,
        form->LabeledEdit3,
        form->LabeledEdit4,
        form->LabeledEdit5,
        form->LabeledEdit6,
        form->BitBtn1,
        form->RadioGroup1->Button(0),
        form->LabeledEdit1,
        form->CheckBox2,
        form->ListView1,
        form->Button1,
        form->BitBtn2,
        form->BitBtn3,
        form->BitBtn4,
    };
    std::vector<const QWidget*> chain;
    QWidget* widget = form.get();
    do {
        widget = widget->nextInFocusChain();
        if (std::find(std::begin(expected), std::end(expected), widget) != std::end(expected))
            chain.push_back(widget);
    } while (widget != form.get());
    EXPECT_TRUE(std::equal(chain.begin(), chain.end(), std::begin(expected), std::end(expected)));

    // Buttons without a place in the tab order take no focus.
    for (QWidget* untabbed : std::initializer_list<QWidget*>{
             form->SpeedButton1, form->SpeedButton2, form->SpeedButton3, form->SpeedButton5,
             form->SpeedButton6, form->ToolButton1, form->ToolButton6})
        EXPECT_EQ(untabbed->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowTest, ShowingSelectsTheEntryPage) {
    auto* notebook = control<QStackedWidget>("Notebook1");
    notebook->setCurrentIndex(1);
    form->show();
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_EQ(notebook->currentWidget()->objectName(), QStringLiteral("1"));
}

TEST_F(MainWindowTest, StartUpCreatesTheEmptyStationTable) {
    EXPECT_TRUE(boxes.boxes().empty());
    TClientDataSet& table = form->ClientDataSet1;
    ASSERT_TRUE(table.Active());
    EXPECT_EQ(table.RecordCount(), 0);
    ASSERT_EQ(table.Fields().Count(), 20);

    int strings = 0, times = 0, integers = 0;
    for (int i = 0; i < 20; ++i) {
        const StationField& expected = stationSchema()[i];
        const TField* field = table.Fields()[i];
        SCOPED_TRACE(QString::fromStdU16String(std::u16string(expected.name)).toStdString());
        EXPECT_EQ(field->FieldName(), expected.name);
        EXPECT_EQ(field->FieldNo(), i + 1);
        const std::u16string className = field->ClassName();
        if (expected.type == ftString) {
            ++strings;
            EXPECT_EQ(className, u"TStringField");
            EXPECT_EQ(field->Size(), expected.size);
        } else if (expected.type == ftTime) {
            ++times;
            EXPECT_EQ(className, u"TTimeField");
        } else {
            ++integers;
            EXPECT_EQ(className, u"TIntegerField");
        }
    }
    EXPECT_EQ(strings, 17);
    EXPECT_EQ(times, 2);
    EXPECT_EQ(integers, 1);
    EXPECT_EQ(table.Fields()[0]->FieldName(), u"电台名称");
    EXPECT_EQ(table.Fields()[12]->FieldName(), u"间隔");
    EXPECT_EQ(table.Fields()[19]->FieldName(), u"自定义2");
}

TEST_F(MainWindowTest, StartUpWritesTheEmptyTableToTheWorkingFile) {
    const StoredTable stored = workingFile();
    ASSERT_TRUE(stored.loaded) << utf8(stored.error);
    ASSERT_EQ(stored.fieldNames.size(), 20u);
    for (std::size_t i = 0; i < 20; ++i) EXPECT_EQ(stored.fieldNames[i], stationSchema()[i].name);
    EXPECT_TRUE(stored.rows.empty());

    // A working file left behind by an earlier run is replaced by the empty table once the
    // user declines to recover its stations.
    addStations({u"one", u"two"});
    ASSERT_EQ(workingFile().rows.size(), 2u);
    startWindow({MessageBoxAnswer::No});
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(workingFile().rows.empty());
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndDeletesTheWorkingFile) {
    form->show();
    ASSERT_TRUE(form->isVisible());
    ASSERT_TRUE(QFile::exists(QString::fromStdU16String(workingFilePath())));
    control<QPushButton>("BitBtn4")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdU16String(workingFilePath())));
}

TEST_F(MainWindowTest, ClosingWithTheWorkingFileAlreadyGoneShowsNothing) {
    form->show();
    ASSERT_TRUE(QFile::remove(QString::fromStdU16String(workingFilePath())));
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainWindowTest, NextWithAnEmptyTableStaysOnTheEntryPage) {
    showWindow();
    form->LabeledEdit4->setFocus();
    control<QPushButton>("BitBtn3")->click();
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit2);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_EQ(box.text, u"请先保存当前记录！");
    EXPECT_EQ(box.title, u"Rovena");
    EXPECT_EQ(box.icon, MessageBoxIcon::Error);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_TRUE(box.topmost);
    EXPECT_EQ(control<QStackedWidget>("Notebook1")->currentIndex(), 0);
    EXPECT_FALSE(control("BitBtn2")->isEnabled());
    EXPECT_TRUE(control("BitBtn3")->isEnabled());
}

TEST_F(MainWindowTest, PreviousReturnsToTheEntryPageAndRestoresNext) {
    form->show();
    auto* notebook = control<QStackedWidget>("Notebook1");
    auto* previous = control<QPushButton>("BitBtn2");
    auto* next = control<QPushButton>("BitBtn3");
    // The bottom bar as the output page leaves it.
    notebook->setCurrentIndex(1);
    previous->setEnabled(true);
    next->setEnabled(false);
    next->setText(QStringLiteral("x"));

    previous->click();
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_FALSE(previous->isEnabled());
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(next->text(), QStringLiteral("下一步"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainWindowTest, HandlerErrorReachesTheDefaultDisplayAndTheProgramGoesOn) {
    // Defining the schema a second time fails in the dataset layer on the first name.
    EXPECT_FALSE(form->handle(&TForm1::FormCreate));

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_NE(box.text.find(u"电台名称"), std::u16string::npos);
    EXPECT_EQ(box.title, u"rovena");
    EXPECT_EQ(box.icon, MessageBoxIcon::Error);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_FALSE(box.topmost);

    // The table as start-up built it is untouched, and the window still works.
    EXPECT_TRUE(form->ClientDataSet1.Active());
    EXPECT_EQ(form->ClientDataSet1.Fields().Count(), 20);
    form->show();
    EXPECT_TRUE(form->isVisible());
    control<QPushButton>("BitBtn4")->click();
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
