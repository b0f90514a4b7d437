// The entry page: the save button's checks, the values a new station receives, writing the
// inputs back in edit mode, Alt+M, the address input and clearing the inputs.

#include <gtest/gtest.h>

#include <QFile>

#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <cerrno>

#include "stations/StationSchema.h"
#include "tests/app/WindowTestSupport.h"

namespace {

using EntryPageTest = WindowTest;

const char16_t kEmptyMessage[] = u"电台名称和地址不能为空，请重新输入。";
const char16_t kMarkerMessage[] =
    u"电台必须要以http://,mms://或者rtmp://等字符开头,请重新检查输入。";

TEST_F(EntryPageTest, RefusedStationsLeaveTableAndWorkingFileAlone) {
    struct Case {
        const char* label;
        std::u16string name;
        std::u16string address;
        const char16_t* message;
        MessageBeepKind beep;
        const char* focus;
    };
    const Case cases[] = {
        {"EmptyName", u"", u"http://radio.example/a", kEmptyMessage, MessageBeepKind::None,
         "LabeledEdit2"},
        {"EmptyAddress", u"Radio", u"", kEmptyMessage, MessageBeepKind::None, "LabeledEdit2"},
        {"BothEmpty", u"", u"", kEmptyMessage, MessageBeepKind::None, "LabeledEdit2"},
        {"FtpAddress", u"Radio", u"ftp://radio.example/a", kMarkerMessage, MessageBeepKind::Error,
         "LabeledEdit3"},
        {"NoScheme", u"Radio", u"radio.example/live", kMarkerMessage, MessageBeepKind::Error,
         "LabeledEdit3"},
        // A blank name counts as content, so the address is what is refused here.
        {"BlankNameBadAddress", u"  ", u"http:/radio.example", kMarkerMessage,
         MessageBeepKind::Error, "LabeledEdit3"},
    };
    showWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.clear();
        fillInputs({c.name, c.address, u"中国", u"汉语", u"128k", false});
        form->LabeledEdit6->setFocus();
        form->BitBtn1->click();

        expectOneBox(boxes, c.message, MessageBoxIcon::Information, MessageBoxButtons::Ok, true,
                     c.beep);
        EXPECT_EQ(QApplication::focusWidget(), control(c.focus));
        // The typed address survives the focus coming back to its input.
        EXPECT_EQ(form->LabeledEdit3->text().toStdU16String(), c.address);
        EXPECT_EQ(form->LabeledEdit2->text().toStdU16String(), c.name);
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
        EXPECT_TRUE(workingFile().rows.empty());
        EXPECT_FALSE(form->SpeedButton1->isEnabled());
    }
}

TEST_F(EntryPageTest, EveryMarkerIsFoundAnywhereIgnoringCase) {
    const std::u16string addresses[] = {
        u"http://radio.example/live", u"HTTP://RADIO.EXAMPLE/LIVE", u"rtmp://tv.example/stream",
        u"mms://radio.example/a",     u"Mms://radio.example/a",     u"https://radio.example/a",
        u"HtTpS://radio.example/a",   u"listen at mms://x",         u"xhttp://y",
    };
    showWindow();
    int count = 0;
    for (const std::u16string& address : addresses) {
        SCOPED_TRACE(utf8(address));
        addStation({u"Station", address, u"", u"", u"", false});
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), ++count);
    }
    const StoredTable stored = workingFile();
    ASSERT_EQ(stored.rows.size(), std::size(addresses));
    for (std::size_t i = 0; i < std::size(addresses); ++i)
        EXPECT_EQ(stored.value(i, u"电台地址"), addresses[i]);
}

TEST_F(EntryPageTest, AppendStoresTrimmedInputsAndTheStationTypeInAllTwentyFields) {
    struct Case {
        const char* label;
        bool tv;
        std::u16string stationType;
        std::u16string videoType;
    };
    showWindow();
    int row = 0;
    for (const Case& c :
         {Case{"Radio", false, u"普通电台", u""}, Case{"Tv", true, u"电视台", u"电视台"}}) {
        SCOPED_TRACE(c.label);
        fillInputs({u"  中国之声\t", u"\x01 http://radio.example/cnr1 \n", u" 中国 ", u"\t汉语",
                    u"128k  ", c.tv});
        form->LabeledEdit4->setFocus();
        form->BitBtn1->click();
        ASSERT_TRUE(boxes.boxes().empty()) << utf8(boxes.boxes().front().text);

        // The inputs are cleared for the next station; the type stays selected.
        for (const QString& text : inputTexts()) EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit2);
        EXPECT_EQ(form->RadioGroup1->ItemIndex(), c.tv ? 1 : 0);
        EXPECT_TRUE(form->SpeedButton1->isEnabled());
        EXPECT_FALSE(form->SpeedButton1->isChecked());
        // The save sequence leaves the first station current.
        EXPECT_EQ(form->ClientDataSet1.RecNo(), 1);

        const StoredTable stored = workingFile();
        ASSERT_EQ(stored.rows.size(), static_cast<std::size_t>(row + 1));
        const std::u16string expected[20] = {
            u"中国之声",   u"中国",     u"用户自定义",
            u"128k",       u"",         u"",
            u"",           u"汉语",     u"http://radio.example/cnr1",
            u"",           u"",         u"",
            u"",           c.videoType, u"",
            c.stationType, u"",         u"",
            u"",           u""};
        for (std::size_t field = 0; field < 20; ++field) {
            SCOPED_TRACE(utf8(stationSchema()[field].name));
            EXPECT_EQ(utf8(stored.rows[row][field]), utf8(expected[field]));
        }
        // The empty text makes the time and integer fields null.
        EXPECT_TRUE(stored.nulls[row][4]);
        EXPECT_TRUE(stored.nulls[row][5]);
        EXPECT_TRUE(stored.nulls[row][12]);
        ++row;
    }
}

TEST_F(EntryPageTest, ANameOfBlanksIsStoredEmpty) {
    showWindow();
    addStation({u"  ", u"http://radio.example/a", u"", u"", u"", false});
    const StoredTable stored = workingFile();
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.value(0, u"电台名称"), u"");
}

TEST_F(EntryPageTest, EditModeWritesTheInputsAsTypedAndKeepsTheOtherFields) {
    showWindow();
    addStation({u"Old", u"http://radio.example/old", u"德国", u"德语", u"64k", true});
    // Fields the window never fills, given values behind its back.
    TClientDataSet& table = form->ClientDataSet1;
    table.Edit();
    table.FieldByName(u"收藏")->SetAsString(u"是");
    table.FieldByName(u"微博")->SetAsString(u"@radio");
    table.FieldByName(u"自定义1")->SetAsString(u"x");
    table.Post();

    form->SpeedButton1->click();
    ASSERT_TRUE(form->SpeedButton1->isChecked());
    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("修改电台"));
    fillInputs({u"  New ", u" rtmp://tv.example/new", u" 法国", u"\t法语 ", u" 256k ", false});
    form->BitBtn1->click();
    ASSERT_TRUE(boxes.boxes().empty());

    // Not trimmed: leading blanks and control characters stay (the table itself drops the
    // trailing blanks of every text it stores).
    const StoredTable stored = workingFile();
    ASSERT_EQ(stored.rows.size(), 1u);
    EXPECT_EQ(stored.value(0, u"电台名称"), u"  New");
    EXPECT_EQ(stored.value(0, u"电台地址"), u" rtmp://tv.example/new");
    EXPECT_EQ(stored.value(0, u"电台国家"), u" 法国");
    EXPECT_EQ(stored.value(0, u"语言类型"), u"\t法语");
    EXPECT_EQ(stored.value(0, u"编码率"), u" 256k");
    EXPECT_EQ(stored.value(0, u"电台类型"), u"普通电台");
    EXPECT_EQ(stored.value(0, u"视频类型"), u"");
    EXPECT_EQ(stored.value(0, u"收藏"), u"");
    EXPECT_EQ(stored.value(0, u"电台类别"), u"用户自定义");
    EXPECT_EQ(stored.value(0, u"微博"), u"@radio");
    EXPECT_EQ(stored.value(0, u"自定义1"), u"x");
    // Modifying neither clears the inputs nor leaves edit mode.
    EXPECT_EQ(form->LabeledEdit2->text(), QStringLiteral("  New "));
    EXPECT_TRUE(form->SpeedButton1->isChecked());
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(EntryPageTest, EditModeWithNoTypeSelectedKeepsTheStationsType) {
    showWindow();
    addStation({u"A", u"http://radio.example/a", u"", u"", u"", false});
    TClientDataSet& table = form->ClientDataSet1;
    table.Edit();
    table.FieldByName(u"电台类型")->SetAsString(u"广播");
    table.Post();

    form->SpeedButton1->click();
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), -1);
    form->BitBtn1->click();
    ASSERT_TRUE(boxes.boxes().empty());
    const StoredTable stored = workingFile();
    EXPECT_EQ(stored.value(0, u"电台类型"), u"广播");
    EXPECT_EQ(stored.value(0, u"视频类型"), u"");
}

TEST_F(EntryPageTest, AltMSavesOnceOnEitherPage) {
    showWindow();
    fillInputs({u"One", u"http://radio.example/1", u"", u"", u"", false});
    form->LabeledEdit5->setFocus();
    pressAltM();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 1);
    EXPECT_EQ(workingFile().rows.size(), 1u);
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit2);

    // Alt+M with the focus on the save button itself, whose caption underlines M.
    fillInputs({u"Two", u"http://radio.example/2", u"", u"", u"", false});
    form->BitBtn1->setFocus();
    pressAltM();
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);

    // On the output page the hidden entry page's save runs whole: the station reaches the
    // working file, and the focus stays on the output page.
    fillInputs({u"Three", u"http://radio.example/3", u"", u"", u"", true});
    form->BitBtn3->click();
    ASSERT_EQ(form->Notebook1->currentIndex(), 1);
    ASSERT_EQ(QApplication::focusWidget(), form->LabeledEdit1);
    pressAltM();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 3);
    const StoredTable stored = workingFile();
    ASSERT_EQ(stored.rows.size(), 3u);
    EXPECT_EQ(stored.value(2, u"电台名称"), u"Three");
    EXPECT_EQ(stored.value(2, u"电台类型"), u"电视台");
    EXPECT_EQ(form->Notebook1->currentIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit1);
    EXPECT_TRUE(form->LabeledEdit2->text().isEmpty());

    // A refused station on the output page shows its box and changes nothing.
    fillInputs({u"", u"", u"", u"", u"", false});
    pressAltM();
    expectOneBox(boxes, kEmptyMessage, MessageBoxIcon::Information, MessageBoxButtons::Ok, true);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 3);
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit1);
}

TEST_F(EntryPageTest, OtherKeysWithAltOrMDoNotSave) {
    showWindow();
    fillInputs({u"One", u"http://radio.example/1", u"", u"", u"", false});
    form->LabeledEdit4->setFocus();
    QTest::keyClick(form->LabeledEdit4, Qt::Key_M);
    QTest::keyClick(form->LabeledEdit4, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(form->LabeledEdit4, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 0);
    EXPECT_TRUE(form->LabeledEdit4->text().startsWith(QLatin1Char('m')));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(EntryPageTest, AddressInputOffersTheSchemeOnlyWhenEmpty) {
    showWindow();
    form->LabeledEdit2->setFocus();
    QTest::keyClick(form->LabeledEdit2, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), form->LabeledEdit3);
    EXPECT_EQ(form->LabeledEdit3->text(), QStringLiteral("http://"));
    EXPECT_EQ(form->LabeledEdit3->cursorPosition(), 7);
    EXPECT_FALSE(form->LabeledEdit3->hasSelectedText());

    // Typed on, left and entered again by Tab and by the mouse: the address stays.
    QTest::keyClicks(form->LabeledEdit3, QStringLiteral("radio.example/a"));
    form->LabeledEdit4->setFocus();
    QTest::keyClick(form->LabeledEdit4, Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), form->LabeledEdit3);
    EXPECT_EQ(form->LabeledEdit3->text(), QStringLiteral("http://radio.example/a"));
    form->LabeledEdit2->setFocus();
    QTest::mouseClick(form->LabeledEdit3, Qt::LeftButton);
    EXPECT_EQ(form->LabeledEdit3->text(), QStringLiteral("http://radio.example/a"));
}

// The station-type group is a single tab stop; the arrow keys choose between its items.
TEST_F(EntryPageTest, StationTypeGroupIsOneTabStopChosenWithArrows) {
    showWindow();
    QRadioButton* radio = form->RadioGroup1->Button(0);
    QRadioButton* tv = form->RadioGroup1->Button(1);
    radio->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), radio);

    QTest::keyClick(radio, Qt::Key_Tab);
    QWidget* afterGroup = QApplication::focusWidget();
    EXPECT_NE(afterGroup, tv);
    EXPECT_NE(afterGroup, radio);
    QTest::keyClick(afterGroup, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), radio);

    QTest::keyClick(radio, Qt::Key_Right);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(QApplication::focusWidget(), tv);
    // The chosen item is now the group's tab stop.
    QTest::keyClick(tv, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), tv);

    QTest::keyClick(tv, Qt::Key_Down);  // round the end
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 0);
    QTest::keyClick(radio, Qt::Key_Up);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 1);
    QTest::keyClick(tv, Qt::Key_Left);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), radio);
}

// A save the file system refuses (a full disk, a read-only file system) is shown once, naming
// the working file and the cause; the station stays in the table and the working file keeps the
// stations it had, and the next save that succeeds writes them all.
TEST_F(EntryPageTest, AFailedSaveShowsOneErrorAndKeepsTheStation) {
    struct Case {
        const char* label;
        bool failWrite;  // else the rename fails
        int error;
        const char16_t* reason;
    };
    const Case cases[] = {
        {"disk full", true, ENOSPC, u"磁盘空间不足"},
        {"read-only file system", false, EROFS, u"文件系统是只读的"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        startWindow({MessageBoxAnswer::No});
        showWindow();
        addStations({u"One"});
        FileWriteCalls failing = FileWriteCalls::system();
        if (c.failWrite) {
            failing.FWrite = [&c](int, const void*, std::size_t) -> ssize_t {
                errno = c.error;
                return -1;
            };
        } else {
            failing.FRename = [&c](const char*, const char*) {
                errno = c.error;
                return -1;
            };
        }
        form->ClientDataSet1.SetFileWriteCalls(failing);
        boxes.clear();
        fillInputs({u"Two", u"http://radio.example/2", u"", u"", u"", false});
        form->BitBtn1->click();

        ASSERT_EQ(boxes.boxes().size(), 1u);
        const MessageBoxRequest& box = boxes.boxes().front();
        EXPECT_EQ(box.icon, MessageBoxIcon::Error);
        EXPECT_NE(box.text.find(workingFilePath()), std::u16string::npos) << utf8(box.text);
        EXPECT_NE(box.text.find(c.reason), std::u16string::npos) << utf8(box.text);
        EXPECT_EQ(form->ClientDataSet1.RecordCount(), 2);
        EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One"}));

        form->ClientDataSet1.SetFileWriteCalls(FileWriteCalls::system());
        addStations({u"Three"});
        EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"One", u"Two", u"Three"}));
    }
}

TEST_F(EntryPageTest, ClearEmptiesTheInputsOnly) {
    showWindow();
    addStation({u"A", u"http://radio.example/a", u"", u"", u"", true});
    form->SpeedButton1->click();
    ASSERT_EQ(form->LabeledEdit2->text(), QStringLiteral("A"));
    const QByteArray before = [] {
        QFile file(QString::fromStdU16String(workingFilePath()));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    form->LabeledEdit6->setFocus();
    form->ToolButton5->click();
    for (const QString& text : inputTexts()) EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), form->LabeledEdit2);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 1);
    QFile file(QString::fromStdU16String(workingFilePath()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(EntryPageTest, LeavingEditModeKeepsTheInputsAndContinueAddingAppendsThem) {
    showWindow();
    addStation({u"A", u"http://radio.example/a", u"", u"", u"", false});
    form->SpeedButton1->click();
    form->LabeledEdit2->setText(QStringLiteral("B"));
    form->SpeedButton1->click();  // back to input mode

    EXPECT_FALSE(form->SpeedButton1->isChecked());
    EXPECT_EQ(form->SpeedButton1->text(), QStringLiteral("点击切换至编辑模式"));
    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("继续添加"));
    EXPECT_FALSE(form->ToolBar1->isEnabled());
    EXPECT_EQ(form->LabeledEdit2->text(), QStringLiteral("B"));
    EXPECT_EQ(form->LabeledEdit3->text(), QStringLiteral("http://radio.example/a"));

    form->BitBtn1->click();
    ASSERT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(form->BitBtn1->text(), QStringLiteral("继续添加"));
}

}  // namespace
