#pragma once
// What a PDF file yields for a document, as plain values: the pages' sizes and the form fields
// with their widgets. The PDF library fills these in (document/PdfReader.h); the builder
// (document/PdfFormBuilder.h) turns them into pages and objects without ever seeing the library,
// so that everything a hostile file can steer is judged here and in the builder alone.

#include <QString>
#include <QRectF>
#include <cstdint>
#include <vector>

// Limits on what one PDF file may ask for. A file above the page limit is refused whole; fields
// beyond the field limit are left in the page image and said so.
constexpr int PDF_MAX_PAGES = 2000;
constexpr int PDF_MAX_FIELDS = 5000;
// A text longer than this is cut; a maximum length above it counts as none.
constexpr int PDF_MAX_TEXT_CHARS = 32000;
// The resolutions a user may choose for the page images.
constexpr int PDF_MIN_DPI = 36;
constexpr int PDF_MAX_DPI = 1200;
constexpr int PDF_DEFAULT_DPI = 200;
// The most pixels one page is drawn with; a larger page is drawn at a lower resolution. Four bytes
// a pixel while it is drawn: 256 MiB at most per page being drawn.
constexpr std::int64_t PDF_MAX_PAGE_PIXELS = 64LL * 1024 * 1024;
// The longest side of a page image (the imaging layer's limit).
constexpr int PDF_MAX_PAGE_SIDE = 65500;

enum class PdfFieldKind : int {
    Text = 0,
    CheckBox = 1,
    Radio = 2,
    // Kept in the page image only.
    PushButton = 3,
    Choice = 4,
    Signature = 5,
};

// One widget of a form field on a page, in the order the page lists its widgets.
struct PdfFieldRecord {
    PdfFieldKind kind = PdfFieldKind::Text;
    int nPage = 0;
    QString strName;        // the fully qualified field name
    QRectF rect;            // the widget's rectangle, 0..1 of the displayed page (top-left origin)
    double dFontSize = 0;   // points; 0: sized automatically
    int nAlign = 0;         // 0 left, 1 centre, 2 right
    bool bComb = false;
    bool bMultiline = false;
    bool bReadOnly = false;
    int nMaxLength = -1;    // -1: none
    QString strValue;       // text fields
    bool bChecked = false;  // check boxes and radio buttons
};

// One page as the PDF shows it (its rotation applied).
struct PdfPageRecord {
    double dWidthPt = 0;
    double dHeightPt = 0;
};

struct PdfImportPlan {
    std::vector<PdfPageRecord> pages;
    std::vector<PdfFieldRecord> fields;
    // Widgets the reader did not even record, there being far too many.
    int nFieldsNotRead = 0;
};

// A field kind that becomes an object (text, check box, radio button).
bool IsMappedFieldKind(PdfFieldKind kind);

// The resolution a page is drawn at: the one asked for, lowered where the page would otherwise
// exceed PDF_MAX_PAGE_SIDE or PDF_MAX_PAGE_PIXELS; at least 1. *pLowered tells whether it was.
double ChooseRenderDpi(const PdfPageRecord& page, int nDpi, bool* pLowered = nullptr);
