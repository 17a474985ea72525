#pragma once
// CTranspBlock: a transient carrier that packs the data blocks of several objects, each with its
// offset inside the group, into one block for copying, dragging and the shelf. It is never drawn
// and never stored in a document; pasting a block places each member at the paste point plus its
// offset.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <vector>

// The clipboard kind code of a group block. Its layout: int32 total size (12 + the sum over the
// members of their size + 8), int32 kind 15, int32 number of members, then for each member its
// whole data block (whose first int32 is its own size) and its offset x, y (int32 each).
enum : LONG { CLIPKIND_BLOCK = 15 };
enum : int { BLOCK_HEADER_SIZE = 12, BLOCK_MEMBER_OVERHEAD = 8 };

class CTranspBlock : public CTranspGraphClass {
public:
    explicit CTranspBlock(IObjectHost* pView, int nPage = 0);

    // The two lists are filled in parallel: a member's data block, then its offset in text units.
    void AddToHandlesList(const QByteArray& block);
    void AddToDisplacementsList(int x, int y);
    // The group block; empty when the lists differ in length, a member is not a well-formed data
    // block, or the whole would not fit a block.
    QByteArray GetObData() const override;

    struct Member {
        QByteArray block;
        POINT displacement;
    };
    // Splits a group block into its members, each block checked to lie within the group and to be
    // as long as it says; false, and nothing given, when the group is not well formed.
    static bool ReadMembers(const QByteArray& block, std::vector<Member>& members);

    // Member data blocks as their objects made them, and their offsets inside the group.
    std::vector<QByteArray> m_handlesList;
    std::vector<POINT> m_displacementsList;
};
