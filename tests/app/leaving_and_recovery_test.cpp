// Nothing of the user's is lost by leaving: the close question when stations were never
// generated, and the stations a run that never closed left in the working file, offered back at
// the next start.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/AppPaths.h"

#include "tests/app/WindowTestSupport.h"

namespace {

const char16_t kCloseQuestion[] = u"还有电台尚未生成电台文件，退出后将丢失。确定退出吗？";

class LeavingTest : public WindowTest {
  protected:
    bool workingFileExists() const {
        return QFile::exists(QString::fromStdU16String(workingFilePath()));
    }

    // Goes to the output page and generates the file into a folder of the data home.
    void generateStations() {
        const QString folder = dataHome.path(QStringLiteral("out"));
        ASSERT_TRUE(QDir().mkpath(folder));
        form->BitBtn3->click();
        form->StatusBar1->SetPanelText(1, folder);
        form->LabeledEdit1->setText(QStringLiteral("list") + QString::number(++FGenerated));
        form->Button1->click();
        form->BitBtn2->click();
    }

  private:
    int FGenerated = 0;
};

TEST_F(LeavingTest, ClosingWithStationsNeverGeneratedAsksFirst) {
    showWindow();
    addStations({u"One", u"Two"});
    boxes.clear();

    // 否, by 退出 and by the title bar: the window, the table and the working file stay.
    for (bool byExitButton : {true, false}) {
        SCOPED_TRACE(byExitButton ? "退出" : "close button");
        boxes.queueAnswer(MessageBoxAnswer::No);
        if (byExitButton)
            form->BitBtn4->click();
        else
            EXPECT_FALSE(form->close());
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const MessageBoxRequest& box = boxes.boxes().front();
        EXPECT_EQ(box.text, kCloseQuestion);
        EXPECT_EQ(box.title, u"Rovena");
        EXPECT_EQ(box.icon, MessageBoxIcon::Question);
        EXPECT_EQ(box.buttons, MessageBoxButtons::YesNo);
        EXPECT_EQ(box.defaultAnswer, MessageBoxAnswer::No);
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
        EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Two"}));
        boxes.clear();
    }

    // Enter takes the default, 否.
    form->BitBtn4->click();
    EXPECT_TRUE(form->isVisible());

    boxes.clear();
    boxes.queueAnswer(MessageBoxAnswer::Yes);
    form->BitBtn4->click();
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(workingFileExists());
}

TEST_F(LeavingTest, NoQuestionWhenNothingChangedSinceTheLastGenerate) {
    showWindow();
    addStations({u"One"});
    generateStations();
    boxes.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(LeavingTest, EveryKindOfChangeAfterAGenerateAsksAgain) {
    const auto expectQuestionOnClose = [this] {
        boxes.clear();
        boxes.queueAnswer(MessageBoxAnswer::No);
        EXPECT_FALSE(form->close());
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes().front().text, kCloseQuestion);
    };
    showWindow();
    addStations({u"One", u"Two"});

    generateStations();
    addStations({u"Three"});
    expectQuestionOnClose();

    generateStations();
    form->SpeedButton1->click();  // edit mode, One shown
    form->LabeledEdit6->setText(QStringLiteral("64k"));
    form->BitBtn1->click();
    expectQuestionOnClose();

    generateStations();
    boxes.clear();
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();
    expectQuestionOnClose();
}

TEST_F(LeavingTest, AnUnchangedOrEmptiedTableClosesWithoutAQuestion) {
    showWindow();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.boxes().empty());

    // Every station added was deleted again: nothing would be lost.
    startWindow();
    showWindow();
    addStations({u"One"});
    form->SpeedButton1->click();
    boxes.queueAnswer(MessageBoxAnswer::Ok);
    form->ToolButton6->click();
    boxes.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.boxes().empty());
}

class RecoveryTest : public LeavingTest {
  protected:
    // A run that adds stations and is then killed: its window never closes.
    void leaveStationsBehind(std::initializer_list<std::u16string> names) {
        showWindow();
        addStations(names);
    }
};

TEST_F(RecoveryTest, LeftStationsAreOfferedAndRecoveredWithYes) {
    leaveStationsBehind({u"One", u"Two"});
    const QByteArray before = [] {
        QFile file(QString::fromStdU16String(workingFilePath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(before.isEmpty());

    // While the question is up, the working file is still the one the last run left.
    bool fileKeptWhileAsked = false;
    form.reset();
    boxes.clear();
    boxes.whileShown([&](const MessageBoxRequest&) {
        QFile file(QString::fromStdU16String(workingFilePath()));
        fileKeptWhileAsked = file.open(QIODevice::ReadOnly) && file.readAll() == before;
    });
    form = std::make_unique<TForm1>(WindowServices{boxes, folders, shell, fileDialogs});
    EXPECT_TRUE(fileKeptWhileAsked);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_EQ(box.text, u"发现上次未生成文件的 2 个电台，是否恢复？");
    EXPECT_EQ(box.title, u"Rovena");
    EXPECT_EQ(box.icon, MessageBoxIcon::Question);
    EXPECT_EQ(box.buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(box.defaultAnswer, MessageBoxAnswer::Yes);

    // 是 (the default): the table opens on them, edit mode can be entered, and they still count
    // as never generated.
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_TRUE(form->SpeedButton1->isEnabled());
    boxes.clear();
    showWindow();
    form->SpeedButton1->click();
    EXPECT_EQ(form->LabeledEdit2->text(), QStringLiteral("One"));
    form->SpeedButton1->click();  // back to input mode
    addStation({u"Three", u"http://radio.example/3", u"", u"", u"", false});
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
    boxes.queueAnswer(MessageBoxAnswer::No);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(boxes.boxes().back().text, kCloseQuestion);
}

// A save killed half-way leaves a temporary file beside the working file; the next start
// removes it, and keeps one that a running program may still be writing.
TEST_F(RecoveryTest, StartUpRemovesTheTemporaryFilesOfKilledSaves) {
    const QString folder = QString::fromStdString(appDataFolderUtf8());
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString killed = QStringLiteral(".temp.cds.tmp%1-0-7").arg(gone);
    const QString running = QStringLiteral(".temp.cds.tmp%1-0-7").arg(::getpid());
    for (const QString& name : {killed, running}) {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a packet");
    }
    startWindow();
    EXPECT_FALSE(QFile::exists(folder + QLatin1Char('/') + killed));
    EXPECT_TRUE(QFile::exists(folder + QLatin1Char('/') + running));
}

TEST_F(RecoveryTest, NoOrNothingToRecoverStartsWithTheEmptyTable) {
    enum class Left { DeclinedStations, EmptyTable, DamagedFile, NotAStationTable };
    struct Case {
        const char* label;
        Left left;
        bool asked;
    };
    const Case cases[] = {
        {"declined", Left::DeclinedStations, true},
        {"empty table", Left::EmptyTable, false},
        {"damaged file", Left::DamagedFile, false},
        {"not a station table", Left::NotAStationTable, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        startWindow({MessageBoxAnswer::No});
        if (c.left == Left::DeclinedStations) {
            leaveStationsBehind({u"One"});
        } else if (c.left == Left::DamagedFile) {
            leaveStationsBehind({u"One", u"Two"});
            QFile file(QString::fromStdU16String(workingFilePath()));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.resize(file.size() - 7));  // the last row cut short
        } else if (c.left == Left::NotAStationTable) {
            TClientDataSet other(u"Other");
            other.FieldDefs().Add(u"name", ftString, 10, false);
            other.CreateDataSet();
            other.AppendRecord({TVarRec::unicode(u"x")});
            other.SaveToFile(workingFilePath(), dfBinary);
        }

        startWindow({MessageBoxAnswer::No});
        EXPECT_EQ(boxes.boxes().size(), c.asked ? 1u : 0u);
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
        EXPECT_EQ(form->ClientDataSet1.Fields().Count(), 20);
        EXPECT_FALSE(form->SpeedButton1->isEnabled());
        const StoredTable stored = workingFile();
        ASSERT_TRUE(stored.loaded);
        EXPECT_EQ(stored.fieldNames.size(), 20u);
        EXPECT_TRUE(stored.rows.empty());
    }
}

}  // namespace
