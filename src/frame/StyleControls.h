#pragma once
// Small controls of the text style bar that the program draws itself: the alignment and
// orientation selectors (a row of cells, the chosen one sunken) and the up and down buttons that
// step the character pitch.

#include <QWidget>

class QToolButton;

// A row of cells of which one is chosen. A click on another cell chooses it and reports it; a
// value set by the program is only shown.
class CStyleSelector : public QWidget {
    Q_OBJECT
public:
    // Alignment: 0 left, 1 centre, 2 right. Orientation: 0 horizontal, 1 a quarter turn
    // counter-clockwise, 2 a quarter turn clockwise.
    enum Kind { Alignment, Orientation };
    explicit CStyleSelector(Kind kind, QWidget* parent = nullptr);

    int GetValue() const { return m_nValue; }
    void SetValue(int value);
    QSize sizeHint() const override;

Q_SIGNALS:
    void valueChosen(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect CellRect(int cell) const;
    int CellAt(const QPoint& pt) const;
    void DrawPicture(QPainter& p, const QRect& rc, int cell) const;

    Kind m_kind;
    int m_nValue = 0;
};

// Two small arrow buttons over each other; each click (repeated while held) reports +1 or -1.
class CSpinButtons : public QWidget {
    Q_OBJECT
public:
    explicit CSpinButtons(QWidget* parent = nullptr);

Q_SIGNALS:
    void stepped(int direction);
};
