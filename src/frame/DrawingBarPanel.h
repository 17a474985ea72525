#pragma once
// The drawing bar's side panel: a docking bar beside the drawing bar whose contents follow the
// tool (CMainFrame::SetSelector). Kind 1, the options of shapes created with an annotation, holds
// the orientation selector and the near-callout option; both are stored at once and read by the
// callout and bracket code through app/CalloutOptions.h.

#include <QDockWidget>
#include <QPointer>

class QCheckBox;
class QLabel;
class QToolBar;

// The orientation selector: five square cells as a cross (0 up, 1 left, 2 centre, 3 right,
// 4 down), drawn raised, the chosen one sunken with its picture moved by a pixel. A click on
// another cell, or an arrow key towards it, chooses it and reports it; a value set by the
// program is only shown.
class CSelector : public QWidget {
    Q_OBJECT
public:
    explicit CSelector(QWidget* parent = nullptr);

    int GetValue() const { return m_nValue; }
    void SetValue(int value);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Where cell 0 to 4 lies in the control, and the cell under a point (-1 for none).
    static QRect CellRect(int cell);
    static int CellAt(const QPoint& pt);
    // The cell an arrow key leads to from `cell` along the cross; `cell` itself when none.
    static int CellTowards(int cell, int key);

Q_SIGNALS:
    void valueChosen(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Choose(int cell);
    static void DrawPicture(QPainter& p, const QRect& rc, int cell, const QColor& ink);

    int m_nValue = 2;
};

class CDrawingBarPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit CDrawingBarPanel(QWidget* parent = nullptr);

    // The drawing bar the panel belongs to: hidden with it.
    void SetBar(QToolBar* bar);
    // 0 none; 1 the options of shapes created with an annotation; any other kind leaves those
    // options out. The panel shows while it has something to show and the drawing bar is shown.
    void SetSelector(int kind);
    int GetSelector() const { return m_nKind; }

private:
    void UpdateVisibility();

    int m_nKind = 0;
    QPointer<QToolBar> m_pBar;
    QWidget* m_pAnnotation;
    CSelector* m_pSelector;
    QCheckBox* m_pNear;
};
