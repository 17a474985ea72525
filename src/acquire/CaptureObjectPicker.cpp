#include "acquire/CaptureObjectPicker.h"

#include "acquire/CaptureResource.h"
#include "acquire/X11Screen.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImagingTypes.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CCaptureObjectPicker::CCaptureObjectPicker(const QImage& frozen, const CaptureObjectOptions& options)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::Tool),
      m_frozen(frozen), m_options(options) {
    setObjectName(QStringLiteral("CaptureObjectPicker"));
    setWindowTitle(LoadResString(IDS_CAPTURE_OBJECT_HINT));
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setGeometry(0, 0, frozen.width(), frozen.height());
}

int CCaptureObjectPicker::Pick(const QImage& frozen, const CaptureObjectOptions& options, QRect& rect) {
    CCaptureObjectPicker picker(frozen, options);
    QEventLoop loop;
    picker.m_pLoop = &loop;
    picker.show();
    picker.activateWindow();
    picker.grabKeyboard();
    picker.grabMouse();
    if (CX11Screen* screen = CX11Screen::Get()) picker.Track(screen->PointerPos());
    loop.exec();
    picker.releaseMouse();
    picker.releaseKeyboard();
    picker.hide();
    if (picker.m_nResult != SUCCESS) return picker.m_nResult;
    rect = picker.m_object;
    return rect.isEmpty() ? ERROR_INV_PARAMETER : SUCCESS;
}

void CCaptureObjectPicker::Track(const QPoint& at) {
    CX11Screen* screen = CX11Screen::Get();
    QRect r;
    // The picture itself is passed over: what lies under it is what the user points at.
    const XWindowId w = screen ? screen->DeepestAt(at, XWindowId(winId())) : 0;
    if (!w || !screen->WindowRect(w, r)) r = rect();
    if (r != m_object) {
        m_object = r;
        update();
    }
}

void CCaptureObjectPicker::Finish(int result) {
    m_nResult = result;
    if (m_pLoop) m_pLoop->quit();
}

void CCaptureObjectPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_frozen);
    const COLORREF c = m_options.crHighlight;
    const int w = std::clamp(m_options.nWidth, 1, 20);
    p.setPen(QPen(QColor(GetRValue(c), GetGValue(c), GetBValue(c)), w, Qt::SolidLine,
                  Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_object.adjusted(w / 2, w / 2, -(w - 1) / 2 - 1, -(w - 1) / 2 - 1));
}

void CCaptureObjectPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Finish(ERROR_USER_ABORT);
        return;
    }
    Track(event->globalPosition().toPoint());
    Finish(SUCCESS);
}

void CCaptureObjectPicker::mouseMoveEvent(QMouseEvent* event) { Track(event->globalPosition().toPoint()); }

void CCaptureObjectPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) Finish(ERROR_USER_ABORT);
}
