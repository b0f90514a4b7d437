#include "app/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cerrno>

#include "app/Artwork.h"
#include "app/EntryPage.h"
#include "app/FormLayout.h"
#include "app/ForumAddress.h"
#include "app/PreviewList.h"
#include "app/WindowControls.h"
#include "app/WindowMessages.h"
#include "platform/AppPaths.h"
#include "platform/FileOps.h"
#include "platform/FolderBrowser.h"
#include "platform/MessageBoxService.h"
#include "platform/ShellOpenService.h"
#include "platform/TemporaryFiles.h"
#include "platform/Unicode.h"
#include "stations/PreviewOrder.h"
#include "stations/SaveSequence.h"
#include "stations/SettingsFile.h"
#include "stations/StationInput.h"
#include "stations/StationSchema.h"
#include "stations/TableRecovery.h"
#include "stations/WorkingFileRecovery.h"
#include "stations/WorkingFiles.h"

bool SortAscending = false;

namespace {

std::u16string textOf(const QLineEdit* input) {
    return input->text().toStdU16String();
}

QString qText(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Alt+M: the M key with Alt held, whatever other modifiers are held with it.
bool isSaveShortcut(const QKeyEvent& key) {
    return key.key() == Qt::Key_M && key.modifiers().testFlag(Qt::AltModifier);
}

}  // namespace

TForm1::TForm1(const WindowServices& services, QWidget* parent)
    : QWidget(parent),
      FMessageBoxes(services.messageBoxes),
      FFolderBrowser(services.folderBrowser),
      FShell(services.shell),
      FFileDialogs(services.fileDialogs),
      FErrorDisplay(services.messageBoxes, programTitle()) {
    setObjectName(QStringLiteral("Form1"));
    // Single non-sizing border; system menu, minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(QStringLiteral("Rovena 1.0"));
    setWindowIcon(programIcon());

    createFrameControls(*this);
    createFileMenus();
    connectHandlers();
    // Files dropped anywhere on the window open (see takeFileDrag).
    setAcceptDrops(true);

    // The window sees every key press before the focused control does.
    qApp->installEventFilter(this);

    // An error here is shown and start-up goes on with the table as far as it was built.
    handle(&TForm1::FormCreate);
}

TForm1::~TForm1() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void TForm1::connectHandlers() {
    const auto onClick = [this](QAbstractButton* button, void (TForm1::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] { handle(handler); });
    };
    onClick(BitBtn1, &TForm1::BitBtn1Click);
    onClick(SpeedButton1, &TForm1::SpeedButton1Click);
    onClick(ToolButton1, &TForm1::ToolButton1Click);
    onClick(ToolButton3, &TForm1::ToolButton3Click);
    onClick(ToolButton5, &TForm1::ToolButton5Click);
    onClick(ToolButton6, &TForm1::ToolButton6Click);
    onClick(BitBtn2, &TForm1::BitBtn2Click);
    onClick(BitBtn3, &TForm1::BitBtn3Click);
    onClick(BitBtn4, &TForm1::BitBtn4Click);
    onClick(Button1, &TForm1::Button1Click);
    onClick(SpeedButton2, &TForm1::SpeedButton2Click);
    onClick(SpeedButton3, &TForm1::SpeedButton3Click);
    onClick(SpeedButton5, &TForm1::SpeedButton5Click);
    onClick(SpeedButton6, &TForm1::SpeedButton6Click);
    connect(LabeledEdit3, &TLabeledEdit::entered, this,
            [this] { handle(&TForm1::LabeledEdit3Enter); });
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        FErrorDisplay.run([this, column] { ListView1ColumnClick(column); });
    });
}

// ---- Start-up and close ----------------------------------------------------------------------

void TForm1::FormCreate() {
    // Saves of a run that was killed may have left their temporary files beside the working
    // file; a save still running in another process keeps its own.
    removeLeftTemporaryFilesIn(utf8ToUtf16(appDataFolderUtf8()));
    defineStationFields(ClientDataSet1.FieldDefs());
    // Stations left by a run that never closed are offered back before the working file is
    // replaced: once replaced, they would be gone.
    if (recoverLeftStations()) return;
    ClientDataSet1.CreateDataSet();
    ClientDataSet1.SaveToFile(workingFilePath(), dfBinary);
}

bool TForm1::recoverLeftStations() {
    const LeftStations left = findLeftStations(workingFilePath());
    if (left.count == 0) return false;
    MessageBoxRequest question = windowMessage(
        recoveryQuestion(left.count), MessageBoxIcon::Question, MessageBoxButtons::YesNo, false);
    question.defaultAnswer = MessageBoxAnswer::Yes;
    if (FMessageBoxes.show(question) != MessageBoxAnswer::Yes) return false;
    // The working file already holds these stations; the table opens on them as if they had
    // just been added, and they still wait to be generated.
    openLeftStations(ClientDataSet1, left);
    SpeedButton1->setEnabled(true);
    FStationsChanged = true;
    return true;
}

void TForm1::FormShow() {
    Notebook1->setCurrentIndex(0);
    LoadSettings();
}

void TForm1::FormClose() {
    // A settings file that cannot be written is reported, but it never keeps the window open:
    // the window closes and the working file goes all the same.
    FErrorDisplay.run([this] { SaveSettings(); });
    // The file may already be gone (moved by generate); the outcome does not matter.
    (void)deleteFile(workingFilePath());
}

bool TForm1::FormShortCut(const QKeyEvent& key) {
    if (!isSaveShortcut(key)) return false;
    BitBtn1Click();
    return true;
}

// ---- Entry page ------------------------------------------------------------------------------

void TForm1::BitBtn1Click() {
    const int stationTypeIndex = RadioGroup1->ItemIndex();
    const std::u16string videoType = videoTypeText(stationTypeIndex);
    const std::u16string stationType = stationTypeIndex >= 0
                                           ? RadioGroup1->Item(stationTypeIndex).toStdU16String()
                                           : std::u16string();

    if (LabeledEdit2->text().isEmpty() || LabeledEdit3->text().isEmpty()) {
        FMessageBoxes.show(windowMessage(u"电台名称和地址不能为空，请重新输入。",
                                         MessageBoxIcon::Information, MessageBoxButtons::Ok, true));
        focusControl(LabeledEdit2);
        return;
    }
    if (!hasStreamMarker(textOf(LabeledEdit3))) {
        FMessageBoxes.show(windowMessage(
            u"电台必须要以http://,mms://或者rtmp://等字符开头,请重新检查输入。",
            MessageBoxIcon::Information, MessageBoxButtons::Ok, true, MessageBeepKind::Error));
        focusControl(LabeledEdit3);
        return;
    }

    // The station the inputs show: in edit mode the sequence returns to it afterwards.
    const std::int32_t shown = ClientDataSet1.RecNo();
    if (SpeedButton1->isChecked()) {
        // Modify the current station, texts as typed; the save sequence posts the edit.
        ClientDataSet1.Edit();
        ClientDataSet1.FieldByName(StationFieldName::Name)->SetAsString(textOf(LabeledEdit2));
        ClientDataSet1.FieldByName(StationFieldName::Country)->SetAsString(textOf(LabeledEdit4));
        ClientDataSet1.FieldByName(StationFieldName::Address)->SetAsString(textOf(LabeledEdit3));
        // With no item selected (the station's type matched neither item) its type is kept.
        if (stationTypeIndex >= 0)
            ClientDataSet1.FieldByName(StationFieldName::StationType)->SetAsString(stationType);
        ClientDataSet1.FieldByName(StationFieldName::Language)->SetAsString(textOf(LabeledEdit5));
        ClientDataSet1.FieldByName(StationFieldName::VideoType)->SetAsString(videoType);
        ClientDataSet1.FieldByName(StationFieldName::Favourite)->SetAsString(std::u16string());
        ClientDataSet1.FieldByName(StationFieldName::BitRate)->SetAsString(textOf(LabeledEdit6));
    } else {
        // Nothing is written in this edit state; the append ends it without storing anything.
        ClientDataSet1.Edit();
        StationInputs inputs;
        inputs.name = textOf(LabeledEdit2);
        inputs.address = textOf(LabeledEdit3);
        inputs.country = textOf(LabeledEdit4);
        inputs.language = textOf(LabeledEdit5);
        inputs.bitRate = textOf(LabeledEdit6);
        inputs.stationType = stationType;
        inputs.videoType = videoType;
        ClientDataSet1.AppendRecord(appendedStationValues(inputs));
        SpeedButton1->setEnabled(true);
        ToolButton5Click();
    }
    FStationsChanged = true;
    runSaveSequence(ClientDataSet1, ReopenForm::CloseAndOpen);
    returnToShownStation(shown);
}

void TForm1::LabeledEdit3Enter() {
    // The scheme is offered only in an empty input: a typed or loaded address is kept.
    if (!LabeledEdit3->text().isEmpty()) return;
    LabeledEdit3->setText(QStringLiteral("http://"));
    LabeledEdit3->setCursorPosition(LabeledEdit3->text().size());
}

void TForm1::SpeedButton1Click() {
    if (SpeedButton1->isChecked()) {
        LoadRecordIntoInputs();
        SpeedButton1->setText(QString::fromUtf16(kSwitchToInputCaption));
        BitBtn1->setText(QString::fromUtf16(kSaveModifyCaption));
        ToolBar1->setEnabled(true);
    } else {
        // The inputs keep what they show.
        SpeedButton1->setText(QString::fromUtf16(kSwitchToEditCaption));
        BitBtn1->setText(QString::fromUtf16(kSaveContinueCaption));
        ToolBar1->setEnabled(false);
    }
}

void TForm1::LoadRecordIntoInputs() {
    if (!SpeedButton1->isChecked()) return;
    const auto field = [this](std::u16string_view name) {
        return qText(ClientDataSet1.FieldByName(name)->AsString());
    };
    // Setting the text does not move the focus, so the address is shown as stored, from its
    // beginning (the scheme first) rather than scrolled to its end.
    LabeledEdit3->setText(field(StationFieldName::Address));
    LabeledEdit3->setCursorPosition(0);
    const std::u16string stationType = field(StationFieldName::StationType).toStdU16String();
    int selected = -1;
    for (int i = 0; i < RadioGroup1->Count() && selected < 0; ++i) {
        if (sameTextIgnoringCase(RadioGroup1->Item(i).toStdU16String(), stationType)) selected = i;
    }
    RadioGroup1->SetItemIndex(selected);
    BitBtn1->setText(QString::fromUtf16(kSaveModifyCaption));
    LabeledEdit2->setText(field(StationFieldName::Name));
    LabeledEdit5->setText(field(StationFieldName::Language));
    LabeledEdit4->setText(field(StationFieldName::Country));
    LabeledEdit6->setText(field(StationFieldName::BitRate));
    for (TLabeledEdit* input : {LabeledEdit2, LabeledEdit4, LabeledEdit5, LabeledEdit6})
        input->setCursorPosition(0);
}

void TForm1::ToolButton1Click() {
    if (ClientDataSet1.RecNo() >= 2) {
        ClientDataSet1.Prior();
        LoadRecordIntoInputs();
        return;
    }
    FMessageBoxes.show(windowMessage(u"已经是第一条内容！", MessageBoxIcon::Information,
                                     MessageBoxButtons::Ok, true, MessageBeepKind::Error));
}

void TForm1::ToolButton3Click() {
    if (ClientDataSet1.RecNo() < ClientDataSet1.RecordCount()) {
        ClientDataSet1.Next();
        LoadRecordIntoInputs();
        return;
    }
    FMessageBoxes.show(windowMessage(u"已经是最后一条内容！", MessageBoxIcon::Information,
                                     MessageBoxButtons::Ok, true, MessageBeepKind::Error));
}

void TForm1::ToolButton5Click() {
    // The labelled inputs placed directly in the group box, in child order.
    for (QObject* child : GroupBox1->children()) {
        if (auto* input = qobject_cast<TLabeledEdit*>(child)) input->clear();
    }
    focusControl(LabeledEdit2);
}

void TForm1::ToolButton6Click() {
    const MessageBoxAnswer answer = FMessageBoxes.show(windowMessage(
        u"是否删除当前内容？", MessageBoxIcon::Question, MessageBoxButtons::OkCancel, true));
    if (answer != MessageBoxAnswer::Ok) return;
    const std::int32_t deleted = ClientDataSet1.RecNo();
    ClientDataSet1.Delete();
    FStationsChanged = true;
    runSaveSequence(ClientDataSet1, ReopenForm::ReloadFromFile);
    // The inputs move on to the station now at the deleted one's place (or the new last one),
    // so that the next modify or delete acts on what they show.
    if (ClientDataSet1.RecordCount() == 0) {
        ToolButton5Click();
        return;
    }
    returnToShownStation(deleted);
    LoadRecordIntoInputs();
}

// ---- Bottom bar ------------------------------------------------------------------------------

void TForm1::BitBtn2Click() {
    Notebook1->setCurrentIndex(0);
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(true);
    BitBtn3->setText(QStringLiteral("下一步"));
    // Disabling the pressed 上一步 passed the focus on to 退出, where one stray key would close
    // the program; it belongs in the page's first input.
    focusControl(LabeledEdit2);
}

void TForm1::BitBtn3Click() {
    if (ClientDataSet1.RecordCount() <= 0) {
        FMessageBoxes.show(windowMessage(u"请先保存当前记录！", MessageBoxIcon::Error,
                                         MessageBoxButtons::Ok, true));
        focusControl(LabeledEdit2);
        return;
    }
    Notebook1->setCurrentIndex(1);
    BitBtn2->setEnabled(true);
    BitBtn3->setEnabled(false);
    focusControl(LabeledEdit1);
}

void TForm1::BitBtn4Click() {
    close();
}

// ---- Output page -----------------------------------------------------------------------------

void TForm1::Button1Click() {
    const std::u16string fileName = textOf(LabeledEdit1);
    if (fileName.empty()) {
        FMessageBoxes.show(windowMessage(u"请先输入预生成cds的文件名！",
                                         MessageBoxIcon::Information, MessageBoxButtons::Ok,
                                         false));
        return;
    }
    // Without a folder the file would land in the file system's root: the user chooses one
    // first, and cancelling generates nothing.
    if (StatusBar1->PanelText(1).isEmpty()) {
        SpeedButton5Click();
        if (StatusBar1->PanelText(1).isEmpty()) return;
    }
    const std::u16string source = workingFilePath();
    // The name as typed, with the extension always appended.
    const std::u16string target =
        composePath(StatusBar1->PanelText(1).toStdU16String(), fileName + u".cds");

    // The move never replaces a file. When it fails the working file stays where it was, and
    // nothing that follows a success happens.
    FileResult moved = moveFile(source, target);
    if (moved.error() == EEXIST) {
        // Generating again under the name of a file that is there (the one opened, most
        // often) replaces it only when the user says so; the old file stays whole until the
        // new one is complete.
        MessageBoxRequest question = windowMessage(
            u"文件已存在，是否替换？", MessageBoxIcon::Question, MessageBoxButtons::YesNo, false);
        question.defaultAnswer = MessageBoxAnswer::No;
        if (FMessageBoxes.show(question) != MessageBoxAnswer::Yes) return;
        moved = moveFileReplacing(source, target);
    }
    if (!moved) {
        FMessageBoxes.show(windowMessage(u"生成文件失败：" + target + u"\n" + moved.message(),
                                         MessageBoxIcon::Error, MessageBoxButtons::Ok, false));
        return;
    }

    FStationsChanged = false;
    FMessageBoxes.show(windowMessage(u"成功生成了" + fileName + u".cds文件!",
                                     MessageBoxIcon::Information, MessageBoxButtons::Ok, false));
    SpeedButton3->setEnabled(false);
    if (CheckBox2->isChecked()) SpeedButton6Click();
}

void TForm1::SpeedButton2Click() {
    (void)FShell.openAddress(std::u16string(kForumAddress));
}

void TForm1::SpeedButton3Click() {
    // Loading the preview walks the table to its end; the entry page's inputs still show the
    // station they showed, so it is made current again afterwards.
    const std::int32_t shown = ClientDataSet1.Active() ? ClientDataSet1.RecNo() : 0;
    try {
        // The button has flipped too: the list is visible exactly while it is down.
        ListView1->setVisible(ListView1->isHidden());
        LoadPreview(workingFilePath());
    } catch (const std::exception&) {
        FMessageBoxes.show(windowMessage(u"浏览错误，请稍后再试！", MessageBoxIcon::Information,
                                         MessageBoxButtons::Ok, true));
    }
    returnToShownStation(shown);
}

void TForm1::SpeedButton5Click() {
    const std::optional<std::u16string> folder =
        FFolderBrowser.chooseFolder(u"请选择预生成cds文件的保存目录:");
    if (folder.has_value()) StatusBar1->SetPanelText(1, qText(*folder));
}

void TForm1::SpeedButton6Click() {
    (void)FShell.openFolder(StatusBar1->PanelText(1).toStdU16String());
}

void TForm1::LoadPreview(const std::u16string& fileName) {
    // The table is held aside first, so that a failed load can give it back.
    const TablePacket previous = closeKeepingPacket(ClientDataSet1);
    try {
        ClientDataSet1.LoadFromFile(fileName);
        ListView1->rows().clear();
        ListView1->rows().setCaptions(readPreviewCaptions(ClientDataSet1));
    } catch (const std::exception&) {
        FMessageBoxes.show(windowMessage(u"导入错误，请查看路径或者文件是否有效。",
                                         MessageBoxIcon::Information, MessageBoxButtons::Ok,
                                         false));
        // The entry page goes on working on the rows the table had.
        reopenOnPacket(ClientDataSet1, previous);
    }
}

void TForm1::ListView1ColumnClick(int column) {
    ListView1->rows().sortByCaption(
        SortAscending, [column](std::u16string_view first, std::u16string_view second) {
            return CompareListItems(first, second, column);
        });
    SortAscending = !SortAscending;
}

int TForm1::CompareListItems(std::u16string_view caption1, std::u16string_view caption2,
                             int column) {
    (void)column;  // the captions are compared, whatever the column
    const int result = compareCaptions(caption1, caption2);
    return SortAscending ? result : -result;
}

// ---- Settings file ---------------------------------------------------------------------------

void TForm1::LoadSettings() {
    OutputSettings current;
    current.outputFolder = StatusBar1->PanelText(1).toStdU16String();
    current.openFolder = CheckBox2->isChecked();
    const OutputSettings read = readOutputSettings(settingsFilePath(), current);
    StatusBar1->SetPanelText(1, qText(read.outputFolder));
    CheckBox2->setChecked(read.openFolder);
}

void TForm1::SaveSettings() {
    OutputSettings settings;
    settings.outputFolder = StatusBar1->PanelText(1).toStdU16String();
    settings.openFolder = CheckBox2->isChecked();
    writeOutputSettings(settingsFilePath(), settings);
}

// ---- Window events ---------------------------------------------------------------------------

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // restored from the taskbar, not shown anew
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &TForm1::refreshBanner,
                Qt::UniqueConnection);
    }
    refreshBanner();
    handle(&TForm1::FormShow);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!confirmLeaving()) {
        event->ignore();
        return;
    }
    if (handle(&TForm1::FormClose))
        event->accept();
    else
        event->ignore();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);

    // Alt+M belongs to the window: claiming it here keeps any control's mnemonic (the save
    // button's caption underlines M) from firing as a shortcut, so the key arrives as a key
    // press and the save runs once.
    if (event->type() == QEvent::ShortcutOverride && widget->window() == this &&
        isSaveShortcut(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }

    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop) &&
        widget->window() == this && takeFileDrag(event))
        return true;

    if (event->type() == QEvent::KeyPress) {
        // A key press travels from the focused control up to its parents; the window looks at
        // it once, on its first stop.
        QWidget* focus = QApplication::focusWidget();
        const bool firstStop = focus != nullptr ? widget == focus : widget == this;
        if (firstStop && widget->window() == this) {
            bool handled = false;
            const bool completed =
                FErrorDisplay.run([&] { handled = FormShortCut(*static_cast<QKeyEvent*>(event)); });
            if (handled || !completed) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm1::confirmLeaving() {
    bool stationsWouldBeLost = false;
    FErrorDisplay.run([this, &stationsWouldBeLost] {
        stationsWouldBeLost =
            FStationsChanged && ClientDataSet1.Active() && ClientDataSet1.RecordCount() > 0;
    });
    if (!stationsWouldBeLost) return true;
    MessageBoxRequest question =
        windowMessage(u"还有电台尚未生成电台文件，退出后将丢失。确定退出吗？",
                      MessageBoxIcon::Question, MessageBoxButtons::YesNo, false);
    question.defaultAnswer = MessageBoxAnswer::No;
    return FMessageBoxes.show(question) == MessageBoxAnswer::Yes;
}

void TForm1::returnToShownStation(std::int32_t position) {
    if (!SpeedButton1->isChecked() || position < 1 || !ClientDataSet1.Active()) return;
    const std::int32_t count = ClientDataSet1.RecordCount();
    if (count == 0) return;
    ClientDataSet1.SetRecNo(std::min(position, count));
}

bool TForm1::handle(void (TForm1::*handler)()) {
    return FErrorDisplay.run([this, handler] { (this->*handler)(); });
}

void TForm1::refreshBanner() {
    Image1->setPixmap(bannerPixmap(devicePixelRatioF()));
}
