#include "acquire/CaptureAreaPicker.h"

#include "acquire/CaptureResource.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImagingTypes.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CCaptureAreaPicker::CCaptureAreaPicker(const QImage& frozen)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::Tool),
      m_frozen(frozen) {
    setObjectName(QStringLiteral("CaptureAreaPicker"));
    setWindowTitle(LoadResString(IDS_CAPTURE_AREA_HINT));
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setGeometry(0, 0, frozen.width(), frozen.height());
}

int CCaptureAreaPicker::Pick(const QImage& frozen, QRect& rect) {
    CCaptureAreaPicker picker(frozen);
    QEventLoop loop;
    picker.m_pLoop = &loop;
    picker.show();
    picker.activateWindow();
    picker.grabKeyboard();
    picker.grabMouse();
    loop.exec();
    picker.releaseMouse();
    picker.releaseKeyboard();
    picker.hide();
    if (picker.m_nResult != SUCCESS) return picker.m_nResult;
    rect = picker.Band();
    return rect.width() > 0 && rect.height() > 0 ? SUCCESS : ERROR_INV_PARAMETER;
}

QRect CCaptureAreaPicker::Band() const {
    // The pixels between the two corners, the end corner excluded: a click without a drag is
    // an area of nothing.
    return QRect(QPoint(std::min(m_start.x(), m_end.x()), std::min(m_start.y(), m_end.y())),
                 QPoint(std::max(m_start.x(), m_end.x()) - 1, std::max(m_start.y(), m_end.y()) - 1));
}

void CCaptureAreaPicker::Finish(int result) {
    m_nResult = result;
    if (m_pLoop) m_pLoop->quit();
}

void CCaptureAreaPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_frozen);
    // Everything but the band is dimmed.
    p.fillRect(rect(), QColor(0, 0, 0, 60));
    const QString hint = LoadResString(IDS_CAPTURE_AREA_HINT);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 10, width() - 20, 30), Qt::AlignLeft | Qt::AlignTop, hint);
    if (!m_bDragging) return;
    const QRect band = Band();
    if (band.isValid()) p.drawImage(band.topLeft(), m_frozen.copy(band));
    p.setPen(QPen(Qt::red, 1, Qt::DashLine));
    p.drawRect(band);
    const QString size = QStringLiteral("%1 x %2").arg(std::max(0, band.width())).arg(std::max(0, band.height()));
    const QPoint at = m_end + QPoint(12, 20);
    p.fillRect(QRect(at - QPoint(2, 14), QSize(p.fontMetrics().horizontalAdvance(size) + 4, 18)),
               QColor(255, 255, 225));
    p.setPen(Qt::black);
    p.drawText(at, size);
}

void CCaptureAreaPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Finish(ERROR_USER_ABORT);
        return;
    }
    m_start = m_end = event->position().toPoint();
    m_bDragging = true;
    update();
}

void CCaptureAreaPicker::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bDragging) return;
    m_end = event->position().toPoint();
    update();
}

void CCaptureAreaPicker::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_bDragging || event->button() != Qt::LeftButton) return;
    m_end = event->position().toPoint();
    Finish(SUCCESS);
}

void CCaptureAreaPicker::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) Finish(ERROR_USER_ABORT);
}
