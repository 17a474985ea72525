#include "frame/StyleControls.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <qdrawutil.h>

namespace {
constexpr int kCells = 3;
constexpr int kCell = 20;

UINT CellTip(CStyleSelector::Kind kind, int cell) {
    static const UINT align[kCells] = {IDS_TS_ALIGN_LEFT, IDS_TS_ALIGN_CENTRE, IDS_TS_ALIGN_RIGHT};
    static const UINT rotate[kCells] = {IDS_TS_ROTATE_NONE, IDS_TS_ROTATE_CCW, IDS_TS_ROTATE_CW};
    return kind == CStyleSelector::Alignment ? align[cell] : rotate[cell];
}
} // namespace

CStyleSelector::CStyleSelector(Kind kind, QWidget* parent) : QWidget(parent), m_kind(kind) {
    setObjectName(kind == Alignment ? QStringLiteral("AlignmentSelector")
                                    : QStringLiteral("OrientationSelector"));
    // Like the bar's buttons, the selector leaves the keyboard with the page.
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CStyleSelector::SetValue(int value) {
    if (value < 0 || value >= kCells) value = 0;
    if (value == m_nValue) return;
    m_nValue = value;
    update();
}

QSize CStyleSelector::sizeHint() const {
    return QSize(kCells * kCell, kCell);
}

QRect CStyleSelector::CellRect(int cell) const {
    const int top = (height() - kCell) / 2;
    return QRect(cell * kCell, top, kCell, kCell);
}

int CStyleSelector::CellAt(const QPoint& pt) const {
    for (int i = 0; i < kCells; ++i)
        if (CellRect(i).contains(pt)) return i;
    return -1;
}

void CStyleSelector::paintEvent(QPaintEvent*) {
    DEF_TRY
    QPainter p(this);
    for (int i = 0; i < kCells; ++i) {
        const QRect rc = CellRect(i);
        const bool chosen = i == m_nValue;
        qDrawShadePanel(&p, rc, palette(), chosen, 1,
                        &palette().brush(chosen ? QPalette::Midlight : QPalette::Button));
        // The chosen cell's picture sinks with it by a pixel.
        DrawPicture(p, chosen ? rc.translated(1, 1) : rc, i);
    }
    DEF_CATCH
}

void CStyleSelector::DrawPicture(QPainter& p, const QRect& rc, int cell) const {
    p.save();
    const QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    if (m_kind == Alignment) {
        // Four lines of text, long and short, set against the side they align to.
        static const int widths[4] = {12, 8, 12, 6};
        const int box = 12, left = rc.left() + (rc.width() - box) / 2;
        for (int i = 0; i < 4; ++i) {
            const int w = widths[i];
            const int x = cell == 0 ? left : cell == 1 ? left + (box - w) / 2 : left + box - w;
            p.fillRect(QRect(x, rc.top() + 5 + i * 3, w, 1), ink);
        }
    } else {
        // The letters turned the way the text runs.
        QFont f = font();
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(ink);
        p.translate(QRectF(rc).center());
        p.rotate(cell == 1 ? -90 : cell == 2 ? 90 : 0);
        p.drawText(QRectF(-kCell / 2.0, -kCell / 2.0, kCell, kCell), Qt::AlignCenter,
                   QStringLiteral("ab"));
    }
    p.restore();
}

void CStyleSelector::mousePressEvent(QMouseEvent* event) {
    DEF_TRY
    if (event->button() != Qt::LeftButton) return;
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0 || cell == m_nValue) return;
    m_nValue = cell;
    repaint();
    Q_EMIT valueChosen(cell);
    DEF_CATCH
}

bool CStyleSelector::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int cell = CellAt(help->pos());
        if (cell >= 0)
            QToolTip::showText(help->globalPos(), LoadResString(CellTip(m_kind, cell)), this,
                               CellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

CSpinButtons::CSpinButtons(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PitchSpin"));
    setToolTip(LoadResString(IDS_TS_PITCH_SPIN));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const int direction : {1, -1}) {
        auto* b = new QToolButton(this);
        b->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(14, 11);
        b->setObjectName(direction > 0 ? QStringLiteral("PitchUp") : QStringLiteral("PitchDown"));
        connect(b, &QToolButton::clicked, this, [this, direction] { Q_EMIT stepped(direction); });
        layout->addWidget(b);
    }
}
