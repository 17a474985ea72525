#include "objects/TranspBaseClass.h"

#include "platform/DC.h"
#include "platform/Guard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cmath>

namespace {
constexpr int HALF_HANDLE = HANDLE_SIZE / 2;
constexpr COLORREF MARK_COLOR = 0x808080;

// floor(v) held at the 32-bit limits.
LONG FloorCoord(double v) {
    v = std::floor(v);
    if (v >= -2147483648.0 && v <= 2147483647.0)
        return LONG(v);
    return v > 0 ? INT_MAX : v < 0 ? INT_MIN : 0;
}
} // namespace

CTranspBaseClass::CTranspBaseClass(IObjectHost* pView, int nPage) : m_pView(pView), m_nPage(nPage) {}

CTranspBaseClass::~CTranspBaseClass() = default;

void CTranspBaseClass::Serialize(CArchive& /*ar*/) {}

void CTranspBaseClass::DrawOnPDFPage(CDC* pDC) {
    DEF_TRY
    Draw(pDC, TRUE, nullptr);
    DEF_CATCH
}

void CTranspBaseClass::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    GetBoundsRect(pRect);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspBaseClass::Draw(CDC* /*pDC*/, BOOL /*bPrinting*/, const POINT* /*pDpi*/) {}

void CTranspBaseClass::StepUndo(int delta) {
    RECT rcOld;
    GetRepaintRect(&rcOld);
    m_nUndoPos += delta;
    SetUndoState(m_undoList[size_t(m_nUndoPos)].get());
    Repaint(&rcOld);
    // The document now differs from what may have been saved.
    SetModified();
}

void CTranspBaseClass::Undo() {
    DEF_TRY
    if (CanUndo())
        StepUndo(+1);
    DEF_CATCH
}

void CTranspBaseClass::Redo() {
    DEF_TRY
    if (CanRedo())
        StepUndo(-1);
    DEF_CATCH
}

BOOL CTranspBaseClass::CanUndo() const {
    const int count = int(m_undoList.size());
    return m_nUndoPos < count - 1 && count > 1;
}

BOOL CTranspBaseClass::CanRedo() const {
    return 0 < m_nUndoPos && m_nUndoPos < int(m_undoList.size());
}

BOOL CTranspBaseClass::IsEmpty() const { return FALSE; }

BOOL CTranspBaseClass::OnLButtonDown(UINT /*nFlags*/, POINT /*point*/) {
    DEF_TRY
    SavePosition();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspBaseClass::OnMouseMove(UINT /*nFlags*/, POINT point) {
    DEF_TRY
    if (!m_bTracking)
        return TRUE;
    // Dragged out of the window: the object goes back where it was and leaves as a copy.
    if (m_pView && !PtInRect(m_pView->GetClientRect(), point) && !m_pView->IsFormMode() &&
        !m_bCreating) {
        RestorePosition();
        BeginDrag();
        m_bTracking = FALSE;
        return FALSE;
    }
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspBaseClass::OnLButtonUp(UINT /*nFlags*/, POINT /*point*/) {}

void CTranspBaseClass::OnLButtonDblClk(UINT /*nFlags*/, POINT /*point*/) {}

void CTranspBaseClass::OnChar(UINT /*nChar*/, UINT /*nRepCnt*/, UINT /*nFlags*/) {}

DWORD CTranspBaseClass::OnDragOver(const QMimeData* /*pData*/, DWORD /*dwKeyState*/,
                                   POINT /*point*/) {
    return DROPEFFECT_NONE;
}

BOOL CTranspBaseClass::OnDrop(const QMimeData* /*pData*/, DWORD /*dropEffect*/, POINT /*point*/) {
    return FALSE;
}

void CTranspBaseClass::SetFocused(BOOL bFocused) {
    DEF_TRY
    if (bool(m_bFocused) != bool(bFocused)) {
        m_bFocused = bFocused;
        Repaint();
    }
    DEF_CATCH
}

void CTranspBaseClass::SetSelected(BOOL bSelected) {
    DEF_TRY
    if (bool(m_bSelected) != bool(bSelected)) {
        m_bSelected = bSelected;
        Repaint();
    }
    DEF_CATCH
}

void CTranspBaseClass::SetView(IObjectHost* pView) { m_pView = pView; }

int CTranspBaseClass::GetPageIndex() const { return m_nPage; }

BOOL CTranspBaseClass::PtInBox(POINT point) const {
    DEF_TRY
    RECT rc;
    GetBoundsRect(&rc);
    return PtInRect(rc, point);
    DEF_CATCH
    return FALSE;
}

BOOL CTranspBaseClass::CanCopy() const { return TRUE; }

std::unique_ptr<QMimeData> CTranspBaseClass::MakeMimeData() const {
    const QByteArray block = GetObData();
    if (block.isEmpty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(OBJECT_CLIPBOARD_MIME), block);
    return data;
}

void CTranspBaseClass::BeginDrag() {
    DEF_TRY
    if (!m_pView)
        return;
    if (std::unique_ptr<QMimeData> data = MakeMimeData())
        m_pView->DoDragDrop(std::move(data), DROPEFFECT_COPY);
    DEF_CATCH
}

void CTranspBaseClass::CopyToClipboard() {
    DEF_TRY
    if (CanCopy())
        CopyWholeToClipboard();
    DEF_CATCH
}

void CTranspBaseClass::CopyWholeToClipboard() const {
    DEF_TRY
    if (g_nObjectClipboardFormat == 0)
        return;
    // Without a windowed application there is no clipboard to open.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // One hand-over, so that every form of the object is on the clipboard together.
    if (std::unique_ptr<QMimeData> data = MakeMimeData())
        clipboard->setMimeData(data.release());
    DEF_CATCH
}

void CTranspBaseClass::SavePosition() {
    DEF_TRY
    RECT rc;
    GetBoundsRect(&rc);
    ClientToPage(rc);
    PageToUnit(rc);
    m_rcSaved = rc;
    m_bPositionSaved = TRUE;
    DEF_CATCH
}

void CTranspBaseClass::RestorePosition() {
    DEF_TRY
    if (!m_bPositionSaved)
        return;
    m_bPositionSaved = FALSE;
    RECT rc;
    GetBoundsRect(&rc);
    ClientToPage(rc);
    PageToUnit(rc);
    MoveBy(SubCoord(m_rcSaved.left, rc.left), SubCoord(m_rcSaved.top, rc.top));
    DEF_CATCH
}

void CTranspBaseClass::SetAnnotationMode(int /*nMode*/) {}

int CTranspBaseClass::GetAnnotationMode() const { return 0; }

void CTranspBaseClass::AddUndo() {
    DEF_TRY
    // The states undone so far cannot be redone after a new change.
    while (m_nUndoPos > 0 && !m_undoList.empty()) {
        m_undoList.erase(m_undoList.begin());
        --m_nUndoPos;
    }
    m_nUndoPos = 0;
    UndoState state = GetUndoState();
    if (!state)
        return; // a kind without snapshots has nothing to undo
    m_undoList.insert(m_undoList.begin(), std::move(state));
    while (m_undoList.size() > size_t(UNDO_DEPTH + 1))
        m_undoList.pop_back();
    DEF_CATCH
}

void CTranspBaseClass::SetUndoState(const void* /*pState*/) {}

UndoState CTranspBaseClass::GetUndoState() const { return nullptr; }

QByteArray CTranspBaseClass::GetObjectName() const { return m_strName; }

void CTranspBaseClass::SetObjectName(const char* pszName) {
    DEF_TRY
    m_strName = QByteArray(pszName ? pszName : "");
    DEF_CATCH
}

// Conversions. Each delegates to the view; without a view the value stays unchanged.
#define BRELLIN_DELEGATE(Name)                                                                     \
    void CTranspBaseClass::Name(POINT& pt) const {                                                 \
        if (m_pView)                                                                               \
            m_pView->Name(pt);                                                                     \
    }                                                                                              \
    void CTranspBaseClass::Name(RECT& rc) const {                                                  \
        if (m_pView)                                                                               \
            m_pView->Name(rc);                                                                     \
    }
BRELLIN_DELEGATE(UnitToPage)
BRELLIN_DELEGATE(PageToUnit)
BRELLIN_DELEGATE(PageToView)
BRELLIN_DELEGATE(ViewToPage)
BRELLIN_DELEGATE(PageToClient)
BRELLIN_DELEGATE(ClientToPage)
BRELLIN_DELEGATE(ViewToClient)
#undef BRELLIN_DELEGATE

int CTranspBaseClass::InchToUnit(double inches) {
    DEF_TRY
    return FloorCoord(inches / g_dUnitScale);
    DEF_CATCH
    return 0;
}

POINT CTranspBaseClass::GetOutputResolution(CDC* pDC, const POINT* pDpi) {
    DEF_TRY
    if (pDpi)
        return *pDpi;
    if (pDC)
        return POINT{pDC->GetDeviceCaps(LOGPIXELSX), pDC->GetDeviceCaps(LOGPIXELSY)};
    DEF_CATCH
    return POINT{96, 96};
}

void CTranspBaseClass::UnitToDevice(POINT& pt, CDC* pDC, BOOL bPrinting,
                                    const POINT* pDpi) const {
    DEF_TRY
    if (!bPrinting) {
        UnitToPage(pt);
        PageToView(pt);
        return;
    }
    const POINT res = GetOutputResolution(pDC, pDpi);
    pt.x = FloorCoord(pt.x * g_dUnitScale * res.x);
    pt.y = FloorCoord(pt.y * g_dUnitScale * res.y);
    DEF_CATCH
}

void CTranspBaseClass::UnitToDevice(RECT& rc, CDC* pDC, BOOL bPrinting, const POINT* pDpi) const {
    DEF_TRY
    POINT a{rc.left, rc.top};
    POINT b{rc.right, rc.bottom};
    UnitToDevice(a, pDC, bPrinting, pDpi);
    UnitToDevice(b, pDC, bPrinting, pDpi);
    rc = RECT{a.x, a.y, b.x, b.y};
    DEF_CATCH
}

void CTranspBaseClass::Repaint(const RECT* pExtra) {
    DEF_TRY
    if (!m_pView)
        return;
    RECT rc;
    GetRepaintRect(&rc);
    if (pExtra)
        rc = UnionRect(rc, *pExtra);
    if (!rc.IsRectEmpty())
        m_pView->InvalidateRect(rc);
    DEF_CATCH
}

void CTranspBaseClass::SetModified() {
    DEF_TRY
    if (m_pView)
        m_pView->SetModified();
    DEF_CATCH
}

void CTranspBaseClass::DrawScreen(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    // The state an object is first shown in is the oldest one undo can return to.
    if (m_bFirstDraw) {
        m_bFirstDraw = FALSE;
        AddUndo();
    }
    Draw(pDC, bPrinting, pDpi);
    DEF_CATCH
}

void CTranspBaseClass::MoveBy(POINT pt) {
    DEF_TRY
    MoveBy(pt.x, pt.y);
    DEF_CATCH
}

void CTranspBaseClass::AlignLeftTo(int x) {
    DEF_TRY
    RECT rc;
    GetAlignRect(&rc);
    MoveBy(SubCoord(x, rc.left), 0);
    DEF_CATCH
}

void CTranspBaseClass::AlignRightTo(int x) {
    DEF_TRY
    RECT rc;
    GetAlignRect(&rc);
    MoveBy(SubCoord(x, rc.right), 0);
    DEF_CATCH
}

void CTranspBaseClass::AlignTopTo(int y) {
    DEF_TRY
    RECT rc;
    GetAlignRect(&rc);
    MoveBy(0, SubCoord(y, rc.top));
    DEF_CATCH
}

void CTranspBaseClass::AlignBottomTo(int y) {
    DEF_TRY
    RECT rc;
    GetAlignRect(&rc);
    MoveBy(0, SubCoord(y, rc.bottom));
    DEF_CATCH
}

void CTranspBaseClass::SetTabOrder(int nTabOrder) { m_nTabOrder = nTabOrder; }

COLORREF CTranspBaseClass::GetOutlineColor(COLORREF crOwn) const {
    if (!m_bTabOrderDisplay)
        return crOwn;
    return m_bFocused ? m_crTabOrderFocused : m_crTabOrder;
}

void CTranspBaseClass::DrawMarks(CDC* pDC, const RECT& rc, BOOL bMidpoints) const {
    DEF_TRY
    if (m_bSelected)
        DrawSelectFrame(pDC, rc, bMidpoints);
    else if (m_bDisabled)
        DrawFreezeFrame(pDC, rc);
    else if (m_bFocused)
        DrawFocusFrame(pDC, rc, bMidpoints);
    DEF_CATCH
}

void CTranspBaseClass::DrawSelectSquare(CDC* pDC, int x, int y) {
    DEF_TRY
    const LOGBRUSH old = pDC->SelectBrush(LOGBRUSH{BS_SOLID, MARK_COLOR});
    pDC->PatBlt(x - HALF_HANDLE, y - HALF_HANDLE, HANDLE_SIZE, HANDLE_SIZE, PATINVERT);
    pDC->SelectBrush(old);
    DEF_CATCH
}

void CTranspBaseClass::DrawFocusSquare(CDC* pDC, int x, int y) {
    DEF_TRY
    pDC->PatBlt(x - HALF_HANDLE, y - HALF_HANDLE, HANDLE_SIZE, HANDLE_SIZE, DSTINVERT);
    DEF_CATCH
}

void CTranspBaseClass::DrawFreezeMark(CDC* pDC, int x, int y) {
    DEF_TRY
    const LOGPEN old = pDC->SelectPen(LOGPEN{PS_SOLID, 2, MARK_COLOR});
    pDC->MoveTo(x - HALF_HANDLE, y - HALF_HANDLE);
    pDC->LineTo(x + HALF_HANDLE, y + HALF_HANDLE);
    pDC->MoveTo(x - HALF_HANDLE, y + HALF_HANDLE);
    pDC->LineTo(x + HALF_HANDLE, y - HALF_HANDLE);
    pDC->SelectPen(old);
    DEF_CATCH
}

namespace {
// Calls mark(x, y) at the corners of the normalised rectangle and, when asked, at the midpoints
// of its sides; the right and bottom marks sit on the last pixel inside.
template <typename Mark>
void FrameMarks(RECT r, bool bMidpoints, Mark mark) {
    NormalizeRect(r);
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    mark(r.left, r.top);
    mark(right, r.top);
    mark(right, bottom);
    mark(r.left, bottom);
    if (bMidpoints) {
        const int cx = int((std::int64_t(r.left) + r.right) / 2);
        const int cy = int((std::int64_t(r.top) + r.bottom) / 2);
        mark(cx, r.top);
        mark(right, cy);
        mark(cx, bottom);
        mark(r.left, cy);
    }
}
} // namespace

void CTranspBaseClass::DrawSelectFrame(CDC* pDC, const RECT& rect, BOOL bMidpoints) {
    DEF_TRY
    FrameMarks(rect, bMidpoints, [pDC](int x, int y) { DrawSelectSquare(pDC, x, y); });
    DEF_CATCH
}

void CTranspBaseClass::DrawFocusFrame(CDC* pDC, const RECT& rect, BOOL bMidpoints) {
    DEF_TRY
    FrameMarks(rect, bMidpoints, [pDC](int x, int y) { DrawFocusSquare(pDC, x, y); });
    DEF_CATCH
}

void CTranspBaseClass::DrawFreezeFrame(CDC* pDC, const RECT& rect) {
    DEF_TRY
    FrameMarks(rect, false, [pDC](int x, int y) { DrawFreezeMark(pDC, x, y); });
    DEF_CATCH
}

BOOL CTranspBaseClass::IsSameHistoryState(const void* pA, const void* pB) const { return pA == pB; }

void CTranspBaseClass::ResetUndo() {
    DEF_TRY
    m_undoList.clear();
    m_nUndoPos = 0;
    if (UndoState state = GetUndoState()) m_undoList.push_back(std::move(state));
    DEF_CATCH
}
