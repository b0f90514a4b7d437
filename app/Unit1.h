#pragma once
// TForm1: the main window, a fixed-size two-page wizard over the station table.
// The window holds only its handlers; building the controls, the pictures, the schema and the
// error display live in their own files.

#include <QWidget>

#include "ClientDataSet.h"
#include "DefaultErrorDisplay.h"

class MessageBoxService;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QStackedWidget;

inline constexpr int kClientWidth = 459;
inline constexpr int kClientHeight = 490;

class TForm1 : public QWidget {
    Q_OBJECT

  public:
    // Boxes (the window's messages and the default error display) go through messageBoxes.
    // FormCreate runs before the constructor returns.
    explicit TForm1(MessageBoxService& messageBoxes, QWidget* parent = nullptr);
    ~TForm1() override;

    // The station table, open from FormCreate on.
    TClientDataSet ClientDataSet1{u"ClientDataSet1"};

    QLabel* Image1 = nullptr;             // banner
    QFrame* Panel1 = nullptr;             // page area
    QStackedWidget* Notebook1 = nullptr;  // pages "1" (entry) and "2" (output)
    QWidget* Page1 = nullptr;             // notebook page "1", index 0
    QWidget* Page2 = nullptr;             // notebook page "2", index 1
    QFrame* Panel2 = nullptr;             // bottom bar
    QPushButton* BitBtn2 = nullptr;       // 上一步
    QPushButton* BitBtn3 = nullptr;       // 下一步
    QPushButton* BitBtn4 = nullptr;       // 退出

    // Handlers. Each is run through the default error display (see handle()).
    void FormCreate();
    void FormShow();
    void FormClose();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    // Every key press in the window comes here before the focused control sees it; answers
    // whether the key was handled (and so goes no further).
    bool FormShortCut(const QKeyEvent& key);

    // Runs one handler as the message loop does: an error it raises ends it and reaches the
    // default error display, and the program goes on. False when an error was shown.
    bool handle(void (TForm1::*handler)());

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refreshBanner();

    MessageBoxService& FMessageBoxes;
    DefaultErrorDisplay FErrorDisplay;
};
