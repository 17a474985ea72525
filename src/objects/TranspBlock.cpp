#include "objects/TranspBlock.h"

#include "objects/ObjectBlock.h"
#include "platform/Guard.h"

#include <climits>

CTranspBlock::CTranspBlock(IObjectHost* pView, int nPage) : CTranspGraphClass(pView, nPage) {}

void CTranspBlock::AddToHandlesList(const QByteArray& block) {
    DEF_TRY
    m_handlesList.push_back(block);
    DEF_CATCH
}

void CTranspBlock::AddToDisplacementsList(int x, int y) {
    DEF_TRY
    m_displacementsList.push_back(POINT{x, y});
    DEF_CATCH
}

QByteArray CTranspBlock::GetObData() const {
    DEF_TRY
    if (m_handlesList.size() != m_displacementsList.size() || m_handlesList.size() > INT_MAX)
        return {};
    qint64 total = BLOCK_HEADER_SIZE;
    for (const QByteArray& member : m_handlesList) {
        // A reader steps from member to member by their own size fields, so each must be exact.
        const CObjectBlockReader r(member);
        if (!r.IsValid() || r.GetSize() != member.size()) return {};
        total += member.size() + BLOCK_MEMBER_OVERHEAD;
        if (total > INT_MAX) return {};
    }
    CObjectBlockWriter w{qsizetype(total)};
    w.Int32(std::int32_t(total)).Int32(CLIPKIND_BLOCK).Int32(std::int32_t(m_handlesList.size()));
    for (std::size_t i = 0; i < m_handlesList.size(); ++i)
        w.Bytes(m_handlesList[i]).Int32(m_displacementsList[i].x).Int32(m_displacementsList[i].y);
    return w.Block();
    DEF_CATCH
    return {};
}

bool CTranspBlock::ReadMembers(const QByteArray& block, std::vector<Member>& members) {
    DEF_TRY
    const CObjectBlockReader r(block);
    std::int32_t count = 0;
    if (!r.IsValid() || r.GetKind() != CLIPKIND_BLOCK || !r.Int32(8, count) || count < 0)
        return false;
    // Every member takes at least its own size and kind fields and its offset, so the count is
    // bounded by the bytes present before anything is reserved.
    if (count > (r.GetSize() - BLOCK_HEADER_SIZE) / (BLOCK_PREFIX_SIZE + BLOCK_MEMBER_OVERHEAD))
        return false;
    std::vector<Member> found;
    found.reserve(std::size_t(count));
    qint64 at = BLOCK_HEADER_SIZE;
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t size = 0;
        if (!r.Int32(at, size) || size < BLOCK_PREFIX_SIZE ||
            !r.Has(at, qint64(size) + BLOCK_MEMBER_OVERHEAD))
            return false;
        Member m;
        m.block = r.Bytes(at, size);
        r.Int32(at + size, m.displacement.x);
        r.Int32(at + size + 4, m.displacement.y);
        found.push_back(std::move(m));
        at += qint64(size) + BLOCK_MEMBER_OVERHEAD;
    }
    members = std::move(found);
    return true;
    DEF_CATCH
    return false;
}
