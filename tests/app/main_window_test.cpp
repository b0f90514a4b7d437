// The real main window, started offscreen: frame, pages, bottom bar, the station table after
// start-up, and errors reaching the default error display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

#include <array>
#include <memory>

#include "RecordingMessageBoxService.h"
#include "StationSchema.h"
#include "Unit1.h"

namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { form = std::make_unique<TForm1>(boxes); }
    void TearDown() override { form.reset(); }

    template <typename T = QWidget>
    T* control(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    RecordingMessageBoxService boxes;
    std::unique_ptr<TForm1> form;
};

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

TEST_F(MainWindowTest, ExitClosesTheWindow) {
    form->show();
    ASSERT_TRUE(form->isVisible());
    control<QPushButton>("BitBtn4")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(MainWindowTest, NextWithAnEmptyTableStaysOnTheEntryPage) {
    form->show();
    control<QPushButton>("BitBtn3")->click();

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
