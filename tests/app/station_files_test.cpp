// Station files and station lists in the window: opening a station file into an empty or a full
// list, importing playlists with their summary, dropping several files at once, refusing what
// cannot be opened, exporting from the preview's menu, and generating onto an existing file.

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "stations/StationInput.h"
#include "stations/StationSchema.h"
#include "tests/app/WindowTestSupport.h"

namespace {

class StationFilesTest : public WindowTest {
  protected:
    // A station file of stations named `names`, each at "http://radio.example/<name>".
    QString writeStationFile(const QString& fileName, std::initializer_list<std::u16string> names) {
        TClientDataSet table(u"Writer");
        defineStationFields(table.FieldDefs());
        table.CreateDataSet();
        for (const std::u16string& name : names) {
            StationInputs inputs;
            inputs.name = name;
            inputs.address = u"http://radio.example/" + name;
            inputs.stationType = u"普通电台";
            table.AppendRecord(appendedStationValues(inputs));
        }
        table.MergeChangeLog();
        const QString path = dataHome.path(fileName);
        table.SaveToFile(path.toStdU16String(), dfBinary);
        return path;
    }

    QString writeText(const QString& fileName, const QByteArray& text) {
        const QString path = dataHome.path(fileName);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        return path;
    }

    // A fresh window on an empty table (no stations left to recover).
    void restartEmpty() {
        QFile::remove(QString::fromStdU16String(workingFilePath()));
        startWindow();
    }

    // Drops the files on a control as a file manager does, then lets the window open them.
    void dropFiles(QWidget* target, const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_TRUE(drop.isAccepted());
        QCoreApplication::processEvents();
    }

    // A right click on the control; answers whether the menu came up.
    bool rightClick(QWidget* target, QMenu* menu) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &click);
        const bool shown = menu->isVisible();
        menu->hide();
        return shown;
    }
};

TEST_F(StationFilesTest, OpeningIntoAnEmptyTableMakesTheFileTheList) {
    showWindow();
    const QString path = writeStationFile(QStringLiteral("mine.cds"), {u"A", u"B"});
    form->openFiles({path});

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(tableNames(), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_TRUE(form->SpeedButton1->isEnabled());
    EXPECT_EQ(form->LabeledEdit1->text(), QStringLiteral("mine"));
    EXPECT_EQ(form->StatusBar1->PanelText(1), dataHome.path());
    // The list is the file's: leaving asks nothing.
    form->close();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(StationFilesTest, OpeningIntoAFullTableAsksToReplaceAppendOrCancel) {
    const QString path = writeStationFile(QStringLiteral("other.cds"), {u"X", u"Y"});
    struct Case {
        MessageBoxAnswer answer;
        std::vector<std::u16string> names;
        QString fileName;  // what the output page's file name shows afterwards
    };
    const Case cases[] = {
        {MessageBoxAnswer::Yes, {u"X", u"Y"}, QStringLiteral("other")},
        {MessageBoxAnswer::No, {u"A", u"X", u"Y"}, QString()},
        {MessageBoxAnswer::Cancel, {u"A"}, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        restartEmpty();
        addStations({u"A"});
        boxes.queueAnswer(c.answer);
        form->openFiles({path});

        ASSERT_EQ(boxes.boxes().size(), 1u);
        const MessageBoxRequest& question = boxes.boxes().front();
        EXPECT_EQ(question.title, u"Rovena");
        EXPECT_EQ(question.icon, MessageBoxIcon::Question);
        EXPECT_EQ(question.buttons, MessageBoxButtons::YesNoCancel);
        EXPECT_EQ(question.buttonTexts, (std::vector<std::u16string>{u"替换", u"追加", u"取消"}));
        EXPECT_EQ(question.defaultAnswer, MessageBoxAnswer::Cancel);
        EXPECT_NE(question.text.find(path.toStdU16String()), std::u16string::npos);

        EXPECT_EQ(tableNames(), c.names);
        EXPECT_EQ(workingFile().names(), c.names);
        EXPECT_EQ(form->LabeledEdit1->text(), c.fileName);
    }
    // An appended list still waits to be generated.
    restartEmpty();
    showWindow();
    addStations({u"A"});
    boxes.queueAnswer(MessageBoxAnswer::No);
    form->openFiles({path});
    boxes.clear();
    boxes.queueAnswer(MessageBoxAnswer::No);
    form->close();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes().front().text, u"还有电台尚未生成电台文件，退出后将丢失。确定退出吗？");
}

TEST_F(StationFilesTest, ADropOfSeveralFilesOpensThemInOrder) {
    const QString stations = writeStationFile(QStringLiteral("a.cds"), {u"A", u"B"});
    // One new station and one the list holds already.
    const QString playlist = writeText(QStringLiteral("b.m3u"),
                                       "#EXTM3U\n#EXTINF:-1,New\nhttp://radio.example/new\n"
                                       "#EXTINF:-1,Again\nhttp://radio.example/A\n");
    const QString other = writeText(QStringLiteral("c.txt"), "just text");
    showWindow();
    form->BitBtn3->click();  // the drop works on the output page too
    form->StatusBar1->SetPanelText(1, QString());
    boxes.clear();

    dropFiles(form->GroupBox2, {stations, playlist, other});

    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(utf8(boxes.boxes()[0].text),
              "b.m3u\n已导入 1 个电台；跳过 1 个（无地址 0，地址无效 0，地址过长 0，重复 1）；"
              "名称被截断 0 个");
    EXPECT_EQ(boxes.boxes()[0].icon, MessageBoxIcon::Information);
    EXPECT_EQ(boxes.boxes()[1].icon, MessageBoxIcon::Error);
    EXPECT_NE(boxes.boxes()[1].text.find(other.toStdU16String()), std::u16string::npos);
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"A", u"B", u"New"}));
    // A drop of anything but local files is not taken.
    QMimeData text;
    text.setText(QStringLiteral("http://radio.example/"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(StationFilesTest, ARefusedFileLeavesTheListAsItWas) {
    addStations({u"A"});
    const QString good = writeStationFile(QStringLiteral("good.cds"), {u"X"});
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();

    TClientDataSet foreign(u"Foreign");
    foreign.FieldDefs().Add(u"title", ftString, 20, false);
    foreign.CreateDataSet();
    foreign.SaveToFile(dataHome.path(QStringLiteral("foreign.cds")).toStdU16String(), dfBinary);

    struct Case {
        QString path;
        const char* reason;
    };
    const Case cases[] = {
        {writeText(QStringLiteral("cut.cds"), bytes.left(bytes.size() / 2)), "文件已损坏"},
        {dataHome.path(QStringLiteral("foreign.cds")), "含有电台表没有的字段“title”"},
        {dataHome.path(QStringLiteral("missing.cds")), "找不到文件或文件夹"},
        {writeText(QStringLiteral("broken.json"), "[{\"url\": "), "JSON"},
        {writeText(QStringLiteral("broken.xspf"), "<playlist><trackList>"), "XML"},
        // Stations go into the table as they are read: those before the fault are undone.
        {writeText(QStringLiteral("broken-late.xspf"),
                   "<playlist><trackList><track><location>http://radio.example/a</location>"
                   "</track><track><location>http://radio.example/b</location></track><track>"),
         "XML"},
        {writeText(QStringLiteral("broken-late.csv"),
                   "name,url\nB,http://radio.example/b\nC,\"http://radio.example/c\n"),
         "引号"},
    };
    const std::vector<std::u16string> before = workingFile().names();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        boxes.clear();
        form->openFiles({c.path});
        ASSERT_EQ(boxes.boxes().size(), 1u);
        const MessageBoxRequest& box = boxes.boxes().front();
        EXPECT_EQ(box.icon, MessageBoxIcon::Error);
        EXPECT_NE(box.text.find(c.path.toStdU16String()), std::u16string::npos) << utf8(box.text);
        EXPECT_NE(utf8(box.text).find(c.reason), std::string::npos) << utf8(box.text);
        EXPECT_EQ(tableNames(), (std::vector<std::u16string>{u"A"}));
        EXPECT_EQ(workingFile().names(), before);
    }
}

TEST_F(StationFilesTest, TheImportMenuImportsAndSumsUp) {
    const std::string longAddress = "http://radio.example/" + std::string(100, 'x');
    const std::string longName(30, 'N');
    const QString list =
        writeText(QStringLiteral("list.m3u8"),
                  QByteArray::fromStdString("#EXTM3U\n"
                                            "#EXTINF:-1,One\nhttp://radio.example/one\n"
                                            "#EXTINF:-1," +
                                            longName +
                                            "\nhttp://radio.example/long-name\n"
                                            "#EXTINF:-1,Invalid\nftp://radio.example/x\n"
                                            "#EXTINF:-1,Too long\n" +
                                            longAddress +
                                            "\n"
                                            "#EXTINF:-1,Twice\nhttp://radio.example/one\n"
                                            "#EXTINF:-1,No address\n"));
    EXPECT_TRUE(rightClick(form->GroupBox1, form->PopupMenu1));
    EXPECT_EQ(form->ImportListItem->text(), QStringLiteral("导入电台列表…"));

    // Cancelled: nothing happens.
    form->ImportListItem->trigger();
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(fileDialogs.titles(), (std::vector<std::u16string>{u"导入电台列表"}));
    ASSERT_EQ(fileDialogs.filters().size(), 1u);
    EXPECT_EQ(fileDialogs.filters()[0].patterns, u"*.m3u *.m3u8 *.pls *.xspf *.csv *.json");

    fileDialogs.queueOpen({list.toStdU16String()});
    form->ImportListItem->trigger();
    expectOneBox(boxes,
                 u"已导入 2 个电台；跳过 4 个（无地址 1，地址无效 1，地址过长 1，重复 1）；"
                 u"名称被截断 1 个",
                 MessageBoxIcon::Information, MessageBoxButtons::Ok, false);
    EXPECT_EQ(workingFile().names(),
              (std::vector<std::u16string>{u"One", u"NNNNNNNNNNNNNNNNNNNN"}));
    EXPECT_TRUE(form->SpeedButton1->isEnabled());
}

// A long list goes in chunks (with a progress dialog between them) and arrives whole.
TEST_F(StationFilesTest, ALargeImportArrivesWhole) {
    QByteArray text("#EXTM3U\n");
    for (int i = 0; i < 10000; ++i)
        text += "#EXTINF:-1,S" + QByteArray::number(i) + "\nhttp://radio.example/" +
                QByteArray::number(i) + "\n";
    form->openFiles({writeText(QStringLiteral("large.m3u"), text)});
    expectOneBox(boxes,
                 u"已导入 10000 个电台；跳过 0 个（无地址 0，地址无效 0，地址过长 0，重复 0）；"
                 u"名称被截断 0 个",
                 MessageBoxIcon::Information, MessageBoxButtons::Ok, false);
    EXPECT_EQ(form->ClientDataSet1.RecordCount(), 10000);
    const StoredTable stored = workingFile();
    ASSERT_EQ(stored.rows.size(), 10000u);
    EXPECT_EQ(stored.value(9999, u"电台名称"), u"S9999");
    EXPECT_EQ(stored.value(9999, u"电台地址"), u"http://radio.example/9999");
}

TEST_F(StationFilesTest, ExportWritesEachFormatAndImportGivesTheStationsBack) {
    showWindow();
    addStation({u"中国之声", u"http://radio.example/zgzs", u"中国", u"汉语", u"128k", false});
    addStation({u"CCTV", u"rtmp://tv.example/cctv", u"", u"", u"", true});
    form->BitBtn3->click();
    form->SpeedButton3->click();  // the preview list, with its menu
    ASSERT_TRUE(form->ListView1->isVisible());
    EXPECT_TRUE(rightClick(form->ListView1->viewport(), form->PopupMenu2));
    EXPECT_EQ(form->ExportListItem->text(), QStringLiteral("导出为播放列表…"));
    boxes.clear();

    struct Case {
        std::size_t filter;
        QString written;      // the file's name: the format's extension is added
        QByteArray contains;  // a mark of the format
    };
    const Case cases[] = {
        {0, QStringLiteral("list.m3u8"), ",中国之声\nhttp://radio.example/zgzs"},
        {1, QStringLiteral("list.pls"), "Version=2"},
        {2, QStringLiteral("list.xspf"), "<location>rtmp://tv.example/cctv</location>"},
        {3, QStringLiteral("list.csv"), "name,url,country,language,bitrate,homepage,group,type"},
        {4, QStringLiteral("list.json"), "\"name\": \"中国之声\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written.toStdString());
        fileDialogs.queueSave({dataHome.path(QStringLiteral("list")).toStdU16String(), c.filter});
        boxes.clear();
        form->ExportListItem->trigger();
        const QString path = dataHome.path(c.written);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes().front().icon, MessageBoxIcon::Information);
        EXPECT_NE(boxes.boxes().front().text.find(path.toStdU16String()), std::u16string::npos);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains(c.contains)) << bytes.toStdString();
    }
    EXPECT_EQ(fileDialogs.filters().size(), 5u);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.written.toStdString());
        restartEmpty();
        form->openFiles({dataHome.path(c.written)});
        const StoredTable stored = workingFile();
        ASSERT_EQ(stored.rows.size(), 2u);
        EXPECT_EQ(stored.names(), (std::vector<std::u16string>{u"中国之声", u"CCTV"}));
        EXPECT_EQ(stored.value(1, u"电台地址"), u"rtmp://tv.example/cctv");
        if (c.filter >= 3) {
            EXPECT_EQ(stored.value(0, u"编码率"), u"128k");
            EXPECT_EQ(stored.value(0, u"电台国家"), u"中国");
        }
        if (c.filter != 1 && c.filter != 2) {
            EXPECT_EQ(stored.value(1, u"视频类型"), u"电视台");
        }
    }
}

TEST_F(StationFilesTest, GeneratingOntoAnExistingFileAsksFirst) {
    const QString opened = writeStationFile(QStringLiteral("mine.cds"), {u"A", u"B"});
    form->openFiles({opened});
    addStations({u"C"});
    form->BitBtn3->click();
    boxes.clear();

    // 否: the file and the working file stay as they are.
    boxes.queueAnswer(MessageBoxAnswer::No);
    form->Button1->click();
    expectOneBox(boxes, u"文件已存在，是否替换？", MessageBoxIcon::Question,
                 MessageBoxButtons::YesNo, false);
    EXPECT_EQ(boxes.boxes().front().defaultAnswer, MessageBoxAnswer::No);
    EXPECT_EQ(readStationFile(opened.toStdU16String()).names(),
              (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(workingFile().names(), (std::vector<std::u16string>{u"A", u"B", u"C"}));
    EXPECT_TRUE(form->SpeedButton3->isEnabled());

    // 是: the file is replaced by the working file.
    boxes.clear();
    boxes.queueAnswer(MessageBoxAnswer::Yes);
    form->Button1->click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, u"成功生成了mine.cds文件!");
    EXPECT_EQ(readStationFile(opened.toStdU16String()).names(),
              (std::vector<std::u16string>{u"A", u"B", u"C"}));
    EXPECT_FALSE(QFile::exists(QString::fromStdU16String(workingFilePath())));
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_EQ(
        QDir(dataHome.path()).entryList({QStringLiteral(".*tmp*")}, QDir::Hidden | QDir::Files),
        QStringList());
}

}  // namespace
