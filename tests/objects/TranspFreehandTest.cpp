#include "objects/TranspFreehand.h"

#include "ObjectBytes.h"
#include "TestObjectHost.h"
#include "platform/DC.h"

#include <gtest/gtest.h>

namespace {

const POINT kStroke[] = {{100, 100}, {150, 130}, {200, 160}};

std::vector<POINT> Offset(const POINT* pts, int n, int dx, int dy) {
    std::vector<POINT> out;
    for (int i = 0; i < n; ++i)
        out.push_back(POINT{pts[i].x + dx, pts[i].y + dy});
    return out;
}

TEST(TranspFreehandTest, RectangleIsOnePastTheLargestPoint) {
    CTestObjectHost host;
    CTranspFreehand stroke(&host, kStroke, 3, 0, 0, 0);
    EXPECT_EQ(stroke.m_rect, (RECT{100, 100, 201, 161}));
    const POINT one{40, 70};
    CTranspFreehand dot(&host, &one, 1, 0, 0, 0);
    EXPECT_EQ(dot.m_rect, (RECT{40, 70, 41, 71}));
    EXPECT_FALSE(dot.IsEmpty());
    CTranspFreehand none(&host, nullptr, 0, 0, 0, 0);
    EXPECT_TRUE(none.IsEmpty());
}

TEST(TranspFreehandTest, EdgesAndCornersNeverResizeTheBodyMoves) {
    CTestObjectHost host;
    // Bounds in client pixels: (97, 97, 204, 164).
    struct Case {
        POINT down;
        int code;
    };
    const Case cases[] = {{{99, 99}, HIT_TOPLEFT},   {{202, 99}, HIT_TOPRIGHT},
                          {{202, 162}, HIT_BOTTOMRIGHT}, {{99, 162}, HIT_BOTTOMLEFT},
                          {{99, 130}, HIT_LEFT},     {{150, 99}, HIT_TOP},
                          {{202, 130}, HIT_RIGHT},   {{150, 162}, HIT_BOTTOM}};
    for (const Case& c : cases) {
        CTranspFreehand stroke(&host, kStroke, 3, 0, 0, 0);
        EXPECT_EQ(stroke.GetCapture(c.down), c.code);
        stroke.OnLButtonDown(0, c.down);
        stroke.OnMouseMove(MK_LBUTTON, POINT{c.down.x + 25, c.down.y - 17});
        stroke.OnLButtonUp(0, POINT{c.down.x + 25, c.down.y - 17});
        EXPECT_EQ(stroke.m_points, Offset(kStroke, 3, 0, 0)) << c.code;
        EXPECT_EQ(stroke.m_rect, (RECT{100, 100, 201, 161})) << c.code;
    }
    CTranspFreehand stroke(&host, kStroke, 3, 0, 0, 0);
    const int modifiedBefore = host.modifiedCount;
    ASSERT_EQ(stroke.GetCapture(POINT{150, 130}), HIT_BODY);
    stroke.OnLButtonDown(0, POINT{150, 130});
    stroke.OnMouseMove(MK_LBUTTON, POINT{160, 135});
    stroke.OnLButtonUp(0, POINT{160, 135});
    EXPECT_EQ(stroke.m_points, Offset(kStroke, 3, 10, 5));
    EXPECT_EQ(stroke.m_rect, (RECT{110, 105, 211, 166}));
    EXPECT_GT(host.modifiedCount, modifiedBefore);

    // The repaint rectangle reaches one pixel beyond the bounds.
    RECT bounds, repaint;
    stroke.GetBoundsRect(&bounds);
    stroke.GetRepaintRect(&repaint);
    InflateRect(bounds, 1, 1);
    EXPECT_EQ(repaint, bounds);
}

TEST(TranspFreehandTest, UndoMovesThePointsWithTheRectangle) {
    CTestObjectHost host;
    CTranspFreehand stroke(&host, kStroke, 3, 0x0000FF, 2, 0);
    stroke.DrawScreen(nullptr, FALSE, nullptr); // the initial snapshot
    stroke.OnLButtonDown(0, POINT{150, 130});
    stroke.OnMouseMove(MK_LBUTTON, POINT{130, 170});
    stroke.OnLButtonUp(0, POINT{130, 170});
    stroke.SetColor(0x00FF00);
    ASSERT_EQ(stroke.m_points, Offset(kStroke, 3, -20, 40));

    stroke.Undo();
    EXPECT_EQ(stroke.m_crColor, 0x0000FFu);
    EXPECT_EQ(stroke.m_points, Offset(kStroke, 3, -20, 40));
    stroke.Undo();
    EXPECT_EQ(stroke.m_points, Offset(kStroke, 3, 0, 0));
    EXPECT_EQ(stroke.m_rect, (RECT{100, 100, 201, 161}));
    EXPECT_FALSE(stroke.CanUndo());
    stroke.Redo();
    stroke.Redo();
    EXPECT_EQ(stroke.m_points, Offset(kStroke, 3, -20, 40));
    EXPECT_EQ(stroke.m_crColor, 0x00FF00u);
    EXPECT_EQ(stroke.m_rect, (RECT{80, 140, 181, 201}));
}

QByteArray ExpectedRecord(int x1, int y1, int x2, int y2) {
    return Bytes()
        .I32(68).I32(48) // L = 4 + 48 + 8n, S
        .I32(48).I32(1).F64(0.00001)
        .I32(0x0000FF).I32(3).I32(2).I32(2) // colour, width (unscaled), n, page
        .Zeros(16)
        .I32(x1).I32(y1).I32(x2).I32(y2)
        .bytes();
}

TEST(TranspFreehandTest, RecordBytesAndScreenScaling) {
    g_dUnitScale = 0.00001;
    const POINT pts[] = {{10, 20}, {30, 5}};
    CTranspFreehand stroke(nullptr, pts, 2, 0x0000FF, 3, 2);
    EXPECT_EQ(StoreRecord(stroke), ExpectedRecord(10, 20, 30, 5));

    CTranspFreehand loaded(nullptr, 0);
    ASSERT_TRUE(LoadRecord(loaded, ExpectedRecord(10, 20, 30, 5)));
    EXPECT_EQ(loaded.m_points, (std::vector<POINT>{{10, 20}, {30, 5}}));
    EXPECT_EQ(loaded.m_rect, (RECT{10, 5, 31, 21}));
    EXPECT_EQ(loaded.m_nPage, 2);
    EXPECT_EQ(loaded.m_nLineWidth, 3);
    EXPECT_EQ(loaded.m_crColor, 0x0000FFu);

    // Points are pixels of the storing screen: x * 120 / 96, truncated.
    const QByteArray saved = qgetenv("BRELLIN_SCREEN_DPI");
    qputenv("BRELLIN_SCREEN_DPI", "120");
    EXPECT_EQ(StoreRecord(stroke), ExpectedRecord(12, 25, 37, 6));
    ASSERT_TRUE(LoadRecord(loaded, ExpectedRecord(12, 25, 37, 6)));
    EXPECT_EQ(loaded.m_points, (std::vector<POINT>{{9, 20}, {29, 4}}));
    qputenv("BRELLIN_SCREEN_DPI", saved);
}

TEST(TranspFreehandTest, HostileRecordsAreRefusedAndChangeNothing) {
    g_dUnitScale = 0.00001;
    const QByteArray good = ExpectedRecord(10, 20, 30, 5);
    const auto withCount = [&](std::int32_t n) {
        QByteArray b = good;
        const QByteArray v = Bytes().I32(n).bytes();
        b.replace(8 + 24, 4, v);
        return b;
    };
    const QByteArray hostile[] = {
        withCount(-1),
        withCount(3),                         // one point more than the record holds
        withCount(0x10000000),                // a count that would take gigabytes
        good.left(good.size() - 1),           // cut short
        Bytes().I32(-5).bytes(),              // negative length
        Bytes().I32(0x7FFFFFF0).I32(48).bytes(), // a length beyond the archive
    };
    for (const QByteArray& bytes : hostile) {
        const POINT one{1, 1};
        CTranspFreehand obj(nullptr, &one, 1, 0x123456, 7, 4);
        EXPECT_FALSE(LoadRecord(obj, bytes)) << bytes.toHex().toStdString();
        EXPECT_EQ(obj.m_points, (std::vector<POINT>{{1, 1}}));
        EXPECT_EQ(obj.m_nLineWidth, 7);
        EXPECT_EQ(obj.m_nPage, 4);
    }
    // No points at all is a stroke, only an empty one.
    CTranspFreehand empty(nullptr, 0);
    EXPECT_TRUE(LoadRecord(empty, Bytes()
                                      .I32(52).I32(48).I32(48).I32(1).F64(0.00001)
                                      .I32(0).I32(1).I32(0).I32(0).Zeros(16).bytes()));
    EXPECT_TRUE(empty.IsEmpty());
}

QByteArray ExpectedBlock() {
    return Bytes()
        .I32(64).I32(4).I32(1).I32(0).F64(0.00001)
        .I32(3).I32(0x0000FF).I32(2) // width, colour, n
        .I32(100).I32(300).I32(50).I32(400)
        .Zeros(12)
        .bytes();
}

TEST(TranspFreehandTest, BlockBytesAndPlacementAtThePastePoint) {
    g_dUnitScale = 0.00001;
    const POINT pts[] = {{100, 300}, {50, 400}};
    CTranspFreehand stroke(nullptr, pts, 2, 0x0000FF, 3, 0);
    EXPECT_EQ(stroke.GetObData(), ExpectedBlock());

    // The bounding box (50, 300, 101, 401) lands with its top-left on the paste point.
    auto pasted = CTranspFreehand::FromBlock(nullptr, ExpectedBlock(), POINT{500, 700}, 1);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->m_points, (std::vector<POINT>{{550, 700}, {500, 800}}));
    EXPECT_EQ(pasted->m_rect, (RECT{500, 700, 551, 801}));
    EXPECT_EQ(pasted->m_nLineWidth, 3);
    EXPECT_EQ(pasted->m_crColor, 0x0000FFu);
    EXPECT_EQ(pasted->m_nPage, 1);
}

TEST(TranspFreehandTest, HostileBlocksMakeNoStroke) {
    const QByteArray good = ExpectedBlock();
    const auto patch = [&](int offset, std::int32_t v) {
        QByteArray b = good;
        b.replace(offset, 4, Bytes().I32(v).bytes());
        return b;
    };
    const QByteArray hostile[] = {
        patch(32, -1),         patch(32, 0),          patch(32, 4),  // counts beyond the block
        patch(32, 0x7FFFFFFF), patch(0, 65),          patch(0, 7),   // sizes beyond the bytes
        patch(4, 3),           good.left(40),         QByteArray(),
        [&] { QByteArray b = good; b.replace(16, 8, Bytes().F64(-1.0).bytes()); return b; }(),
    };
    for (const QByteArray& bytes : hostile)
        EXPECT_FALSE(CTranspFreehand::FromBlock(nullptr, bytes, POINT{0, 0}, 0))
            << bytes.toHex().toStdString();
}

TEST(TranspFreehandTest, DrawsOnScreenWithMarksAndForOutputWithout) {
    CTestObjectHost host;
    const POINT pts[] = {{20, 50}, {120, 50}, {120, 150}};
    CTranspFreehand stroke(&host, pts, 3, 0x000000, 1, 0);
    stroke.m_bSelected = TRUE;

    QImage screen(300, 200, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        CDC dc(&screen);
        stroke.DrawScreen(&dc, FALSE, nullptr);
    }
    EXPECT_TRUE(Near(screen, 45, 50, Qt::black)); // clear of the midpoint marks
    EXPECT_TRUE(Near(screen, 120, 125, Qt::black));
    EXPECT_TRUE(Near(screen, 70, 60, Qt::white));
    // Selection squares (grey xor) on the corners of (20, 50, 121, 151).
    EXPECT_TRUE(Near(screen, 18, 52, QColor(127, 127, 127)));
    EXPECT_TRUE(Near(screen, 22, 149, QColor(127, 127, 127)));

    // Output at 300 dpi: one unit is 0.01 inch, so 3 pixels; no marks.
    g_dUnitScale = 0.01;
    QImage print(500, 500, QImage::Format_RGB32);
    print.fill(Qt::white);
    {
        CDC dc(&print);
        const POINT dpi{300, 300};
        stroke.DrawScreen(&dc, TRUE, &dpi);
    }
    g_dUnitScale = 0.00001;
    EXPECT_TRUE(NearAround(print, 210, 150, 1, Qt::black));
    EXPECT_TRUE(NearAround(print, 360, 300, 1, Qt::black));
    EXPECT_TRUE(Near(print, 210, 160, Qt::white));
    EXPECT_TRUE(Near(print, 58, 148, Qt::white));
    EXPECT_TRUE(Near(print, 18, 52, Qt::white));
}

TEST(TranspFreehandTest, WidePensRoundTheCorners) {
    CTestObjectHost host;
    const POINT pts[] = {{20, 20}, {80, 20}, {80, 80}};
    CTranspFreehand stroke(&host, pts, 3, 0x000000, 7, 0);
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        CDC dc(&img);
        stroke.Draw(&dc, FALSE, nullptr);
    }
    EXPECT_TRUE(Near(img, 50, 17, Qt::black)); // three pixels off the centre line
    EXPECT_TRUE(Near(img, 83, 50, Qt::black));
    EXPECT_TRUE(Near(img, 82, 18, Qt::black)); // the outer corner, inside the round end
    EXPECT_TRUE(Near(img, 86, 14, Qt::white)); // beyond it
    EXPECT_TRUE(Near(img, 50, 26, Qt::white));
}

TEST(TranspFreehandTest, TabOrderDisplayDrawsGrey) {
    CTestObjectHost host;
    const POINT pts[] = {{10, 20}, {90, 20}};
    CTranspFreehand stroke(&host, pts, 2, 0x0000FF, 1, 0);
    stroke.m_bTabOrderDisplay = TRUE;
    QImage img(100, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        CDC dc(&img);
        stroke.Draw(&dc, FALSE, nullptr);
    }
    EXPECT_TRUE(Near(img, 50, 20, QColor(128, 128, 128), 10));
}

} // namespace
