#include "document/TransparentEdit.h"

#include "objects/RecordFrame.h"
#include "objects/TextLayout.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspText.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/RecordIO.h"
#include "platform/ScreenDpi.h"

#include <QBuffer>
#include <QImage>
#include <cmath>
#include <cstring>

namespace {

// The longest class name the toolkit reads back (its buffer holds 64 characters with the end).
constexpr WORD kMaxClassNameLength = 63;
constexpr WORD wNullTag = 0;
constexpr WORD wNewClassTag = 0xFFFF;
constexpr WORD wClassTag = 0x8000;
constexpr WORD wBigObjectTag = 0x7FFF;
constexpr DWORD dwBigClassTag = 0x80000000;
// The toolkit never numbers more entries than this.
constexpr DWORD nMaxMapCount = 0x3FFFFFFE;

// A text box's lines are few and short; a count beyond what the rest of the file can hold was
// refused already, this only keeps a hostile count of empty strings from taking long.
constexpr LONG kMaxLines = 65536;

void ReadEditInfo(const QByteArray& bytes, _EDITINFO& info) {
    // A shorter structure fills only its first bytes; the rest stays zero. Bytes beyond the
    // structure have no field to go to and are dropped.
    QByteArray full = bytes.left(EDITINFO_SIZE);
    full.append(QByteArray(EDITINFO_SIZE - full.size(), '\0'));
    QBuffer buf(&full);
    buf.open(QIODevice::ReadOnly);
    CArchive ar(&buf, CArchive::load);
    ar >> info.nSize >> info.x >> info.y;
    ar.ReadExact(info.reserved1, sizeof info.reserved1);
    ReadLogFont(ar, info.font.lf);
    ar >> info.font.nSize >> info.font.crText >> info.font.bStepped >> info.font.nPitch;
    ar >> info.bCheckBox;
    ar.ReadExact(info.reserved2, sizeof info.reserved2);
}

QByteArray WriteEditInfo(const _EDITINFO& info) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    CArchive ar(&buf, CArchive::store);
    ar << info.nSize << info.x << info.y;
    ar.Write(info.reserved1, sizeof info.reserved1);
    WriteLogFont(ar, info.font.lf);
    ar << info.font.nSize << info.font.crText << info.font.bStepped << info.font.nPitch;
    ar << info.bCheckBox;
    ar.Write(info.reserved2, sizeof info.reserved2);
    return bytes;
}

} // namespace

CTransparentEdit::CTransparentEdit() : m_lines{QByteArray(1, TEXT_PLACEHOLDER)} {}

void CTransparentEdit::Serialize(CArchive& ar) {
    DEF_TRY
    if (ar.IsStoring()) {
        _EDITINFO info;
        info.x = m_x;
        info.y = m_y;
        info.font = m_font;
        info.bCheckBox = m_bCheckBox;
        ar << EDITTAG_INFO << EDITINFO_SIZE;
        ar.Write(WriteEditInfo(info));
        ar << EDITTAG_LINES << LONG(m_lines.size());
        for (const QByteArray& line : m_lines)
            ar.WriteCString(line);
        ar << EDITTAG_END;
        return;
    }
    _EDITINFO info;
    for (;;) {
        LONG nTag = 0;
        ar >> nTag;
        if (nTag == EDITTAG_END)
            break;
        if (nTag == EDITTAG_INFO) {
            LONG n = 0;
            ar >> n;
            ReadEditInfo(ar.ReadBytes(n), info);
        } else if (nTag == EDITTAG_LINES) {
            LONG nCount = 0;
            ar >> nCount;
            // Every string takes at least its length byte.
            ar.CheckCount(nCount, 1);
            if (nCount > kMaxLines)
                AfxThrowArchiveException(CArchiveException::programRefusal);
            QList<QByteArray> lines;
            lines.reserve(nCount);
            for (LONG i = 0; i < nCount; ++i)
                lines.append(ar.ReadCString());
            m_lines = std::move(lines);
        }
        // Any other tag carries nothing this reader knows; the next word is read as a tag.
    }
    m_x = info.x;
    m_y = info.y;
    m_font = info.font;
    m_bCheckBox = info.bCheckBox;
    DEF_CATCH_RECORD
}

QByteArray CTransparentEdit::GetText() const {
    DEF_TRY
    const QByteArray text = m_lines.join("\r\n");
    return text == QByteArray(1, TEXT_PLACEHOLDER) ? QByteArray() : text;
    DEF_CATCH
    return {};
}

RECT CTransparentEdit::CheckMarkRectFromExtent(LONG x, LONG y, int cx, int cy, int dpiX,
                                               int dpiY) {
    DEF_TRY
    if (dpiX <= 0 || dpiY <= 0)
        return RECT{};
    // The factor is the one the box always measured with, just below 100000 text units an inch.
    const double w = std::floor(double(cx) / dpiX * 99999.99999999999);
    const double h = std::floor(double(cy) / dpiY * 99999.99999999999);
    const auto clamp = [](double v) { return LONG(std::clamp(v, -2147483648.0, 2147483647.0)); };
    return RECT{x, SubCoord(y, clamp(h)), AddCoord(x, clamp(w)), y};
    DEF_CATCH
    return RECT{};
}

RECT CTransparentEdit::GetCheckMarkRect() const {
    DEF_TRY
    // A memory drawing surface of the screen's resolution stands for the screen.
    const QPoint dpi = GetScreenDpi();
    QImage surface(1, 1, QImage::Format_RGB32);
    surface.setDotsPerMeterX(int(std::lround(dpi.x() / 0.0254)));
    surface.setDotsPerMeterY(int(std::lround(dpi.y() / 0.0254)));
    CDC dc(&surface);
    dc.SetLogPixelsOverride(dpi.x(), dpi.y());
    const int dpiX = dc.GetDeviceCaps(LOGPIXELSX);
    const int dpiY = dc.GetDeviceCaps(LOGPIXELSY);
    dc.SelectFont(MakeLayoutFont(m_font.lf, 0, FontPixelHeight(m_font.lf.lfHeight, 1.0, dpiY)));
    const SIZE ext = dc.GetTextExtent(m_lines.isEmpty() ? QByteArray() : m_lines.first());
    return CheckMarkRectFromExtent(m_x, m_y, ext.cx, ext.cy, dpiX, dpiY);
    DEF_CATCH
    return RECT{};
}

std::unique_ptr<CTranspBaseClass> CTransparentEdit::Convert() const {
    DEF_TRY
    if (m_bCheckBox)
        return std::make_unique<CTranspCheckMark>(nullptr, GetCheckMarkRect(), m_font.crText, 0, 0);
    TEXTSTYLE style;
    style.lf = m_font.lf;
    style.nSize = m_font.nSize;
    style.crText = m_font.crText;
    style.bStepped = m_font.bStepped;
    style.nPitch = m_font.nPitch;
    const QByteArray text = GetText();
    // The text's own constructor turns an empty text into the placeholder line and sets the
    // height from the point size.
    return std::make_unique<CTranspText>(nullptr, m_x, m_y, &style, text.constData(), 0, TRUE);
    DEF_CATCH
    return nullptr;
}

std::unique_ptr<CTransparentEdit> CEditArchiveReader::ReadObject() {
    WORD wTag = 0;
    m_ar >> wTag;
    DWORD obTag = 0;
    if (wTag == wBigObjectTag)
        m_ar >> obTag;
    else
        obTag = ((DWORD(wTag) & wClassTag) << 16) | (wTag & ~wClassTag);

    if (wTag == wNewClassTag) {
        WORD wSchema = 0;
        WORD nLen = 0;
        m_ar >> wSchema >> nLen;
        if (nLen > kMaxClassNameLength)
            AfxThrowArchiveException(CArchiveException::badClass);
        const QByteArray name = m_ar.ReadBytes(nLen);
        if (name != CTransparentEdit::kClassName)
            AfxThrowArchiveException(CArchiveException::badClass);
        if (wSchema != CTransparentEdit::kSchema)
            AfxThrowArchiveException(CArchiveException::badSchema);
        if (m_map.size() > nMaxMapCount)
            AfxThrowArchiveException(CArchiveException::badIndex);
        m_map.push_back(true);
    } else if (obTag & dwBigClassTag) {
        const DWORD nClassIndex = obTag & ~dwBigClassTag;
        if (nClassIndex == 0 || nClassIndex >= m_map.size() || !m_map[nClassIndex])
            AfxThrowArchiveException(CArchiveException::badIndex);
    } else {
        // An object tag: the null object, or a reference to an object read before. Each text
        // box is converted and dropped once it is read, so a second reference to one has
        // nothing to refer to.
        if (obTag == wNullTag)
            return nullptr;
        AfxThrowArchiveException(CArchiveException::badIndex);
    }
    if (m_map.size() > nMaxMapCount)
        AfxThrowArchiveException(CArchiveException::badIndex);
    m_map.push_back(false);
    auto pEdit = std::make_unique<CTransparentEdit>();
    pEdit->Serialize(m_ar);
    return pEdit;
}

void CEditArchiveWriter::WriteObject(CTransparentEdit* pEdit) {
    if (!pEdit) {
        m_ar << wNullTag;
        return;
    }
    if (m_nClassIndex == 0) {
        m_ar << wNewClassTag << CTransparentEdit::kSchema
             << WORD(std::strlen(CTransparentEdit::kClassName));
        m_ar.Write(CTransparentEdit::kClassName, qint64(std::strlen(CTransparentEdit::kClassName)));
        m_nClassIndex = m_nMapCount++;
    } else if (m_nClassIndex < wBigObjectTag) {
        m_ar << WORD(wClassTag | m_nClassIndex);
    } else {
        m_ar << wBigObjectTag << DWORD(dwBigClassTag | m_nClassIndex);
    }
    ++m_nMapCount;
    pEdit->Serialize(m_ar);
}
