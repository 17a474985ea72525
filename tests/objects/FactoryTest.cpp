#include "objects/ObjectFactory.h"

#include "ObjectBytes.h"
#include "TestObjectHost.h"
#include "TextTestHost.h"
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

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace {

template <class T>
bool Is(const CTranspBaseClass* p) {
    return dynamic_cast<const T*>(p) != nullptr;
}

// One object of every kind, with the codes it is stored and copied under.
struct Kind {
    const char* name;
    LONG stored;
    LONG clip;
    bool (*is)(const CTranspBaseClass*);
    std::function<std::unique_ptr<CTranspBaseClass>(IObjectHost*)> make;
};

std::unique_ptr<CTranspBaseClass> MakePicture(IObjectHost* host) {
    auto pic = std::make_unique<CTranspImage>(host, 1);
    QImage img(3, 2, QImage::Format_RGB888);
    img.fill(Qt::yellow);
    LMyBitmap bitmap;
    bitmap.SetImage(img);
    pic->CreateDib(bitmap.ConvertToDIB(), 40, 50);
    return pic;
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"text", KIND_TEXT, CLIPKIND_TEXT, Is<CTranspText>,
         [](IObjectHost* h) {
             const TEXTSTYLE style = TestTextStyle();
             return std::make_unique<CTranspText>(h, 30, 60, &style, "Factory", 1, FALSE);
         }},
        {"check mark", KIND_CHECKMARK, CLIPKIND_CHECKMARK, Is<CTranspCheckMark>,
         [](IObjectHost* h) {
             return std::make_unique<CTranspCheckMark>(h, RECT{10, 20, 40, 50}, 0xFF, 2, 1);
         }},
        {"rectangle", KIND_RECTANGLE, CLIPKIND_RECTANGLE, Is<CTranspRectangle>,
         [](IObjectHost* h) {
             return std::make_unique<CTranspRectangle>(h, RECT{10, 20, 70, 90}, 0xFF, 2, 1);
         }},
        {"ellipse", KIND_ELLIPSE, CLIPKIND_ELLIPSE, Is<CTranspEllipse>,
         [](IObjectHost* h) {
             return std::make_unique<CTranspEllipse>(h, RECT{10, 20, 70, 90}, 0xFF, 2, 1);
         }},
        {"line", KIND_LINE, CLIPKIND_LINE, Is<CTranspLine>,
         [](IObjectHost* h) { return std::make_unique<CTranspLine>(h, 10, 20, 70, 5, 0xFF, 2, 1); }},
        {"freehand", KIND_FREEHAND, CLIPKIND_FREEHAND, Is<CTranspFreehand>,
         [](IObjectHost* h) {
             const POINT pts[] = {{10, 20}, {30, 5}, {50, 40}};
             return std::make_unique<CTranspFreehand>(h, pts, 3, 0xFF, 2, 1);
         }},
        {"picture", KIND_IMAGE, CLIPKIND_IMAGE, Is<CTranspImage>, MakePicture},
        {"circle", KIND_CIRCLE, CLIPKIND_CIRCLE, Is<CTranspCircle>,
         [](IObjectHost* h) { return std::make_unique<CTranspCircle>(h, 60, 70, 25, 0xFF, 2, 1); }},
        {"arrow", KIND_ARROW, CLIPKIND_ARROW, Is<CTranspArrow>,
         [](IObjectHost* h) { return std::make_unique<CTranspArrow>(h, 10, 20, 70, 5, 0xFF, 2, 1); }},
        {"size arrow", KIND_SIZEARROW, CLIPKIND_SIZEARROW, Is<CTranspSizeArrow>,
         [](IObjectHost* h) {
             return std::make_unique<CTranspSizeArrow>(h, RECT{10, 20, 70, 90}, 0xFF, 2, 1, 8, TRUE);
         }},
        {"bracket", KIND_BRACE, CLIPKIND_BRACE, Is<CTranspBrace>,
         [](IObjectHost* h) {
             return std::make_unique<CTranspBrace>(h, RECT{10, 20, 70, 90}, 0xFF, 2, 1, 1);
         }},
    };
    return kinds;
}

const Kind& KindOf(LONG stored) {
    for (const Kind& k : Kinds())
        if (k.stored == stored)
            return k;
    throw std::out_of_range("kind");
}

TEST(FactoryTest, StoredKindCodesMakeTheirClassesAndRecordsRoundTrip) {
    g_dUnitScale = 0.00001;
    CTextTestHost host;
    for (const Kind& k : Kinds()) {
        auto sample = k.make(&host);
        EXPECT_EQ(GetStoredKind(sample.get()), k.stored) << k.name;
        auto empty = CreateObjectForKind(k.stored, nullptr, 0);
        ASSERT_TRUE(empty) << k.name;
        EXPECT_TRUE(k.is(empty.get())) << k.name;
        // The record a sample stores reads back into the factory's object and stores the same.
        const QByteArray record = StoreRecord(*sample);
        ASSERT_FALSE(record.isEmpty()) << k.name;
        qint64 end = 0;
        ASSERT_TRUE(LoadRecord(*empty, record, &end)) << k.name;
        EXPECT_EQ(end, record.size()) << k.name;
        EXPECT_EQ(StoreRecord(*empty), record) << k.name;
        EXPECT_EQ(empty->GetPageIndex(), 1) << k.name;
    }
    // The document's own records and codes no object has make nothing.
    for (LONG code : {0, 7, 8, 11, 12, 13, 14, 15, 19, -1, 0x7FFFFFFF})
        EXPECT_FALSE(CreateObjectForKind(code, &host, 0)) << code;
    CTranspBlock group(&host);
    EXPECT_EQ(GetStoredKind(&group), 0);
    EXPECT_EQ(GetStoredKind(nullptr), 0);
}

TEST(FactoryTest, ClipboardKindCodesMakeTheirClassesAtThePastePoint) {
    g_dUnitScale = 0.00001;
    CTextTestHost host;
    for (const Kind& k : Kinds()) {
        auto sample = k.make(&host);
        const QByteArray block = sample->GetObData();
        ASSERT_EQ(CObjectBlockReader(block).GetKind(), k.clip) << k.name;
        auto pasted = CreateObjectFromBlock(block, POINT{500, 700}, &host, 2);
        ASSERT_TRUE(pasted) << k.name;
        EXPECT_TRUE(k.is(pasted.get())) << k.name;
        EXPECT_EQ(pasted->GetPageIndex(), 2) << k.name;
        RECT rc;
        pasted->GetAlignRect(&rc);
        NormalizeRect(rc);
        // Every kind lands at the paste point but the circle, which is centred on it, and the
        // text, whose anchor is its bottom-left.
        if (k.stored == KIND_TEXT)
            EXPECT_EQ(rc.left, 500);
        else if (k.stored == KIND_CIRCLE)
            EXPECT_EQ((POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}), (POINT{500, 700}));
        else
            EXPECT_EQ((POINT{rc.left, rc.top}), (POINT{500, 700})) << k.name;
        auto many = CreateObjectsFromBlock(block, POINT{500, 700}, &host, 2);
        ASSERT_EQ(many.size(), 1u) << k.name;
        EXPECT_TRUE(k.is(many[0].get())) << k.name;
    }
    // The size arrow answers to both of its codes.
    QByteArray sizeArrow = KindOf(KIND_SIZEARROW).make(&host)->GetObData();
    sizeArrow.replace(4, 4, Bytes().I32(13).bytes());
    EXPECT_TRUE(Is<CTranspSizeArrow>(CreateObjectFromBlock(sizeArrow, POINT{}, &host, 0).get()));
    // Codes that are not pasted.
    for (LONG code : {0, 5, 10, 15, 16, 99, -3}) {
        sizeArrow.replace(4, 4, Bytes().I32(code).bytes());
        EXPECT_FALSE(CreateObjectFromBlock(sizeArrow, POINT{}, &host, 0)) << code;
    }
}

TEST(FactoryTest, GroupMembersLandAtThePastePointPlusTheirOffsets) {
    g_dUnitScale = 0.00001;
    CTestObjectHost host;
    const POINT pts[] = {{10, 20}, {30, 5}};
    CTranspFreehand stroke(&host, pts, 2, 0xFF, 1, 0);
    CTranspLine line(&host, 100, 100, 150, 120, 0xFF, 1, 0);
    CTranspBlock inner(&host);
    inner.AddToHandlesList(line.GetObData());
    inner.AddToDisplacementsList(0, 0);

    CTranspBlock group(&host);
    group.AddToHandlesList(stroke.GetObData());
    group.AddToDisplacementsList(0, 15);
    group.AddToHandlesList(Bytes().I32(12).I32(99).I32(1).bytes()); // a kind no one knows
    group.AddToDisplacementsList(0, 0);
    group.AddToHandlesList(inner.GetObData()); // a group in a group
    group.AddToDisplacementsList(0, 0);
    group.AddToHandlesList(MakePicture(&host)->GetObData());
    group.AddToDisplacementsList(40, 0);
    group.AddToHandlesList(line.GetObData());
    group.AddToDisplacementsList(-30, 60);

    auto objects = CreateObjectsFromBlock(group.GetObData(), POINT{1000, 2000}, &host, 3);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_TRUE(Is<CTranspFreehand>(objects[0].get()));
    EXPECT_TRUE(Is<CTranspImage>(objects[1].get()));
    EXPECT_TRUE(Is<CTranspLine>(objects[2].get()));
    const POINT expected[] = {{1000, 2015}, {1040, 2000}, {970, 2060}};
    for (std::size_t i = 0; i < 3; ++i) {
        RECT rc;
        objects[i]->GetAlignRect(&rc);
        EXPECT_EQ((POINT{rc.left, rc.top}), expected[i]) << i;
        EXPECT_EQ(objects[i]->GetPageIndex(), 3);
    }
    // A group is not one object.
    EXPECT_FALSE(CreateObjectFromBlock(group.GetObData(), POINT{}, &host, 0));
}

// Every block cut short, declared longer than it is, or with bytes changed at random either
// makes an object or nothing; none reads outside the bytes (the sanitizer builds check that).
TEST(FactoryTest, DamagedBlocksMakeNothingOrAnObject) {
    g_dUnitScale = 0.00001;
    CTextTestHost host;
    std::vector<QByteArray> blocks;
    CTranspBlock group(&host);
    for (const Kind& k : Kinds()) {
        blocks.push_back(k.make(&host)->GetObData());
        group.AddToHandlesList(blocks.back());
        group.AddToDisplacementsList(5, 5);
    }
    blocks.push_back(group.GetObData());

    std::mt19937 random(5);
    for (const QByteArray& block : blocks) {
        for (qsizetype n = 0; n < block.size(); ++n)
            EXPECT_TRUE(CreateObjectsFromBlock(block.left(n), POINT{}, &host, 0).empty())
                << n << " " << block.toHex().toStdString();
        QByteArray longer = block;
        longer.replace(0, 4, Bytes().I32(std::int32_t(block.size() + 1)).bytes());
        EXPECT_TRUE(CreateObjectsFromBlock(longer, POINT{}, &host, 0).empty());
        for (int round = 0; round < 300; ++round) {
            QByteArray damaged = block;
            for (int flips = 0; flips < 3; ++flips) {
                const qsizetype at = qsizetype(random() % std::uint32_t(damaged.size()));
                damaged[at] = char(random());
            }
            (void)CreateObjectsFromBlock(damaged, POINT{}, &host, 0);
        }
    }
    // Bytes beyond the declared size are not part of the block.
    QByteArray padded = blocks[0] + QByteArray(16, '\x7F');
    EXPECT_TRUE(CreateObjectFromBlock(padded, POINT{}, &host, 0));
}

} // namespace
