#pragma once
// The captured-object kind's picker: over a still picture of the screen a frame follows the
// deepest window under the mouse; a click takes that window, Escape or the right button cancels.

#include "acquire/ScreenCapture.h"

#include <QImage>
#include <QRect>
#include <QWidget>

class QEventLoop;

class CCaptureObjectPicker : public QWidget {
    Q_OBJECT
public:
    // SUCCESS and the window's rectangle on the screen; ERROR_USER_ABORT when cancelled.
    static int Pick(const QImage& frozen, const CaptureObjectOptions& options, QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CCaptureObjectPicker(const QImage& frozen, const CaptureObjectOptions& options);
    void Track(const QPoint& at);
    void Finish(int result);

    QImage m_frozen;
    CaptureObjectOptions m_options;
    QRect m_object;
    int m_nResult = 0;
    QEventLoop* m_pLoop = nullptr;
};
