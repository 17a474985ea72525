#include "objects/TranspBlock.h"

#include "ObjectBytes.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kMember48 = Bytes().I32(48).I32(3).I32(1).Zeros(36).bytes();
const QByteArray kMember40 = Bytes().I32(40).I32(1).I32(1).Zeros(28).bytes();

QByteArray TwoMembers() {
    return Bytes()
        .I32(116).I32(15).I32(2)
        .Raw(kMember48).I32(10).I32(20)
        .Raw(kMember40).I32(-5).I32(7)
        .bytes();
}

TEST(TranspBlockTest, TwoMembersOf48And40BytesMake116) {
    CTranspBlock block(nullptr);
    block.AddToHandlesList(kMember48);
    block.AddToDisplacementsList(10, 20);
    block.AddToHandlesList(kMember40);
    block.AddToDisplacementsList(-5, 7);
    EXPECT_EQ(block.GetObData(), TwoMembers());

    std::vector<CTranspBlock::Member> members;
    ASSERT_TRUE(CTranspBlock::ReadMembers(TwoMembers(), members));
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].block, kMember48);
    EXPECT_EQ(members[0].displacement, (POINT{10, 20}));
    EXPECT_EQ(members[1].block, kMember40);
    EXPECT_EQ(members[1].displacement, (POINT{-5, 7}));

    CTranspBlock empty(nullptr);
    EXPECT_EQ(empty.GetObData(), Bytes().I32(12).I32(15).I32(0).bytes());
}

TEST(TranspBlockTest, MembersThatDoNotAddUpMakeNoBlock) {
    CTranspBlock unpaired(nullptr);
    unpaired.AddToHandlesList(kMember48);
    EXPECT_TRUE(unpaired.GetObData().isEmpty());

    // A member whose size field is not its length would put a reader out of step.
    CTranspBlock lying(nullptr);
    lying.AddToHandlesList(Bytes().I32(30).I32(3).Zeros(40).bytes());
    lying.AddToDisplacementsList(0, 0);
    EXPECT_TRUE(lying.GetObData().isEmpty());
}

TEST(TranspBlockTest, HostileGroupsAreRefusedWhole) {
    const QByteArray good = TwoMembers();
    const auto patch = [&](int offset, std::int32_t v) {
        QByteArray b = good;
        b.replace(offset, 4, Bytes().I32(v).bytes());
        return b;
    };
    const QByteArray hostile[] = {
        patch(8, 3),           // a third member that is not there
        patch(8, -1),          patch(8, 0x7FFFFFFF),
        patch(12, 4),          // a member smaller than its own size and kind
        patch(12, 97),         // a member reaching over the group's end
        patch(12, -48),        patch(0, 117), // a group longer than its bytes
        patch(4, 8),           good.left(11),
    };
    for (const QByteArray& bytes : hostile) {
        std::vector<CTranspBlock::Member> members{{QByteArray("keep"), POINT{1, 1}}};
        EXPECT_FALSE(CTranspBlock::ReadMembers(bytes, members)) << bytes.toHex().toStdString();
        EXPECT_EQ(members.size(), 1u);
    }
}

} // namespace
