#include "tests/app/WindowTestSupport.h"

#include <QStackedWidget>

#include "dataset/Exceptions.h"
#include "platform/Unicode.h"

std::string utf8(std::u16string_view text) {
    return utf16ToUtf8(text);
}

StoredTable readStationFile(const std::u16string& path) {
    StoredTable table;
    TClientDataSet reader(u"Reader");
    try {
        reader.LoadFromFile(path);
    } catch (const Exception& error) {
        table.error = error.Message();
        return table;
    }
    table.loaded = true;
    for (int i = 0; i < reader.Fields().Count(); ++i)
        table.fieldNames.push_back(reader.Fields()[i]->FieldName());
    reader.First();
    while (!reader.Eof()) {
        std::vector<std::u16string> row;
        std::vector<bool> nulls;
        for (int i = 0; i < reader.Fields().Count(); ++i) {
            row.push_back(reader.Fields()[i]->AsString());
            nulls.push_back(reader.GetFieldValue(table.fieldNames[i]).IsNull());
        }
        table.rows.push_back(std::move(row));
        table.nulls.push_back(std::move(nulls));
        reader.Next();
    }
    return table;
}

void WindowTest::showWindow() {
    form->show();
    QApplication::setActiveWindow(form.get());
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void WindowTest::fillInputs(const TypedStation& station) {
    form->LabeledEdit2->setText(QString::fromStdU16String(station.name));
    form->LabeledEdit3->setText(QString::fromStdU16String(station.address));
    form->LabeledEdit4->setText(QString::fromStdU16String(station.country));
    form->LabeledEdit5->setText(QString::fromStdU16String(station.language));
    form->LabeledEdit6->setText(QString::fromStdU16String(station.bitRate));
    form->RadioGroup1->SetItemIndex(station.tv ? 1 : 0);
}

std::vector<std::u16string> WindowTest::tableNames() {
    std::vector<std::u16string> names;
    form->ClientDataSet1.First();
    while (!form->ClientDataSet1.Eof()) {
        names.push_back(form->ClientDataSet1.FieldByName(u"电台名称")->AsString());
        form->ClientDataSet1.Next();
    }
    return names;
}

void WindowTest::addStation(const TypedStation& station) {
    const std::size_t before = boxes.boxes().size();
    fillInputs(station);
    form->BitBtn1->click();
    EXPECT_EQ(boxes.boxes().size(), before) << "saving " << utf8(station.name);
}

void WindowTest::addStations(std::initializer_list<std::u16string> names) {
    for (const std::u16string& name : names)
        addStation({name, u"http://radio.example/" + name, u"", u"", u"", false});
}

void WindowTest::pressAltM() {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr) target = form.get();
    QTest::keyClick(target, Qt::Key_M, Qt::AltModifier);
    // Had the save button's mnemonic fired as a shortcut, the button would now be pressed
    // down, waiting to click a second time.
    EXPECT_FALSE(form->BitBtn1->isDown()) << "the save button's own shortcut fired";
}

std::vector<QString> WindowTest::inputTexts() const {
    return {form->LabeledEdit2->text(), form->LabeledEdit3->text(), form->LabeledEdit4->text(),
            form->LabeledEdit5->text(), form->LabeledEdit6->text()};
}

void expectOneBox(const RecordingMessageBoxService& boxes, std::u16string_view text,
                  MessageBoxIcon icon, MessageBoxButtons buttons, bool topmost,
                  MessageBeepKind beep) {
    ASSERT_EQ(boxes.boxes().size(), 1u) << "expected the box " << utf8(text);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_EQ(utf8(box.text), utf8(text));
    EXPECT_EQ(box.title, u"Rovena");
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.buttons, buttons);
    EXPECT_EQ(box.topmost, topmost);
    EXPECT_EQ(box.beep, beep);
}
