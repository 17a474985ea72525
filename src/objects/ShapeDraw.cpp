#include "objects/ShapeDraw.h"

#include "objects/TranspGraphClass.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cmath>

namespace {
// Wider than any device a drawing goes to; a wider pen paints nothing more.
constexpr int MAX_PEN_WIDTH = 0x7FFF;

int FloorToInt(double v) {
    v = std::floor(v);
    if (v >= -2147483648.0 && v <= 2147483647.0) return int(v);
    return v > 0 ? INT_MAX : v < 0 ? INT_MIN : 0;
}

POINT ScreenLength(const CTranspBaseClass& obj, LONG v) {
    POINT pt{v, v};
    obj.UnitToPage(pt);
    obj.PageToView(pt);
    POINT origin{0, 0};
    obj.UnitToPage(origin);
    obj.PageToView(origin);
    return POINT{SubCoord(pt.x, origin.x), SubCoord(pt.y, origin.y)};
}
} // namespace

int UnitLengthToDeviceX(const CTranspBaseClass& obj, LONG v, CDC* pDC, BOOL bPrinting,
                        const POINT* pDpi) {
    DEF_TRY
    if (!bPrinting) return ScreenLength(obj, v).x;
    const POINT res = CTranspBaseClass::GetOutputResolution(pDC, pDpi);
    return FloorToInt(res.x * (v * g_dUnitScale));
    DEF_CATCH
    return 0;
}

int UnitLengthToDeviceY(const CTranspBaseClass& obj, LONG v, CDC* pDC, BOOL bPrinting,
                        const POINT* pDpi) {
    DEF_TRY
    if (!bPrinting) return ScreenLength(obj, v).y;
    const POINT res = CTranspBaseClass::GetOutputResolution(pDC, pDpi);
    return FloorToInt(res.y * (v * g_dUnitScale));
    DEF_CATCH
    return 0;
}

int PageLengthToView(const CTranspBaseClass& obj, LONG v) {
    DEF_TRY
    POINT pt{v, 0};
    obj.PageToView(pt);
    return pt.x;
    DEF_CATCH
    return 0;
}

int DevicePenWidth(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    const int width = bPrinting ? UnitLengthToDeviceX(obj, obj.m_nLineWidth, pDC, TRUE, pDpi)
                                : obj.GetPixelLineWidth();
    return std::clamp(width, 0, MAX_PEN_WIDTH);
    DEF_CATCH
    return 1;
}

RECT DeviceRect(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    RECT rc = obj.m_rect;
    NormalizeRect(rc);
    obj.UnitToDevice(rc, pDC, bPrinting, pDpi);
    NormalizeRect(rc);
    return rc;
    DEF_CATCH
    return RECT{};
}

void SelectOutlineTools(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi,
                        COLORREF color) {
    DEF_TRY
    pDC->SelectPen(LOGPEN{PS_SOLID, DevicePenWidth(obj, pDC, bPrinting, pDpi), color});
    pDC->SelectBrush(LOGBRUSH{BS_HOLLOW, 0});
    DEF_CATCH
}

void DrawHollowEllipse(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    const RECT rc = DeviceRect(obj, pDC, bPrinting, pDpi);
    {
        CSaveDC saved(pDC);
        SelectOutlineTools(obj, pDC, bPrinting, pDpi, obj.GetOutlineColor(obj.m_crColor));
        pDC->Ellipse(rc);
    }
    if (!bPrinting) obj.DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

CSaveDC::CSaveDC(CDC* pDC) : m_pDC(pDC) {
    DEF_TRY
    if (m_pDC) m_nSaved = m_pDC->SaveDC();
    DEF_CATCH
}

CSaveDC::~CSaveDC() {
    DEF_TRY
    if (m_pDC && m_nSaved != 0) m_pDC->RestoreDC(m_nSaved);
    DEF_CATCH
}
