#include "frame/DrawingBarPanel.h"

#include "app/CalloutOptions.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectTypes.h"
#include "platform/DataPaths.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImagingTypes.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"
#include "view/ViewMarks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <qdrawutil.h>

namespace {
// The cells: 25 pixels square, rows from 5 pixels down, columns at 3, 28 and 53 pixels.
constexpr int kCell = 25;
constexpr int kTop = 5;
constexpr int kColumns[3] = {3, 28, 53};
constexpr int kCellRow[5] = {0, 1, 1, 1, 2};
constexpr int kCellColumn[5] = {1, 0, 1, 2, 1};
constexpr UINT kCellTips[5] = {IDS_PANEL_CELL_UP, IDS_PANEL_CELL_LEFT, IDS_PANEL_CELL_CENTRE,
                               IDS_PANEL_CELL_RIGHT, IDS_PANEL_CELL_DOWN};
} // namespace

// ---- CSelector --------------------------------------------------------------------------------

CSelector::CSelector(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CalloutOrientation"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(LoadResString(IDS_PANEL_ORIENTATION));
}

void CSelector::SetValue(int value) {
    if (value < 0 || value > 4 || value == m_nValue) return;
    m_nValue = value;
    update();
}

QSize CSelector::sizeHint() const {
    return {kColumns[2] + kCell + kTop, kTop + 3 * kCell + kTop};
}

QRect CSelector::CellRect(int cell) {
    if (cell < 0 || cell > 4) return {};
    return {kColumns[kCellColumn[cell]], kTop + kCellRow[cell] * kCell, kCell, kCell};
}

int CSelector::CellAt(const QPoint& pt) {
    for (int cell = 0; cell < 5; ++cell)
        if (CellRect(cell).contains(pt)) return cell;
    return -1;
}

int CSelector::CellTowards(int cell, int key) {
    // From the centre every arrow leads out; from an outer cell the arrow back leads home.
    switch (key) {
    case Qt::Key_Up:
        return cell == 2 ? 0 : cell == 4 ? 2 : cell;
    case Qt::Key_Down:
        return cell == 2 ? 4 : cell == 0 ? 2 : cell;
    case Qt::Key_Left:
        return cell == 2 ? 1 : cell == 3 ? 2 : cell;
    case Qt::Key_Right:
        return cell == 2 ? 3 : cell == 1 ? 2 : cell;
    default:
        return cell;
    }
}

void CSelector::Choose(int cell) {
    if (cell < 0 || cell > 4 || cell == m_nValue) return;
    const int old = m_nValue;
    m_nValue = cell;
    repaint(CellRect(old));
    repaint(CellRect(cell));
    Q_EMIT valueChosen(cell);
}

void CSelector::paintEvent(QPaintEvent*) {
    DEF_TRY
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    for (int cell = 0; cell < 5; ++cell) {
        const QRect rc = CellRect(cell);
        const bool chosen = cell == m_nValue;
        const QBrush face = palette().button();
        qDrawWinPanel(&p, rc, palette(), chosen, &face);
        DrawPicture(p, chosen ? rc.translated(1, 1) : rc, cell, palette().buttonText().color());
        if (chosen && hasFocus()) {
            p.setPen(QPen(palette().buttonText().color(), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rc.adjusted(3, 3, -4, -4));
        }
    }
    DEF_CATCH
}

void CSelector::DrawPicture(QPainter& p, const QRect& rc, int cell, const QColor& ink) {
    // A 16-pixel picture in the middle of the cell: an arrow pointing out of the cross, or the
    // four short arrows of "the side with the most room" in the centre.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(QRectF(rc).center());
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const auto arrow = [&p](qreal angle, qreal length, qreal head) {
        p.save();
        p.rotate(angle);
        QPainterPath path;
        path.moveTo(0, -length);
        path.lineTo(head, -length + head);
        path.lineTo(head / 2.5, -length + head);
        path.lineTo(head / 2.5, 0);
        path.lineTo(-head / 2.5, 0);
        path.lineTo(-head / 2.5, -length + head);
        path.lineTo(-head, -length + head);
        path.closeSubpath();
        p.drawPath(path);
        p.restore();
    };
    // Rotation of each cell's arrow, clockwise from up.
    constexpr qreal kAngles[5] = {0, 270, 0, 90, 180};
    if (cell == 2) {
        for (qreal angle : {0, 90, 180, 270})
            arrow(angle, 8, 3.5);
        p.setBrush(QColor(0xC0, 0x20, 0x20));
        p.drawEllipse(QPointF(0, 0), 2.5, 2.5);
    } else {
        p.rotate(kAngles[cell]);
        p.translate(0, 8);
        arrow(0, 16, 6);
    }
    p.restore();
}

void CSelector::mousePressEvent(QMouseEvent* event) {
    DEF_TRY
    if (event->button() == Qt::LeftButton) Choose(CellAt(event->position().toPoint()));
    QWidget::mousePressEvent(event);
    DEF_CATCH
}

void CSelector::keyPressEvent(QKeyEvent* event) {
    DEF_TRY
    const int cell = CellTowards(m_nValue, event->key());
    if (cell != m_nValue) {
        Choose(cell);
        return;
    }
    QWidget::keyPressEvent(event);
    DEF_CATCH
}

bool CSelector::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int cell = CellAt(help->pos());
        if (cell >= 0)
            QToolTip::showText(help->globalPos(),
                               LoadResString(kCellTips[cell]) + QLatin1Char('\n') +
                                   LoadResString(IDS_PANEL_ORIENTATION_TIP),
                               this, CellRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// ---- CDrawingBarPanel -------------------------------------------------------------------------

namespace {
// A label that toggles the check box it stands beside when clicked, so that a long caption can
// wrap in the narrow panel and still be clicked as the box's own text.
class CBoxCaption : public QLabel {
public:
    CBoxCaption(const QString& text, QCheckBox* box) : QLabel(text), m_pBox(box) {
        setWordWrap(true);
        setBuddy(box);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_pBox->click();
        QLabel::mouseReleaseEvent(event);
    }

private:
    QCheckBox* m_pBox;
};
} // namespace

CDrawingBarPanel::CDrawingBarPanel(QWidget* parent)
    : QDockWidget(LoadResString(IDS_PANEL_TITLE), parent) {
    setObjectName(QStringLiteral("DrawingBarPanel"));
    // Its visibility is the tool's, not the user's.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::RightDockWidgetArea);

    auto* contents = new QWidget;
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(4, 4, 4, 4);
    m_pAnnotation = new QWidget;
    m_pAnnotation->setObjectName(QStringLiteral("AnnotationOptions"));
    auto* annotation = new QVBoxLayout(m_pAnnotation);
    annotation->setContentsMargins(0, 0, 0, 0);

    m_pSelector = new CSelector;
    m_pSelector->SetValue(GetCalloutOrientation());
    auto* direction = new QLabel(LoadResString(IDS_PANEL_ORIENTATION));
    direction->setWordWrap(true);
    direction->setToolTip(LoadResString(IDS_PANEL_ORIENTATION_TIP));
    annotation->addWidget(direction);
    annotation->addWidget(m_pSelector, 0, Qt::AlignHCenter);
    connect(m_pSelector, &CSelector::valueChosen, this,
            [](int value) { SetCalloutOrientation(value); });

    m_pNear = new QCheckBox;
    m_pNear->setObjectName(QStringLiteral("CalloutNear"));
    const QString nearText = LoadResString(IDS_PANEL_NEAR);
    m_pNear->setAccessibleName(nearText);
    m_pNear->setToolTip(LoadResString(IDS_PANEL_NEAR_TIP));
    m_pNear->setChecked(GetCalloutNear());
    connect(m_pNear, &QCheckBox::toggled, this, [](bool on) { SetCalloutNear(on); });
    auto* nearRow = new QHBoxLayout;
    nearRow->addWidget(m_pNear, 0, Qt::AlignTop);
    auto* caption = new CBoxCaption(nearText, m_pNear);
    caption->setToolTip(m_pNear->toolTip());
    nearRow->addWidget(caption, 1);
    annotation->addSpacing(4);
    annotation->addLayout(nearRow);

    layout->addWidget(m_pAnnotation);

    m_pFormat = new QWidget;
    m_pFormat->setObjectName(QStringLiteral("ImageFormatOptions"));
    auto* format = new QVBoxLayout(m_pFormat);
    format->setContentsMargins(0, 0, 0, 0);
    const auto labelled = [](UINT textId, QWidget* control, QWidget* row) {
        auto* rowLayout = new QVBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(LoadResString(textId));
        label->setWordWrap(true);
        label->setBuddy(control);
        rowLayout->addWidget(label);
        rowLayout->addWidget(control);
    };
    m_pFormats = new QComboBox;
    m_pFormats->setObjectName(QStringLiteral("ImageFormat"));
    for (const char* name : {"TIFF", "Bitmap", "PCX", "JPEG", "PNG", "EMF"})
        m_pFormats->addItem(QString::fromLatin1(name));
    auto* formatRow = new QWidget;
    labelled(IDS_PANEL_FORMAT, m_pFormats, formatRow);
    format->addWidget(formatRow);
    m_pQuality = new QComboBox;
    m_pQuality->setObjectName(QStringLiteral("JpegQuality"));
    // The JPEG options' levels, 0 the best picture to 9 the smallest file.
    for (int level = 0; level <= 9; ++level) m_pQuality->addItem(QString::number(level));
    m_pQuality->setToolTip(LoadResString(IDS_JPEG_BEST) + QStringLiteral(" - ") +
                           LoadResString(IDS_JPEG_SMALLEST));
    m_pQualityRow = new QWidget;
    labelled(IDS_PANEL_QUALITY, m_pQuality, m_pQualityRow);
    format->addWidget(m_pQualityRow);
    m_pTiff = new QComboBox;
    m_pTiff->setObjectName(QStringLiteral("TiffCompression"));
    for (const UINT id : {IDS_TIFF_NONE, IDS_TIFF_PACKBITS, IDS_TIFF_FAX})
        m_pTiff->addItem(LoadResString(id).remove(QLatin1Char('&')));
    m_pTiffRow = new QWidget;
    labelled(IDS_PANEL_COMPRESSION, m_pTiff, m_pTiffRow);
    format->addWidget(m_pTiffRow);
    auto* sizeCaption = new QLabel(LoadResString(IDS_PANEL_SIZE));
    sizeCaption->setToolTip(LoadResString(IDS_PANEL_SIZE_TIP));
    format->addWidget(sizeCaption);
    m_pSize = new QLabel;
    m_pSize->setObjectName(QStringLiteral("ImageSize"));
    m_pSize->setToolTip(sizeCaption->toolTip());
    format->addWidget(m_pSize);
    layout->addWidget(m_pFormat);
    m_pFormat->hide();
    {
        const FrameOptions o = LoadFrameOptions();
        m_pFormats->setCurrentIndex(std::clamp(int(o[OPT_IMAGES_FORMAT]), 0, 5));
        m_pQuality->setCurrentIndex(std::clamp(int(o[OPT_JPEG_LEVEL]), 0, 9));
        m_pTiff->setCurrentIndex(std::clamp(int(o[OPT_TIFF_COMPRESSION]), 0, 2));
    }
    connect(m_pFormats, &QComboBox::activated, this, &CDrawingBarPanel::OnSelchangeFormats);
    connect(m_pQuality, &QComboBox::activated, this, &CDrawingBarPanel::OnSelchangeQuality);
    connect(m_pTiff, &QComboBox::activated, this, &CDrawingBarPanel::OnSelchangeTiff);
    // Writing a page takes a moment: while the user is still drawing the cut rectangle or
    // changing the page the estimate waits.
    m_pSizeTimer = new QTimer(this);
    m_pSizeTimer->setSingleShot(true);
    m_pSizeTimer->setInterval(300);
    connect(m_pSizeTimer, &QTimer::timeout, this, &CDrawingBarPanel::GetFileSize);
    layout->addStretch(1);
    // As narrow as the selector allows, so that the page keeps the room.
    const int width = m_pSelector->sizeHint().width() + 2 * 12;
    contents->setFixedWidth(width);
    setWidget(contents);
    hide();
}

void CDrawingBarPanel::SetBar(QToolBar* bar) {
    if (m_pBar) disconnect(m_pBar, nullptr, this, nullptr);
    m_pBar = bar;
    if (bar) connect(bar, &QToolBar::visibilityChanged, this, [this] { UpdateVisibility(); });
    UpdateVisibility();
}

void CDrawingBarPanel::SetSelector(int kind) {
    DEF_TRY
    m_nKind = kind;
    m_pAnnotation->setVisible(kind == 1);
    m_pFormat->setVisible(kind == 2);
    UpdateVisibility();
    if (kind == 2) {
        UpdateFormatBoxes();
        GetFileSize();
    } else {
        m_pSizeTimer->stop();
    }
    DEF_CATCH
}

void CDrawingBarPanel::SetHost(Host host) {
    m_host = std::move(host);
    if (m_host.options) {
        const FrameOptions o = m_host.options();
        m_pFormats->setCurrentIndex(std::clamp(int(o[OPT_IMAGES_FORMAT]), 0, 5));
        m_pQuality->setCurrentIndex(std::clamp(int(o[OPT_JPEG_LEVEL]), 0, 9));
        m_pTiff->setCurrentIndex(std::clamp(int(o[OPT_TIFF_COMPRESSION]), 0, 2));
    }
}

void CDrawingBarPanel::UpdateFormatBoxes() {
    m_pQualityRow->setVisible(m_pFormats->currentIndex() == 3);
    m_pTiffRow->setVisible(m_pFormats->currentIndex() == 0);
}

void CDrawingBarPanel::SetOption(int field, int value) {
    FrameOptions o = m_host.options ? m_host.options() : LoadFrameOptions();
    o[field] = value;
    if (m_host.setOptions) m_host.setOptions(o);
    else SaveFrameOptions(o);
}

void CDrawingBarPanel::OnSelchangeFormats(int index) {
    DEF_TRY
    SetOption(OPT_IMAGES_FORMAT, index);
    UpdateFormatBoxes();
    GetFileSize();
    DEF_CATCH
}

void CDrawingBarPanel::OnSelchangeQuality(int index) {
    DEF_TRY
    SetOption(OPT_JPEG_LEVEL, index);
    GetFileSize();
    DEF_CATCH
}

void CDrawingBarPanel::OnSelchangeTiff(int index) {
    DEF_TRY
    SetOption(OPT_TIFF_COMPRESSION, index);
    GetFileSize();
    DEF_CATCH
}

QString CDrawingBarPanel::SizeKey() const {
    CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr;
    CLumidorDoc* doc = view ? view->GetDocument() : nullptr;
    if (!doc) return QStringLiteral("none");
    const int mode = m_host.programMode ? m_host.programMode() : 0;
    const RECT cut = view->GetMarks().GetCutRect();
    return QStringLiteral("%1/%2/%3/%4/%5,%6,%7,%8/%9,%10,%11")
        .arg(quintptr(view))
        .arg(doc->GetChangeCount())
        .arg(view->GetActivePage())
        .arg(mode)
        .arg(cut.left).arg(cut.top).arg(cut.right).arg(cut.bottom)
        .arg(m_pFormats->currentIndex())
        .arg(m_pQuality->currentIndex())
        .arg(m_pTiff->currentIndex());
}

void CDrawingBarPanel::CheckFileSize() {
    DEF_TRY
    if (m_nKind != 2) return;
    if (SizeKey() != m_strSizeKey) m_pSizeTimer->start();
    DEF_CATCH
}

void CDrawingBarPanel::GetFileSize() {
    DEF_TRY
    m_pSizeTimer->stop();
    m_strSizeKey = SizeKey();
    QString text;
    CLumidorView* view = m_host.activeView ? m_host.activeView() : nullptr;
    CLumidorDoc* doc = view ? view->GetDocument() : nullptr;
    const int mode = m_host.programMode ? m_host.programMode() : 0;
    if (doc && (mode == MODE_DRAG_SCREENSHOT || mode == MODE_CUT)) {
        const QString path = SizeScratchPath(m_pFormats->currentIndex());
        // A write that fails must not leave the size of an earlier one.
        QFile::remove(path);
        const int page = view->GetActivePage();
        bool written = false;
        if (mode == MODE_DRAG_SCREENSHOT) {
            const bool emf = ExtractFileExt(path).toLower() == QStringLiteral("emf");
            written = (emf ? WriteCurrentPageToEmf(*doc, page, path)
                           : WriteCurrentPageToBitmap(*doc, page, path)) == SUCCESS;
        } else {
            RECT cut = view->GetMarks().GetCutRect();
            if (!cut.IsRectEmpty())
                written = WriteCuttedPageToBitmap(*doc, page, path, cut) == SUCCESS;
        }
        const QFileInfo info(path);
        if (written && info.exists()) text = FormatFileSizeKB(info.size());
    }
    m_pSize->setText(text);
    DEF_CATCH
}

QString CDrawingBarPanel::GetSizeText() const { return m_pSize->text(); }
int CDrawingBarPanel::GetFormat() const { return m_pFormats->currentIndex(); }
bool CDrawingBarPanel::IsQualityShown() const { return m_pFormat->isVisibleTo(this) && !m_pQualityRow->isHidden(); }
bool CDrawingBarPanel::IsCompressionShown() const { return m_pFormat->isVisibleTo(this) && !m_pTiffRow->isHidden(); }

QString FormatFileSizeKB(qint64 bytes) {
    return QString::asprintf("%.1f KB", double(bytes) / 1024.0);
}

QString SizeScratchPath(int nFormat) {
    return SelectGraphExt(GetTempDirPath() + QStringLiteral("size01234567890123456789.png"),
                          nFormat + 1);
}

void CDrawingBarPanel::UpdateVisibility() {
    // A bar hidden together with its window counts as shown; only one the user hid counts.
    const bool barShown = !m_pBar || !m_pBar->isHidden();
    setVisible((m_nKind == 1 || m_nKind == 2) && barShown);
}
