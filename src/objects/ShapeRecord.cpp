#include "objects/ShapeRecord.h"

#include "objects/RecordFrame.h"
#include "objects/TranspGraphClass.h"
#include "platform/Guard.h"

#include <cstdint>
#include <vector>

RECTSHAPEDATA GetRectShapeData(const CTranspGraphClass& obj) {
    return RECTSHAPEDATA{obj.m_rect, obj.m_crColor, obj.m_nLineWidth, obj.m_nPage};
}

void SetRectShapeData(CTranspGraphClass& obj, const RECTSHAPEDATA& data) {
    obj.m_rect = data.rect;
    obj.m_crColor = data.crColor;
    obj.m_nLineWidth = data.nLineWidth;
    obj.m_nPage = data.nPage;
}

void StoreRectRecord(CArchive& ar, const RECTSHAPEDATA& data, LONG nStructSize, LONG nVersion,
                     bool bScaled, const LONG* pExtra, int nExtra) {
    const CRecordDpi dpi;
    const RECT rc = bScaled ? dpi.Store(data.rect) : data.rect;
    CRecordFrameWriter writer(nStructSize, nVersion);
    writer.Fixed() << std::int32_t(rc.left) << std::int32_t(rc.top) << std::int32_t(rc.right)
                   << std::int32_t(rc.bottom) << std::uint32_t(data.crColor)
                   << std::int32_t(data.nLineWidth) << std::int32_t(data.nPage);
    for (int i = 0; i < nExtra; ++i)
        writer.Fixed() << std::int32_t(pExtra[i]);
    writer.WriteTo(ar);
}

int LoadRectRecord(CArchive& ar, RECTSHAPEDATA& data, LONG nStructSize, bool bScaled, LONG* pExtra,
                   int nExtra, LONG* pVersion) {
    const CRecordDpi dpi;
    CRecordFrameReader reader(ar, nStructSize);
    std::vector<LONG> f(size_t(7 + nExtra));
    const int n = reader.ReadLongs(f.data(), int(f.size()));
    reader.End();
    RECT rc = data.rect;
    if (n > 0) rc.left = bScaled ? dpi.LoadX(f[0]) : f[0];
    if (n > 1) rc.top = bScaled ? dpi.LoadY(f[1]) : f[1];
    if (n > 2) rc.right = bScaled ? dpi.LoadX(f[2]) : f[2];
    if (n > 3) rc.bottom = bScaled ? dpi.LoadY(f[3]) : f[3];
    data.rect = rc;
    if (n > 4) data.crColor = COLORREF(f[4]);
    if (n > 5) data.nLineWidth = f[5];
    if (n > 6) data.nPage = f[6];
    for (int i = 0; i < nExtra && 7 + i < n; ++i)
        pExtra[i] = f[size_t(7 + i)];
    if (pVersion) *pVersion = reader.GetVersion();
    return n > 7 ? n - 7 : 0;
}

QByteArray MakeRectBlock(const RECTSHAPEDATA& data, LONG nSize, LONG nKind, LONG nVersion,
                         const LONG* pExtra, int nExtra) {
    DEF_TRY
    QByteArray block = MakeObjectBlock(nSize, nKind, nVersion);
    PutBlockLong(block, 24, data.rect.left);
    PutBlockLong(block, 28, data.rect.top);
    PutBlockLong(block, 32, data.rect.right);
    PutBlockLong(block, 36, data.rect.bottom);
    PutBlockLong(block, 40, data.nLineWidth);
    PutBlockLong(block, 44, LONG(data.crColor));
    for (int i = 0; i < nExtra; ++i)
        PutBlockLong(block, 48 + 4 * i, pExtra[i]);
    return block;
    DEF_CATCH
    return {};
}

bool ReadRectBlock(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                   RECTSHAPEDATA& data, OBJECTBLOCKHEAD& head) {
    DEF_TRY
    if (!ReadObjectBlockHead(block, kinds, std::max<LONG>(nMinSize, 48), head)) return false;
    data.rect = RECT{GetBlockLong(block, 24), GetBlockLong(block, 28), GetBlockLong(block, 32),
                     GetBlockLong(block, 36)};
    data.nLineWidth = GetBlockLong(block, 40);
    data.crColor = COLORREF(GetBlockLong(block, 44));
    return true;
    DEF_CATCH
    return false;
}

POINT PlacementOffset(const RECT& rect, int x, int y) {
    RECT rc = rect;
    NormalizeRect(rc);
    return POINT{SubCoord(x, rc.left), SubCoord(y, rc.top)};
}
