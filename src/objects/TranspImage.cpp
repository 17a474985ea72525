#include "objects/TranspImage.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "platform/Archive.h"
#include "platform/DC.h"
#include "platform/Guard.h"

#include <cstring>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <climits>

namespace {
// The pixel size of a bitmap taken as page units, in text units.
POINT PixelSizeInUnits(const CTranspBaseClass& obj, const LBitmapBase& bitmap) {
    POINT size{bitmap.GetWidth(), bitmap.GetHeight()};
    obj.PageToUnit(size);
    return size;
}

QByteArray MakePictureBlock(std::int16_t version, std::int16_t transparent, const RECT& rc,
                            const QByteArray& dib) {
    const qint64 total = IMAGE_BLOCK_OVERHEAD + qint64(dib.size());
    if (dib.isEmpty() || total > INT_MAX) return {};
    CObjectBlockWriter w{qsizetype(total)};
    w.Int32(std::int32_t(total)).Int32(CLIPKIND_IMAGE).Int16(version).Int16(transparent).Int32(0);
    w.Double(g_dUnitScale).Int32(rc.left).Int32(rc.top).Int32(rc.right).Int32(rc.bottom);
    w.Int32(std::int32_t(dib.size())).Bytes(dib);
    w.Zeros(total - w.Size());
    return w.Block();
}
} // namespace

QByteArray DibToPictureBlock(const QByteArray& dib) {
    DEF_TRY
    return MakePictureBlock(IMAGE_BLOCK_VERSION_DIB, 0, RECT{}, dib);
    DEF_CATCH
    return {};
}

CTranspImage::CTranspImage(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {}

void CTranspImage::PlaceBitmap(LMyBitmap& bitmap, int x, int y) {
    const POINT size = PixelSizeInUnits(*this, bitmap);
    m_bitmap.TakePixels(bitmap);
    m_rect = RECT{x, y, AddCoord(x, size.x), AddCoord(y, size.y)};
}

BOOL CTranspImage::Create(const QString& path, int x, int y) {
    DEF_TRY
    LMyBitmap bitmap;
    if (bitmap.Load(path) != SUCCESS || !bitmap.IsAllocated()) return FALSE;
    PlaceBitmap(bitmap, x, y);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspImage::CreateDib(const QByteArray& dib, int x, int y) {
    DEF_TRY
    LMyBitmap bitmap;
    if (LMyBitmap::CopyFromHDib(bitmap, dib) != SUCCESS || !bitmap.IsAllocated()) return FALSE;
    PlaceBitmap(bitmap, x, y);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspImage::Create(const QByteArray& block, int x, int y) {
    DEF_TRY
    const CObjectBlockReader r(block);
    if (!r.IsValid() || r.GetKind() != CLIPKIND_IMAGE) return FALSE;
    std::int16_t version = 0, transparent = 0;
    double unitScale = 0.0;
    std::int32_t dibSize = 0;
    RECT rc;
    if (!r.Int16(8, version) || version < 1 || !r.Int16(IMAGE_BLOCK_TRANSPARENT, transparent) ||
        !r.Double(16, unitScale) || !IsValidUnitScale(unitScale) ||
        !r.Int32(IMAGE_BLOCK_RECT, rc.left) || !r.Int32(IMAGE_BLOCK_RECT + 4, rc.top) ||
        !r.Int32(IMAGE_BLOCK_RECT + 8, rc.right) || !r.Int32(IMAGE_BLOCK_RECT + 12, rc.bottom) ||
        !r.Int32(IMAGE_BLOCK_DIBSIZE, dibSize))
        return FALSE;
    // The bitmap's byte count must lie inside the block; the bitmap's own header is checked
    // against that count before any pixel memory is taken.
    const QByteArray dib = r.Bytes(IMAGE_BLOCK_DIB, dibSize);
    if (dibSize <= 0 || dib.isNull()) return FALSE;
    LMyBitmap bitmap;
    if (LMyBitmap::CopyFromHDib(bitmap, dib) != SUCCESS || !bitmap.IsAllocated()) return FALSE;

    g_dUnitScale = unitScale;
    m_bTransparent = version == IMAGE_BLOCK_VERSION_DIB || transparent != 0 ? 1 : 0;
    NormalizeRect(rc);
    if (rc.IsRectEmpty()) {
        PlaceBitmap(bitmap, x, y);
    } else {
        m_bitmap.TakePixels(bitmap);
        m_rect = RECT{x, y, AddCoord(x, SubCoord(rc.right, rc.left)),
                      AddCoord(y, SubCoord(rc.bottom, rc.top))};
    }
    return TRUE;
    DEF_CATCH
    return FALSE;
}

std::unique_ptr<CTranspImage> CTranspImage::FromBlock(IObjectHost* pView, const QByteArray& block,
                                                      POINT pt, int nPage) {
    DEF_TRY
    auto obj = std::make_unique<CTranspImage>(pView, nPage);
    if (obj->Create(block, pt.x, pt.y)) return obj;
    DEF_CATCH
    return nullptr;
}

BOOL CTranspImage::Rotate(int nAngle) {
    DEF_TRY
    if (!m_bitmap.IsAllocated()) return FALSE;
    RECT rcOld;
    GetRepaintRect(&rcOld);
    // Text units per pixel, kept across the turn.
    RECT rc = m_rect;
    NormalizeRect(rc);
    const std::int64_t sx = (std::int64_t(rc.right) - rc.left) / m_bitmap.GetWidth();
    const std::int64_t sy = (std::int64_t(rc.bottom) - rc.top) / m_bitmap.GetHeight();

    AddBitmapToCurrentUndoItem();
    // A failed rotation leaves the bitmap as it was.
    if (m_bitmap.Rotate(nAngle, ROTATE_RESIZE, 0xFFFFFF) != SUCCESS) return FALSE;

    const auto clamp = [](std::int64_t v) {
        return LONG(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
    };
    m_rect = RECT{rc.left, rc.top, clamp(rc.left + m_bitmap.GetWidth() * sx),
                  clamp(rc.top + m_bitmap.GetHeight() * sy)};
    Repaint(&rcOld);
    // The page has changed as much as by any other edit.
    SetModified();
    AddUndo();
    AddBitmapToCurrentUndoItem();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CTranspImage::GetBitmap(LBitmapBase& bitmap) const {
    DEF_TRY
    if (!m_bitmap.IsAllocated()) return FALSE;
    return bitmap.Copy(m_bitmap) == SUCCESS;
    DEF_CATCH
    return FALSE;
}

void CTranspImage::SetTransparent(int bTransparent) {
    DEF_TRY
    if ((m_bTransparent != 0) == (bTransparent != 0)) return;
    m_bTransparent = bTransparent != 0 ? 1 : 0;
    SetModified();
    Repaint();
    DEF_CATCH
}

void CTranspImage::AddBitmapToCurrentUndoItem() {
    DEF_TRY
    if (m_nUndoPos < 0 || m_nUndoPos >= int(m_undoList.size()) || !m_bitmap.IsAllocated()) return;
    auto* state = static_cast<IMAGEUNDOSTATE*>(m_undoList[std::size_t(m_nUndoPos)].get());
    if (state) state->bitmap = std::make_shared<const LMyBitmap>(m_bitmap);
    DEF_CATCH
}

UndoState CTranspImage::GetUndoState() const {
    DEF_TRY
    auto s = std::make_shared<IMAGEUNDOSTATE>();
    s->graph.left = m_rect.left;
    s->graph.top = m_rect.top;
    s->graph.right = m_rect.right;
    s->graph.bottom = m_rect.bottom;
    s->graph.crColor = m_crColor;
    s->graph.nLineWidth = m_nLineWidth;
    return s;
    DEF_CATCH
    return nullptr;
}

void CTranspImage::SetUndoState(const void* pState) {
    DEF_TRY
    if (!pState) return;
    const auto* s = static_cast<const IMAGEUNDOSTATE*>(pState);
    CTranspGraphClass::SetUndoState(&s->graph);
    if (s->bitmap && s->bitmap->IsAllocated()) m_bitmap.Copy(*s->bitmap);
    DEF_CATCH
}

void CTranspImage::Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) {
    DEF_TRY
    if (!pDC) return;
    RECT rc = m_rect;
    UnitToDevice(rc, pDC, bPrinting, pDpi);
    NormalizeRect(rc);
    if (m_bitmap.IsAllocated()) {
        const int saved = pDC->SaveDC();
        pDC->SetStretchBltMode(COLORONCOLOR);
        // An indexed bitmap carries its palette in its colour table: nothing to realize.
        pDC->StretchBlt(rc, m_bitmap.GetImage(),
                        RECT{0, 0, m_bitmap.GetWidth(), m_bitmap.GetHeight()},
                        m_bTransparent ? SRCAND : SRCCOPY);
        pDC->RestoreDC(saved);
    }
    if (!bPrinting) DrawMarks(pDC, rc, TRUE);
    DEF_CATCH
}

QByteArray CTranspImage::GetObData() const {
    DEF_TRY
    return MakePictureBlock(IMAGE_BLOCK_VERSION, std::int16_t(m_bTransparent ? 1 : 0), m_rect,
                            m_bitmap.ConvertToDIB());
    DEF_CATCH
    return {};
}

std::unique_ptr<QMimeData> CTranspImage::MakeMimeData() const {
    const QByteArray block = GetObData();
    if (block.isEmpty()) return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(OBJECT_CLIPBOARD_MIME), block);
    const QByteArray dib = m_bitmap.ConvertToDIB();
    if (!dib.isEmpty()) data->setData(brellin::imaging::DibMimeType(), dib);
    data->setImageData(m_bitmap.ToQImage());
    return data;
}

void CTranspImage::Serialize(CArchive& ar) {
    DEF_TRY
    SerializeRecord(ar);
    DEF_CATCH_RECORD
}

void CTranspImage::SerializeRecord(CArchive& ar) {
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        CRecordFrameWriter writer(RECORD_SIZE_IMAGE, RECORD_VERSION_IMAGE);
        const RECT rc = dpi.Store(m_rect);
        writer.Fixed() << std::int32_t(rc.left) << std::int32_t(rc.top) << std::int32_t(rc.right)
                       << std::int32_t(rc.bottom) << std::int32_t(m_nPage)
                       << std::int32_t(m_bTransparent);
        // A picture without a bitmap stores none, and loads back as one.
        const QByteArray dib = m_bitmap.IsAllocated() ? m_bitmap.ConvertToDIB() : QByteArray();
        if (m_bitmap.IsAllocated() && dib.isEmpty())
            AfxThrowArchiveException(CArchiveException::genericException,
                                     QStringLiteral("picture cannot be stored"));
        writer.Variable() << std::int32_t(dib.size());
        writer.Variable().Write(dib);
        writer.WriteTo(ar);
        return;
    }

    // Read into locals first: a refused record leaves the picture as it was.
    CRecordFrameReader reader(ar, RECORD_SIZE_IMAGE);
    CArchive& f = reader.Fixed();
    RECT rc = dpi.Store(m_rect);
    std::int32_t page = m_nPage, transparent = m_bTransparent;
    const auto readInt = [&](LONG offset, std::int32_t& value) {
        if (reader.HasField(offset, 4)) f >> value;
    };
    readInt(16, rc.left);
    readInt(20, rc.top);
    readInt(24, rc.right);
    readInt(28, rc.bottom);
    readInt(32, page);
    readInt(36, transparent);
    // The first structure had no flag: its pictures were all transparent.
    if (reader.GetVersion() < 2) transparent = 1;

    reader.CheckVariableCount(1, 4);
    CArchive& v = reader.Archive();
    std::int32_t dibSize = 0;
    v >> dibSize;
    reader.CheckVariableCount(dibSize, 1);
    LMyBitmap bitmap;
    if (dibSize > 0) {
        const QByteArray dib = v.ReadBytes(dibSize);
        const int result = LMyBitmap::CopyFromHDib(bitmap, dib);
        if (result != SUCCESS)
            AfxThrowArchiveException(CArchiveException::programRefusal,
                                     QStringLiteral("invalid picture in object record (%1)")
                                         .arg(GetImagingErrorText(result)));
    }
    reader.End();
    m_rect = dpi.Load(rc);
    m_nPage = page;
    m_bTransparent = transparent != 0 ? 1 : 0;
    m_bitmap.TakePixels(bitmap);
}

BOOL CTranspImage::IsSameHistoryState(const void* pA, const void* pB) const {
    if (!pA || !pB) return pA == pB;
    const auto* a = static_cast<const IMAGEUNDOSTATE*>(pA);
    const auto* b = static_cast<const IMAGEUNDOSTATE*>(pB);
    return std::memcmp(&a->graph, &b->graph, sizeof(GRAPHUNDOSTATE)) == 0 && a->bitmap == b->bitmap;
}
