// Edit mode: the switch, loading the current station into the inputs, stepping through the
// stations and deleting them.

#include <gtest/gtest.h>

#include "tests/app/WindowTestSupport.h"

namespace {

class EditModeTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        addThreeStations();
    }

    void addThreeStations() {
        showWindow();
        addStation({u"One", u"http://radio.example/1", u"中国", u"汉语", u"32k", false});
        addStation({u"Two", u"mms://radio.example/2", u"日本", u"日语", u"64k", true});
        addStation({u"Three", u"rtmp://radio.example/3", u"韩国", u"韩语", u"128k", false});
        boxes.clear();
    }

    void expectInputsShow(const char* name, const char* address, int typeIndex) {
        EXPECT_EQ(form->LabeledEdit2->text(), QString::fromUtf8(name));
        EXPECT_EQ(form->LabeledEdit3->text(), QString::fromUtf8(address));
        EXPECT_EQ(form->RadioGroup1->ItemIndex(), typeIndex);
    }
};

const char16_t kFirstMessage[] = u"已经是第一条内容！";
const char16_t kLastMessage[] = u"已经是最后一条内容！";

TEST_F(EditModeTest, SwitchLoadsTheCurrentStationAndEnablesTheToolbar) {
    form->SpeedButton1->click();
    EXPECT_TRUE(form->SpeedButton1->isChecked());
    EXPECT_EQ(form->SpeedButton1->text(), QStringLiteral("点击切换至输入模式"));
    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("修改电台"));
    EXPECT_TRUE(form->ToolBar1->isEnabled());
    // The first station is current after the last save.
    expectInputsShow("One", "http://radio.example/1", 0);
    EXPECT_EQ(form->LabeledEdit4->text(), QStringLiteral("中国"));
    EXPECT_EQ(form->LabeledEdit5->text(), QStringLiteral("汉语"));
    EXPECT_EQ(form->LabeledEdit6->text(), QStringLiteral("32k"));
    EXPECT_TRUE(boxes.boxes().empty());

    // Loaded addresses show from their beginning, the scheme first.
    EXPECT_EQ(form->LabeledEdit3->cursorPosition(), 0);

    // Entering the address input right after a load keeps the loaded address.
    form->LabeledEdit3->setFocus();
    EXPECT_EQ(form->LabeledEdit3->text(), QStringLiteral("http://radio.example/1"));
}

TEST_F(EditModeTest, PreviousAndNextStopAtTheEnds) {
    form->SpeedButton1->click();

    form->ToolButton1->click();
    expectOneBox(boxes, kFirstMessage, MessageBoxIcon::Information, MessageBoxButtons::Ok, true,
                 MessageBeepKind::Error);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 1);
    boxes.clear();

    form->ToolButton3->click();
    expectInputsShow("Two", "mms://radio.example/2", 1);  // saved as TV
    EXPECT_EQ(form->LabeledEdit5->text(), QStringLiteral("日语"));
    form->ToolButton3->click();
    expectInputsShow("Three", "rtmp://radio.example/3", 0);
    EXPECT_TRUE(boxes.boxes().empty());

    form->ToolButton3->click();
    expectOneBox(boxes, kLastMessage, MessageBoxIcon::Information, MessageBoxButtons::Ok, true,
                 MessageBeepKind::Error);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 3);
    expectInputsShow("Three", "rtmp://radio.example/3", 0);
    boxes.clear();

    form->ToolButton1->click();
    expectInputsShow("Two", "mms://radio.example/2", 1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(EditModeTest, DeleteAsksFirstAndCancelChangesNothing) {
    form->SpeedButton1->click();
    form->ToolButton3->click();
    boxes.queueAnswer(MessageBoxAnswer::Cancel);
    form->ToolButton6->click();

    expectOneBox(boxes, u"是否删除当前内容？", MessageBoxIcon::Question,
                 MessageBoxButtons::OkCancel, true);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 3);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 2);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
}

TEST_F(EditModeTest, DeleteWithOkSavesTheOthersAndLoadsTheNeighbour) {
    form->SpeedButton1->click();
    form->ToolButton3->click();
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Three"}));
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
    // The station now at the deleted one's place is current and shown; the mode is unchanged.
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 2);
    expectInputsShow("Three", "rtmp://radio.example/3", 0);
    EXPECT_TRUE(form->SpeedButton1->isChecked());

    // Deleting the last station shows the new last one.
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One"}));
    expectInputsShow("One", "http://radio.example/1", 0);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 1);
}

// Browsing, modifying and deleting act on the station the inputs show, whatever came before:
// two modifications in a row, a delete after a modification, a delete after a preview.
TEST_F(EditModeTest, ModifyingTwiceKeepsEveryOtherStation) {
    form->SpeedButton1->click();
    form->ToolButton3->click();  // Two
    form->LabeledEdit6->setText(QStringLiteral("96k"));
    form->BitBtn1->click();
    expectInputsShow("Two", "mms://radio.example/2", 1);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 2);
    form->LabeledEdit6->setText(QStringLiteral("112k"));
    form->BitBtn1->click();

    EXPECT_TRUE(boxes.boxes().empty());
    const StoredTable stored = workingFile();
    EXPECT_EQ(stored.names(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
    EXPECT_EQ(stored.value(0, u"编码率"), u"32k");
    EXPECT_EQ(stored.value(1, u"编码率"), u"112k");

    // Next and previous step from the modified station.
    form->ToolButton3->click();
    expectInputsShow("Three", "rtmp://radio.example/3", 0);
    form->ToolButton1->click();
    form->ToolButton1->click();
    expectInputsShow("One", "http://radio.example/1", 0);
}

TEST_F(EditModeTest, DeleteAfterAModificationOrAPreviewRemovesTheShownStation) {
    struct Case {
        const char* name;
        bool preview;  // else: a modification
    };
    for (const Case& c : {Case{"after a modification", false}, Case{"after a preview", true}}) {
        SCOPED_TRACE(c.name);
        // A fresh window with One, Two, Three (the stations left by the last one declined).
        startWindow({MessageBoxAnswer::No});
        addThreeStations();
        form->SpeedButton1->click();
        form->ToolButton3->click();  // Two
        if (c.preview) {
            form->BitBtn3->click();
            form->SpeedButton3->click();
            ASSERT_EQ(form->ListView1->count(), 3);
            form->BitBtn2->click();
        } else {
            form->LabeledEdit4->setText(QStringLiteral("蒙古"));
            form->BitBtn1->click();
        }
        expectInputsShow("Two", "mms://radio.example/2", 1);
        EXPECT_EQ(form->ClientDataSet1.RecNo(), 2);

        boxes.queueAnswer(MessageBoxAnswer::Ok);
        form->ToolButton6->click();
        EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Three"}));
        expectInputsShow("Three", "rtmp://radio.example/3", 0);
    }
}

TEST_F(EditModeTest, WithEveryStationDeletedPreviousAndNextReportTheEnds) {
    form->SpeedButton1->click();
    for (int i = 0; i < 3; ++i) {
        boxes.queueAnswer(MessageBoxAnswer::Ok);
        form->ToolButton6->click();
    }
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
    const StoredTable stored = workingFile();
    ASSERT_TRUE(stored.loaded);
    EXPECT_TRUE(stored.rows.empty());
    // With nothing left to show, the inputs are empty.
    for (const QString& text : inputTexts()) EXPECT_TRUE(text.isEmpty());

    boxes.clear();
    form->ToolButton1->click();
    expectOneBox(boxes, kFirstMessage, MessageBoxIcon::Information, MessageBoxButtons::Ok, true,
                 MessageBeepKind::Error);
    boxes.clear();
    form->ToolButton3->click();
    expectOneBox(boxes, kLastMessage, MessageBoxIcon::Information, MessageBoxButtons::Ok, true,
                 MessageBeepKind::Error);

    // Deleting from the empty table fails in the dataset layer and reaches the error display.
    boxes.clear();
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].title, u"rovena");
    EXPECT_EQ(boxes.boxes()[1].icon, MessageBoxIcon::Error);
    EXPECT_TRUE(workingFile().rows.empty());

    // A station typed into the empty table in edit mode is added as its first.
    fillInputs({u"Again", u"http://radio.example/again", u"", u"", u"", false});
    form->BitBtn1->click();
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 1);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"Again"}));
}

}  // namespace
