#pragma once
// CCaptureBar: the capture bar. A button for each of the kinds multiple, area, object, active
// window, full screen, client area, window under the cursor, menu and mouse cursor; pressing one
// makes it the kind of the start-capture command and the hot key (capture option 14) and runs
// that capture. The button of the chosen kind shows pressed.

#include <QList>
#include <QToolBar>
#include <functional>

class QAction;

class CCaptureBar : public QToolBar {
    Q_OBJECT
public:
    // The kinds of the buttons, in their order on the bar.
    static const QList<int>& Kinds();

    CCaptureBar(QWidget* parent, const std::function<QAction*(int kind)>& commandOf);
    // The button of `kind` shows pressed, the others not.
    void ShowChosenKind(int kind);
    // The kind whose button the mouse is over; 0 for none.
    int GetHoverKind() const { return m_nHoverKind; }

Q_SIGNALS:
    void kindPressed(int kind);

private:
    QList<QAction*> m_buttons;
    int m_nHoverKind = 0;
};
