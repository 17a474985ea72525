#include "objects/TranspText.h"

#include "app/MultiByte.h"
#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/RecordIO.h"
#include "platform/ScreenDpi.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPalette>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {
const QByteArray kPlaceholder(1, TEXT_PLACEHOLDER);
const QByteArray kLineBreak("\r\n");
// Text taken from the clipboard or a drop is refused beyond this many characters: a text field is
// laid out whole on every repaint.
constexpr qsizetype MAX_INSERT_CHARS = 1 << 20;

bool HaveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

LONG FloorCoord(double v) {
    v = std::floor(v);
    if (v >= -2147483648.0 && v <= 2147483647.0) return LONG(v);
    return v > 0 ? INT_MAX : v < 0 ? INT_MIN : 0;
}

COLORREF ToColorRef(const QColor& c) {
    return RGB(BYTE(c.red()), BYTE(c.green()), BYTE(c.blue()));
}

// The system highlight colours of selected text.
void HighlightColors(COLORREF& crText, COLORREF& crBack) {
    crText = RGB(255, 255, 255);
    crBack = RGB(0, 120, 215);
    if (!HaveGui()) return;
    const QPalette palette = QGuiApplication::palette();
    crText = ToColorRef(palette.color(QPalette::Active, QPalette::HighlightedText));
    crBack = ToColorRef(palette.color(QPalette::Active, QPalette::Highlight));
}

// A drawing to measure text on when the object has no drawing of its own at hand (bounds, hit
// tests): screen fonts are asked for in pixels, so any raster device measures them alike.
class CMeasureDC {
public:
    explicit CMeasureDC(const LOGFONTA& font) : m_image(1, 1, QImage::Format_ARGB32_Premultiplied) {
        if (HaveGui()) {
            m_dc = std::make_unique<CDC>(&m_image);
            m_dc->SelectFont(font);
        }
    }
    CDC* dc() const { return m_dc && m_dc->IsValid() ? m_dc.get() : nullptr; }

private:
    QImage m_image;
    std::unique_ptr<CDC> m_dc;
};

QList<QByteArray> SplitLines(const QByteArray& text) {
    QList<QByteArray> lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(kLineBreak, from);
        if (at < 0) {
            lines.append(text.mid(from));
            return lines;
        }
        lines.append(text.mid(from, at - from));
        from = at + 2;
    }
}

// The style's font height for a size in points: tenths of a point, negative.
LONG HeightOfSize(LONG nSize) {
    return LONG(std::clamp<std::int64_t>(-10 * std::int64_t(nSize), INT_MIN, INT_MAX));
}

bool Before(int aChar, int aLine, int bChar, int bLine) {
    return aLine < bLine || (aLine == bLine && aChar < bChar);
}
} // namespace

// The lines measured in the screen font, and what they were measured from.
struct CTranspText::Measured {
    QList<QByteArray> lines;
    LOGFONTA font;
    UINT codePage = 0;
    bool stepped = false;
    int pitch = 0;
    bool placeholder = false;
    TEXTMEASURE measure;
};

// ---- Construction ---------------------------------------------------------------------------

CTranspText::CTranspText(IObjectHost* pView, int nPage) : CTranspBaseClass(pView, nPage) {}

CTranspText::CTranspText(IObjectHost* pView, int x, int y, const TEXTSTYLE* pStyle,
                         const char* pszText, int nPage, BOOL bSizeToHeight)
    : CTranspBaseClass(pView, nPage), m_x(x), m_y(y) {
    DEF_TRY
    if (pStyle) m_style = *pStyle;
    m_style.lf.lfWidth = 0;
    if (bSizeToHeight) m_style.lf.lfHeight = HeightOfSize(m_style.nSize);
    if (pszText)
        SetText(QByteArray(pszText), FALSE);
    else
        m_lines = {kPlaceholder};
    DEF_CATCH
}

CTranspText::CTranspText(IObjectHost* pView, const QByteArray& block, int x, int y, int nPage)
    : CTranspBaseClass(pView, nPage), m_x(x), m_y(y) {
    DEF_TRY
    SetObData(block);
    DEF_CATCH
}

CTranspText::~CTranspText() = default;

// ---- Text and positions ---------------------------------------------------------------------

UINT CTranspText::GetCodePage() const {
    return CodePageFromCharSet(m_style.lf.lfCharSet);
}

bool CTranspText::IsPlaceholder() const {
    return m_lines.size() == 1 && m_lines.front() == kPlaceholder;
}

BOOL CTranspText::IsEmpty() const {
    return m_lines.isEmpty() ||
           (m_lines.size() == 1 && (m_lines.front().isEmpty() || IsPlaceholder()));
}

QByteArray CTranspText::GetText() const {
    DEF_TRY
    if (IsPlaceholder()) return {};
    return m_lines.join(kLineBreak);
    DEF_CATCH
    return {};
}

void CTranspText::SetText(const char* pszText, BOOL bRecord) {
    DEF_TRY
    SetText(QByteArray(pszText ? pszText : ""), bRecord);
    DEF_CATCH
}

void CTranspText::SetText(const QByteArray& text, BOOL bRecord) {
    DEF_TRY
    // Measuring the old extent needs a drawing surface; loading sets thousands of
    // texts without repainting, so only a recorded change pays for it.
    RECT rcOld{};
    if (bRecord) GetRepaintRect(&rcOld);
    m_lines = text.isEmpty() ? QList<QByteArray>{kPlaceholder} : SplitLines(text);
    ClampCaret();
    const auto clampPos = [this](int& c, int& l) {
        l = std::clamp(l, 0, int(m_lines.size()) - 1);
        c = std::clamp(c, 0, CharLength(m_lines[l], GetCodePage()));
    };
    clampPos(m_nSelStartChar, m_nSelStartLine);
    clampPos(m_nSelEndChar, m_nSelEndLine);
    if (bRecord) {
        Repaint(&rcOld);
        m_bTypingGroup = false;
        AddUndo();
        SetModified();
    }
    DEF_CATCH
}

POINT CTranspText::GetCaretPos() const {
    if (m_lines.isEmpty()) return POINT{};
    const int line = std::clamp(m_nCaretLine, 0, int(m_lines.size()) - 1);
    const int chars = IsPlaceholder() ? 0 : CharLength(m_lines[line], GetCodePage());
    return POINT{std::clamp(m_nCaretChar, 0, chars), line};
}

void CTranspText::ClampCaret() {
    const POINT pos = GetCaretPos();
    m_nCaretChar = pos.x;
    m_nCaretLine = pos.y;
}

bool CTranspText::HasSelection() const {
    return m_nSelStartChar != m_nSelEndChar || m_nSelStartLine != m_nSelEndLine;
}

void CTranspText::GetOrderedSelection(int& sChar, int& sLine, int& eChar, int& eLine) const {
    sChar = m_nSelStartChar;
    sLine = m_nSelStartLine;
    eChar = m_nSelEndChar;
    eLine = m_nSelEndLine;
    if (Before(eChar, eLine, sChar, sLine)) {
        std::swap(sChar, eChar);
        std::swap(sLine, eLine);
    }
    // Positions beyond the text count as its end.
    const int last = std::max(0, int(m_lines.size()) - 1);
    const auto clampPos = [&](int& c, int& l) {
        l = std::clamp(l, 0, last);
        c = std::clamp(c, 0, m_lines.isEmpty() ? 0 : CharLength(m_lines[l], GetCodePage()));
    };
    clampPos(sChar, sLine);
    clampPos(eChar, eLine);
}

void CTranspText::ClearSelectionAtCaret() {
    m_nSelStartChar = m_nSelEndChar = m_nCaretChar;
    m_nSelStartLine = m_nSelEndLine = m_nCaretLine;
}

void CTranspText::StartSelection() {
    DEF_TRY
    ClearSelectionAtCaret();
    DEF_CATCH
}

void CTranspText::UnselectText() {
    DEF_TRY
    if (!HasSelection()) return;
    ClearSelectionAtCaret();
    Repaint();
    DEF_CATCH
}

int CTranspText::GetCharIndexFromCaretPos(int nChar, int nLine, BOOL bCountBreaks) const {
    DEF_TRY
    if (m_lines.isEmpty() || IsPlaceholder()) return 0;
    nLine = std::clamp(nLine, 0, int(m_lines.size()) - 1);
    const UINT cp = GetCodePage();
    std::int64_t index = 0;
    for (int i = 0; i < nLine; ++i)
        index += CharLength(m_lines[i], cp) + (bCountBreaks ? 2 : 0);
    index += std::clamp(nChar, 0, CharLength(m_lines[nLine], cp));
    return int(std::min<std::int64_t>(index, INT_MAX));
    DEF_CATCH
    return 0;
}

POINT CTranspText::GetCaretPosFromCharIndex(int nIndex, BOOL bCountBreaks) const {
    DEF_TRY
    if (m_lines.isEmpty() || IsPlaceholder() || nIndex <= 0) return POINT{};
    const UINT cp = GetCodePage();
    const int breakLength = bCountBreaks ? 2 : 0;
    std::int64_t rest = nIndex;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const int chars = CharLength(m_lines[i], cp);
        if (rest <= chars) return POINT{int(rest), i};
        rest -= chars;
        // An index inside a line break stands for the end of that line.
        if (rest < breakLength || i + 1 == int(m_lines.size())) return POINT{chars, i};
        rest -= breakLength;
    }
    DEF_CATCH
    return POINT{};
}

QByteArray CTranspText::GetSelectedText() const {
    DEF_TRY
    if (!HasSelection() || m_lines.isEmpty() || IsPlaceholder()) return {};
    int sChar, sLine, eChar, eLine;
    GetOrderedSelection(sChar, sLine, eChar, eLine);
    const UINT cp = GetCodePage();
    if (sLine == eLine) return ExtractMidChar(m_lines[sLine], sChar, eChar - sChar, cp);
    QByteArray text = ExtractMidChar(m_lines[sLine], sChar, INT_MAX, cp);
    for (int i = sLine + 1; i < eLine; ++i)
        text += kLineBreak + m_lines[i];
    text += kLineBreak + ExtractLeftChar(m_lines[eLine], eChar, cp);
    return text;
    DEF_CATCH
    return {};
}

QByteArray CTranspText::GetSelectedTextGlobal() const {
    DEF_TRY
    QByteArray text = GetSelectedText();
    text.append('\0');
    return text;
    DEF_CATCH
    return {};
}

bool CTranspText::DeleteSelection() {
    if (!HasSelection() || m_lines.isEmpty()) return false;
    int sChar, sLine, eChar, eLine;
    GetOrderedSelection(sChar, sLine, eChar, eLine);
    const UINT cp = GetCodePage();
    if (sLine == eLine) {
        DeleteChar(m_lines[sLine], sChar, eChar - sChar, cp);
    } else {
        m_lines[sLine] = ExtractLeftChar(m_lines[sLine], sChar, cp) +
                         ExtractMidChar(m_lines[eLine], eChar, INT_MAX, cp);
        m_lines.remove(sLine + 1, eLine - sLine);
    }
    m_nCaretChar = sChar;
    m_nCaretLine = sLine;
    ClearSelectionAtCaret();
    return true;
}

void CTranspText::InsertAtCaret(const QByteArray& ch) {
    InsertChar(m_lines[m_nCaretLine], m_nCaretChar, ch, GetCodePage());
    m_nCaretChar += CharLength(ch, GetCodePage());
}

void CTranspText::ReplaceSelection(char ch) {
    DEF_TRY
    if (m_lines.isEmpty() || IsPlaceholder()) m_lines = {QByteArray()};
    ClampCaret();
    DeleteSelection();
    ClampCaret();
    InsertAtCaret(QByteArray(1, ch));
    ClearSelectionAtCaret();
    SetModified();
    DEF_CATCH
}

void CTranspText::Paste(const QByteArray& text, BOOL bReplaceSelection) {
    DEF_TRY
    if (m_lines.isEmpty() || IsPlaceholder()) m_lines = {QByteArray()};
    ClampCaret();
    if (bReplaceSelection) DeleteSelection();
    ClampCaret();
    // The text goes in line by line, so that the characters of one line are never counted
    // together with a line break.
    const UINT cp = GetCodePage();
    QByteArray limited = text;
    if (m_nMaxLength > 0) {
        // What would not fit into a field of a PDF form is left out.
        int chars = 0;
        for (const QByteArray& l : m_lines)
            chars += CharLength(l, cp);
        limited = ExtractLeftChar(text, std::max(0, m_nMaxLength - chars), cp);
    }
    const QList<QByteArray> parts = SplitLines(limited);
    QByteArray& line = m_lines[m_nCaretLine];
    const QByteArray tail = ExtractMidChar(line, m_nCaretChar, INT_MAX, cp);
    line = ExtractLeftChar(line, m_nCaretChar, cp) + parts.front();
    int caretChar = CharLength(line, cp);
    int caretLine = m_nCaretLine;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        m_lines.insert(++caretLine, parts[i]);
        caretChar = CharLength(parts[i], cp);
    }
    m_lines[caretLine] += tail;
    m_nCaretChar = caretChar;
    m_nCaretLine = caretLine;
    if (m_lines.size() == 1 && m_lines.front().isEmpty()) {
        m_lines = {kPlaceholder};
        m_nCaretChar = m_nCaretLine = 0;
    }
    ClearSelectionAtCaret();
    SetModified();
    DEF_CATCH
}

void CTranspText::FindAndSelect(const char* /*pszText*/, int nStart, int nEnd) {
    DEF_TRY
    const POINT start = GetCaretPosFromCharIndex(nStart, TRUE);
    const POINT end = GetCaretPosFromCharIndex(nEnd, TRUE);
    m_nSelStartChar = start.x;
    m_nSelStartLine = start.y;
    m_nSelEndChar = end.x;
    m_nSelEndLine = end.y;
    m_nCaretChar = end.x;
    m_nCaretLine = end.y;
    m_bTypingGroup = false;
    Repaint();
    DEF_CATCH
}

// ---- Undo -----------------------------------------------------------------------------------

UndoState CTranspText::GetUndoState() const {
    DEF_TRY
    auto state = std::make_shared<TEXTUNDOSTATE>();
    state->text = GetText();
    state->nCaretChar = m_nCaretChar;
    state->nCaretLine = m_nCaretLine;
    state->x = m_x;
    state->y = m_y;
    state->style = m_style;
    return state;
    DEF_CATCH
    return nullptr;
}

void CTranspText::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const auto* state = static_cast<const TEXTUNDOSTATE*>(pState);
    m_style = state->style;
    m_x = state->x;
    m_y = state->y;
    SetText(state->text, FALSE);
    m_nCaretChar = state->nCaretChar;
    m_nCaretLine = state->nCaretLine;
    ClampCaret();
    ClearSelectionAtCaret();
    DEF_CATCH
}

void CTranspText::ReplaceUndo() {
    DEF_TRY
    if (m_undoList.size() < 2 || m_nUndoPos != 0 || !m_bTypingGroup) {
        AddUndo();
        return;
    }
    UndoState state = GetUndoState();
    if (state) m_undoList.front() = std::move(state);
    DEF_CATCH
}

void CTranspText::Undo() {
    DEF_TRY
    m_bTypingGroup = false;
    CTranspBaseClass::Undo();
    DEF_CATCH
}

void CTranspText::Redo() {
    DEF_TRY
    m_bTypingGroup = false;
    CTranspBaseClass::Redo();
    DEF_CATCH
}

// ---- Style ----------------------------------------------------------------------------------

void CTranspText::SetTextStyle(const TEXTSTYLE* pStyle, BOOL bRecord) {
    DEF_TRY
    if (!pStyle) return;
    RECT rcOld;
    GetRepaintRect(&rcOld);
    const TEXTSTYLE& s = *pStyle;
    TEXTSTYLE& t = m_style;
    const auto sizeFont = [&t]() {
        t.lf.lfWidth = 0;
        t.lf.lfHeight = HeightOfSize(t.nSize);
    };
    switch (m_pView ? m_pView->GetTextStyleChangeCode() : 0) {
    case 1:
        t.lf = s.lf;
        sizeFont();
        break;
    case 2:
        t.lf.lfCharSet = s.lf.lfCharSet;
        break;
    case 3:
        std::memcpy(t.lf.lfFaceName, s.lf.lfFaceName, sizeof t.lf.lfFaceName);
        break;
    case 4:
        t.lf.lfWeight = s.lf.lfWeight;
        break;
    case 5:
        t.lf.lfItalic = s.lf.lfItalic;
        break;
    case 6:
        t.lf.lfUnderline = s.lf.lfUnderline;
        break;
    case 7:
        t.nSize = s.nSize;
        sizeFont();
        break;
    case 8:
        t.crText = s.crText;
        break;
    case 9:
    case 10:
        t.bStepped = s.bStepped;
        t.nPitch = s.nPitch;
        break;
    case 11:
        t.nAlign = s.nAlign;
        break;
    case 12:
        t.nRotation = s.nRotation;
        break;
    case 13:
        t.crRule = s.crRule;
        break;
    case 14:
        t.nRuleWidth = s.nRuleWidth;
        break;
    case 15:
        t.crText = s.crText;
        t.crRule = s.crRule;
        break;
    default:
        t = s;
        sizeFont();
        break;
    }
    t.lf.lfEscapement = t.lf.lfOrientation = EscapementOfRotation(t.nRotation);
    if (bRecord) {
        Repaint(&rcOld);
        m_bTypingGroup = false;
        AddUndo();
    }
    SetModified();
    DEF_CATCH
}

void CTranspText::SetAnnotationMode(int nMode) {
    DEF_TRY
    m_style.nAnnotation = nMode;
    m_style.crRule = m_style.crText;
    Repaint();
    DEF_CATCH
}

int CTranspText::GetAnnotationMode() const {
    return m_style.nAnnotation;
}

// ---- Layout ---------------------------------------------------------------------------------

int CTranspText::ScreenPitch() const {
    POINT pitch{m_style.nPitch, m_style.nPitch};
    UnitToPage(pitch);
    PageToView(pitch);
    return std::max(0, NormalRotation(m_style.nRotation) == 0 ? pitch.x : pitch.y);
}

const TEXTMEASURE& CTranspText::ScreenMeasure() const {
    const double factor = m_pView ? m_pView->GetFontScaleFactor() : 1.0;
    const int pixels = FontPixelHeight(m_style.lf.lfHeight, factor, GetScreenDpi().y());
    const LOGFONTA font = MakeLayoutFont(m_style.lf, NormalRotation(m_style.nRotation), pixels);
    const UINT cp = GetCodePage();
    const bool stepped = m_style.bStepped != 0;
    const int pitch = stepped ? ScreenPitch() : 0;
    const bool placeholder = IsPlaceholder();
    Measured* m = m_measured.get();
    if (m && std::memcmp(&m->font, &font, sizeof font) == 0 && m->codePage == cp &&
        m->stepped == stepped && m->pitch == pitch && m->placeholder == placeholder &&
        m->lines == m_lines)
        return m->measure;
    if (!m) {
        m_measured = std::make_unique<Measured>();
        m = m_measured.get();
    }
    m->lines = m_lines;
    m->font = font;
    m->codePage = cp;
    m->stepped = stepped;
    m->pitch = pitch;
    m->placeholder = placeholder;
    const CMeasureDC measureDC(font);
    if (CDC* dc = measureDC.dc()) {
        MeasureTextLines(*dc, m_lines, cp, stepped, pitch, placeholder, m->measure);
    } else {
        // Without a windowed application nothing is drawn; the box still has its lines.
        m->measure = TEXTMEASURE{};
        m->measure.lh = pixels;
        m->measure.widths.assign(size_t(m_lines.size()), 0);
        m->measure.chars.assign(size_t(m_lines.size()), 0);
    }
    return m->measure;
}

TEXTFRAME CTranspText::ScreenFrame(bool bViewCoords) const {
    const TEXTMEASURE& measure = ScreenMeasure();
    TEXTFRAME frame;
    frame.anchor = POINT{m_x, m_y};
    UnitToPage(frame.anchor);
    if (bViewCoords)
        PageToView(frame.anchor);
    else
        PageToClient(frame.anchor);
    frame.lh = measure.lh;
    frame.nLines = int(m_lines.size());
    frame.nMaxWidth = measure.nMaxWidth;
    frame.nRotation = NormalRotation(m_style.nRotation);
    frame.nAlign = m_style.nAlign;
    return frame;
}

void CTranspText::GetTextRect(RECT* pRect, BOOL bViewCoords) const {
    DEF_TRY
    *pRect = TextBox(ScreenFrame(bViewCoords));
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspText::GetMarkerRect(RECT* pRect) const {
    DEF_TRY
    RECT box;
    GetTextRect(&box);
    const int n = int(m_lines.size());
    if (n == 0) {
        *pRect = RECT{};
        return;
    }
    const int lh = NormalRotation(m_style.nRotation) == 0 ? box.Height() / n : box.Width() / n;
    *pRect = RECT{SubCoord(box.left, lh), box.top, SubCoord(box.left, 2), box.bottom};
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspText::GetBoundsRect(RECT* pRect) const {
    DEF_TRY
    RECT box, marker;
    GetTextRect(&box);
    GetMarkerRect(&marker);
    *pRect = UnionRect(box, marker);
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspText::GetRepaintRect(RECT* pRect) const {
    DEF_TRY
    RECT rc;
    GetBoundsRect(&rc);
    POINT margin{4, 3};
    PageToView(margin);
    POINT typing{100, 0};
    PageToView(typing);
    // The rule runs along the bottom of the box and may be wider than the margin.
    POINT rule{m_style.nRuleWidth, m_style.nRuleWidth};
    UnitToPage(rule);
    PageToView(rule);
    const int ruleHalf = m_style.nAnnotation == 1 ? std::max(0, rule.x) / 2 + 1 : 0;
    InflateRect(rc, std::max<LONG>(margin.x + 2, ruleHalf), std::max<LONG>(margin.y + 2, ruleHalf));
    rc.right = AddCoord(rc.right, typing.x);
    *pRect = rc;
    return;
    DEF_CATCH
    *pRect = RECT{};
}

void CTranspText::GetAlignRect(RECT* pRect) const {
    DEF_TRY
    RECT rc;
    GetTextRect(&rc);
    ClientToPage(rc);
    PageToUnit(rc);
    rc.left = m_x;
    *pRect = rc;
    return;
    DEF_CATCH
    *pRect = RECT{};
}

POINT CTranspText::GetConnectPoint() const {
    DEF_TRY
    RECT box;
    GetTextRect(&box);
    POINT pt;
    switch (NormalRotation(m_style.nRotation)) {
    case 1:
        pt = POINT{box.right, box.bottom};
        break;
    case 2:
        pt = POINT{box.left, box.top};
        break;
    default:
        pt = POINT{box.left, box.bottom};
        break;
    }
    ClientToPage(pt);
    PageToUnit(pt);
    return pt;
    DEF_CATCH
    return POINT{};
}

// ---- Hit testing of characters ----------------------------------------------------------------

bool CTranspText::LineAndDistance(POINT point, int& nLine, int& nDistance) const {
    const int n = int(m_lines.size());
    if (n == 0) return false;
    const TEXTFRAME frame = ScreenFrame(false);
    const TEXTMEASURE& measure = ScreenMeasure();
    const RECT box = TextBox(frame);
    const int x = std::clamp(point.x, box.left, std::max(box.left, box.right - 1));
    const int y = std::clamp(point.y, box.top, std::max(box.top, box.bottom - 1));
    int line = 0;
    switch (frame.nRotation) {
    case 1: {
        const int w = box.Width() / n;
        line = w > 0 ? (x - box.left) / w : 0;
        break;
    }
    case 2: {
        const int w = box.Width() / n;
        line = n - (w > 0 ? (x - box.left) / w : 0) - 1;
        break;
    }
    default: {
        const int h = box.Height() / n;
        line = h > 0 ? (y - box.top) / h : 0;
        break;
    }
    }
    nLine = std::clamp(line, 0, n - 1);
    const POINT origin = LineOrigin(frame, nLine, measure.widths[size_t(nLine)]);
    std::int64_t d = 0;
    switch (frame.nRotation) {
    case 1:
        d = std::int64_t(origin.y) - y;
        break;
    case 2:
        d = std::int64_t(y) - origin.y;
        break;
    default:
        d = std::int64_t(x) - origin.x;
        break;
    }
    nDistance = int(std::clamp<std::int64_t>(d, INT_MIN, INT_MAX));
    return true;
}

int CTranspText::CharFromDistance(int nLine, int nDistance, bool bCell) const {
    if (IsPlaceholder()) return 0;
    const UINT cp = GetCodePage();
    const QByteArray& line = m_lines[nLine];
    const int chars = CharLength(line, cp);
    if (nDistance < 0) return bCell ? -1 : 0;
    if (m_style.bStepped) {
        const int pitch = ScreenPitch();
        if (pitch <= 0) return 0;
        const int cell = nDistance / pitch;
        if (bCell || cell >= chars) return std::min(cell, chars);
        return (nDistance - cell * pitch) * 2 < pitch ? cell : cell + 1;
    }
    const int pixels = FontPixelHeight(
        m_style.lf.lfHeight, m_pView ? m_pView->GetFontScaleFactor() : 1.0, GetScreenDpi().y());
    const CMeasureDC measureDC(
        MakeLayoutFont(m_style.lf, NormalRotation(m_style.nRotation), pixels));
    CDC* dc = measureDC.dc();
    if (!dc) return 0;
    const auto extent = [&](int k) {
        return k <= 0 ? 0 : dc->GetTextExtent(ExtractLeftChar(line, k, cp)).cx;
    };
    // The prefix widths grow with the prefix: the cell holding the point is found by halving.
    int lo = 0, hi = chars;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (extent(mid) <= nDistance)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo >= chars || bCell) return lo;
    const int a = extent(lo);
    const int b = extent(lo + 1);
    return (nDistance - a) * 2 < (b - a) ? lo : lo + 1;
}

POINT CTranspText::GetCharPosFromPoint(POINT point) const {
    DEF_TRY
    int line = 0, distance = 0;
    if (!LineAndDistance(point, line, distance)) return POINT{};
    return POINT{CharFromDistance(line, distance, false), line};
    DEF_CATCH
    return POINT{};
}

BOOL CTranspText::PtInSelection(POINT point) const {
    DEF_TRY
    if (!HasSelection()) return FALSE;
    RECT box;
    GetTextRect(&box);
    if (!PtInRect(box, point)) return FALSE;
    int line = 0, distance = 0;
    if (!LineAndDistance(point, line, distance)) return FALSE;
    const int cell = CharFromDistance(line, distance, true);
    if (cell < 0 || cell >= CharLength(m_lines[line], GetCodePage())) return FALSE;
    int sChar, sLine, eChar, eLine;
    GetOrderedSelection(sChar, sLine, eChar, eLine);
    return !Before(cell, line, sChar, sLine) && Before(cell, line, eChar, eLine);
    DEF_CATCH
    return FALSE;
}

// ---- Drawing --------------------------------------------------------------------------------

void CTranspText::DrawOnPDFPage(CDC* /*pDC*/) {}

void CTranspText::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC || m_lines.isEmpty()) return;
    if (bPrinting && IsEmpty()) return;
    DrawText(pDC, bPrinting, pDpi);
    DEF_CATCH
}

void CTranspText::DrawText(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    const UINT cp = GetCodePage();
    const int rotation = NormalRotation(m_style.nRotation);
    const bool stepped = m_style.bStepped != 0;
    const bool placeholder = IsPlaceholder();
    TEXTMEASURE printMeasure;
    const TEXTMEASURE* measure = nullptr;
    TEXTFRAME frame;
    LOGFONTA font;
    int pitch = 0;
    int ruleWidth = 0;
    if (bPrinting) {
        const POINT res = GetOutputResolution(pDC, pDpi);
        int deviceDpiY = pDC->GetDeviceCaps(LOGPIXELSY);
        if (deviceDpiY <= 0) deviceDpiY = res.y > 0 ? res.y : 96;
        const double factor = pDpi ? double(pDpi->y) / deviceDpiY : 1.0;
        font = MakeLayoutFont(m_style.lf, rotation,
                              FontPixelHeight(m_style.lf.lfHeight, factor, deviceDpiY));
        pitch = std::max(
            0, FloorCoord(m_style.nPitch * g_dUnitScale * (rotation == 0 ? res.x : res.y)));
        ruleWidth = FloorCoord(m_style.nRuleWidth * g_dUnitScale * res.x);
        pDC->SelectFont(font);
        MeasureTextLines(*pDC, m_lines, cp, stepped, pitch, placeholder, printMeasure);
        measure = &printMeasure;
        frame.anchor = POINT{m_x, m_y};
        UnitToDevice(frame.anchor, pDC, TRUE, pDpi);
    } else {
        measure = &ScreenMeasure();
        font = m_measured->font;
        pitch = m_measured->pitch;
        POINT rule{m_style.nRuleWidth, m_style.nRuleWidth};
        UnitToPage(rule);
        PageToView(rule);
        ruleWidth = rule.x;
        frame.anchor = POINT{m_x, m_y};
        UnitToPage(frame.anchor);
        PageToView(frame.anchor);
    }
    frame.lh = measure->lh;
    frame.nLines = int(m_lines.size());
    frame.nMaxWidth = measure->nMaxWidth;
    frame.nRotation = rotation;
    frame.nAlign = m_style.nAlign;

    const LOGFONTA oldFont = pDC->SelectFont(font);
    const COLORREF oldColor =
        pDC->SetTextColor(bPrinting ? m_style.crText : GetOutlineColor(m_style.crText));
    const int oldBkMode = pDC->SetBkMode(TRANSPARENT);

    // The selection shows only on the object that has the caret.
    int sChar = 0, sLine = 0, eChar = 0, eLine = 0;
    const bool showSelection = !bPrinting && m_bFocused && HasSelection() && !placeholder;
    TEXTHIGHLIGHT highlight;
    if (showSelection) {
        GetOrderedSelection(sChar, sLine, eChar, eLine);
        HighlightColors(highlight.crText, highlight.crBack);
    }
    // The layout records live for this drawing only.
    std::vector<_LINEINFO> lines;
    LayoutLines(frame, *measure, lines);
    for (int i = 0; i < int(lines.size()); ++i) {
        const POINT origin{lines[size_t(i)].x, lines[size_t(i)].y};
        if (placeholder) {
            // An empty field shows its mark on screen, except as a form field.
            if (bPrinting || m_bFormField) continue;
            const UINT oldAlign =
                pDC->SetTextAlign(stepped ? TA_CENTER | TA_TOP : TA_LEFT | TA_TOP);
            const POINT at = stepped ? StepCellCentre(origin, 0, pitch, rotation) : origin;
            pDC->TextOutW(at.x, at.y, QString(QChar(0x00B6)));
            pDC->SetTextAlign(oldAlign);
            continue;
        }
        const TEXTHIGHLIGHT* lineHighlight = nullptr;
        if (showSelection && i >= sLine && i <= eLine) {
            highlight.from = i == sLine ? sChar : 0;
            highlight.to = i == eLine ? eChar : lines[size_t(i)].nChars;
            lineHighlight = &highlight;
        }
        if (stepped)
            SteppedTextOut(*pDC, origin, m_lines[i], cp, pitch, rotation, lineHighlight);
        else
            LineTextOut(*pDC, origin, m_lines[i], cp, rotation, lineHighlight);
    }

    const RECT box = TextBox(frame);
    if (m_style.nAnnotation == 1) {
        // The rule runs after the last line along the whole box.
        const std::int64_t X = frame.anchor.x, Y = frame.anchor.y, lh = frame.lh, n = frame.nLines;
        POINT from, to;
        switch (rotation) {
        case 1:
            from =
                POINT{LONG(std::clamp<std::int64_t>(X - lh + n * lh, INT_MIN, INT_MAX)), LONG(Y)};
            to = POINT{from.x, SubCoord(LONG(Y), box.Height())};
            break;
        case 2:
            from =
                POINT{LONG(std::clamp<std::int64_t>(X + lh - n * lh, INT_MIN, INT_MAX)), LONG(Y)};
            to = POINT{from.x, AddCoord(LONG(Y), box.Height())};
            break;
        default:
            from =
                POINT{LONG(X), LONG(std::clamp<std::int64_t>(Y - lh + n * lh, INT_MIN, INT_MAX))};
            to = POINT{AddCoord(LONG(X), box.Width()), from.y};
            break;
        }
        const LOGPEN oldPen =
            pDC->SelectPen(LOGPEN{PS_SOLID, std::max(0, ruleWidth), m_style.crRule});
        pDC->MoveTo(from.x, from.y);
        pDC->LineTo(to.x, to.y);
        pDC->SelectPen(oldPen);
    }

    if (!bPrinting) {
        PlaceCaret(pDC, frame, *measure);
        if (m_bSelected) {
            DrawSelectFrame(pDC, box, FALSE);
            const LOGPEN oldPen = pDC->SelectPen(LOGPEN{PS_DOT, 1, RGB(0, 0, 0)});
            const LOGBRUSH oldBrush = pDC->SelectBrush(LOGBRUSH{BS_HOLLOW, 0});
            pDC->Rectangle(SubCoord(box.left, 2), box.top, box.right, box.bottom);
            pDC->SelectBrush(oldBrush);
            pDC->SelectPen(oldPen);
        } else if (m_bDisabled) {
            DrawFreezeFrame(pDC, box);
        } else if (m_bFocused) {
            DrawFocusFrame(pDC, box, FALSE);
        }
    }
    pDC->SetBkMode(oldBkMode);
    pDC->SetTextColor(oldColor);
    pDC->SelectFont(oldFont);
}

void CTranspText::PlaceCaret(CDC* pDC, const TEXTFRAME& frame, const TEXTMEASURE& measure) {
    if (!m_pView || !m_bFocused) return;
    if (!m_pView->HasFocus() || m_bSelected || m_bDisabled) {
        m_pView->HideCaret();
        return;
    }
    const POINT caret = GetCaretPos();
    int offset = 0;
    if (m_style.bStepped)
        offset = int(std::min<std::int64_t>(std::int64_t(caret.x) * m_measured->pitch, INT_MAX));
    else if (caret.x > 0)
        offset = pDC->GetTextExtent(ExtractLeftChar(m_lines[caret.y], caret.x, GetCodePage())).cx;
    const POINT origin = LineOrigin(frame, caret.y, measure.widths[size_t(caret.y)]);
    POINT at = AlongLine(origin, offset, frame.nRotation);
    const int thickness = std::max(1, measure.nAveCharWidth / 8);
    if (frame.nRotation == 2) at.x = SubCoord(at.x, frame.lh);
    ViewToClient(at);
    if (frame.nRotation == 0)
        m_pView->CreateSolidCaret(thickness, frame.lh);
    else
        m_pView->CreateSolidCaret(frame.lh, thickness);
    m_pView->SetCaretPos(at);
    m_pView->ShowCaret();
}

void CTranspText::RefreshView() {
    DEF_TRY
    if (!m_pView) return;
    m_bRefreshing = TRUE;
    RECT rc;
    GetRepaintRect(&rc);
    m_pView->InvalidateRect(rc);
    m_pView->UpdateWindow();
    m_bRefreshing = FALSE;
    DEF_CATCH
    m_bRefreshing = FALSE;
}

// ---- Keyboard -------------------------------------------------------------------------------

void CTranspText::MoveCaret(UINT nKey, bool bCtrl) {
    const UINT cp = GetCodePage();
    const int lines = int(m_lines.size());
    const QByteArray& line = m_lines[m_nCaretLine];
    const int chars = CharLength(line, cp);
    switch (nKey) {
    case VK_END:
        m_nCaretChar = chars;
        break;
    case VK_HOME:
        m_nCaretChar = 0;
        break;
    case VK_LEFT:
        if (m_nCaretChar > 0)
            m_nCaretChar = bCtrl ? FindNextWord(line, m_nCaretChar, true, cp) : m_nCaretChar - 1;
        else if (m_nCaretLine > 0)
            m_nCaretChar = CharLength(m_lines[--m_nCaretLine], cp);
        break;
    case VK_RIGHT:
        if (m_nCaretChar < chars) {
            m_nCaretChar = bCtrl ? FindNextWord(line, m_nCaretChar, false, cp) : m_nCaretChar + 1;
        } else if (m_nCaretLine + 1 < lines) {
            ++m_nCaretLine;
            m_nCaretChar = 0;
        }
        break;
    case VK_UP:
        if (m_nCaretLine > 0) --m_nCaretLine;
        break;
    case VK_DOWN:
        if (m_nCaretLine + 1 < lines) ++m_nCaretLine;
        break;
    default:
        break;
    }
}

bool CTranspText::ToCodePage(const QString& text, QByteArray& bytes) const {
    bytes.clear();
    if (text.size() > MAX_INSERT_CHARS) return false;
    // Text from the system may end its lines either way; the text keeps "\r\n".
    QString normal = text;
    normal.remove(QChar(0));
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normal.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return UnicodeToCodePage(normal, GetCodePage(), bytes);
}

QString CTranspText::ToUnicode(const QByteArray& bytes) const {
    QString text;
    if (!CodePageToUnicode(bytes, GetCodePage(), text)) text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

void CTranspText::OnChar(UINT nChar, UINT /*nRepCnt*/, UINT nFlags) {
    DEF_TRY
    if (m_bTabOrderDisplay) return;
    const bool virtualKey = (nFlags & CHAR_VIRTUALKEY) != 0;
    const bool shift = (nFlags & MK_SHIFT) != 0;
    const bool ctrl = (nFlags & MK_CONTROL) != 0;
    const bool typed = !virtualKey && nChar != VK_BACK && nChar != VK_RETURN;
    if (virtualKey) {
        if (nChar != VK_DELETE && (nChar < VK_END || nChar > VK_DOWN)) return;
    } else if (nChar == VK_ESCAPE || (typed && (nChar < 0x20 || nChar == 0x7F))) {
        // Escape and other control characters are no text.
        return;
    }
    // A typed character goes into the text in its code page, or not at all.
    QByteArray ch;
    if (typed) {
        if (nChar > 0x10FFFF || (nChar >= 0xD800 && nChar <= 0xDFFF) ||
            !UnicodeToCodePage(QString::fromUcs4(reinterpret_cast<const char32_t*>(&nChar), 1),
                               GetCodePage(), ch) ||
            ch.isEmpty()) {
            if (m_pView) m_pView->MessageBeep();
            return;
        }
    }

    RECT rcOld;
    GetRepaintRect(&rcOld);
    const QByteArray textBefore = GetText();
    const bool hadSelection = HasSelection();
    if (m_lines.isEmpty() || IsPlaceholder()) {
        m_lines = {QByteArray()};
        m_nCaretChar = m_nCaretLine = 0;
    }
    ClampCaret();
    if (shift && !HasSelection()) StartSelection();

    const UINT cp = GetCodePage();
    bool editKey = false;
    if (virtualKey && nChar != VK_DELETE) {
        MoveCaret(nChar, ctrl);
        ClampCaret();
        if (shift) {
            m_nSelEndChar = m_nCaretChar;
            m_nSelEndLine = m_nCaretLine;
        } else {
            ClearSelectionAtCaret();
        }
        m_bTypingGroup = false;
    } else if (virtualKey) {
        editKey = true;
        if (HasSelection()) {
            if (shift) CopyToClipboard();
            DeleteSelection();
        } else if (m_nCaretChar < CharLength(m_lines[m_nCaretLine], cp)) {
            DeleteChar(m_lines[m_nCaretLine], m_nCaretChar, 1, cp);
        } else if (m_nCaretLine + 1 < int(m_lines.size())) {
            m_lines[m_nCaretLine] += m_lines[m_nCaretLine + 1];
            m_lines.removeAt(m_nCaretLine + 1);
        }
    } else if (nChar == VK_BACK) {
        editKey = true;
        if (DeleteSelection()) {
        } else if (m_nCaretChar > 0) {
            DeleteChar(m_lines[m_nCaretLine], --m_nCaretChar, 1, cp);
        } else if (m_nCaretLine > 0) {
            const QByteArray line = m_lines.takeAt(m_nCaretLine--);
            m_nCaretChar = CharLength(m_lines[m_nCaretLine], cp);
            m_lines[m_nCaretLine] += line;
        }
    } else if (nChar == VK_RETURN) {
        editKey = true;
        DeleteSelection();
        QByteArray& line = m_lines[m_nCaretLine];
        const QByteArray rest = ExtractMidChar(line, m_nCaretChar, INT_MAX, cp);
        line = ExtractLeftChar(line, m_nCaretChar, cp);
        m_lines.insert(++m_nCaretLine, rest);
        m_nCaretChar = 0;
    } else {
        if (!DeleteSelection() && !m_bInsert &&
            m_nCaretChar < CharLength(m_lines[m_nCaretLine], cp))
            DeleteChar(m_lines[m_nCaretLine], m_nCaretChar, 1, cp);
        int chars = 0;
        for (const QByteArray& l : m_lines)
            chars += CharLength(l, cp);
        if (m_nMaxLength <= 0 || chars < m_nMaxLength)
            InsertAtCaret(ch);
    }
    if (editKey || typed) ClearSelectionAtCaret();

    if (m_lines.size() == 1 && m_lines.front().isEmpty()) {
        m_lines = {kPlaceholder};
        m_nCaretChar = m_nCaretLine = 0;
        ClearSelectionAtCaret();
    }

    const bool changed = GetText() != textBefore;
    if (typed) {
        if (nChar == ' ')
            AddUndo();
        else
            ReplaceUndo();
        m_bTypingGroup = true;
    } else if (editKey && changed) {
        AddUndo();
        m_bTypingGroup = true;
    }
    // Moving the caret changes nothing the document stores.
    if (changed) SetModified();
    if (changed || hadSelection != HasSelection() || HasSelection())
        Repaint(&rcOld);
    else
        RefreshView();
    DEF_CATCH
}

// ---- Mouse ----------------------------------------------------------------------------------

BOOL CTranspText::OnLButtonDown(UINT nFlags, POINT point) {
    DEF_TRY
    m_ptLast = point;
    RECT marker;
    GetMarkerRect(&marker);
    if (!PtInRect(marker, point)) {
        m_bTracking = TRUE;
        if (m_pView && PtInSelection(point)) {
            // The selected text leaves by drag-and-drop, copied or moved.
            auto data = std::make_unique<QMimeData>();
            data->setText(ToUnicode(GetSelectedText()));
            m_bDraggingText = TRUE;
            m_bDroppedOnSelf = FALSE;
            const DWORD effect =
                m_pView->DoDragDrop(std::move(data), DROPEFFECT_COPY | DROPEFFECT_MOVE);
            m_bDraggingText = FALSE;
            m_bTracking = FALSE;
            if (effect == DROPEFFECT_MOVE && !m_bDroppedOnSelf) {
                RECT rcOld;
                GetRepaintRect(&rcOld);
                DeleteSelection();
                if (m_lines.size() == 1 && m_lines.front().isEmpty()) m_lines = {kPlaceholder};
                ClampCaret();
                ClearSelectionAtCaret();
                Repaint(&rcOld);
                SetModified();
                m_bTypingGroup = false;
                AddUndo();
            } else if (effect == DROPEFFECT_NONE) {
                const POINT pos = GetCharPosFromPoint(point);
                m_nCaretChar = pos.x;
                m_nCaretLine = pos.y;
                ClearSelectionAtCaret();
                Repaint();
            }
            m_bDroppedOnSelf = FALSE;
            return TRUE;
        }
        const bool hadSelection = HasSelection();
        const POINT pos = GetCharPosFromPoint(point);
        m_nCaretChar = pos.x;
        m_nCaretLine = pos.y;
        m_bTypingGroup = false;
        StartSelection();
        if (!m_bFocused)
            SetFocused(TRUE);
        else if (hadSelection)
            Repaint();
        else
            RefreshView();
        return TRUE;
    }
    if (m_pView && m_pView->IsFormMode()) return FALSE;
    if (nFlags & MK_CONTROL) {
        BeginDrag();
        return FALSE;
    }
    SavePosition();
    m_bTracking = TRUE;
    m_bMoving = TRUE;
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspText::OnMouseMove(UINT nFlags, POINT point) {
    DEF_TRY
    return OnMouseMoveTextBox(nFlags, point);
    DEF_CATCH
    return FALSE;
}

BOOL CTranspText::OnMouseMoveGraphClass(UINT /*nFlags*/, POINT /*point*/) {
    return TRUE;
}

BOOL CTranspText::OnMouseMoveTextBox(UINT nFlags, POINT point) {
    DEF_TRY
    if (m_bDraggingText) return FALSE;
    if (m_bTracking && m_bMoving) {
        // Only the object being moved by its strip leaves the window as a drag; a selection
        // simply stops at the box.
        if (!CTranspBaseClass::OnMouseMove(nFlags, point)) {
            m_bMoving = FALSE;
            return FALSE;
        }
        POINT from = m_ptLast, to = point;
        ClientToPage(from);
        PageToUnit(from);
        ClientToPage(to);
        PageToUnit(to);
        MoveBy(SubCoord(to.x, from.x), SubCoord(to.y, from.y));
        m_ptLast = point;
        return TRUE;
    }
    if (m_bTracking) {
        const POINT pos = GetCharPosFromPoint(point);
        m_ptLast = point;
        if (pos.x != m_nSelEndChar || pos.y != m_nSelEndLine) {
            m_nSelEndChar = m_nCaretChar = pos.x;
            m_nSelEndLine = m_nCaretLine = pos.y;
            Repaint();
        }
        return TRUE;
    }
    if (!m_pView) return TRUE;
    RECT marker, box;
    GetMarkerRect(&marker);
    GetTextRect(&box);
    if (PtInRect(marker, point))
        m_pView->SetCursor(m_pView->IsFormMode() ? QCursor(Qt::ArrowCursor)
                                                 : m_pView->GetMoveCursor());
    else if (PtInSelection(point))
        m_pView->SetCursor(QCursor(Qt::ArrowCursor));
    else if (PtInRect(box, point))
        m_pView->SetCursor(QCursor(Qt::IBeamCursor));
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspText::OnLButtonUp(UINT /*nFlags*/, POINT /*point*/) {
    DEF_TRY
    if (m_bTracking && m_bMoving) AddUndo();
    m_bTracking = FALSE;
    m_bMoving = FALSE;
    if (Before(m_nSelEndChar, m_nSelEndLine, m_nSelStartChar, m_nSelStartLine)) {
        std::swap(m_nSelStartChar, m_nSelEndChar);
        std::swap(m_nSelStartLine, m_nSelEndLine);
    }
    DEF_CATCH
}

void CTranspText::OnLButtonDblClk(UINT /*nFlags*/, POINT point) {
    DEF_TRY
    int line = 0, distance = 0;
    if (IsEmpty() || !LineAndDistance(point, line, distance)) return;
    const UINT cp = GetCodePage();
    const QByteArray& text = m_lines[line];
    const int chars = CharLength(text, cp);
    const int cell = std::clamp(CharFromDistance(line, distance, true), 0, chars);
    // The word begins where the word rule finds a start at or before the cell and ends at the
    // next space.
    const int start = cell >= chars ? chars : FindNextWord(text, cell + 1, true, cp);
    int end = start;
    while (end < chars && GetCharAt(text, end, cp) != ' ')
        ++end;
    m_nSelStartChar = start;
    m_nSelEndChar = end;
    m_nSelStartLine = m_nSelEndLine = line;
    m_nCaretChar = end;
    m_nCaretLine = line;
    m_bTypingGroup = false;
    Repaint();
    DEF_CATCH
}

// ---- Drag and drop --------------------------------------------------------------------------

DWORD CTranspText::OnDragOver(const QMimeData* pData, DWORD dwKeyState, POINT point) {
    DEF_TRY
    if (!pData || !pData->hasText() || !PtInBox(point)) return DROPEFFECT_NONE;
    const POINT pos = GetCharPosFromPoint(point);
    if (pos.x != m_nCaretChar || pos.y != m_nCaretLine) {
        m_nCaretChar = pos.x;
        m_nCaretLine = pos.y;
        RefreshView();
    }
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    DEF_CATCH
    return DROPEFFECT_NONE;
}

BOOL CTranspText::OnDrop(const QMimeData* pData, DWORD dropEffect, POINT point) {
    DEF_TRY
    if (!pData || !pData->hasText() ||
        (dropEffect != DROPEFFECT_COPY && dropEffect != DROPEFFECT_MOVE))
        return FALSE;
    QByteArray text;
    if (!ToCodePage(pData->text(), text)) {
        if (m_pView) m_pView->MessageBeep();
        return FALSE;
    }
    RECT rcOld;
    GetRepaintRect(&rcOld);
    const POINT pos = GetCharPosFromPoint(point);
    m_nCaretChar = pos.x;
    m_nCaretLine = pos.y;
    if (m_bDraggingText && dropEffect == DROPEFFECT_MOVE) {
        // The text moves within this object: the source goes first, and the insertion point
        // follows it when it lay behind.
        int sChar, sLine, eChar, eLine;
        GetOrderedSelection(sChar, sLine, eChar, eLine);
        const int start = GetCharIndexFromCaretPos(sChar, sLine, TRUE);
        const int end = GetCharIndexFromCaretPos(eChar, eLine, TRUE);
        int at = GetCharIndexFromCaretPos(pos.x, pos.y, TRUE);
        m_bDroppedOnSelf = TRUE;
        if (at >= start && at <= end) return TRUE; // dropped onto itself: nothing moves
        if (at > end) at -= end - start;
        DeleteSelection();
        const POINT caret = GetCaretPosFromCharIndex(at, TRUE);
        m_nCaretChar = caret.x;
        m_nCaretLine = caret.y;
    }
    ClearSelectionAtCaret();
    Paste(text, FALSE);
    Repaint(&rcOld);
    m_bTypingGroup = false;
    AddUndo();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

std::unique_ptr<QMimeData> CTranspText::MakeMimeData() const {
    std::unique_ptr<QMimeData> data = CTranspBaseClass::MakeMimeData();
    if (data) data->setText(ToUnicode(GetText()));
    return data;
}

// ---- Clipboard ------------------------------------------------------------------------------

BOOL CTranspText::CanCopy() const {
    return HasSelection() && !IsPlaceholder();
}

void CTranspText::CopyToClipboard() {
    DEF_TRY
    if (!CanCopy() || !HaveGui()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    auto data = std::make_unique<QMimeData>();
    data->setText(ToUnicode(GetSelectedText()));
    clipboard->setMimeData(data.release());
    DEF_CATCH
}

void CTranspText::CutToClipboard() {
    DEF_TRY
    if (!CanCopy()) return;
    CopyToClipboard();
    RECT rcOld;
    GetRepaintRect(&rcOld);
    DeleteSelection();
    if (m_lines.size() == 1 && m_lines.front().isEmpty()) {
        m_lines = {kPlaceholder};
        m_nCaretChar = m_nCaretLine = 0;
        ClearSelectionAtCaret();
    }
    Repaint(&rcOld);
    SetModified();
    m_bTypingGroup = false;
    AddUndo();
    DEF_CATCH
}

void CTranspText::PasteFromClipboard() {
    DEF_TRY
    if (!HaveGui()) return;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasText()) return;
    QByteArray text;
    if (!ToCodePage(data->text(), text)) {
        if (m_pView) m_pView->MessageBeep();
        return;
    }
    RECT rcOld;
    GetRepaintRect(&rcOld);
    Paste(text, TRUE);
    Repaint(&rcOld);
    m_bTypingGroup = false;
    AddUndo();
    DEF_CATCH
}

// ---- Focus and moving -----------------------------------------------------------------------

void CTranspText::SetFocused(BOOL bFocused) {
    DEF_TRY
    if (!bFocused) {
        if (m_bFocused && m_pView) m_pView->HideCaret();
        if (HasSelection()) {
            ClearSelectionAtCaret();
            Repaint();
        }
        m_bTypingGroup = false;
    }
    CTranspBaseClass::SetFocused(bFocused);
    DEF_CATCH
}

void CTranspText::MoveBy(int dx, int dy) {
    DEF_TRY
    if (dx == 0 && dy == 0) return;
    RECT rcOld;
    GetRepaintRect(&rcOld);
    m_x = AddCoord(m_x, dx);
    m_y = AddCoord(m_y, dy);
    Repaint(&rcOld);
    SetModified();
    DEF_CATCH
}

// ---- Records and data blocks ----------------------------------------------------------------

void CTranspText::Serialize(CArchive& ar) {
    DEF_TRY
    if (ar.IsStoring()) {
        // Saving the fields keeps the text of the selected texts only; otherwise a form field
        // that has been filled in becomes part of the document.
        if (m_bSaveFields)
            m_bFormField = !m_bSelected;
        else if (m_bFormField && !IsEmpty())
            m_bFormField = FALSE;
        m_bSaveFields = FALSE;
        const CRecordDpi dpi;
        CRecordFrameWriter writer(RECORD_SIZE_TEXT, RECORD_VERSION_TEXT);
        CArchive& f = writer.Fixed();
        LOGFONTA lf = m_style.lf;
        lf.lfHeight = dpi.StoreY(lf.lfHeight);
        f << std::int32_t(dpi.StoreX(m_x)) << std::int32_t(dpi.StoreY(m_y));
        WriteLogFont(f, lf);
        f << std::int32_t(dpi.StoreX(m_style.nSize)) << std::uint32_t(m_style.crText)
          << std::int32_t(m_style.bStepped) << std::int32_t(m_style.nPitch) << std::int32_t(m_nPage)
          << std::int32_t(m_style.nAlign) << std::int32_t(m_bFormField ? 1 : 0);
        for (int i = 0; i < 6; ++i)
            f << std::int32_t(0);
        f << std::uint32_t(m_style.crRule) << std::int32_t(m_style.nRuleWidth)
          << std::int32_t(m_style.nAnnotation);
        const QByteArray text = m_bFormField ? QByteArray() : GetText();
        writer.Variable() << std::int32_t(text.size());
        writer.Variable().Write(text);
        writer.WriteTo(ar);
        return;
    }

    // Everything is read into locals first: a refused record leaves the object as it was.
    CRecordFrameReader reader(ar, RECORD_SIZE_TEXT);
    CArchive& f = reader.Fixed();
    const CRecordDpi dpi;
    std::int32_t x = m_x, y = m_y, page = m_nPage, formField = m_bFormField;
    TEXTSTYLE style = m_style;
    const auto readInt = [&](LONG offset, auto& value) {
        if (reader.HasField(offset, 4)) f >> value;
    };
    readInt(16, x);
    readInt(20, y);
    if (reader.HasField(24, LONG(sizeof(LOGFONTA)))) ReadLogFont(f, style.lf);
    readInt(84, style.nSize);
    readInt(88, style.crText);
    readInt(92, style.bStepped);
    readInt(96, style.nPitch);
    readInt(100, page);
    readInt(104, style.nAlign);
    readInt(108, formField);
    if (reader.HasField(112, 24)) {
        char zeros[24];
        f.ReadExact(zeros, sizeof zeros);
    }
    readInt(136, style.crRule);
    readInt(140, style.nRuleWidth);
    readInt(144, style.nAnnotation);

    x = dpi.LoadX(x);
    y = dpi.LoadY(y);
    style.lf.lfHeight = dpi.LoadY(style.lf.lfHeight);
    style.nSize = dpi.LoadY(style.nSize);
    if (style.nSize == 0) style.nSize = style.lf.lfHeight / -10;
    style.nRotation = RotationFromOrientation(style.lf.lfOrientation);

    if (reader.GetVariableRemaining() < 4) AfxThrowArchiveException(CArchiveException::endOfFile);
    std::int32_t n = 0;
    reader.Archive() >> n;
    reader.CheckVariableCount(n, 1);
    const QByteArray text = reader.Archive().ReadBytes(n);
    reader.End();

    m_x = x;
    m_y = y;
    m_nPage = page;
    m_style = style;
    m_bFormField = formField != 0;
    SetText(text, FALSE);
    m_nCaretChar = m_nCaretLine = 0;
    ClearSelectionAtCaret();
    DEF_CATCH_RECORD
}

QByteArray CTranspText::GetObData() const {
    DEF_TRY
    const QByteArray text = GetText();
    const qint64 total = qint64(text.size()) + TEXT_BLOCK_OVERHEAD;
    if (total > INT_MAX) return {};
    QByteArray block;
    QBuffer buffer(&block);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    ar << std::int32_t(total) << std::int32_t(CLIPKIND_TEXT) << std::int32_t(TEXT_BLOCK_VERSION)
       << std::int32_t(0) << g_dUnitScale << std::int32_t(0);
    WriteTextStyle(ar, m_style);
    ar.Write(text);
    block.append(total - block.size(), '\0');
    return block;
    DEF_CATCH
    return {};
}

BOOL CTranspText::SetObData(const QByteArray& block) {
    DEF_TRY
    // Blocks come from other programs too: the head is checked against the bytes present, and
    // every field read lies inside the size the block declares.
    OBJECTBLOCKHEAD head;
    if (!ReadObjectBlockHead(block, {CLIPKIND_TEXT}, TEXT_BLOCK_OLD_TEXT, head)) return FALSE;
    bool current = false;
    if (head.nVersion == TEXT_BLOCK_VERSION)
        current = true;
    else if (head.nVersion == 1)
        current = GetBlockLong(block, 108) == 0;
    else
        return FALSE;
    const int textStart = current ? TEXT_BLOCK_TEXT : TEXT_BLOCK_OLD_TEXT;
    if (head.nSize < textStart) return FALSE;

    QByteArray fields = block.left(textStart);
    QBuffer buffer(&fields);
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    TEXTSTYLE style;
    if (current) {
        ar.Seek(TEXT_BLOCK_STYLE);
        ReadTextStyle(ar, style);
    } else {
        ar.Seek(TEXT_BLOCK_OLD_STYLE);
        ReadLogFont(ar, style.lf);
        ar >> style.nSize >> style.crText >> style.bStepped >> style.nPitch >> style.nAlign >>
            style.nRotation;
    }
    // The text ends at its terminator, or at the end of the block.
    QByteArray text = block.mid(textStart, head.nSize - textStart);
    const qsizetype end = text.indexOf('\0');
    if (end >= 0) text.truncate(end);

    g_dUnitScale = head.dUnitScale;
    m_style = style;
    SetText(text, FALSE);
    m_nCaretChar = m_nCaretLine = 0;
    ClearSelectionAtCaret();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspText::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    const auto* a = static_cast<const TEXTUNDOSTATE*>(pA);
    const auto* b = static_cast<const TEXTUNDOSTATE*>(pB);
    return a->x == b->x && a->y == b->y && a->text == b->text &&
           std::memcmp(&a->style, &b->style, sizeof(TEXTSTYLE)) == 0;
}
