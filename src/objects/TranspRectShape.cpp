#include "objects/TranspRectShape.h"

#include "objects/ObjectBlock.h"
#include "objects/RecordFrame.h"
#include "platform/Guard.h"

#include <algorithm>
#include <cstdint>
#include <vector>

void CTranspRectShape::Serialize(CArchive& ar) {
    DEF_TRY
    SerializeRect(ar, RECORD_SIZE_SHAPE, RECORD_VERSION_SHAPE, true);
    DEF_CATCH_RECORD
}

int CTranspRectShape::SerializeRect(CArchive& ar, LONG nStructSize, LONG nVersion, bool bScaled,
                                    LONG* pExtra, int nExtra, LONG* pVersion) {
    const CRecordDpi dpi;
    if (ar.IsStoring()) {
        const RECT rc = bScaled ? dpi.Store(m_rect) : m_rect;
        CRecordFrameWriter writer(nStructSize, nVersion);
        writer.Fixed() << std::int32_t(rc.left) << std::int32_t(rc.top) << std::int32_t(rc.right)
                       << std::int32_t(rc.bottom) << std::uint32_t(m_crColor)
                       << std::int32_t(m_nLineWidth) << std::int32_t(m_nPage);
        for (int i = 0; i < nExtra; ++i)
            writer.Fixed() << std::int32_t(pExtra[i]);
        writer.WriteTo(ar);
        return 0;
    }
    CRecordFrameReader reader(ar, nStructSize);
    std::vector<LONG> f(size_t(7 + nExtra));
    const int n = reader.ReadLongs(f.data(), int(f.size()));
    reader.End();
    if (n > 0) m_rect.left = bScaled ? dpi.LoadX(f[0]) : f[0];
    if (n > 1) m_rect.top = bScaled ? dpi.LoadY(f[1]) : f[1];
    if (n > 2) m_rect.right = bScaled ? dpi.LoadX(f[2]) : f[2];
    if (n > 3) m_rect.bottom = bScaled ? dpi.LoadY(f[3]) : f[3];
    if (n > 4) m_crColor = COLORREF(f[4]);
    if (n > 5) m_nLineWidth = f[5];
    if (n > 6) m_nPage = f[6];
    for (int i = 0; i < nExtra && 7 + i < n; ++i)
        pExtra[i] = f[size_t(7 + i)];
    if (pVersion) *pVersion = reader.GetVersion();
    return n > 7 ? n - 7 : 0;
}

QByteArray CTranspRectShape::MakeRectBlock(LONG nSize, LONG nKind, LONG nVersion,
                                           const LONG* pExtra, int nExtra) const {
    DEF_TRY
    QByteArray block = MakeObjectBlock(nSize, nKind, nVersion);
    PutBlockLong(block, 24, m_rect.left);
    PutBlockLong(block, 28, m_rect.top);
    PutBlockLong(block, 32, m_rect.right);
    PutBlockLong(block, 36, m_rect.bottom);
    PutBlockLong(block, 40, m_nLineWidth);
    PutBlockLong(block, 44, LONG(m_crColor));
    for (int i = 0; i < nExtra; ++i)
        PutBlockLong(block, 48 + 4 * i, pExtra[i]);
    return block;
    DEF_CATCH
    return {};
}

BOOL CTranspRectShape::SetRectBlock(const QByteArray& block, std::initializer_list<LONG> kinds,
                                    LONG nMinSize) {
    DEF_TRY
    OBJECTBLOCKHEAD head;
    if (!ReadObjectBlockHead(block, kinds, std::max<LONG>(nMinSize, 48), head)) return FALSE;
    g_dUnitScale = head.dUnitScale;
    m_rect = RECT{GetBlockLong(block, 24), GetBlockLong(block, 28), GetBlockLong(block, 32),
                  GetBlockLong(block, 36)};
    m_nLineWidth = GetBlockLong(block, 40);
    m_crColor = COLORREF(GetBlockLong(block, 44));
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CTranspRectShape::PlaceAt(int x, int y) {
    DEF_TRY
    NormalizeRect(m_rect);
    OffsetRect(m_rect, SubCoord(x, m_rect.left), SubCoord(y, m_rect.top));
    DEF_CATCH
}
