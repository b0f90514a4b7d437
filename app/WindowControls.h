#pragma once
// The window's own small controls: a line input with its label to the left, a group of radio
// items with an item index, a status bar of fixed-width panels, and a list of pictures.

#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QLabel;
class QRadioButton;

// A line input with a label standing to its left, vertically centred on it, 3 pixels apart.
// The label is a sibling of the input in the same parent. entered() is emitted each time the
// input receives the focus from another control of the window.
class TLabeledEdit : public QLineEdit {
    Q_OBJECT

  public:
    TLabeledEdit(QWidget* parent, const QString& name, const QRect& geometry,
                 const QString& labelText, const QSize& labelSize);

    QLabel* EditLabel() const { return FEditLabel; }

  signals:
    void entered();

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeLabel();

    QLabel* FEditLabel;
};

// A captioned group of radio items in columns; ItemIndex -1 means no item is selected. The group
// is a single tab stop, and the arrow keys move the selection between its items.
class TRadioGroup : public QGroupBox {
    Q_OBJECT

  public:
    TRadioGroup(QWidget* parent, const QString& name, const QString& caption,
                const QStringList& items, int columns);

    int ItemIndex() const;
    // -1 (or any index out of range) selects no item.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(FButtons.size()); }
    QString Item(int index) const;
    QRadioButton* Button(int index) const { return FButtons.at(index); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void updateTabStop();

    std::vector<QRadioButton*> FButtons;
};

// A bar of panels side by side, each of a fixed width with a sunken edge and a line of text.
class TStatusBar : public QFrame {
    Q_OBJECT

  public:
    TStatusBar(QWidget* parent, const QString& name, const QRect& geometry,
               const std::vector<int>& panelWidths);

    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    QLabel* Panel(int index) const { return FPanels.at(index); }

  private:
    std::vector<QLabel*> FPanels;
};

// A list of pictures of one size, not shown itself; buttons take their icons from it.
class TImageList : public QObject {
    Q_OBJECT

  public:
    TImageList(QObject* parent, const QString& name, QSize size);

    QSize ImageSize() const { return FSize; }
    int Add(const QIcon& icon);
    int Count() const { return static_cast<int>(FImages.size()); }
    QIcon Image(int index) const { return FImages.at(index); }

  private:
    QSize FSize;
    std::vector<QIcon> FImages;
};

// Moves the focus to the control when it can take it, that is, when it is shown and enabled;
// a control on a hidden page is left alone rather than failing.
void focusControl(QWidget* control);
