#include "document/PdfFormBuilder.h"

#include "app/ProfileRecords.h"
#include "document/LumidorDoc.h"
#include "document/PdfSource.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspText.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/imaging/MyBitmap.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr double kUnitsPerInch = 100000.0;
// The size of a field that sizes its text automatically.
constexpr int kAutoFontSize = 10;
constexpr int kMaxFontSize = 200;
// A line of the program's fonts is about this much taller than the font size.
constexpr double kLineHeightFactor = 1.15;
// Names longer than this are cut before they are made unique.
constexpr int kMaxNameBytes = 120;

bool Finite(const QRectF& r) {
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

// The rectangle kept on its page: normalised, cut to 0..1; empty when nothing of it is there.
QRectF OnPage(const QRectF& r) {
    if (!Finite(r))
        return {};
    return r.normalized().intersected(QRectF(0, 0, 1, 1));
}

QString KindLabel(PdfFieldKind kind) {
    switch (kind) {
    case PdfFieldKind::PushButton: return QStringLiteral("button");
    case PdfFieldKind::Choice: return QStringLiteral("choice list");
    case PdfFieldKind::Signature: return QStringLiteral("signature");
    default: return QStringLiteral("field");
    }
}

bool NameTaken(const CLumidorDoc& doc, const QByteArray& name) {
    for (const auto& page : doc.m_PagesList)
        for (const auto& p : page->m_ObjectsList)
            if (p->GetObjectName() == name)
                return true;
    return false;
}

// The text in the code page of the style's font; a character the code page cannot hold
// becomes "?" rather than losing the rest.
QByteArray ToCodePage(const QString& text, UINT cp) {
    QByteArray out;
    if (UnicodeToCodePage(text, cp, out))
        return out;
    out.clear();
    for (const QChar c : text) {
        QByteArray one;
        out += UnicodeToCodePage(QString(c), cp, one) ? one : QByteArray("?");
    }
    return out;
}

// Text units of a place on a page, halves rounded up; kept within a range whose sums and
// differences still fit, whatever size a page claims.
LONG Units(double v) {
    return LONG(std::floor(std::clamp(v, 0.0, 1.0e9) + 0.5));
}

// Page pixels of a page image to text units.
struct PageScale {
    double sx = 0, sy = 0; // text units per 1.0 of the normalised page
    POINT origin{};        // where the image lies on the canvas
};

} // namespace

bool IsMappedFieldKind(PdfFieldKind kind) {
    return kind == PdfFieldKind::Text || kind == PdfFieldKind::CheckBox ||
           kind == PdfFieldKind::Radio;
}

double ChooseRenderDpi(const PdfPageRecord& page, int nDpi, bool* pLowered) {
    double dpi = std::clamp(nDpi, PDF_MIN_DPI, PDF_MAX_DPI);
    const double w = std::isfinite(page.dWidthPt) ? std::max(page.dWidthPt, 0.0) : 0.0;
    const double h = std::isfinite(page.dHeightPt) ? std::max(page.dHeightPt, 0.0) : 0.0;
    const double longest = std::max(w, h);
    bool lowered = false;
    if (longest > 0 && longest / 72.0 * dpi > PDF_MAX_PAGE_SIDE) {
        dpi = std::floor(PDF_MAX_PAGE_SIDE * 72.0 / longest);
        lowered = true;
    }
    const double area = w / 72.0 * h / 72.0;
    if (area > 0 && area * dpi * dpi > double(PDF_MAX_PAGE_PIXELS)) {
        dpi = std::floor(std::sqrt(double(PDF_MAX_PAGE_PIXELS) / area));
        lowered = true;
    }
    dpi = std::max(dpi, 1.0);
    if (pLowered)
        *pLowered = lowered;
    return dpi;
}

QByteArray PdfObjectName(const CLumidorDoc& doc, const QString& fieldName) {
    DEF_TRY
    QByteArray name;
    if (UnicodeToCodePage(fieldName, CP_ACP_DEFAULT, name) && !name.isEmpty() &&
        name.size() <= kMaxNameBytes && !NameTaken(doc, name))
        return name;
    // Derived: what the code page holds, control characters and the rest as "_", cut short,
    // then a number until no object bears it.
    QByteArray base;
    for (const QChar c : fieldName) {
        QByteArray one;
        if (c.unicode() >= 0x20 && UnicodeToCodePage(QString(c), CP_ACP_DEFAULT, one))
            base += one;
        else
            base += '_';
        if (base.size() >= kMaxNameBytes)
            break;
    }
    if (base.isEmpty())
        base = "Field";
    if (!NameTaken(doc, base))
        return base;
    for (int i = 2;; ++i) {
        const QByteArray candidate = base + '_' + QByteArray::number(i);
        if (!NameTaken(doc, candidate))
            return candidate;
    }
    DEF_CATCH
    return {};
}

bool BuildPdfDocument(CLumidorDoc& doc, std::vector<LMyBitmap>& images, const PdfImportPlan& plan,
                      CPdfSource& source, PdfBuildResult& result) {
    DEF_TRY
    if (images.empty() || images.size() != plan.pages.size() ||
        images.size() > std::size_t(PDF_MAX_PAGES))
        return false;
    for (const LMyBitmap& image : images)
        if (!image.IsAllocated() || image.GetXResolution() <= 0 || image.GetYResolution() <= 0)
            return false;

    // The pages.
    doc.m_PagesList.clear();
    std::vector<PageScale> scales;
    for (std::size_t i = 0; i < images.size(); ++i) {
        auto page = std::make_unique<_PAGEINFO>();
        page->m_Bitmap.TakePixels(images[i]);
        page->m_strPageName = doc.m_strNewPageName;
        page->m_bImageModified = TRUE;
        doc.m_PagesList.push_back(std::move(page));
    }
    images.clear();
    doc.m_nPageCount = LONG(doc.m_PagesList.size());
    for (int i = 0; i < doc.m_nPageCount; ++i) {
        doc.ApplyFrameRule(i);
        const LMyBitmap& b = doc.m_PagesList[std::size_t(i)]->m_Bitmap;
        PageScale s;
        s.sx = double(b.GetWidth()) / b.GetXResolution() * kUnitsPerInch;
        s.sy = double(b.GetHeight()) / b.GetYResolution() * kUnitsPerInch;
        s.origin = doc.m_PagesList[std::size_t(i)]->m_ptImagePos;
        scales.push_back(s);
    }

    // The fields, in the PDF's order.
    result.nDroppedFields += std::max(plan.nFieldsNotRead, 0);
    QSet<QString> skippedNames;
    std::map<std::pair<int, QString>, LONG> widgetCount; // widgets seen per page and field
    int nMade = 0;
    const TEXTSTYLE base = DefaultTextStyle();
    for (const PdfFieldRecord& f : plan.fields) {
        if (f.nPage < 0 || f.nPage >= doc.m_nPageCount) {
            ++result.nDroppedFields;
            continue;
        }
        const LONG nWidget = widgetCount[{f.nPage, f.strName}]++;
        if (!IsMappedFieldKind(f.kind)) {
            const QString label = QStringLiteral("%1 (%2)").arg(f.strName.left(200), KindLabel(f.kind));
            if (!skippedNames.contains(label) && result.skippedFields.size() < 50) {
                skippedNames.insert(label);
                result.skippedFields << label;
            }
            continue;
        }
        const QRectF r = OnPage(f.rect);
        if (r.isEmpty() || nMade >= PDF_MAX_FIELDS) {
            ++result.nDroppedFields;
            continue;
        }
        const PageScale& s = scales[std::size_t(f.nPage)];
        const LONG left = s.origin.x + Units(r.left() * s.sx);
        const LONG top = s.origin.y + Units(r.top() * s.sy);
        const LONG right = s.origin.x + Units(r.right() * s.sx);
        const LONG bottom = s.origin.y + Units(r.bottom() * s.sy);

        std::unique_ptr<CTranspBaseClass> object;
        CTranspText* text = nullptr;
        int nMaxLength = f.nMaxLength > 0 && f.nMaxLength <= PDF_MAX_TEXT_CHARS ? f.nMaxLength : 0;
        if (f.kind == PdfFieldKind::Text) {
            TEXTSTYLE style = base;
            const double size = std::isfinite(f.dFontSize) ? f.dFontSize : 0.0;
            style.nSize = size < 0.5 ? kAutoFontSize
                                     : int(std::floor(std::min(size, double(kMaxFontSize)) + 0.5));
            style.lf.lfHeight = -10 * style.nSize;
            style.nAlign = std::clamp(f.nAlign, 0, 2);
            if (f.bComb && nMaxLength > 0) {
                // A comb field: one character per cell, centred in it.
                style.bStepped = TRUE;
                style.nPitch = std::max<LONG>(1, (right - left) / nMaxLength);
                style.nAlign = 0;
            }
            const LONG lineHeight = LONG(style.nSize * kLineHeightFactor / 72.0 * kUnitsPerInch);
            // The first line sits in the middle of a one-line field, at the top of a taller one.
            LONG y = f.bMultiline ? top + lineHeight : top + (bottom - top + lineHeight) / 2;
            y = std::clamp(y, std::min(top + lineHeight, bottom), std::max(top + lineHeight, bottom));
            auto t = std::make_unique<CTranspText>(nullptr, int(left), int(y), &style, nullptr,
                                                   f.nPage, TRUE);
            QString value = f.strValue.left(nMaxLength > 0 ? nMaxLength : PDF_MAX_TEXT_CHARS);
            value.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            if (!f.bMultiline)
                value.replace(QLatin1Char('\n'), QLatin1Char(' '));
            value.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
            const QByteArray bytes = ToCodePage(value, t->GetCodePage());
            if (!bytes.isEmpty())
                t->SetText(bytes, FALSE);
            t->m_bFormField = TRUE;
            t->m_nMaxLength = nMaxLength;
            text = t.get();
            object = std::move(t);
        } else {
            const RECT rc{left, top, std::max(right, left + 1), std::max(bottom, top + 1)};
            auto mark = std::make_unique<CTranspCheckMark>(nullptr, rc, RGB(0, 0, 0), 0, f.nPage);
            mark->m_bChecked = f.bChecked ? TRUE : FALSE;
            object = std::move(mark);
            nMaxLength = 0;
        }
        const QByteArray name = PdfObjectName(doc, f.strName);
        object->SetObjectName(name.constData());
        PdfSourceField entry;
        entry.nPage = f.nPage;
        entry.strObjectName = name;
        entry.strFieldName = f.strName;
        entry.nKind = LONG(f.kind);
        entry.nWidget = nWidget;
        entry.nMaxLength = nMaxLength > 0 ? nMaxLength : -1;
        if (!doc.AddObjectToList(std::move(object)))
            continue;
        if (text)
            doc.AddFieldObjectToList(text);
        source.fields.push_back(std::move(entry));
        ++nMade;
    }
    return true;
    DEF_CATCH
    doc.DeleteContents();
    return false;
}
