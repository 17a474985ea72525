#pragma once
// The area kind's rubber band: a still picture of the screen covers the screen, the user drags a
// rectangle over it (its size shown beside it) and lets go; Escape or the right button cancels.

#include <QImage>
#include <QRect>
#include <QWidget>

class QEventLoop;

class CCaptureAreaPicker : public QWidget {
    Q_OBJECT
public:
    // SUCCESS and the rectangle in screen pixels; ERROR_USER_ABORT when cancelled,
    // ERROR_INV_PARAMETER for an area without width or height.
    static int Pick(const QImage& frozen, QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit CCaptureAreaPicker(const QImage& frozen);
    void Finish(int result);
    QRect Band() const;

    QImage m_frozen;
    QPoint m_start;
    QPoint m_end;
    bool m_bDragging = false;
    int m_nResult = 0;
    QEventLoop* m_pLoop = nullptr;
};
