// The output page and the bottom bar: moving between the pages, generating the station file
// (also when the move cannot be done), the output folder, opening it, and the forum.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/ForumAddress.h"
#include "platform/AppPaths.h"
#include "tests/app/WindowTestSupport.h"

namespace {

class OutputPageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        showWindow();
        outputFolder = dataHome.path(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(outputFolder));
        addStations({u"One", u"Two"});
        form->BitBtn3->click();
        ASSERT_EQ(form->Notebook1->currentIndex(), 1);
        form->StatusBar1->SetPanelText(1, outputFolder);
        boxes.clear();
    }

    void generate(const QString& name) {
        form->LabeledEdit1->setText(name);
        form->Button1->click();
    }

    std::u16string outputFile(const QString& name) const {
        return QDir(outputFolder).filePath(name).toStdU16String();
    }

    bool workingFileExists() const {
        return QFile::exists(QString::fromStdU16String(workingFilePath()));
    }

    QString outputFolder;
};

TEST_F(OutputPageTest, NextAndPreviousMoveBetweenThePages) {
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit1);
    EXPECT_TRUE(form->BitBtn2->isEnabled());
    EXPECT_FALSE(form->BitBtn3->isEnabled());

    form->BitBtn2->click();
    EXPECT_EQ(form->Notebook1->currentIndex(), 0);
    EXPECT_FALSE(form->BitBtn2->isEnabled());
    EXPECT_TRUE(form->BitBtn3->isEnabled());
    EXPECT_EQ(form->BitBtn3->text(), QStringLiteral("下一步"));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(OutputPageTest, GenerateWithoutANameMovesNothing) {
    generate(QString());
    expectOneBox(boxes, u"请先输入预生成cds的文件名！", MessageBoxIcon::Information,
                 MessageBoxButtons::Ok, false);
    EXPECT_TRUE(workingFileExists());
    EXPECT_TRUE(form->SpeedButton3->isEnabled());
}

TEST_F(OutputPageTest, GenerateMovesTheWorkingFileIntoTheFolder) {
    generate(QStringLiteral("stations"));

    expectOneBox(boxes, u"成功生成了stations.cds文件!", MessageBoxIcon::Information,
                 MessageBoxButtons::Ok, false);
    EXPECT_FALSE(workingFileExists());
    EXPECT_EQ(readStationFile(outputFile(QStringLiteral("stations.cds"))).names(),
              (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_TRUE(shell.folders().empty());  // the option is off
    // The table in memory is untouched.
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);

    // Back on the entry page, one more station; the next file holds every station.
    form->BitBtn2->click();
    addStation({u"Three", u"https://radio.example/3", u"", u"", u"", false});
    form->BitBtn3->click();
    boxes.clear();
    // A name typed with the extension gets it once more.
    generate(QStringLiteral("more.cds"));
    expectOneBox(boxes, u"成功生成了more.cds.cds文件!", MessageBoxIcon::Information,
                 MessageBoxButtons::Ok, false);
    EXPECT_EQ(readStationFile(outputFile(QStringLiteral("more.cds.cds"))).names(),
              (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
    // The preview stays disabled for the rest of the run.
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
}

TEST_F(OutputPageTest, AFailedMoveIsReportedAndNothingElseHappens) {
    enum class Failure { ExistingFile, MissingFolder, WorkingFileGone };
    struct Case {
        const char* label;
        Failure failure;
        const char* reason;
    };
    const Case cases[] = {
        // Replacing a file that may not be written (after 是 to the question).
        {"ExistingFile", Failure::ExistingFile, "拒绝访问"},
        {"MissingFolder", Failure::MissingFolder, "找不到文件或文件夹"},
        {"WorkingFileGone", Failure::WorkingFileGone, "找不到文件或文件夹"},
    };
    form->CheckBox2->setChecked(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.clear();
        form->StatusBar1->SetPanelText(1, outputFolder);
        if (c.failure == Failure::ExistingFile) {
            QFile existing(QDir(outputFolder).filePath(QStringLiteral("x.cds")));
            ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
            existing.write("keep me");
            existing.close();
            ASSERT_TRUE(existing.setPermissions(QFileDevice::ReadOwner));
            boxes.queueAnswer(MessageBoxAnswer::Yes);
        } else if (c.failure == Failure::MissingFolder) {
            form->StatusBar1->SetPanelText(1, dataHome.path(QStringLiteral("missing")));
        } else {
            ASSERT_TRUE(QFile::remove(QString::fromStdU16String(workingFilePath())));
        }
        const bool workingFileBefore = workingFileExists();
        const std::u16string target =
            composePath(form->StatusBar1->PanelText(1).toStdU16String(), u"x.cds");

        generate(QStringLiteral("x"));

        ASSERT_EQ(boxes.boxes().size(), c.failure == Failure::ExistingFile ? 2u : 1u);
        const MessageBoxRequest& box = boxes.boxes().back();
        EXPECT_EQ(box.title, u"Rovena");
        EXPECT_EQ(box.icon, MessageBoxIcon::Error);
        EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
        EXPECT_NE(box.text.find(target), std::u16string::npos) << utf8(box.text);
        EXPECT_NE(utf8(box.text).find(c.reason), std::string::npos) << utf8(box.text);
        EXPECT_EQ(box.text.find(u"成功"), std::u16string::npos);
        // The working file stays where it was; the preview and the folder are left alone.
        EXPECT_EQ(workingFileExists(), workingFileBefore);
        EXPECT_TRUE(form->SpeedButton3->isEnabled());
        EXPECT_TRUE(shell.folders().empty());
    }
    // The file that was there keeps its bytes.
    QFile existing(QDir(outputFolder).filePath(QStringLiteral("x.cds")));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
}

// Without an output folder nothing is written into the file system's root: the folder chooser
// comes first, and cancelling it generates nothing.
TEST_F(OutputPageTest, GenerateWithoutAFolderAsksForOneFirst) {
    form->StatusBar1->SetPanelText(1, QString());
    generate(QStringLiteral("stations"));
    EXPECT_EQ(folders.instructions(),
              (std::vector<std::u16string>{u"请选择预生成cds文件的保存目录:"}));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(workingFileExists());
    EXPECT_TRUE(form->StatusBar1->PanelText(1).isEmpty());
    EXPECT_TRUE(form->SpeedButton3->isEnabled());

    folders.queueChoice(outputFolder.toStdU16String());
    generate(QStringLiteral("stations"));
    EXPECT_EQ(folders.instructions().size(), 2u);
    expectOneBox(boxes, u"成功生成了stations.cds文件!", MessageBoxIcon::Information,
                 MessageBoxButtons::Ok, false);
    EXPECT_EQ(form->StatusBar1->PanelText(1), outputFolder);
    EXPECT_EQ(readStationFile(outputFile(QStringLiteral("stations.cds"))).names(),
              (std::vector<std::u16string>{u"One", u"Two"}));
}

// After every page change the focus is in the page's first input, never on 退出, where a stray
// Space would close the program.
TEST_F(OutputPageTest, PageChangesPutTheFocusInTheFirstInput) {
    QTest::mouseClick(form->BitBtn2, Qt::LeftButton);
    ASSERT_EQ(form->Notebook1->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(form->isVisible());

    QTest::mouseClick(form->BitBtn3, Qt::LeftButton);
    ASSERT_EQ(form->Notebook1->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(OutputPageTest, OpenFolderOptionOpensTheFolderAfterTheSuccessMessage) {
    form->CheckBox2->setChecked(true);
    generate(QStringLiteral("stations"));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(shell.folders(), (std::vector<std::u16string>{outputFolder.toStdU16String()}));
    EXPECT_TRUE(shell.addresses().empty());
}

TEST_F(OutputPageTest, FolderButtonsChooseAndOpenTheOutputFolder) {
    // Cancelled: nothing changes.
    form->SpeedButton5->click();
    ASSERT_EQ(folders.instructions().size(), 1u);
    EXPECT_EQ(folders.instructions()[0], u"请选择预生成cds文件的保存目录:");
    EXPECT_EQ(form->StatusBar1->PanelText(1), outputFolder);

    folders.queueChoice(u"/srv/电台");
    form->SpeedButton5->click();
    EXPECT_EQ(form->StatusBar1->PanelText(1), QStringLiteral("/srv/电台"));

    form->SpeedButton6->click();
    EXPECT_EQ(shell.folders(), (std::vector<std::u16string>{u"/srv/电台"}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(OutputPageTest, ForumButtonOpensTheForumPage) {
    form->SpeedButton2->click();
    ASSERT_EQ(shell.addresses().size(), 1u);
    const std::u16string& address = shell.addresses()[0];
    EXPECT_EQ(address, kForumAddress);
    EXPECT_EQ(address.rfind(u"https://", 0), 0u);
    EXPECT_EQ(address.substr(address.size() - 17), u"/bbs/?forum-3.htm");
    EXPECT_TRUE(shell.folders().empty());
}

}  // namespace
