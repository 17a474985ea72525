// Records and data blocks of the shapes come from files, the clipboard, drag-and-drop and other
// copies of the program: every kind must refuse bad ones cleanly and leave itself as it was.

#include "objects/TranspArrow.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspLine.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"

#include "ShapeTestSupport.h"

#include <QtEndian>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

namespace {

using namespace shapetest;

struct Kind {
    const char* name;
    // A fresh object of the kind with some geometry, and one read from a block at (0, 0).
    std::function<std::unique_ptr<CTranspGraphClass>(IObjectHost*)> make;
    std::function<std::unique_ptr<CTranspGraphClass>(IObjectHost*, const QByteArray&)> fromBlock;
};

template <typename T>
std::function<std::unique_ptr<CTranspGraphClass>(IObjectHost*, const QByteArray&)> Reader() {
    return [](IObjectHost* host, const QByteArray& block) -> std::unique_ptr<CTranspGraphClass> {
        return T::FromBlock(host, block, POINT{0, 0}, 0);
    };
}

std::vector<Kind> Kinds() {
    const RECT rc{10000, 20000, 90000, 70000};
    return {
        {"line",
         [](IObjectHost* h) {
             return std::make_unique<CTranspLine>(h, 1, 2, 30000, 40000, 5, 6, 0);
         },
         Reader<CTranspLine>()},
        {"arrow",
         [](IObjectHost* h) {
             return std::make_unique<CTranspArrow>(h, 1, 2, 30000, 40000, 5, 6, 0);
         },
         Reader<CTranspArrow>()},
        {"size arrow",
         [rc](IObjectHost* h) {
             return std::make_unique<CTranspSizeArrow>(h, rc, 5, 6, 0, 7, TRUE);
         },
         Reader<CTranspSizeArrow>()},
        {"bracket",
         [rc](IObjectHost* h) { return std::make_unique<CTranspBrace>(h, rc, 5, 6, 0, 3); },
         Reader<CTranspBrace>()},
        {"check mark",
         [rc](IObjectHost* h) { return std::make_unique<CTranspCheckMark>(h, rc, 5, 6, 0); },
         Reader<CTranspCheckMark>()},
        {"rectangle",
         [rc](IObjectHost* h) { return std::make_unique<CTranspRectangle>(h, rc, 5, 6, 0); },
         Reader<CTranspRectangle>()},
        {"ellipse",
         [rc](IObjectHost* h) { return std::make_unique<CTranspEllipse>(h, rc, 5, 6, 0); },
         Reader<CTranspEllipse>()},
        {"circle",
         [](IObjectHost* h) {
             return std::make_unique<CTranspCircle>(h, 50000, 50000, 20000, 5, 6, 0);
         },
         Reader<CTranspCircle>()},
    };
}

void PutI32(QByteArray& b, int offset, std::int32_t v) {
    qToLittleEndian(v, b.data() + offset);
}
void PutF64(QByteArray& b, int offset, double v) {
    qToLittleEndian(v, b.data() + offset);
}

TEST(ShapesHostileTest, BadBlocksAreRefusedAndLeaveTheUnitScale) {
    CShapeTestScope scope;
    CShapeHost host;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Kind& kind : Kinds()) {
        const QByteArray good = kind.make(&host)->GetObData();
        ASSERT_FALSE(good.isEmpty()) << kind.name;
        std::vector<QByteArray> bad = {QByteArray(), good.left(23), good.left(good.size() - 1)};
        for (const std::int32_t size : {-1, 0, 8, 24, int(good.size()) - 8, int(good.size()) + 1,
                                        std::numeric_limits<std::int32_t>::max()}) {
            QByteArray b = good;
            PutI32(b, 0, size);
            bad.push_back(b);
        }
        for (const std::int32_t k : {0, 5, 10, 15, 99, -3}) {
            QByteArray b = good;
            PutI32(b, 4, k);
            bad.push_back(b);
        }
        for (const std::int32_t version : {0, -1}) {
            QByteArray b = good;
            PutI32(b, 8, version);
            bad.push_back(b);
        }
        for (const double scale : {nan, inf, 0.0, -0.00001, 2.0}) {
            QByteArray b = good;
            PutF64(b, 16, scale);
            bad.push_back(b);
        }
        for (const QByteArray& b : bad) {
            g_dUnitScale = 0.00002;
            EXPECT_FALSE(kind.fromBlock(&host, b)) << kind.name << " " << b.toHex().constData();
            EXPECT_EQ(g_dUnitScale, 0.00002) << kind.name;
        }
        // A clipboard may hand over more bytes than the block claims.
        EXPECT_TRUE(kind.fromBlock(&host, good + QByteArray(64, '\x7F'))) << kind.name;
    }
}

TEST(ShapesHostileTest, BadRecordsRaiseAndLeaveTheObjectAsItWas) {
    CShapeTestScope scope;
    CShapeHost host;
    for (const Kind& kind : Kinds()) {
        const QByteArray good = StoreRecord(*kind.make(&host));
        const std::int32_t structSize = qFromLittleEndian<std::int32_t>(good.constData() + 4);
        std::vector<QByteArray> bad;
        for (int n = 0; n < good.size(); ++n)
            bad.push_back(good.left(n));
        for (const std::int32_t length :
             {-1, 0, 3, structSize, std::numeric_limits<std::int32_t>::max()}) {
            QByteArray b = good;
            PutI32(b, 0, length);
            bad.push_back(b);
        }
        for (const std::int32_t size :
             {-16, 0, 15, structSize + 1, std::numeric_limits<std::int32_t>::max()}) {
            QByteArray b = good;
            PutI32(b, 4, size);
            bad.push_back(b);
        }
        QByteArray badScale = good;
        PutF64(badScale, 16, std::numeric_limits<double>::quiet_NaN());
        bad.push_back(badScale);

        for (const QByteArray& b : bad) {
            auto target = kind.make(&host);
            const QByteArray before = StoreRecord(*target);
            EXPECT_FALSE(LoadRecord(*target, b)) << kind.name << " " << b.toHex().constData();
            EXPECT_EQ(StoreRecord(*target), before) << kind.name;
        }

        // A larger structure of a later version: the known part is read, the rest skipped.
        QByteArray larger = good;
        larger.insert(8 + structSize, QByteArray(24, '\x55'));
        PutI32(larger, 0, qFromLittleEndian<std::int32_t>(good.constData()) + 24);
        PutI32(larger, 4, structSize + 24);
        PutI32(larger, 8, structSize + 24);
        larger += "next";
        auto target = kind.make(&host);
        qint64 consumed = 0;
        ASSERT_TRUE(LoadRecord(*target, larger, &consumed)) << kind.name;
        EXPECT_EQ(consumed, larger.size() - 4) << kind.name;
        EXPECT_EQ(StoreRecord(*target), good) << kind.name;
    }
}

TEST(ShapesHostileTest, ExtremeGeometryDrawsAndHitTestsWithoutFault) {
    CShapeTestScope scope;
    CShapeHost host;
    const LONG big = std::numeric_limits<LONG>::max();
    const LONG small = std::numeric_limits<LONG>::min();
    std::vector<std::unique_ptr<CTranspGraphClass>> objects;
    objects.push_back(std::make_unique<CTranspLine>(&host, small, small, big, big, 0, big, 0));
    objects.push_back(std::make_unique<CTranspArrow>(&host, big, small, small, big, 0, small, 0));
    objects.push_back(std::make_unique<CTranspSizeArrow>(&host, RECT{small, small, big, big}, 0,
                                                         big, 0, big, TRUE));
    objects.push_back(std::make_unique<CTranspSizeArrow>(&host, RECT{big, big, small, small}, 0, 1,
                                                         0, small, FALSE));
    for (int style = 0; style <= 4; ++style)
        objects.push_back(
            std::make_unique<CTranspBrace>(&host, RECT{small, small, big, big}, 0, 1, 0, style));
    objects.push_back(
        std::make_unique<CTranspCheckMark>(&host, RECT{small, small, big, big}, 0, big, 0));
    objects.push_back(
        std::make_unique<CTranspRectangle>(&host, RECT{small, small, big, big}, 0, 1, 0));
    objects.push_back(std::make_unique<CTranspEllipse>(&host, RECT{small, 0, big, 10}, 0, 1, 0));
    objects.push_back(std::make_unique<CTranspCircle>(&host, big, small, small, 0, 1, 0));
    for (auto& obj : objects) {
        obj->m_bSelected = TRUE;
        DrawShape(*obj, false, 40, 40);
        DrawShape(*obj, true, 40, 40);
        RECT rc;
        obj->GetRepaintRect(&rc);
        obj->GetCapture(POINT{10, 10});
        obj->m_nCapture = HIT_TOPLEFT;
        obj->Resize(big, small);
        obj->MoveBy(small, big);
        EXPECT_FALSE(obj->GetObData().isEmpty());
    }
}

} // namespace
