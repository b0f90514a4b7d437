#pragma once
// What the window tests share: recording stand-ins for the folder chooser and the shell, a
// temporary application-data folder per test, and a fixture that starts the real TForm1 on it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "app/WindowControls.h"
#include "dataset/ClientDataSet.h"
#include "platform/FileDialogService.h"
#include "platform/FolderBrowser.h"
#include "platform/ShellOpenService.h"
#include "stations/WorkingFiles.h"
#include "tests/app/RecordingMessageBoxService.h"

// Answers each request with the next queued choice (nothing queued: cancelled) and records the
// instruction it was shown with.
class RecordingFolderBrowser : public FolderBrowser {
  public:
    std::optional<std::u16string> chooseFolder(const std::u16string& instruction) override {
        FInstructions.push_back(instruction);
        if (FChoices.empty()) return std::nullopt;
        std::optional<std::u16string> choice = FChoices.front();
        FChoices.pop_front();
        return choice;
    }
    void queueChoice(std::optional<std::u16string> choice) { FChoices.push_back(choice); }
    const std::vector<std::u16string>& instructions() const { return FInstructions; }

  private:
    std::deque<std::optional<std::u16string>> FChoices;
    std::vector<std::u16string> FInstructions;
};

// Answers the file dialogs with queued choices (nothing queued: cancelled) and records the
// titles and filters they were shown with.
class RecordingFileDialogs : public FileDialogService {
  public:
    std::vector<std::u16string> chooseFilesToOpen(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) override {
        FTitles.push_back(title);
        FFilters = filters;
        if (FOpenChoices.empty()) return {};
        std::vector<std::u16string> choice = FOpenChoices.front();
        FOpenChoices.pop_front();
        return choice;
    }
    std::optional<SaveFileChoice> chooseFileToSave(
        const std::u16string& title, const std::vector<FileDialogFilter>& filters) override {
        FTitles.push_back(title);
        FFilters = filters;
        if (FSaveChoices.empty()) return std::nullopt;
        SaveFileChoice choice = FSaveChoices.front();
        FSaveChoices.pop_front();
        return choice;
    }
    void queueOpen(std::vector<std::u16string> paths) { FOpenChoices.push_back(std::move(paths)); }
    void queueSave(SaveFileChoice choice) { FSaveChoices.push_back(std::move(choice)); }
    const std::vector<std::u16string>& titles() const { return FTitles; }
    // The filters of the last dialog.
    const std::vector<FileDialogFilter>& filters() const { return FFilters; }

  private:
    std::deque<std::vector<std::u16string>> FOpenChoices;
    std::deque<SaveFileChoice> FSaveChoices;
    std::vector<std::u16string> FTitles;
    std::vector<FileDialogFilter> FFilters;
};

// Records what the window asked to open; launches nothing.
class RecordingShell : public ShellOpenService {
  public:
    bool openFolder(const std::u16string& path) override {
        FFolders.push_back(path);
        return true;
    }
    bool openAddress(const std::u16string& address) override {
        FAddresses.push_back(address);
        return true;
    }
    const std::vector<std::u16string>& folders() const { return FFolders; }
    const std::vector<std::u16string>& addresses() const { return FAddresses; }

  private:
    std::vector<std::u16string> FFolders;
    std::vector<std::u16string> FAddresses;
};

// Points XDG_DATA_HOME at a fresh temporary folder for the object's life, so the working file
// and the settings file of the window go there; restores the variable afterwards.
class TemporaryDataHome {
  public:
    TemporaryDataHome() : FHadPrevious(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
        FPrevious = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", FFolder.path().toUtf8());
    }
    ~TemporaryDataHome() {
        if (FHadPrevious)
            qputenv("XDG_DATA_HOME", FPrevious);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    TemporaryDataHome(const TemporaryDataHome&) = delete;
    TemporaryDataHome& operator=(const TemporaryDataHome&) = delete;

    // A path inside the temporary folder (for output folders and the like).
    QString path(const QString& name = {}) const {
        return name.isEmpty() ? FFolder.path() : FFolder.filePath(name);
    }

  private:
    QTemporaryDir FFolder;
    bool FHadPrevious;
    QByteArray FPrevious;
};

// One station as the tests type it.
struct TypedStation {
    std::u16string name;
    std::u16string address;
    std::u16string country;
    std::u16string language;
    std::u16string bitRate;
    bool tv = false;
};

// Every field of every row of a station file, read as text by a second dataset.
struct StoredTable {
    bool loaded = false;
    std::u16string error;  // the load's message when it failed
    std::vector<std::u16string> fieldNames;
    std::vector<std::vector<std::u16string>> rows;  // AsString of the 20 fields
    std::vector<std::vector<bool>> nulls;           // which values are null

    std::u16string value(std::size_t row, std::u16string_view field) const {
        for (std::size_t i = 0; i < fieldNames.size(); ++i) {
            if (fieldNames[i] == field) return rows.at(row).at(i);
        }
        ADD_FAILURE() << "no field of that name";
        return {};
    }
    std::vector<std::u16string> names() const {
        std::vector<std::u16string> result;
        for (std::size_t row = 0; row < rows.size(); ++row)
            result.push_back(value(row, u"电台名称"));
        return result;
    }
};

StoredTable readStationFile(const std::u16string& path);

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { startWindow(); }
    void TearDown() override { form.reset(); }

    // Starts a new window on the same application-data folder (the old one is dropped first, as
    // a killed program would be: without closing). `answers` answer the boxes of start-up.
    void startWindow(std::initializer_list<MessageBoxAnswer> answers = {}) {
        form.reset();
        boxes.clear();
        for (MessageBoxAnswer answer : answers) boxes.queueAnswer(answer);
        form = std::make_unique<TForm1>(WindowServices{boxes, folders, shell, fileDialogs});
    }

    // Shows the window and makes it the active one, so that focus changes reach controls.
    void showWindow();

    template <typename T = QWidget>
    T* control(const char* name) {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Types a station into the inputs of the entry page (replacing what they hold) and selects
    // its type.
    void fillInputs(const TypedStation& station);
    // Types and saves one station with the save button; expects no box.
    void addStation(const TypedStation& station);
    // The names of the window's table, first to last (the table is left on its last record).
    std::vector<std::u16string> tableNames();
    void addStations(std::initializer_list<std::u16string> names);
    // Presses Alt+M in the control that has the focus (or in the window).
    void pressAltM();

    StoredTable workingFile() const { return readStationFile(workingFilePath()); }

    // The texts of the five inputs: name, address, country, language, bit rate.
    std::vector<QString> inputTexts() const;

    TemporaryDataHome dataHome;
    RecordingMessageBoxService boxes;
    RecordingFolderBrowser folders;
    RecordingShell shell;
    RecordingFileDialogs fileDialogs;
    std::unique_ptr<TForm1> form;
};

// Expects exactly one box since the last clear, with the window's title and the given look.
void expectOneBox(const RecordingMessageBoxService& boxes, std::u16string_view text,
                  MessageBoxIcon icon, MessageBoxButtons buttons, bool topmost,
                  MessageBeepKind beep = MessageBeepKind::None);

std::string utf8(std::u16string_view text);
