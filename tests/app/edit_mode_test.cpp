// Edit mode: the switch, loading the current station into the inputs, stepping through the
// stations and deleting them.

#include <gtest/gtest.h>

#include "WindowTestSupport.h"

namespace {

class EditModeTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
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

TEST_F(EditModeTest, DeleteWithOkSavesTheOthersAndLeavesTheInputsAlone) {
    form->SpeedButton1->click();
    form->ToolButton3->click();
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Three"}));
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
    EXPECT_EQ(form->ClientDataSet1.RecNo(), 1);
    // The inputs still show the deleted station; the mode is unchanged.
    expectInputsShow("Two", "mms://radio.example/2", 1);
    EXPECT_TRUE(form->SpeedButton1->isChecked());

    // Next now goes from the first station to the other one left.
    boxes.clear();
    form->ToolButton3->click();
    expectInputsShow("Three", "rtmp://radio.example/3", 0);
    EXPECT_TRUE(boxes.boxes().empty());
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

    // The inputs still hold the last station deleted; saving them adds it back.
    form->BitBtn1->click();
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 1);
}

}  // namespace
