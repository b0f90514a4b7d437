#include "Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QWindow>

#include "Artwork.h"
#include "FormLayout.h"
#include "MessageBoxService.h"
#include "StationSchema.h"
#include "WindowMessages.h"

TForm1::TForm1(MessageBoxService& messageBoxes, QWidget* parent)
    : QWidget(parent), FMessageBoxes(messageBoxes), FErrorDisplay(messageBoxes, programTitle()) {
    setObjectName(QStringLiteral("Form1"));
    // Single non-sizing border; system menu, minimise and close, no maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(QStringLiteral("Rovena 1.0"));
    setWindowIcon(programIcon());

    createFrameControls(*this);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn2Click); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn3Click); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { handle(&TForm1::BitBtn4Click); });

    // The window sees every key press before the focused control does.
    qApp->installEventFilter(this);

    // An error here is shown and start-up goes on with the table as far as it was built.
    handle(&TForm1::FormCreate);
}

TForm1::~TForm1() {
    if (qApp != nullptr) qApp->removeEventFilter(this);
}

void TForm1::FormCreate() {
    defineStationFields(ClientDataSet1.FieldDefs());
    ClientDataSet1.CreateDataSet();
}

void TForm1::FormShow() {
    Notebook1->setCurrentIndex(0);
}

void TForm1::FormClose() {
    // Closing proceeds unless a step here raises an error: then the error is shown and the
    // window stays open.
}

void TForm1::BitBtn2Click() {
    Notebook1->setCurrentIndex(0);
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(true);
    BitBtn3->setText(QStringLiteral("下一步"));
}

void TForm1::BitBtn3Click() {
    if (ClientDataSet1.RecordCount() <= 0) {
        FMessageBoxes.show(windowMessage(u"请先保存当前记录！", MessageBoxIcon::Error,
                                         MessageBoxButtons::Ok, true));
        return;
    }
    Notebook1->setCurrentIndex(1);
    BitBtn2->setEnabled(true);
    BitBtn3->setEnabled(false);
}

void TForm1::BitBtn4Click() {
    close();
}

bool TForm1::FormShortCut(const QKeyEvent& key) {
    (void)key;
    return false;
}

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
    if (handle(&TForm1::FormClose))
        event->accept();
    else
        event->ignore();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        // A key press travels from the focused control up to its parents; the window looks at
        // it once, on its first stop.
        auto* widget = static_cast<QWidget*>(watched);
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

bool TForm1::handle(void (TForm1::*handler)()) {
    return FErrorDisplay.run([this, handler] { (this->*handler)(); });
}

void TForm1::refreshBanner() {
    Image1->setPixmap(bannerPixmap(devicePixelRatioF()));
}
