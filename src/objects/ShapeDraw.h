#pragma once
// Drawing helpers the graphic kinds share: lengths in text units measured on the drawing's
// device, the pen width of a drawing, and the saving of a device context around a drawing.

#include "platform/WinTypes.h"

class CDC;
class CTranspBaseClass;
class CTranspGraphClass;

// A length in text units on the drawing's device: on screen the x (or y) of (v, v) converted
// unit -> page -> view, less the converted origin; when printing floor(v × unit scale ×
// resolution), the resolution being the device's or *pDpi when given.
int UnitLengthToDeviceX(const CTranspBaseClass& obj, LONG v, CDC* pDC, BOOL bPrinting,
                        const POINT* pDpi);
int UnitLengthToDeviceY(const CTranspBaseClass& obj, LONG v, CDC* pDC, BOOL bPrinting,
                        const POINT* pDpi);
// A length in page pixels in view pixels (the x of (v, 0) page -> view); screen-sized details
// such as rounded corners keep this size also when printing.
int PageLengthToView(const CTranspBaseClass& obj, LONG v);
// The pen width of a drawing: the pixel line width on screen, floor(resolutionX × inches(width))
// when printing; held to what a device can draw.
int DevicePenWidth(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi);
// The object's rectangle on the drawing's device, normalised before and after the conversion.
RECT DeviceRect(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi);
// Selects the tools of an unfilled outline: a solid pen of the drawing's width in `color` and a
// hollow brush.
void SelectOutlineTools(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi,
                        COLORREF color);
// The drawing of the ellipse and the circle: an unfilled ellipse in the object's rectangle in its
// outline colour, and on screen its marks.
void DrawHollowEllipse(const CTranspGraphClass& obj, CDC* pDC, BOOL bPrinting, const POINT* pDpi);

// Saves the device context for the time of a drawing and restores it afterwards, also when the
// drawing ends early.
class CSaveDC {
public:
    explicit CSaveDC(CDC* pDC);
    ~CSaveDC();
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    CDC* m_pDC;
    int m_nSaved = 0;
};
