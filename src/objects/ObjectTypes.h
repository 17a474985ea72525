#pragma once
// What all annotation objects share besides their base classes: the kind codes of stored records,
// the hit codes, the mouse and drop flags of the input protocol, the object clipboard format, the
// program-wide unit scale, and the rectangle arithmetic of GDI.

#include "platform/WinTypes.h"

#include <QString>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

// Kind code the document writes in front of each object record and picks the class by on loading.
enum : LONG {
    KIND_TEXT = 1,
    KIND_CHECKMARK = 2,
    KIND_RECTANGLE = 3,
    KIND_ELLIPSE = 4,
    KIND_LINE = 5,
    KIND_FREEHAND = 6,
    KIND_IMAGE = 9,
    KIND_CIRCLE = 10,
    KIND_ARROW = 16,
    KIND_SIZEARROW = 17,
    KIND_BRACE = 18,
};

// Size (S) and version of each kind's fixed record structure.
enum : LONG {
    RECORD_SIZE_TEXT = 152, RECORD_VERSION_TEXT = 2,
    RECORD_SIZE_CHECKMARK = 64, RECORD_VERSION_CHECKMARK = 2,
    RECORD_SIZE_SIZEARROW = 64, RECORD_VERSION_SIZEARROW = 1,
    RECORD_SIZE_BRACE = 64, RECORD_VERSION_BRACE = 1,
    RECORD_SIZE_SHAPE = 56, RECORD_VERSION_SHAPE = 1, // line, arrow, rectangle, ellipse, circle
    RECORD_SIZE_IMAGE = 56, RECORD_VERSION_IMAGE = 2,
    RECORD_SIZE_FREEHAND = 48, RECORD_VERSION_FREEHAND = 1,
};

// Hit codes of a client point on a graphic object, in the order they are tested: corners, edges,
// body.
enum : int {
    HIT_NONE = 0,
    HIT_BODY = 1,
    HIT_LEFT = 2,
    HIT_TOP = 3,
    HIT_RIGHT = 4,
    HIT_BOTTOM = 5,
    HIT_TOPLEFT = 6,
    HIT_TOPRIGHT = 7,
    HIT_BOTTOMRIGHT = 8,
    HIT_BOTTOMLEFT = 9,
};

// Side of the square selection, focus and cross marks, in pixels.
constexpr int HANDLE_SIZE = 7;
// Undo steps an object keeps besides its current state.
constexpr int UNDO_DEPTH = 10;

// Key and button state passed with mouse messages.
enum : UINT {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// Effects of a drag-and-drop.
enum : DWORD {
    DROPEFFECT_NONE = 0,
    DROPEFFECT_COPY = 1,
    DROPEFFECT_MOVE = 2,
};

// The program modes of the main frame: what the mouse does in a view. Objects care about
// MODE_FORM (forms are filled in: objects can then not be moved, resized or dragged out); the
// view about the others. 15, 18 and 31 are not used.
enum : int {
    MODE_TEXT = 1,
    MODE_CHECKMARK = 2,
    MODE_ZOOM_IN = 3,
    MODE_ZOOM_OUT = 4,
    MODE_CROP = 5,
    MODE_REFPOINTS = 6,
    MODE_BASEPOINT = 7,
    MODE_RECTANGLE = 8,
    MODE_CIRCLE = 9,
    MODE_ELLIPSE = 10,
    MODE_POLYGON = 11,
    MODE_LINE = 12,
    MODE_FREEHAND = 13,
    MODE_SELECT = 14,
    MODE_ERASER = 16,
    MODE_UNERASER = 17,
    MODE_PAW = 19,
    MODE_DRAG_SCREENSHOT = 20,
    MODE_TEXT_UNDERLINE = 21,
    MODE_CUT = 22,
    MODE_ARROW = 23,
    MODE_SIZE_ARROW_HOR = 24,
    MODE_SIZE_ARROW_VER = 25,
    MODE_BRACKET = 26,
    MODE_TEXT_FIELD = 27,
    MODE_COLCORRECTION_WHITE = 28,
    MODE_COLCORRECTION_BLACK = 29,
    MODE_PASTE = 30,
    MODE_TAB_ORDER = 32,
    MODE_FORM = 33,
};

// The object clipboard formats, registered by name at start-up. Objects travel in the first;
// the second is registered only. On X11 a format is carried under its name as the MIME type (the
// selection target), so two running copies exchange blocks under the name itself.
constexpr char OBJECT_CLIPBOARD_FORMAT_NAME[] = "Corvane Applications Transparent Objects";
constexpr char OBJECT_CLIPBOARD_FORMAT2_NAME[] = "Corvane Applications Transparent Objects Fmt 2";
constexpr char OBJECT_CLIPBOARD_MIME[] = "Corvane Applications Transparent Objects";
constexpr char OBJECT_CLIPBOARD_MIME2[] = "Corvane Applications Transparent Objects Fmt 2";
// The MIME type of a registered clipboard format name.
QString ClipboardFormatMimeType(const char* formatName);

// Program-wide values written by the view and by the loading of records; user-interface thread
// only. The unit scale is the inch size of one text unit (0.00001 at start); a clipboard format
// identifier of 0 means the format is not registered.
extern double g_dUnitScale;
extern UINT g_nObjectClipboardFormat;
extern UINT g_nObjectClipboardFormat2;
// Registers both object clipboard formats and sets their identifiers.
void RegisterObjectClipboardFormats();

// Integer arithmetic on coordinates that holds results at the 32-bit limits instead of
// overflowing (coordinates of loaded records are not trusted to be small).
inline LONG AddCoord(LONG a, LONG b) {
    return ClampCoord(std::int64_t(a) + b);
}
inline LONG SubCoord(LONG a, LONG b) {
    return ClampCoord(std::int64_t(a) - b);
}

// GDI rectangle rules: right and bottom are outside the rectangle; an empty rectangle takes no
// part in a union.
inline void NormalizeRect(RECT& r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
}
inline bool PtInRect(const RECT& r, POINT pt) {
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}
inline void InflateRect(RECT& r, LONG dx, LONG dy) {
    r.left = SubCoord(r.left, dx);
    r.top = SubCoord(r.top, dy);
    r.right = AddCoord(r.right, dx);
    r.bottom = AddCoord(r.bottom, dy);
}
inline void OffsetRect(RECT& r, LONG dx, LONG dy) {
    r.left = AddCoord(r.left, dx);
    r.top = AddCoord(r.top, dy);
    r.right = AddCoord(r.right, dx);
    r.bottom = AddCoord(r.bottom, dy);
}
inline RECT UnionRect(const RECT& a, const RECT& b) {
    if (a.IsRectEmpty())
        return b.IsRectEmpty() ? RECT{} : b;
    if (b.IsRectEmpty())
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}
inline bool IntersectRect(RECT& dst, const RECT& a, const RECT& b) {
    dst = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
    if (dst.IsRectEmpty()) {
        dst = RECT{};
        return false;
    }
    return true;
}
