#include "objects/TranspEllipse.h"

#include "objects/RecordFrame.h"
#include "objects/ShapeDraw.h"
#include "objects/ShapeRecord.h"
#include "platform/DC.h"
#include "platform/Guard.h"

CTranspEllipse::CTranspEllipse(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {}

CTranspEllipse::CTranspEllipse(IObjectHost* pView, const RECT& rect, COLORREF crColor,
                               int nLineWidth, int nPage)
    : CTranspGraphClass(pView, rect, crColor, nLineWidth, nPage) {}

std::unique_ptr<CTranspEllipse>
CTranspEllipse::FromBlock(IObjectHost* pView, const QByteArray& block, POINT pt, int nPage) {
    DEF_TRY
    auto ellipse = std::make_unique<CTranspEllipse>(pView, nPage);
    if (!ellipse->SetObData(block)) return nullptr;
    ellipse->PlaceAt(pt.x, pt.y);
    return ellipse;
    DEF_CATCH
    return nullptr;
}

void CTranspEllipse::Serialize(CArchive& ar) {
    DEF_TRY
    if (ar.IsStoring()) {
        StoreRectRecord(ar, GetRectShapeData(*this), RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE, true);
        return;
    }
    RECTSHAPEDATA data = GetRectShapeData(*this);
    LoadRectRecord(ar, data, RECORD_SIZE_SHAPE, true);
    SetRectShapeData(*this, data);
    DEF_CATCH_RECORD
}

void CTranspEllipse::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    RECT rc = m_rect;
    NormalizeRect(rc);
    UnitToDevice(rc, pDC, bPrinting, pDpi);
    NormalizeRect(rc);
    {
        CSaveDC saved(pDC);
        pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(*this, pDC, bPrinting, pDpi),
                              GetOutlineColor(m_crColor)});
        pDC->SelectBrush(LOGBRUSH{BS_HOLLOW, 0});
        pDC->Ellipse(rc);
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

QByteArray CTranspEllipse::GetObData() const {
    DEF_TRY
    return MakeRectBlock(GetRectShapeData(*this), ELLIPSE_BLOCK_SIZE, CLIPKIND_ELLIPSE, 1);
    DEF_CATCH
    return {};
}

BOOL CTranspEllipse::SetObData(const QByteArray& block) {
    DEF_TRY
    RECTSHAPEDATA data = GetRectShapeData(*this);
    OBJECTBLOCKHEAD head;
    if (!ReadRectBlock(block, {CLIPKIND_ELLIPSE}, ELLIPSE_BLOCK_SIZE, data, head)) return FALSE;
    g_dUnitScale = head.dUnitScale;
    SetRectShapeData(*this, data);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspEllipse::PlaceAt(int x, int y) {
    DEF_TRY
    NormalizeRect(m_rect);
    const POINT off = PlacementOffset(m_rect, x, y);
    OffsetRect(m_rect, off.x, off.y);
    DEF_CATCH
}
