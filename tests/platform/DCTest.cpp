#include "platform/DC.h"

#include "TestSupport.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <cstring>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

QImage Canvas(QImage::Format format, int w, int h, QRgb fill = kWhite) {
    QImage image(w, h, format);
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) {
        image.setColorTable({kWhite, kBlack});
        image.fill(fill == kWhite ? 0 : 1);
    } else {
        image.fill(fill);
    }
    return image;
}

// A destination whose every pixel differs from its neighbours, so that a mix mode applied twice
// or in the wrong place shows.
QImage Gradient(QImage::Format format, int w, int h) {
    QImage image(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x * y) % 256));
    return image;
}

bool Inked(const QImage& image, int x, int y, QRgb background = kWhite) {
    return image.pixel(x, y) != background;
}

int CountInked(const QImage& image, QRgb background = kWhite) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += Inked(image, x, y, background);
    return n;
}

// Bounding box of the pixels clearly darker than the white background (antialiasing fringes
// lighter than mid-grey are not ink).
QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
    return box;
}

LOGFONTA Arial(LONG height, LONG escapement = 0, BYTE charSet = ANSI_CHARSET) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfEscapement = lf.lfOrientation = escapement;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = charSet;
    std::strcpy(lf.lfFaceName, "Arial");
    return lf;
}

const QImage::Format kFormats[] = {QImage::Format_RGB32, QImage::Format_RGB888,
                                   QImage::Format_Mono};

// ---- Lines ----------------------------------------------------------------------------------

struct LineCase {
    POINT from, to;
};
// Every octant in both directions, and the diagonals where Qt and GDI choose the major axis.
const LineCase kLines[] = {
    {{2, 2}, {14, 2}},  {{14, 2}, {2, 2}},  {{2, 2}, {2, 14}},  {{2, 14}, {2, 2}},
    {{2, 2}, {14, 7}},  {{14, 7}, {2, 2}},  {{2, 2}, {7, 14}},  {{7, 14}, {2, 2}},
    {{2, 14}, {14, 9}}, {{14, 9}, {2, 14}}, {{2, 2}, {12, 12}}, {{12, 12}, {2, 2}},
    {{2, 12}, {12, 2}}, {{12, 2}, {2, 12}},
};

TEST(DCLine, OnePixelLineLeavesOutExactlyItsEndPoint) {
    for (QImage::Format format : kFormats) {
        for (const LineCase& c : kLines) {
            QImage image = Canvas(format, 16, 16);
            {
                CDC dc(&image);
                dc.MoveTo(c.from.x, c.from.y);
                EXPECT_TRUE(dc.LineTo(c.to.x, c.to.y));
                EXPECT_EQ(dc.GetCurrentPosition(), c.to);
            }
            const int length = std::max(std::abs(c.to.x - c.from.x), std::abs(c.to.y - c.from.y));
            const std::string where = "format " + std::to_string(int(format)) + " from " +
                                      std::to_string(c.from.x) + "," + std::to_string(c.from.y) +
                                      " to " + std::to_string(c.to.x) + "," +
                                      std::to_string(c.to.y);
            EXPECT_TRUE(Inked(image, c.from.x, c.from.y)) << where;
            EXPECT_FALSE(Inked(image, c.to.x, c.to.y)) << where;
            EXPECT_EQ(CountInked(image), length) << where;
        }
    }
}

TEST(DCLine, WidePenIsCentredOnTheLine) {
    QImage image = Canvas(QImage::Format_RGB32, 20, 20);
    {
        CDC dc(&image);
        dc.SelectPen(LOGPEN{PS_SOLID, 3, RGB(0, 0, 0)});
        dc.MoveTo(5, 10);
        dc.LineTo(15, 10);
    }
    for (int y = 8; y <= 12; ++y)
        EXPECT_EQ(Inked(image, 10, y), y >= 9 && y <= 11) << "row " << y;
}

TEST(DCLine, DottedPenFillsItsGapsOnlyOnAnOpaqueBackground) {
    const QRgb red = qRgb(255, 0, 0);
    for (int mode : {OPAQUE, TRANSPARENT}) {
        QImage image = Canvas(QImage::Format_RGB32, 30, 3, red);
        {
            CDC dc(&image);
            dc.SelectPen(LOGPEN{PS_DOT, 1, RGB(0, 0, 0)});
            dc.SetBkMode(mode);
            dc.SetBkColor(RGB(255, 255, 255));
            dc.MoveTo(0, 1);
            dc.LineTo(30, 1);
        }
        int black = 0, white = 0, untouched = 0;
        for (int x = 0; x < 30; ++x) {
            const QRgb px = image.pixel(x, 1);
            black += px == kBlack;
            white += px == kWhite;
            untouched += px == red;
        }
        EXPECT_EQ(black, 15) << "mode " << mode;
        EXPECT_EQ(white, mode == OPAQUE ? 15 : 0) << "mode " << mode;
        EXPECT_EQ(untouched, mode == OPAQUE ? 0 : 15) << "mode " << mode;
    }
}

// ---- Mix modes ------------------------------------------------------------------------------

void DrawEveryShape(CDC& dc) {
    dc.MoveTo(3, 3);
    dc.LineTo(40, 21);
    dc.Rectangle(5, 5, 30, 20);
    dc.Ellipse(10, 8, 38, 28);
    const POINT tri[] = {{2, 28}, {20, 2}, {38, 26}};
    dc.Polygon(tri, 3);
    const POINT zigzag[] = {{1, 1}, {15, 29}, {25, 1}, {39, 29}};
    dc.Polyline(zigzag, 4);
}

TEST(DCMix, InvertingModesDrawnTwiceRestoreTheDestination) {
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        for (int rop : {R2_XORPEN, R2_NOTXORPEN, R2_NOT}) {
            for (int width : {1, 4}) {
                const QImage original = Gradient(format, 42, 30);
                QImage image = original;
                CDC dc(&image);
                dc.SetROP2(rop);
                dc.SelectPen(LOGPEN{PS_SOLID, width, RGB(0x30, 0x60, 0xA0)});
                dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(0x90, 0x20, 0x55)});
                DrawEveryShape(dc);
                const QImage once = image.copy();
                DrawEveryShape(dc);
                const std::string where = "format " + std::to_string(int(format)) + " rop " +
                                          std::to_string(rop) + " width " + std::to_string(width);
                EXPECT_NE(once, original) << where;
                EXPECT_EQ(image, original) << where;
            }
        }
    }
}

TEST(DCMix, XorLinesSharingEndPointsLeaveNoHoles) {
    QImage image = Canvas(QImage::Format_RGB32, 20, 20, kBlack);
    {
        CDC dc(&image);
        dc.SetROP2(R2_XORPEN);
        dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(255, 255, 255)});
        // A rubber band drawn as four lines, closing on its first point.
        dc.MoveTo(3, 3);
        dc.LineTo(15, 3);
        dc.LineTo(15, 12);
        dc.LineTo(3, 12);
        dc.LineTo(3, 3);
        // And the same outline as a rectangle, once, further down.
        dc.SelectBrush(LOGBRUSH{BS_NULL, 0});
        dc.Rectangle(3, 14, 16, 19);
    }
    for (int x = 3; x <= 15; ++x)
        for (int y : {3, 12})
            EXPECT_EQ(image.pixel(x, y), kWhite) << x << "," << y;
    for (int y = 3; y <= 12; ++y)
        for (int x : {3, 15})
            EXPECT_EQ(image.pixel(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(CountInked(image, kBlack), 2 * 13 + 2 * 8 + 2 * 13 + 2 * 3);
}

TEST(DCMix, NotInvertsWhateverThePenColour) {
    const QRgb bg = qRgb(0x12, 0x80, 0xF0);
    QImage image = Canvas(QImage::Format_RGB32, 10, 3, bg);
    {
        CDC dc(&image);
        dc.SetROP2(R2_NOT);
        dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(0x55, 0x55, 0x55)});
        dc.MoveTo(0, 1);
        dc.LineTo(10, 1);
    }
    EXPECT_EQ(image.pixel(4, 1), qRgb(0xED, 0x7F, 0x0F));
    EXPECT_EQ(image.pixel(4, 0), bg);
}

// ---- Shapes ---------------------------------------------------------------------------------

TEST(DCShape, RectangleCoversLeftToRightMinusOne) {
    const QRgb pen = qRgb(255, 0, 0), brush = qRgb(0, 0, 255);
    struct Case {
        int penStyle;
        int brushStyle;
    };
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        for (const Case c :
             {Case{PS_SOLID, BS_SOLID}, Case{PS_NULL, BS_SOLID}, Case{PS_SOLID, BS_NULL}}) {
            QImage image = Canvas(format, 16, 16);
            {
                CDC dc(&image);
                dc.SelectPen(LOGPEN{c.penStyle, 1, RGB(255, 0, 0)});
                dc.SelectBrush(LOGBRUSH{c.brushStyle, RGB(0, 0, 255)});
                // Given the other way round: rectangles are normalized.
                EXPECT_TRUE(dc.Rectangle(12, 11, 3, 2));
            }
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    QRgb want = kWhite;
                    const bool inBox = x >= 3 && x <= 11 && y >= 2 && y <= 10;
                    const bool border = inBox && (x == 3 || x == 11 || y == 2 || y == 10);
                    if (c.penStyle == PS_NULL) {
                        // GDI's fill without an outline stops one pixel short.
                        if (x >= 3 && x <= 10 && y >= 2 && y <= 9) want = brush;
                    } else if (border) {
                        want = pen;
                    } else if (inBox && c.brushStyle == BS_SOLID) {
                        want = brush;
                    }
                    ASSERT_EQ(image.pixel(x, y), want) << "pen " << c.penStyle << " brush "
                                                       << c.brushStyle << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(DCShape, EllipseTouchesEverySideOfItsBoxAndStaysInside) {
    QImage image = Canvas(QImage::Format_RGB32, 30, 30);
    {
        CDC dc(&image);
        dc.SelectBrush(LOGBRUSH{BS_NULL, 0});
        dc.Ellipse(4, 6, 24, 20);
    }
    EXPECT_EQ(InkBox(image), QRect(QPoint(4, 6), QPoint(23, 19)));
}

// ---- Pattern blits and bitmaps --------------------------------------------------------------

TEST(DCBlit, PatternInvertXorsTheBrushAndDestinationInvertInverts) {
    const QRgb bg = qRgb(0x10, 0x90, 0xF0);
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
        QImage image = Canvas(format, 20, 10, bg);
        {
            CDC dc(&image);
            dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(0x80, 0x80, 0x80)});
            EXPECT_TRUE(dc.PatBlt(2, 2, 7, 7, PATINVERT));
            EXPECT_TRUE(dc.PatBlt(11, 2, 7, 7, DSTINVERT));
        }
        EXPECT_EQ(image.pixel(2, 2), qRgb(0x90, 0x10, 0x70));
        EXPECT_EQ(image.pixel(8, 8), qRgb(0x90, 0x10, 0x70));
        EXPECT_EQ(image.pixel(9, 8), bg);
        EXPECT_EQ(image.pixel(11, 2), qRgb(0xEF, 0x6F, 0x0F));
        EXPECT_EQ(image.pixel(17, 8), qRgb(0xEF, 0x6F, 0x0F));
        EXPECT_EQ(image.pixel(18, 8), bg);
    }
}

// A 2 x 2 picture with a distinct colour in each pixel that the format can hold.
QImage TwoByTwo(QImage::Format format) {
    QImage image(2, 2, format);
    if (format == QImage::Format_Mono) {
        image.setColorTable({kWhite, kBlack});
        image.setPixel(0, 0, 1);
        image.setPixel(1, 0, 0);
        image.setPixel(0, 1, 0);
        image.setPixel(1, 1, 1);
        return image;
    }
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)};
    if (format == QImage::Format_Indexed8) {
        image.setColorTable({colours[0], colours[1], colours[2], colours[3]});
        for (int i = 0; i < 4; ++i)
            image.setPixel(i % 2, i / 2, uint(i));
        return image;
    }
    for (int i = 0; i < 4; ++i)
        image.setPixel(i % 2, i / 2, colours[i]);
    return image;
}

TEST(DCBlit, NearestNeighbourStretchOfEveryDepth) {
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8,
                                  QImage::Format_RGB888, QImage::Format_RGB32}) {
        const QImage picture = TwoByTwo(format);
        QImage image = Canvas(QImage::Format_RGB32, 8, 8, qRgb(1, 2, 3));
        {
            CDC dc(&image);
            dc.SetStretchBltMode(COLORONCOLOR);
            EXPECT_TRUE(dc.StretchBlt(RECT{2, 2, 6, 6}, picture, RECT{0, 0, 2, 2}, SRCCOPY));
        }
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
                const QRgb want = inside ? picture.pixel((x - 2) / 2, (y - 2) / 2) : qRgb(1, 2, 3);
                ASSERT_EQ(image.pixel(x, y), want)
                    << "format " << int(format) << " at " << x << "," << y;
            }
    }
}

TEST(DCBlit, SourceRectangleAndMirroringPickTheRightPixels) {
    const QImage picture = TwoByTwo(QImage::Format_RGB32);
    QImage image = Canvas(QImage::Format_RGB32, 8, 4);
    {
        CDC dc(&image);
        dc.SetViewportOrg(1, 0);
        // One source pixel to 2 x 2, then the whole picture mirrored left to right.
        dc.StretchBlt(RECT{0, 0, 2, 2}, picture, RECT{1, 1, 2, 2}, SRCCOPY);
        dc.StretchBlt(RECT{6, 0, 4, 2}, picture, RECT{0, 0, 2, 2}, SRCCOPY);
    }
    EXPECT_EQ(image.pixel(1, 0), picture.pixel(1, 1));
    EXPECT_EQ(image.pixel(2, 1), picture.pixel(1, 1));
    EXPECT_EQ(image.pixel(0, 0), kWhite);
    EXPECT_EQ(image.pixel(5, 0), picture.pixel(1, 0));
    EXPECT_EQ(image.pixel(6, 0), picture.pixel(0, 0));
}

TEST(DCBlit, SourceAndKeepsTheBackgroundWhereThePictureIsWhite) {
    const QRgb bg = qRgb(0x30, 0x80, 0xC0);
    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_RGB32}) {
        QImage picture = Canvas(format, 10, 10);
        for (int i = 0; i < 10; ++i)
            picture.setPixel(i, 5, format == QImage::Format_Mono ? 1u : kBlack);
        QImage image = Canvas(QImage::Format_RGB32, 10, 10, bg);
        {
            CDC dc(&image);
            EXPECT_TRUE(dc.StretchBlt(RECT{0, 0, 10, 10}, picture, RECT{0, 0, 10, 10}, SRCAND));
        }
        EXPECT_EQ(image.pixel(3, 2), bg) << int(format);
        EXPECT_EQ(image.pixel(3, 5), kBlack) << int(format);
    }
}

TEST(DCBlit, IndexedImageIsPaintedAndStaysIndexed) {
    QImage image(10, 10, QImage::Format_Indexed8);
    image.setColorTable({kWhite, kBlack, qRgb(255, 0, 0)});
    image.fill(0);
    {
        CDC dc(&image);
        ASSERT_TRUE(dc.IsValid());
        EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 8);
        dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(255, 0, 0)});
        dc.SelectBrush(LOGBRUSH{BS_SOLID, RGB(0, 0, 0)});
        dc.Rectangle(2, 2, 8, 8);
    }
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.pixelIndex(2, 2), 2);
    EXPECT_EQ(image.pixelIndex(4, 4), 1);
    EXPECT_EQ(image.pixelIndex(8, 8), 0);
}

// ---- Text -----------------------------------------------------------------------------------

struct AlignCase {
    UINT align;
    const char* name;
};

TEST(DCText, InkLiesInTheExtentBoxAtTheReferencePoint) {
    const QByteArray text("Hxgy|");
    for (const AlignCase c :
         {AlignCase{TA_LEFT | TA_TOP, "left top"}, AlignCase{TA_CENTER | TA_TOP, "centre top"},
          AlignCase{TA_LEFT | TA_BASELINE, "left baseline"},
          AlignCase{TA_RIGHT | TA_BOTTOM, "right bottom"}}) {
        QImage image = Canvas(QImage::Format_RGB32, 160, 100);
        SIZE size;
        TEXTMETRIC tm;
        {
            CDC dc(&image);
            dc.SelectFont(Arial(-24));
            dc.SetBkMode(TRANSPARENT);
            dc.SetTextAlign(c.align);
            size = dc.GetTextExtent(text);
            tm = dc.GetTextMetrics();
            EXPECT_TRUE(dc.TextOut(80, 50, text));
        }
        QRect box(80, 50, size.cx, size.cy);
        if ((c.align & TA_CENTER) == TA_CENTER)
            box.moveLeft(80 - size.cx / 2);
        else if (c.align & TA_RIGHT)
            box.moveLeft(80 - size.cx);
        if ((c.align & TA_BASELINE) == TA_BASELINE)
            box.moveTop(50 - tm.tmAscent);
        else if (c.align & TA_BOTTOM)
            box.moveTop(50 - size.cy);
        const QRect ink = InkBox(image);
        ASSERT_FALSE(ink.isEmpty()) << c.name;
        EXPECT_TRUE(box.adjusted(-1, -1, 1, 1).contains(ink)) << c.name;
        // The ink fills most of the box: it is this box, not a neighbouring one.
        EXPECT_GT(ink.width(), size.cx * 3 / 4) << c.name;
        EXPECT_GT(ink.height(), size.cy * 3 / 4) << c.name;
    }
}

TEST(DCText, QuarterTurnRunsUpwardsWithTheCellRightOfTheReference) {
    QImage image = Canvas(QImage::Format_RGB32, 100, 160);
    SIZE size;
    {
        CDC dc(&image);
        dc.SelectFont(Arial(-24, 900));
        dc.SetBkMode(TRANSPARENT);
        size = dc.GetTextExtent("Hxgy|");
        dc.TextOut(30, 130, "Hxgy|");
    }
    // In the turned frame, left-top alignment puts the text above the point, its top to the left
    // edge: the cell spans x 30 .. 30 + height and y 130 - width .. 130.
    const QRect box(30, 130 - size.cx, size.cy, size.cx);
    const QRect ink = InkBox(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(box.adjusted(-2, -2, 2, 2).contains(ink)) << ink.x() << "," << ink.y();
    EXPECT_GT(ink.height(), size.cx * 3 / 4);
}

TEST(DCText, CodePageBytesDrawLikeTheirUnicodeText) {
    const QByteArray bytes("\xcf\xf0\xe8\xe2\xe5\xf2"); // cp1251
    const QString unicode = QString::fromUtf8("Привет");
    QImage fromBytes = Canvas(QImage::Format_RGB32, 140, 40);
    QImage fromUnicode = fromBytes;
    {
        CDC dc(&fromBytes);
        dc.SelectFont(Arial(-20, 0, RUSSIAN_CHARSET));
        dc.TextOut(5, 5, bytes);
        CDC wide(&fromUnicode);
        wide.SelectFont(Arial(-20, 0, RUSSIAN_CHARSET));
        wide.TextOutW(5, 5, unicode);
        EXPECT_EQ(dc.GetTextExtent(bytes), wide.GetTextExtentW(unicode));
    }
    EXPECT_GT(CountInked(fromBytes), 50);
    EXPECT_EQ(fromBytes, fromUnicode);
}

TEST(DCText, OpaqueBackgroundFillsTheWholeCell) {
    const QRgb green = qRgb(0, 200, 0);
    QImage image = Canvas(QImage::Format_RGB32, 100, 40);
    SIZE size;
    {
        CDC dc(&image);
        dc.SelectFont(Arial(-16));
        dc.SetBkColor(RGB(0, 200, 0));
        dc.TextOut(10, 10, "ab c");
        size = dc.GetTextExtent("ab c");
    }
    EXPECT_EQ(image.pixel(10, 10), green);
    EXPECT_EQ(image.pixel(10 + size.cx - 1, 10 + size.cy - 1), green);
    EXPECT_EQ(image.pixel(10 + size.cx, 10), kWhite);
    EXPECT_EQ(image.pixel(9, 10), kWhite);
}

TEST(DCText, FontHeightSignChoosesEmOrCellHeight) {
    QImage image = Canvas(QImage::Format_RGB32, 10, 10);
    CDC dc(&image);
    dc.SelectFont(Arial(-20));
    const TEXTMETRIC em = dc.GetTextMetrics();
    EXPECT_EQ(em.tmHeight - em.tmInternalLeading, 20);
    EXPECT_EQ(em.tmHeight, em.tmAscent + em.tmDescent);
    EXPECT_GT(em.tmAveCharWidth, 5);
    EXPECT_GE(em.tmMaxCharWidth, em.tmAveCharWidth);
    EXPECT_EQ(dc.GetTextExtent("").cy, em.tmHeight);

    dc.SelectFont(Arial(20));
    EXPECT_NEAR(dc.GetTextMetrics().tmHeight, 20, 1);
    dc.SelectFont(Arial(0));
    EXPECT_GT(dc.GetTextMetrics().tmHeight, 8);

    // A Windows face lands on its metric-compatible font where one is installed.
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))) {
        dc.SelectFont(Arial(-20));
        EXPECT_EQ(QFontInfo(dc.GetQFont()).family(), QStringLiteral("Liberation Sans"));
    }
}

// ---- State ----------------------------------------------------------------------------------

TEST(DCState, DeviceCapsFollowTheImageAndTheOverride) {
    QImage plain = Canvas(QImage::Format_RGB32, 300, 200);
    QImage scanned = Canvas(QImage::Format_Mono, 400, 100);
    scanned.setDotsPerMeterX(7874); // 200 dpi
    scanned.setDotsPerMeterY(3937); // 100 dpi
    CDC a(&plain);
    CDC b(&scanned);
    EXPECT_EQ(a.GetDeviceCaps(LOGPIXELSX), 96); // the test main's screen resolution
    EXPECT_EQ(a.GetDeviceCaps(HORZRES), 300);
    EXPECT_EQ(a.GetDeviceCaps(VERTRES), 200);
    EXPECT_EQ(a.GetDeviceCaps(HORZSIZE), 79);
    EXPECT_EQ(a.GetDeviceCaps(BITSPIXEL), 32);
    EXPECT_EQ(a.GetDeviceCaps(PHYSICALWIDTH), 300);
    EXPECT_EQ(a.GetDeviceCaps(PHYSICALOFFSETX), 0);
    EXPECT_EQ(b.GetDeviceCaps(LOGPIXELSX), 200);
    EXPECT_EQ(b.GetDeviceCaps(LOGPIXELSY), 100);
    EXPECT_EQ(b.GetDeviceCaps(BITSPIXEL), 1);
    b.SetLogPixelsOverride(300, 600);
    EXPECT_EQ(b.GetDeviceCaps(LOGPIXELSX), 300);
    EXPECT_EQ(b.GetDeviceCaps(LOGPIXELSY), 600);
    b.SetLogPixelsOverride(0, 0);
    EXPECT_EQ(b.GetDeviceCaps(LOGPIXELSX), 200);
}

TEST(DCState, RestoreBringsBackPenOriginAndClip) {
    QImage image = Canvas(QImage::Format_RGB32, 20, 20);
    CDC dc(&image);
    dc.SelectPen(LOGPEN{PS_SOLID, 1, RGB(255, 0, 0)});
    EXPECT_EQ(dc.SaveDC(), 1);
    dc.SelectPen(LOGPEN{PS_DOT, 1, RGB(0, 255, 0)});
    dc.SetViewportOrg(5, 5);
    dc.SetROP2(R2_XORPEN);
    dc.IntersectClipRect(RECT{0, 0, 2, 2});
    EXPECT_EQ(dc.SaveDC(), 2);
    dc.OffsetViewportOrg(1, 1);
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{5, 5}));
    EXPECT_TRUE(dc.RestoreDC(1));
    EXPECT_FALSE(dc.RestoreDC(-1));
    EXPECT_FALSE(dc.RestoreDC(3));
    EXPECT_EQ(dc.GetPen().color, RGB(255, 0, 0));
    EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
    EXPECT_EQ(dc.GetViewportOrg(), (POINT{0, 0}));
    EXPECT_EQ(dc.GetClipBox(), (RECT{0, 0, 20, 20}));
    dc.MoveTo(0, 10);
    dc.LineTo(20, 10);
    EXPECT_EQ(image.pixel(19, 10), qRgb(255, 0, 0));
}

TEST(DCState, OriginMovesDrawingAndTheClipIsFixedWhenSet) {
    QImage image = Canvas(QImage::Format_RGB32, 30, 30);
    {
        CDC dc(&image);
        dc.SetViewportOrg(10, 5);
        dc.SetPixel(0, 0, RGB(0, 0, 255));
        dc.IntersectClipRect(RECT{2, 2, 6, 6}); // device 12..15 x 7..10
        EXPECT_EQ(dc.GetClipBox(), (RECT{2, 2, 6, 6}));
        dc.OffsetViewportOrg(-10, -5);
        // The clip stays where it was put; in the new logical coordinates it has moved.
        EXPECT_EQ(dc.GetClipBox(), (RECT{12, 7, 16, 11}));
        dc.ExcludeClipRect(RECT{12, 7, 13, 8});
        dc.PatBlt(0, 0, 30, 30, BLACKNESS);
    }
    EXPECT_EQ(image.pixel(10, 5), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(12, 7), kWhite);
    EXPECT_EQ(image.pixel(13, 7), kBlack);
    EXPECT_EQ(image.pixel(15, 10), kBlack);
    EXPECT_EQ(CountInked(image), 1 + 16 - 1);
}

TEST(DCState, ContextWithoutDeviceDrawsNothing) {
    CDC dc(static_cast<QPaintDevice*>(nullptr));
    EXPECT_FALSE(dc.IsValid());
    EXPECT_FALSE(dc.LineTo(3, 3));
    EXPECT_FALSE(dc.Rectangle(0, 0, 3, 3));
    EXPECT_FALSE(dc.TextOut(0, 0, "a"));
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 0);
    EXPECT_EQ(dc.GetTextExtent("a"), (SIZE{0, 0}));
}

// ---- Vector devices -------------------------------------------------------------------------

// Everything the objects draw, raster-only modes included, as a printer or PDF receives it.
void DrawForOutput(CDC& dc) {
    EXPECT_TRUE(dc.IsValid());
    EXPECT_FALSE(dc.IsRasterDevice());
    dc.SetROP2(R2_XORPEN);
    dc.SelectPen(LOGPEN{PS_SOLID, 3, RGB(200, 0, 0)});
    dc.MoveTo(100, 100);
    EXPECT_TRUE(dc.LineTo(900, 400));
    EXPECT_TRUE(dc.Rectangle(100, 500, 900, 900));
    dc.SetROP2(R2_NOT);
    EXPECT_TRUE(dc.Ellipse(100, 500, 900, 900));
    dc.SetROP2(R2_COPYPEN);
    EXPECT_TRUE(dc.PatBlt(10, 10, 7, 7, PATINVERT));
    EXPECT_TRUE(dc.PatBlt(10, 10, 7, 7, DSTINVERT));
    dc.SelectFont(Arial(-60, 900));
    EXPECT_TRUE(dc.TextOut(300, 300, "Output"));
    QImage picture = Canvas(QImage::Format_Mono, 40, 40);
    picture.setPixel(20, 20, 1);
    EXPECT_TRUE(dc.StretchBlt(RECT{200, 200, 600, 600}, picture, RECT{0, 0, 40, 40}, SRCAND));
}

TEST(DCVector, PdfWriterPrinterAndSvgTakeEveryModeAndMakeAFile) {
    const QString dir = TestTempDir();
    {
        QPdfWriter pdf(dir + QStringLiteral("/writer.pdf"));
        pdf.setResolution(300);
        CDC dc(&pdf);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 300);
        EXPECT_GE(dc.GetDeviceCaps(PHYSICALWIDTH), dc.GetDeviceCaps(HORZRES));
        DrawForOutput(dc);
    }
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir + QStringLiteral("/printer.pdf"));
        CDC dc(&printer);
        EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), printer.resolution());
        EXPECT_GT(dc.GetDeviceCaps(PHYSICALOFFSETX), 0);
        DrawForOutput(dc);
    }
    {
        QSvgGenerator svg;
        svg.setFileName(dir + QStringLiteral("/out.svg"));
        svg.setSize(QSize(1000, 1000));
        CDC dc(&svg);
        DrawForOutput(dc);
    }
    for (const char* name : {"/writer.pdf", "/printer.pdf", "/out.svg"})
        EXPECT_GT(QFile(dir + QLatin1String(name)).size(), 500) << name;
}

} // namespace
