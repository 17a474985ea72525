#include "objects/ObjectFactory.h"

#include "objects/ObjectBlock.h"
#include "objects/TranspArrow.h"
#include "objects/TranspBlock.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspImage.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"

std::unique_ptr<CTranspBaseClass> CreateObjectForKind(LONG nKind, IObjectHost* pView, int nPage) {
    DEF_TRY
    switch (nKind) {
    case KIND_TEXT:
        return std::make_unique<CTranspText>(pView, nPage);
    case KIND_CHECKMARK:
        return std::make_unique<CTranspCheckMark>(pView, nPage);
    case KIND_RECTANGLE:
        return std::make_unique<CTranspRectangle>(pView, nPage);
    case KIND_ELLIPSE:
        return std::make_unique<CTranspEllipse>(pView, nPage);
    case KIND_LINE:
        return std::make_unique<CTranspLine>(pView, nPage);
    case KIND_FREEHAND:
        return std::make_unique<CTranspFreehand>(pView, nPage);
    case KIND_IMAGE:
        return std::make_unique<CTranspImage>(pView, nPage);
    case KIND_CIRCLE:
        return std::make_unique<CTranspCircle>(pView, nPage);
    case KIND_ARROW:
        return std::make_unique<CTranspArrow>(pView, nPage);
    case KIND_SIZEARROW:
        return std::make_unique<CTranspSizeArrow>(pView, nPage);
    case KIND_BRACE:
        return std::make_unique<CTranspBrace>(pView, nPage);
    default:
        return nullptr;
    }
    DEF_CATCH
    return nullptr;
}

LONG GetStoredKind(const CTranspBaseClass* pObject) {
    DEF_TRY
    // Tested in the order the document file has always used; no kind derives from another, so
    // the order decides nothing else.
    if (dynamic_cast<const CTranspText*>(pObject)) return KIND_TEXT;
    if (dynamic_cast<const CTranspCheckMark*>(pObject)) return KIND_CHECKMARK;
    if (dynamic_cast<const CTranspCircle*>(pObject)) return KIND_CIRCLE;
    if (dynamic_cast<const CTranspEllipse*>(pObject)) return KIND_ELLIPSE;
    if (dynamic_cast<const CTranspFreehand*>(pObject)) return KIND_FREEHAND;
    if (dynamic_cast<const CTranspImage*>(pObject)) return KIND_IMAGE;
    if (dynamic_cast<const CTranspLine*>(pObject)) return KIND_LINE;
    if (dynamic_cast<const CTranspArrow*>(pObject)) return KIND_ARROW;
    if (dynamic_cast<const CTranspSizeArrow*>(pObject)) return KIND_SIZEARROW;
    if (dynamic_cast<const CTranspBrace*>(pObject)) return KIND_BRACE;
    if (dynamic_cast<const CTranspRectangle*>(pObject)) return KIND_RECTANGLE;
    DEF_CATCH
    return 0;
}

std::unique_ptr<CTranspBaseClass> CreateObjectFromBlock(const QByteArray& block, POINT ptAt,
                                                        IObjectHost* pView, int nPage) {
    DEF_TRY
    const CObjectBlockReader r(block);
    if (!r.IsValid()) return nullptr;
    switch (r.GetKind()) {
    case CLIPKIND_RECTANGLE:
        return CTranspRectangle::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_ELLIPSE:
        return CTranspEllipse::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_LINE:
        return CTranspLine::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_FREEHAND:
        return CTranspFreehand::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_TEXT: {
        // A block the text does not accept leaves it without lines.
        auto text = std::make_unique<CTranspText>(pView, block, ptAt.x, ptAt.y, nPage);
        if (text->IsEmpty()) return nullptr;
        return text;
    }
    case CLIPKIND_CHECKMARK:
        return CTranspCheckMark::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_IMAGE:
        return CTranspImage::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_CIRCLE:
        return CTranspCircle::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_ARROW:
        return CTranspArrow::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_SIZEARROW:
    case CLIPKIND_SIZEARROW2:
        return CTranspSizeArrow::FromBlock(pView, block, ptAt, nPage);
    case CLIPKIND_BRACE:
        return CTranspBrace::FromBlock(pView, block, ptAt, nPage);
    default:
        return nullptr; // 5, 10 and unknown codes are not pasted
    }
    DEF_CATCH
    return nullptr;
}

std::vector<std::unique_ptr<CTranspBaseClass>>
CreateObjectsFromBlock(const QByteArray& block, POINT ptAt, IObjectHost* pView, int nPage) {
    std::vector<std::unique_ptr<CTranspBaseClass>> objects;
    DEF_TRY
    const CObjectBlockReader r(block);
    if (!r.IsValid()) return objects;
    if (r.GetKind() != CLIPKIND_BLOCK) {
        if (auto obj = CreateObjectFromBlock(block, ptAt, pView, nPage))
            objects.push_back(std::move(obj));
        return objects;
    }
    std::vector<CTranspBlock::Member> members;
    if (!CTranspBlock::ReadMembers(block, members)) return objects;
    for (const CTranspBlock::Member& m : members) {
        const POINT at{AddCoord(ptAt.x, m.displacement.x), AddCoord(ptAt.y, m.displacement.y)};
        // A group block makes no object, so a group inside a group is refused along the way.
        if (auto obj = CreateObjectFromBlock(m.block, at, pView, nPage))
            objects.push_back(std::move(obj));
    }
    return objects;
    DEF_CATCH
    objects.clear();
    return objects;
}
