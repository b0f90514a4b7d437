#include "app/WindowControls.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace {

constexpr int kLabelSpacing = 3;

}  // namespace

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& name, const QRect& geometry,
                           const QString& labelText, const QSize& labelSize)
    : QLineEdit(parent), FEditLabel(new QLabel(labelText, parent)) {
    setObjectName(name);
    FEditLabel->setObjectName(name + QStringLiteral("Label"));
    FEditLabel->resize(labelSize);
    FEditLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FEditLabel->setBuddy(this);
    setGeometry(geometry);
    placeLabel();
}

void TLabeledEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back to the window or from a popup is no entry into the input.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) emit entered();
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    placeLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeLabel();
}

void TLabeledEdit::placeLabel() {
    const QRect box = geometry();
    FEditLabel->move(box.left() - FEditLabel->width() - kLabelSpacing,
                     box.top() + (box.height() - FEditLabel->height()) / 2);
}

TRadioGroup::TRadioGroup(QWidget* parent, const QString& name, const QString& caption,
                         const QStringList& items, int columns)
    : QGroupBox(caption, parent) {
    setObjectName(name);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 2, 8, 4);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(2);
    // Items fill the columns one under the other, as many rows as the longest column needs.
    const int rows = (static_cast<int>(items.size()) + columns - 1) / std::max(columns, 1);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(name + QStringLiteral("Item") + QString::number(i));
        // Exclusivity is kept here, so that no item can be selected as well.
        button->setAutoExclusive(false);
        connect(button, &QRadioButton::clicked, this, [this, i] { SetItemIndex(i); });
        button->installEventFilter(this);
        layout->addWidget(button, i % std::max(rows, 1), i / std::max(rows, 1));
        FButtons.push_back(button);
    }
    for (int column = 0; column < columns; ++column) layout->setColumnStretch(column, 1);
    updateTabStop();
}

int TRadioGroup::ItemIndex() const {
    for (int i = 0; i < Count(); ++i) {
        if (FButtons[i]->isChecked()) return i;
    }
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (int i = 0; i < Count(); ++i) FButtons[i]->setChecked(i == index);
    updateTabStop();
}

void TRadioGroup::updateTabStop() {
    // The group is one tab stop: the selected item, or the first when none is selected. The
    // other items still take the focus when clicked.
    const int stop = std::max(ItemIndex(), 0);
    for (int i = 0; i < Count(); ++i)
        FButtons[i]->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QGroupBox::eventFilter(watched, event);
    const auto found = std::find(FButtons.begin(), FButtons.end(), watched);
    if (found == FButtons.end()) return QGroupBox::eventFilter(watched, event);
    int step = 0;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        default:
            return QGroupBox::eventFilter(watched, event);
    }
    // The arrow keys choose the neighbouring item, round the ends, and take the focus with them.
    const int count = Count();
    const int next = (static_cast<int>(found - FButtons.begin()) + step + count) % count;
    SetItemIndex(next);
    FButtons[next]->setFocus(Qt::TabFocusReason);
    return true;
}

QString TRadioGroup::Item(int index) const {
    return FButtons.at(index)->text();
}

TStatusBar::TStatusBar(QWidget* parent, const QString& name, const QRect& geometry,
                       const std::vector<int>& panelWidths)
    : QFrame(parent) {
    setObjectName(name);
    setGeometry(geometry);
    setFrameShape(QFrame::NoFrame);
    int x = 0;
    for (std::size_t i = 0; i < panelWidths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(name + QStringLiteral("Panel") + QString::number(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panel->setIndent(2);
        panel->setGeometry(x, 0, panelWidths[i], geometry.height());
        x += panelWidths[i];
        FPanels.push_back(panel);
    }
}

QString TStatusBar::PanelText(int index) const {
    return FPanels.at(index)->text();
}

void TStatusBar::SetPanelText(int index, const QString& text) {
    FPanels.at(index)->setText(text);
}

TImageList::TImageList(QObject* parent, const QString& name, QSize size)
    : QObject(parent), FSize(size) {
    setObjectName(name);
}

int TImageList::Add(const QIcon& icon) {
    FImages.push_back(icon);
    return Count() - 1;
}

void focusControl(QWidget* control) {
    if (control != nullptr && control->isVisible() && control->isEnabled()) control->setFocus();
}
