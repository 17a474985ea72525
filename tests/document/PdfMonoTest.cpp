// Black and white PDF pages drawn 1 bit deep: what the colour probe vouches for, and that every
// page it vouches for comes out exactly as the colour drawing and its reduction make it. Pages
// are built here with libqpdf (content streams written by hand) and QPdfWriter (tests/tools).

#include "PdfFormMaker.h"

#include "document/PdfColourProbe.h"
#include "document/PdfMonoRender.h"
#include "document/PdfReader.h"
#include "platform/imaging/ImagingTypes.h"
#include "platform/imaging/MyBitmap.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Image {
    std::string name, dict, data;
};

struct Page {
    std::string content;
    std::string resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";
    double w = 612, h = 792;
    int rotate = 0;
    std::string extra = {}; // more of the page dictionary, in PDF syntax
    std::vector<Image> images = {};
};

QPDFObjectHandle Stream(QPDF& pdf, const std::string& dict, const std::string& data) {
    QPDFObjectHandle s = QPDFObjectHandle::newStream(&pdf, data);
    QPDFObjectHandle d = QPDFObjectHandle::parse(dict);
    for (const std::string& k : d.getKeys())
        s.getDict().replaceKey(k, d.getKey(k));
    return s;
}

QByteArray MakePdf(const std::vector<Page>& pages) {
    QPDF pdf;
    pdf.emptyPDF();
    for (const Page& p : pages) {
        QPDFObjectHandle page = QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 " + std::to_string(p.w) + " " + std::to_string(p.h) +
            "] " + p.extra + " >>");
        if (p.rotate)
            page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(p.rotate));
        QPDFObjectHandle res = QPDFObjectHandle::parse(p.resources);
        if (!p.images.empty()) {
            QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
            for (const Image& im : p.images)
                xobjects.replaceKey("/" + im.name, Stream(pdf, im.dict, im.data));
            res.replaceKey("/XObject", xobjects);
        }
        page.replaceKey("/Resources", res);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, p.content));
        QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
    }
    return WriteQpdf(pdf);
}

QByteArray OnePage(const std::string& content) { return MakePdf({Page{content}}); }

// A 16 x 16 checkerboard of 2-pixel squares, 1 bit a pixel.
std::string Checker() {
    std::string bits;
    for (int r = 0; r < 16; ++r)
        bits += std::string(2, char((r / 2) % 2 ? 0xCC : 0x33));
    return bits;
}
const std::string kGreyImage =
    "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 1 /ColorSpace /DeviceGray >>";
const std::string kMask = "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 /ImageMask true >>";

PdfColourVerdict ProbeOf(const QByteArray& pdf, int page = 0, const QByteArray& password = {},
                         int nPages = 1) {
    return CPdfColourProbe(pdf, password, nPages).Probe(page);
}

// Both drawings of every page, through the reader as a document is opened.
struct Drawn {
    std::vector<LMyBitmap> colour, mono;
    int nMono = 0;
};
Drawn DrawBothWays(const QByteArray& pdf, const std::vector<double>& dpis, const QByteArray& password = {}) {
    Drawn d;
    CPdfReader reader;
    EXPECT_EQ(reader.OpenData(pdf, password), PdfReadStatus::Ok);
    reader.SetMonoDrawing(false);
    EXPECT_EQ(reader.RenderPages(dpis, d.colour, {}, nullptr, 2), SUCCESS);
    EXPECT_EQ(reader.GetMonoPageCount(), 0);
    reader.SetMonoDrawing(true);
    EXPECT_EQ(reader.RenderPages(dpis, d.mono, {}, nullptr, 2), SUCCESS);
    d.nMono = reader.GetMonoPageCount();
    return d;
}

// Same depth, palette, resolution and bytes, padding included.
void ExpectSame(const LMyBitmap& a, const LMyBitmap& b, const std::string& what) {
    ASSERT_EQ(a.GetBitsPerPixel(), b.GetBitsPerPixel()) << what;
    ASSERT_EQ(a.GetWidth(), b.GetWidth()) << what;
    ASSERT_EQ(a.GetHeight(), b.GetHeight()) << what;
    EXPECT_EQ(a.GetXResolution(), b.GetXResolution()) << what;
    EXPECT_EQ(a.GetPalette(), b.GetPalette()) << what;
    const QImage& x = a.GetImage();
    const QImage& y = b.GetImage();
    ASSERT_EQ(x.bytesPerLine(), y.bytesPerLine()) << what;
    int differing = 0, first = -1;
    for (int r = 0; r < x.height(); ++r)
        if (std::memcmp(x.constScanLine(r), y.constScanLine(r), std::size_t(x.bytesPerLine())) != 0) {
            if (first < 0)
                first = r;
            ++differing;
        }
    EXPECT_EQ(differing, 0) << what << ": first differing row " << first;
}

} // namespace

TEST(PdfColourProbe, VouchesOnlyForExactBlackAndWhiteOfTheDeviceSpaces) {
    struct Case {
        const char* what;
        std::string content;
        bool bw;
    };
    const std::vector<Case> cases = {
        {"black and white paths", "0 g 72 72 200 100 re f 1 g 100 90 50 50 re f 0 G 3 w 1 J 1 j [6 2] 0 d 50 400 m 500 420 l S", true},
        {"rgb black and white", "0 0 0 rg 1 1 1 RG 10 10 m 20 20 l 30 10 l h B* 1 1 1 rg 0 0 0 RG 50 50 20 20 re b", true},
        {"device spaces by name", "/DeviceRGB cs 1 1 1 sc /DeviceGray CS 0 SCN 10 10 100 100 re B", true},
        {"clipping and marked content", "q 0 0 300 300 re W n /P <</MCID 0>> BDC 0 g 10 10 400 400 re f EMC Q /Tag BMC EMC", true},
        {"text filled, invisible and clipping", "BT /F1 12 Tf 72 700 Td 14 TL (Hello) Tj T* [(Wor) -20 (ld)] TJ 3 Tr (hidden) ' 7 Tr 1 2 (clip) \" ET", true},
        {"colour set but never painted", "1 0 0 rg 0 g 10 10 50 50 re f", true},
        {"saved colour comes back", "0 g q 1 0 0 rg Q 10 10 50 50 re f", true},
        {"an empty page", "", true},
        {"a name written with an escape", "BT /F#31 12 Tf (a) Tj ET", true},
        {"a broken escape", "BT /F#3 12 Tf (a) Tj ET", false},
        {"grey fill", "0.5 g 10 10 50 50 re f", false},
        {"red stroke", "1 0 0 RG 10 10 m 50 50 l S", false},
        {"restored red", "1 0 0 rg q 0 g Q 10 10 50 50 re f", false},
        {"CMYK black is drawn dark, not black", "0 0 0 1 k 10 10 50 50 re f", false},
        {"CMYK space starts at CMYK black", "/DeviceCMYK cs 10 10 50 50 re f", false},
        {"calibrated space", "/CalRGB cs 0 0 0 sc 10 10 50 50 re f", false},
        {"pattern", "/Pattern cs /P1 scn 10 10 50 50 re f", false},
        {"shading", "/Sh1 sh", false},
        {"stroked text", "BT /F1 12 Tf 1 Tr 72 700 Td (Hello) Tj ET", false},
        {"a mode the drawing ignores", "1 0 0 rg BT /F1 12 Tf 3.0 Tr (red) Tj ET", false},
        {"Type 3 glyphs", "BT /T3 12 Tf (a) Tj ET", false},
        {"unknown font", "BT /F9 12 Tf (a) Tj ET", false},
        {"inline image", "q 10 0 0 10 0 0 cm BI /W 1 /H 1 /BPC 1 /CS /G ID \x80 EI Q", false},
        {"form XObject", "/Fm1 Do", false},
        {"unknown operator", "0 g 10 10 50 50 re f xyz", false},
        {"compatibility section", "BX 0 g EX", false},
        {"too few operands", "0 rg 10 10 50 50 re f", false},
        {"a number poppler reads otherwise", "0g 10 10 50 50 re f", false},
        {"unterminated string", "BT /F1 12 Tf (abc Tj ET", false},
        {"deep nesting", std::string(200, '[') + std::string(200, ']') + " TJ", false},
    };
    for (const Case& c : cases) {
        Page p{c.content};
        p.resources =
            "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
            " /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [1 0 0 1 0 0]"
            " /CharProcs << >> /Encoding << /Differences [] >> /FirstChar 0 /LastChar 0 /Widths [0] >> >>"
            " /ColorSpace << /CalRGB [/CalRGB << /WhitePoint [0.95 1 1.09] >>] >> >>";
        const PdfColourVerdict v = ProbeOf(MakePdf({p}));
        EXPECT_EQ(v.bBlackWhite, c.bw) << c.what;
        if (c.bw) {
            EXPECT_TRUE(v.Holds(150)) << c.what << ": lines of 1 pt and more hold from 102 dpi on";
        }
    }
}

TEST(PdfColourProbe, GraphicsStatesResourcesAndPageAttributesThatMayColourAPage) {
    const std::string fill = "/G0 gs 0 g 10 10 50 50 re f";
    struct Case {
        const char* what;
        std::string resources, extra;
        bool bw;
    };
    const std::vector<Case> cases = {
        {"opaque state as QPdfWriter writes it", "<< /ExtGState << /G0 << /Type /ExtGState /SMask /None /ca 1.0 /CA 1.0 /AIS false /SA true /SM 0.02 /BM /Normal >> >> >>", "", true},
        {"colour space resource naming a device space", "<< /ExtGState << /G0 << /LW 2 >> >> /ColorSpace << /CSp /DeviceRGB >> >>", "", true},
        {"translucent fill", "<< /ExtGState << /G0 << /ca 0.5 >> >> >>", "", false},
        {"soft mask", "<< /ExtGState << /G0 << /SMask << /S /Luminosity >> >> >> >>", "", false},
        {"blend mode", "<< /ExtGState << /G0 << /BM /Multiply >> >> >>", "", false},
        {"transfer function", "<< /ExtGState << /G0 << /TR << /FunctionType 2 /Domain [0 1] /N 1 >> >> >> >>", "", false},
        {"font set by the state", "<< /ExtGState << /G0 << /Font [null 12] >> >> >>", "", false},
        {"missing state", "<< >>", "", false},
        {"default RGB space", "<< /ExtGState << /G0 << >> >> /ColorSpace << /DefaultRGB /DeviceGray >> >>", "", false},
        {"an annotation", "<< /ExtGState << /G0 << >> >> >>", "/Annots [<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] >>]", false},
        {"no annotations", "<< /ExtGState << /G0 << >> >> >>", "/Annots []", true},
        {"transparency group", "<< /ExtGState << /G0 << >> >> >>", "/Group << /S /Transparency /CS /DeviceRGB >>", false},
    };
    for (const Case& c : cases) {
        Page p{fill};
        p.resources = c.resources;
        p.extra = c.extra;
        EXPECT_EQ(ProbeOf(MakePdf({p})).bBlackWhite, c.bw) << c.what;
    }
}

TEST(PdfColourProbe, ThinLinesAndSmallImagesHoldOnlyFromAResolutionOn) {
    // A 0.5 pt line is a hairline 1 bit deep up to 144 dpi (0.5 * (144/72)^2 = 2).
    const PdfColourVerdict thin = ProbeOf(OnePage("0.5 w 10 10 m 500 500 l S"));
    ASSERT_TRUE(thin.bBlackWhite);
    EXPECT_FALSE(thin.Holds(144));
    EXPECT_TRUE(thin.Holds(145));
    EXPECT_TRUE(ProbeOf(OnePage("0 w 10 10 m 500 500 l S")).Holds(72)) << "width 0 is a hairline in both";
    EXPECT_FALSE(ProbeOf(OnePage("-1 w 10 10 m 500 500 l S")).bBlackWhite);
    // The same line scaled up by the transformation needs less.
    EXPECT_TRUE(ProbeOf(OnePage("4 0 0 4 0 0 cm 0.5 w 1 1 m 100 100 l S")).Holds(72));

    // 16 image pixels over 32 pt: enlarged 4 times from 146 dpi on; over 16 pt a stencil mask is
    // enlarged from 77 dpi on.
    const std::string place = "q 32 0 0 32 100 100 cm /Im Do Q";
    Page image{place};
    image.images = {{"Im", kGreyImage, Checker()}};
    const PdfColourVerdict grey = ProbeOf(MakePdf({image}));
    ASSERT_TRUE(grey.bBlackWhite);
    EXPECT_FALSE(grey.Holds(140));
    EXPECT_TRUE(grey.Holds(150));
    Page mask{"1 g " + place};
    mask.images = {{"Im", kMask, Checker()}};
    mask.content = "1 g q 16 0 0 16 100 100 cm /Im Do Q";
    const PdfColourVerdict stencil = ProbeOf(MakePdf({mask}));
    EXPECT_FALSE(stencil.Holds(72));
    EXPECT_TRUE(stencil.Holds(80));
    mask.content = "0.5 g q 16 0 0 16 100 100 cm /Im Do Q";
    EXPECT_FALSE(ProbeOf(MakePdf({mask})).bBlackWhite) << "a mask paints in the fill colour";
    // Images that are smoothed or coloured however large they are drawn.
    for (const std::string& dict :
         {std::string("<< /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace /DeviceGray >>"),
          std::string("<< /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 1 /ColorSpace /DeviceGray /Interpolate true >>"),
          std::string("<< /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 1 /ColorSpace /DeviceGray /Decode [0 0.5] >>"),
          std::string("<< /Subtype /Image /Width 16 /Height 16 /ImageMask true /SMask << /Subtype /Image >> >>")}) {
        Page other{place};
        other.images = {{"Im", dict, std::string(256, '\0')}};
        EXPECT_FALSE(ProbeOf(MakePdf({other})).bBlackWhite) << dict;
    }
    image.content = "q 22.6 22.6 -22.6 22.6 100 100 cm /Im Do Q";
    EXPECT_FALSE(ProbeOf(MakePdf({image})).bBlackWhite) << "a turned image";
}

TEST(PdfColourProbe, DamagedOrOversizedContentIsAMaybe) {
    // Beyond the bound of decoded content: a stream of spaces that unpacks to 40 MB.
    EXPECT_FALSE(ProbeOf(OnePage(std::string(40 << 20, ' ') + "0 g")).bBlackWhite);
    // Millions of operators.
    std::string many;
    for (int i = 0; i < 1'500'000; ++i)
        many += "0 0 m\n";
    EXPECT_FALSE(ProbeOf(OnePage(many)).bBlackWhite);
    // Two content streams where the first ends inside a comment, which the drawing might read on.
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>");
    QPDFObjectHandle contents = QPDFObjectHandle::newArray();
    contents.appendItem(QPDFObjectHandle::newStream(&pdf, "1 0 0 rg % note"));
    contents.appendItem(QPDFObjectHandle::newStream(&pdf, "0 g\n10 10 50 50 re f\n"));
    page.replaceKey("/Contents", contents);
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(pdf.makeIndirectObject(page)), false);
    EXPECT_FALSE(ProbeOf(WriteQpdf(pdf)).bBlackWhite);
    // A page count poppler does not share, garbage, a wrong password.
    const QByteArray plain = OnePage("0 g");
    EXPECT_TRUE(ProbeOf(plain).bBlackWhite);
    EXPECT_FALSE(ProbeOf(plain, 0, {}, 2).bBlackWhite);
    EXPECT_FALSE(ProbeOf("%PDF-1.7 garbage").bBlackWhite);
    EXPECT_FALSE(ProbeOf(EncryptPdf(plain, "pw"), 0, "wrong").bBlackWhite);
    EXPECT_TRUE(ProbeOf(EncryptPdf(plain, "pw"), 0, "pw").bBlackWhite);
}

// The claim the whole path rests on: a page the probe vouches for at a resolution is drawn in
// colour as black and white only, and 1 bit deep to the same bytes; drawn whole and in bands,
// turned, at odd sizes, and at resolutions around the thresholds of thin lines and images.
TEST(PdfMono, EveryPageTheProbeVouchesForIsDrawnOneBitDeepToTheSameBytes) {
    const std::string shapes =
        "0 g 72 72 200 100 re f 1 g 100 90 50 50 re f 0 G 3 w 1 J 60 500 m 300 650 l 400 480 l h S "
        "0 w 10 10 m 600 780 l S 1 1 1 rg 200 600 m 260 700 l 300 580 l f 0 g 0 0 5 5 re f "
        "607 787 5 5 re f 300 0 0.3 792 re f 0 400 612 0.2 re f 1 g 120 150 m 500 120 l 330 300 l h f* "
        "0 g 400 100 100 50 re f 0 0 0 0 k 420 110 20 20 re f "
        "0 g BT /F1 11 Tf 72 740 Td (Black and white, 1 bit deep.) Tj 0 -12 Td 1 g (White on black) Tj ET";
    const std::string thin = "0 g 0.5 w 50 400 m 500 420 l S 0.3 w 50 300 m 500 330 l S";
    // Glyphs and corners on whole pixels at 200 and 300 dpi, where a band placed anew may put them
    // a pixel off: only the same bands give the same pixels.
    std::string grid = "0 g ";
    for (int n = 0; n < 2000; n += 9) {
        const double y = n * 0.36, x = 20 + (n % 40) * 13.0, z = n * 0.24;
        grid += "BT /F1 9 Tf " + std::to_string(300 + (n % 20) * 14) + " " + std::to_string(y) + " Td (Hg) Tj ET " +
                std::to_string(x) + " " + std::to_string(z) + " m " + std::to_string(x + 5) + " " +
                std::to_string(z + 0.72) + " l " + std::to_string(x + 2) + " " + std::to_string(z + 1.68) + " l h f ";
    }
    std::vector<Page> pages = {Page{shapes}, Page{shapes}, Page{shapes}, Page{shapes}, Page{shapes}, Page{thin}, Page{grid}};
    pages[1].rotate = 90;
    pages[2].rotate = 180;
    pages[3].rotate = 270;
    pages[4].w = 300.3, pages[4].h = 400.7, pages[4].extra = "/CropBox [10.3 20.7 290.1 390.9]";
    // A roll of paper: drawn in bands from 200 dpi on, the band edges across the grid.
    pages.push_back(Page{grid});
    pages.back().h = 2800;
    for (const std::string& dict : {kGreyImage, kMask})
        for (int rotate : {0, 90}) {
            Page p{"0 g 0 0 612 792 re f 1 g q 64 0 0 64 100 100 cm /Im Do Q q 200 0 0 -200 300 500 cm /Im Do Q "
                   "q 32 0 0 32 100 600 cm /Im Do Q"};
            p.images = {{"Im", dict, Checker()}};
            p.rotate = rotate;
            pages.push_back(p);
        }
    const QByteArray built = MakePdf(pages);
    // Wrapped text as QPdfWriter writes it, fonts embedded.
    const QByteArray writer = MakeSamplePdf(QStringLiteral("plain"), 1);
    int held = 0, tried = 0;
    for (const QByteArray* pdf : {&built, &writer}) {
        const int n = pdf == &built ? int(pages.size()) : 1;
        for (double dpi : {72.0, 100.0, 123.4, 150.0, 200.0, 300.0}) {
            const Drawn d = DrawBothWays(*pdf, std::vector<double>(std::size_t(n), dpi));
            ASSERT_EQ(int(d.mono.size()), n);
            CPdfColourProbe probe(*pdf, {}, n);
            int vouched = 0;
            for (int i = 0; i < n; ++i) {
                ++tried;
                const std::string what = "page " + std::to_string(i) + " at " + std::to_string(dpi) + " dpi";
                // Elsewhere both are the colour drawing, which does not even repeat itself where it
                // smooths a 1-bit image.
                if (!probe.Probe(i).Holds(dpi))
                    continue;
                ++vouched;
                ExpectSame(d.colour[std::size_t(i)], d.mono[std::size_t(i)], what);
                EXPECT_EQ(d.colour[std::size_t(i)].GetBitsPerPixel(), 1) << what << " is black and white only";
            }
            EXPECT_EQ(d.nMono, vouched) << dpi;
            held += vouched;
        }
    }
    // Not vacuous: most pages hold, and some only from a resolution on.
    EXPECT_GT(held, tried * 2 / 3);
    EXPECT_LT(held, tried);
}

TEST(PdfMono, TheReaderDrawsOnlyPlainPagesOneBitDeepAndOpensLockedFilesAlike) {
    // Text, a colour page, a page with a field, a page of no size, a turned page.
    Page field{"0 g 72 72 200 100 re f"};
    field.extra = "/Annots [<< /Type /Annot /Subtype /Widget /FT /Tx /T (Name) /Rect [100 600 300 620] >>]";
    Page zero{"0 g"};
    zero.w = zero.h = 0.1;
    Page turned{"0 g BT /F1 30 Tf 72 600 Td (Turned) Tj ET"};
    turned.rotate = 90;
    const QByteArray pdf = MakePdf({Page{"0 g BT /F1 12 Tf 72 700 Td (Plain) Tj ET"},
                                    Page{"1 0 0 rg 72 72 200 100 re f"}, field, zero, turned});
    for (const QByteArray& password : {QByteArray(), QByteArray("open sesame")}) {
        const QByteArray bytes = password.isEmpty() ? pdf : EncryptPdf(pdf, QString::fromLatin1(password));
        const Drawn d = DrawBothWays(bytes, {200, 200, 200, 200, 150}, password);
        ASSERT_EQ(d.mono.size(), 5u);
        EXPECT_EQ(d.nMono, 2) << "the plain and the turned page";
        EXPECT_EQ(d.mono[3].GetWidth(), 1) << "a page of less than a pixel is a blank one";
        for (std::size_t i = 0; i < 5; ++i)
            ExpectSame(d.colour[i], d.mono[i], "page " + std::to_string(i));
        EXPECT_EQ(d.mono[1].GetBitsPerPixel(), 24);
        EXPECT_EQ(d.mono[4].GetWidth(), 1650) << "turned: 11 inches across at 150 dpi";
        EXPECT_EQ(d.mono[4].GetHeight(), 1275);
    }
}

