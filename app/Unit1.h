#pragma once
// TForm1: the main window, a fixed-size two-page wizard over the station table.
// The window holds only its handlers; building the controls, the pictures, the schema, the
// input rules, the save sequence, the settings file and the error display live in their own
// files.

#include <QStringList>
#include <QWidget>

#include <string>

#include "app/DefaultErrorDisplay.h"
#include "app/PreviewList.h"
#include "dataset/ClientDataSet.h"

class FileDialogService;
class FolderBrowser;
class MessageBoxService;
class ShellOpenService;
class QCheckBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class TImageList;
class TLabeledEdit;
class TRadioGroup;
class TStatusBar;

inline constexpr int kClientWidth = 459;
inline constexpr int kClientHeight = 490;

// The preview's sort direction: false at program start, flipped by every click on the list's
// column header and never reset while the program runs.
extern bool SortAscending;

// The services through which the window reaches the desktop: message boxes and beeps, the
// folder chooser, opening folders and web addresses, and the file dialogs.
struct WindowServices {
    MessageBoxService& messageBoxes;
    FolderBrowser& folderBrowser;
    ShellOpenService& shell;
    FileDialogService& fileDialogs;
};

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // FormCreate runs before the constructor returns.
    explicit TForm1(const WindowServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // The station table, open from FormCreate on.
    TClientDataSet ClientDataSet1{u"ClientDataSet1"};

    // Frame.
    QLabel* Image1 = nullptr;             // banner
    QFrame* Panel1 = nullptr;             // page area
    QStackedWidget* Notebook1 = nullptr;  // pages "1" (entry) and "2" (output)
    QWidget* Page1 = nullptr;             // notebook page "1", index 0
    QWidget* Page2 = nullptr;             // notebook page "2", index 1
    QFrame* Panel2 = nullptr;             // bottom bar
    QPushButton* BitBtn2 = nullptr;       // 上一步
    QPushButton* BitBtn3 = nullptr;       // 下一步
    QPushButton* BitBtn4 = nullptr;       // 退出
    TImageList* ImageList1 = nullptr;     // the entry page's four toolbar icons

    // Entry page.
    QFrame* Panel3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;    // 普通电台 / 电视台
    QToolButton* SpeedButton1 = nullptr;   // edit-mode switch
    TLabeledEdit* LabeledEdit2 = nullptr;  // name
    TLabeledEdit* LabeledEdit3 = nullptr;  // address
    TLabeledEdit* LabeledEdit4 = nullptr;  // country
    TLabeledEdit* LabeledEdit5 = nullptr;  // language
    TLabeledEdit* LabeledEdit6 = nullptr;  // bit rate
    QPushButton* BitBtn1 = nullptr;        // save
    QFrame* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // previous
    QFrame* ToolButton2 = nullptr;       // separator
    QToolButton* ToolButton3 = nullptr;  // next
    QFrame* ToolButton4 = nullptr;       // separator
    QToolButton* ToolButton5 = nullptr;  // clear
    QToolButton* ToolButton6 = nullptr;  // delete
    QMenu* PopupMenu1 = nullptr;         // right-click menu of GroupBox1
    QAction* ImportListItem = nullptr;   // 导入电台列表…

    // Output page.
    QFrame* Panel4 = nullptr;
    PreviewList* ListView1 = nullptr;  // preview list
    QGroupBox* GroupBox2 = nullptr;
    TLabeledEdit* LabeledEdit1 = nullptr;  // file name
    QToolButton* SpeedButton5 = nullptr;   // choose the output folder
    QToolButton* SpeedButton6 = nullptr;   // open the output folder
    QCheckBox* CheckBox2 = nullptr;        // open the folder after generating
    QToolButton* SpeedButton3 = nullptr;   // preview toggle
    QPushButton* Button1 = nullptr;        // generate
    QToolButton* SpeedButton2 = nullptr;   // forum
    TStatusBar* StatusBar1 = nullptr;      // panel 1: the output folder
    QMenu* PopupMenu2 = nullptr;           // right-click menu of ListView1
    QAction* ExportListItem = nullptr;     // 导出为播放列表…

    // Handlers. Each is run through the default error display (see handle()).
    void FormCreate();
    void FormShow();
    void FormClose();
    // Every key press in the window comes here before the focused control sees it; answers
    // whether the key was handled (and so goes no further).
    bool FormShortCut(const QKeyEvent& key);

    // Entry page.
    void BitBtn1Click();
    void LabeledEdit3Enter();
    void SpeedButton1Click();
    void LoadRecordIntoInputs();
    void ToolButton1Click();
    void ToolButton3Click();
    void ToolButton5Click();
    void ToolButton6Click();

    // Bottom bar.
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

    // Output page.
    void Button1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void LoadPreview(const std::u16string& fileName);
    void ListView1ColumnClick(int column);
    static int CompareListItems(std::u16string_view caption1, std::u16string_view caption2,
                                int column);

    // Station files and station lists (StationListFiles.cpp).
    // Opens files handed to the window, in order: by the command line, by a drop on either
    // page, by the import menu. A station file opens as the station list (or replaces it, or is
    // appended to it, as the user answers); a station list in one of the playlist formats is
    // imported and summed up in a box; anything else is refused with a box naming the file.
    // Files handed over while others are still being opened wait their turn.
    void openFiles(const QStringList& paths);
    void ImportListItemClick();
    void ExportListItemClick();

    // Settings file.
    void LoadSettings();
    void SaveSettings();

    // Runs one handler as the message loop does: an error it raises ends it and reaches the
    // default error display, and the program goes on. False when an error was shown.
    bool handle(void (TForm1::*handler)());

  protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectHandlers();
    void refreshBanner();
    // At start-up: offers the stations a run that never closed left in the working file, and
    // opens the table on them when the user accepts. Answers whether it did.
    bool recoverLeftStations();
    // On leaving: asks before stations that were never generated are lost. Answers whether the
    // window may close.
    bool confirmLeaving();
    // In edit mode, makes the station at `position` (or the last one, when fewer are left)
    // current again: the inputs show it, so browsing, modifying and deleting act on it.
    void returnToShownStation(std::int32_t position);
    // StationListFiles.cpp: the menus, one file of a handover, and the two kinds of file.
    void createFileMenus();
    void openFile(const std::u16string& path, bool oneOfSeveral);
    void openStationFile(const std::u16string& path);
    void importStationList(const std::u16string& path, bool oneOfSeveral);
    // A drag or drop over any control of the window that carries local files: answers whether
    // the window took it.
    bool takeFileDrag(QEvent* event);

    MessageBoxService& FMessageBoxes;
    FolderBrowser& FFolderBrowser;
    ShellOpenService& FShell;
    FileDialogService& FFileDialogs;
    DefaultErrorDisplay FErrorDisplay;
    // Stations were added, changed or deleted since the last successful generate.
    bool FStationsChanged = false;
    // Files handed over and not yet opened; true while openFiles works through them.
    QStringList FPendingFiles;
    bool FOpeningFiles = false;
};
