// The settings file: read when the window is shown, written when it closes, and a settings
// file that cannot be written.

#include <gtest/gtest.h>

#include <QFile>

#include "platform/ProfileFile.h"
#include "tests/app/WindowTestSupport.h"

namespace {

class SettingsTest : public WindowTest {
  protected:
    QString settingsPath() const { return QString::fromStdU16String(settingsFilePath()); }

    void writeSettings(const QByteArray& text) {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    std::u16string stored(std::u16string_view key) const {
        return readProfileString(settingsFilePath(), u"info", key, u"<missing>");
    }
};

TEST_F(SettingsTest, FirstRunWithoutAFileStartsEmptyAndCreatesItAtClose) {
    ASSERT_FALSE(QFile::exists(settingsPath()));
    form->show();
    EXPECT_TRUE(form->StatusBar1->PanelText(1).isEmpty());
    EXPECT_FALSE(form->CheckBox2->isChecked());
    EXPECT_FALSE(QFile::exists(settingsPath()));  // reading creates nothing

    EXPECT_TRUE(form->close());
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(stored(u"road"), u"");
    EXPECT_EQ(stored(u"open"), u"0");
}

TEST_F(SettingsTest, FolderAndOptionAreKeptAcrossTwoStarts) {
    form->show();
    folders.queueChoice(u"/home/user/电台 files");
    form->SpeedButton5->click();
    form->CheckBox2->setChecked(true);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(stored(u"road"), u"/home/user/电台 files");
    EXPECT_EQ(stored(u"open"), u"1");

    startWindow();
    form->show();
    EXPECT_EQ(form->StatusBar1->PanelText(1), QStringLiteral("/home/user/电台 files"));
    EXPECT_TRUE(form->CheckBox2->isChecked());

    // The folder chooser is still asked without any folder of its own.
    form->SpeedButton5->click();
    EXPECT_EQ(folders.instructions().size(), 2u);
    EXPECT_EQ(form->StatusBar1->PanelText(1), QStringLiteral("/home/user/电台 files"));
}

TEST_F(SettingsTest, OpenFlagValues) {
    struct Case {
        const char* text;  // nullptr: the key is missing
        bool checked;      // with the check box unchecked before the read
    };
    const Case cases[] = {
        {"1", true},    {"-1", true},    {"2", true}, {"0x10", true},   {"$A", true}, {"0", false},
        {"yes", false}, {"true", false}, {"", false}, {nullptr, false}, {" 7", true}, {"0x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "missing" : c.text);
        QByteArray text = "[info]\nroad=/srv/out\n";
        if (c.text != nullptr) text += QByteArray("open=") + c.text + "\n";
        writeSettings(text);
        startWindow();
        form->show();
        EXPECT_EQ(form->CheckBox2->isChecked(), c.checked);
        EXPECT_EQ(form->StatusBar1->PanelText(1), QStringLiteral("/srv/out"));
    }

    // A value that is no number keeps the state from before the read.
    writeSettings("[info]\nopen=yes\n");
    form->CheckBox2->setChecked(true);
    form->StatusBar1->SetPanelText(1, QStringLiteral("kept"));
    form->LoadSettings();
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_EQ(form->StatusBar1->PanelText(1), QStringLiteral("kept"));
}

TEST_F(SettingsTest, AReadOnlySettingsFileIsReportedButDoesNotKeepTheWindowOpen) {
    writeSettings("[info]\nroad=/srv/old\nopen=1\n");
    ASSERT_TRUE(QFile::setPermissions(settingsPath(), QFileDevice::ReadOwner));
    form->show();
    form->StatusBar1->SetPanelText(1, QStringLiteral("/srv/new"));

    form->BitBtn4->click();

    ASSERT_EQ(boxes.boxes().size(), 1u);
    const MessageBoxRequest& box = boxes.boxes().front();
    EXPECT_EQ(utf8(box.text), "Unable to write to " + utf8(settingsFilePath()) + ".");
    EXPECT_EQ(box.title, u"rovena");
    EXPECT_EQ(box.icon, MessageBoxIcon::Error);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(QFile::exists(QString::fromStdU16String(workingFilePath())));
    EXPECT_EQ(stored(u"road"), u"/srv/old");

    QFile::setPermissions(settingsPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

}  // namespace
