// The window's part in station files and station lists: opening files handed to the window (the
// command line, a drop on either page, the import menu), importing playlists, exporting the
// table as a playlist, and the two right-click menus. Reading, converting and writing live in
// interchange/; here the window asks, shows and runs the save sequence.

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QProgressDialog>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <span>

#include "app/Unit1.h"
#include "app/WindowControls.h"
#include "app/WindowMessages.h"
#include "interchange/DuplicateAddressIndex.h"
#include "interchange/EntryToStation.h"
#include "interchange/PlaylistFormat.h"
#include "interchange/PlaylistReader.h"
#include "interchange/StationFileOpening.h"
#include "interchange/StationListExport.h"
#include "interchange/StationTable.h"
#include "platform/FileDialogService.h"
#include "platform/MessageBoxService.h"
#include "platform/Unicode.h"
#include "stations/SaveSequence.h"

namespace {

// Stations or entries done between two looks at the window's events during a long import.
constexpr std::size_t kAppendChunk = 500;

QString qText(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string quotedPath(std::u16string_view path) {
    return u"“" + std::u16string(path) + u"”";
}

// The local files a drag carries, in order; none when it carries anything else as well.
QStringList localFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) return {};
        paths << url.toLocalFile();
    }
    return paths;
}

// The export dialog's types, in the order of kPlaylistFormats.
std::vector<FileDialogFilter> exportFilters() {
    std::vector<FileDialogFilter> filters;
    for (PlaylistFormat format : kPlaylistFormats) {
        std::u16string description;
        switch (format) {
            case PlaylistFormat::M3u:
                description = u"M3U8 播放列表";
                break;
            case PlaylistFormat::Pls:
                description = u"PLS 播放列表";
                break;
            case PlaylistFormat::Xspf:
                description = u"XSPF 播放列表";
                break;
            case PlaylistFormat::Csv:
                description = u"CSV 表格";
                break;
            case PlaylistFormat::Json:
                description = u"JSON 数据";
                break;
        }
        filters.push_back({description, u"*" + utf8ToUtf16(playlistFileExtension(format))});
    }
    return filters;
}

// The name an export is written under: as chosen when its extension is one of the format's,
// else with the format's extension added ("stations" -> "stations.m3u8").
std::u16string exportPath(std::u16string path, PlaylistFormat format) {
    if (playlistFormatFromFileName(path) != format)
        path += utf8ToUtf16(playlistFileExtension(format));
    return path;
}

}  // namespace

// ---- Menus -----------------------------------------------------------------------------------

void TForm1::createFileMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ImportListItem = PopupMenu1->addAction(QStringLiteral("导入电台列表…"));
    ImportListItem->setObjectName(QStringLiteral("ImportListItem"));
    GroupBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(GroupBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(GroupBox1->mapToGlobal(at)); });
    connect(ImportListItem, &QAction::triggered, this,
            [this] { handle(&TForm1::ImportListItemClick); });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    ExportListItem = PopupMenu2->addAction(QStringLiteral("导出为播放列表…"));
    ExportListItem->setObjectName(QStringLiteral("ExportListItem"));
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu2->popup(ListView1->viewport()->mapToGlobal(at));
    });
    connect(ExportListItem, &QAction::triggered, this,
            [this] { handle(&TForm1::ExportListItemClick); });
}

void TForm1::ImportListItemClick() {
    const std::vector<std::u16string> chosen = FFileDialogs.chooseFilesToOpen(
        u"导入电台列表", {{u"电台列表", utf8ToUtf16(playlistFileFilterPatterns())}});
    QStringList paths;
    for (const std::u16string& path : chosen) paths << qText(path);
    openFiles(paths);
}

void TForm1::ExportListItemClick() {
    const std::vector<FileDialogFilter> filters = exportFilters();
    const std::optional<SaveFileChoice> choice =
        FFileDialogs.chooseFileToSave(u"导出为播放列表", filters);
    if (!choice.has_value() || choice->path.empty()) return;
    const PlaylistFormat format =
        kPlaylistFormats[std::min(choice->filter, std::size(kPlaylistFormats) - 1)];
    const std::u16string path = exportPath(choice->path, format);

    const std::vector<StationValues> stations = readStations(ClientDataSet1);
    const FileResult written = exportStationList(path, format, stations);
    if (!written) {
        FMessageBoxes.show(windowMessage(u"导出失败：" + path + u"\n" + written.message(),
                                         MessageBoxIcon::Error, MessageBoxButtons::Ok, false));
        return;
    }
    FMessageBoxes.show(windowMessage(
        u"已导出 " + utf8ToUtf16(std::to_string(stations.size())) + u" 个电台：" + path,
        MessageBoxIcon::Information, MessageBoxButtons::Ok, false));
}

// ---- Opening files ---------------------------------------------------------------------------

void TForm1::openFiles(const QStringList& paths) {
    FPendingFiles << paths;
    // A handover that arrives while a long import lets the window's events run waits its turn.
    if (FOpeningFiles) return;
    FOpeningFiles = true;
    const bool several = FPendingFiles.size() > 1;
    while (!FPendingFiles.isEmpty()) {
        const std::u16string path = FPendingFiles.takeFirst().toStdU16String();
        // One file's error is shown and the next file is opened all the same.
        FErrorDisplay.run([this, &path, several] { openFile(path, several); });
    }
    FOpeningFiles = false;
}

void TForm1::openFile(const std::u16string& path, bool oneOfSeveral) {
    switch (openedFileKind(path)) {
        case OpenedFileKind::StationFile:
            openStationFile(path);
            return;
        case OpenedFileKind::Playlist:
            importStationList(path, oneOfSeveral);
            return;
        case OpenedFileKind::Unknown:
            break;
    }
    FMessageBoxes.show(windowMessage(u"无法打开文件" + quotedPath(path) +
                                         u"：不是电台文件，也不是支持的电台列表（" +
                                         utf8ToUtf16(playlistFileFilterPatterns()) + u"）",
                                     MessageBoxIcon::Error, MessageBoxButtons::Ok, false));
}

namespace {

// Runs `work`, which tells how many items it has done through the function it is handed; when
// the work takes a moment, a progress dialog shows between two steps, which keeps the window
// painting and blocks its input until the work is done. With `total` 0 how many items there are
// is not known beforehand: the bar then only shows that the work goes on, and its text how many
// are done.
void runShowingProgress(std::size_t total, QWidget* owner,
                        const std::function<void(const std::function<void(std::size_t)>&)>& work) {
    if (total != 0 && total <= kAppendChunk) {
        work({});
        return;
    }
    QProgressDialog progress(QStringLiteral("正在导入电台…"), QString(), 0, static_cast<int>(total),
                             owner);
    progress.setWindowTitle(qText(kWindowMessageTitle));
    progress.setWindowModality(Qt::WindowModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(300);
    progress.setValue(0);  // starts the clock of the minimum duration
    work([&progress, total](std::size_t done) {
        if (total == 0) {
            progress.setLabelText(QStringLiteral("正在导入电台…（已处理 %1 个条目）").arg(done));
        } else {
            progress.setValue(static_cast<int>(done));
        }
        QCoreApplication::processEvents();
    });
}

// Appends the stations, in chunks with the progress shown in between when they are many.
void appendShowingProgress(TClientDataSet& table, std::span<const StationValues> stations,
                           QWidget* owner) {
    runShowingProgress(stations.size(), owner, [&](const auto& progress) {
        for (std::size_t done = 0; done < stations.size(); done += kAppendChunk) {
            const std::size_t count = std::min(kAppendChunk, stations.size() - done);
            appendStations(table, stations.subspan(done, count));
            if (progress) progress(done + count);
        }
    });
}

}  // namespace

void TForm1::openStationFile(const std::u16string& path) {
    const StationFileReading reading = readStationTableFile(path);
    if (!reading.ok()) {
        FMessageBoxes.show(
            windowMessage(u"无法打开电台文件" + quotedPath(path) + u"：" + reading.failure,
                          MessageBoxIcon::Error, MessageBoxButtons::Ok, false));
        return;
    }

    bool replace = true;
    const std::int32_t held = ClientDataSet1.RecordCount();
    if (held > 0) {
        MessageBoxRequest question = windowMessage(
            u"电台列表中已有 " + utf8ToUtf16(std::to_string(held)) + u" 个电台。要用" +
                quotedPath(path) + u"中的 " + utf8ToUtf16(std::to_string(reading.stations.size())) +
                u" 个电台替换当前列表，还是追加到列表末尾？",
            MessageBoxIcon::Question, MessageBoxButtons::YesNoCancel, false);
        question.buttonTexts = {u"替换", u"追加", u"取消"};
        question.defaultAnswer = MessageBoxAnswer::Cancel;
        const MessageBoxAnswer answer = FMessageBoxes.show(question);
        if (answer != MessageBoxAnswer::Yes && answer != MessageBoxAnswer::No) return;
        replace = answer == MessageBoxAnswer::Yes;
    }

    const std::int32_t shown = ClientDataSet1.RecNo();
    if (replace) replaceStations(ClientDataSet1, {});
    appendShowingProgress(ClientDataSet1, reading.stations, this);
    runSaveSequence(ClientDataSet1, ReopenForm::CloseAndOpen);
    if (ClientDataSet1.RecordCount() > 0) SpeedButton1->setEnabled(true);

    if (replace) {
        // The list is the file's now: generating it again under its own name and folder is
        // the natural next step, and until something changes nothing would be lost on leaving.
        const QFileInfo file(qText(path));
        LabeledEdit1->setText(file.suffix().compare(QStringLiteral("cds"), Qt::CaseInsensitive) == 0
                                  ? file.completeBaseName()
                                  : file.fileName());
        StatusBar1->SetPanelText(1, file.absolutePath());
        FStationsChanged = false;
        LoadRecordIntoInputs();
    } else {
        FStationsChanged = true;
        returnToShownStation(shown);
        LoadRecordIntoInputs();
    }
}

void TForm1::importStationList(const std::u16string& path, bool oneOfSeveral) {
    DuplicateAddressIndex addresses;
    addresses.addTable(ClientDataSet1);
    const std::int32_t shown = ClientDataSet1.RecNo();
    // The entries go into the table as they are read, so how many there are is known only at the
    // end: the progress shows the count done so far. A malformed file is undone whole.
    PlaylistImport import;
    runShowingProgress(0, this, [&](const ImportProgress& progress) {
        import = importPlaylistFileInto(ClientDataSet1, path, std::nullopt, addresses, progress);
    });
    if (!import.ok()) {
        const std::u16string reason =
            !import.file
                ? import.file.message()
                : utf8ToUtf16(playlistErrorText(import.reading.error, ErrorTextLanguage::Chinese));
        FMessageBoxes.show(windowMessage(u"无法导入文件" + quotedPath(path) + u"：" + reason,
                                         MessageBoxIcon::Error, MessageBoxButtons::Ok, false));
        return;
    }
    const ImportReport& report = import.report;
    if (report.imported > 0) {
        SpeedButton1->setEnabled(true);
        FStationsChanged = true;
        runSaveSequence(ClientDataSet1, ReopenForm::CloseAndOpen);
        returnToShownStation(shown);
        LoadRecordIntoInputs();
    }

    // Several files handed over at once: each summary says which file it is about.
    std::u16string summary = importSummaryText(report);
    if (oneOfSeveral)
        summary = QFileInfo(qText(path)).fileName().toStdU16String() + u"\n" + summary;
    FMessageBoxes.show(
        windowMessage(summary, MessageBoxIcon::Information, MessageBoxButtons::Ok, false));
}

// ---- Drops -----------------------------------------------------------------------------------

bool TForm1::takeFileDrag(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);  // DragEnter and DragMove derive from it
    const QStringList paths = localFiles(drop->mimeData());
    if (paths.isEmpty()) return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        // Opened once the drop has ended, so that the boxes it may ask do not hold the program
        // the files came from.
        QMetaObject::invokeMethod(
            this, [this, paths] { openFiles(paths); }, Qt::QueuedConnection);
    }
    return true;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!takeFileDrag(event)) QWidget::dragEnterEvent(event);
}

void TForm1::dropEvent(QDropEvent* event) {
    if (!takeFileDrag(event)) QWidget::dropEvent(event);
}
