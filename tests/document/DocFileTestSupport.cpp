#include "DocFileTestSupport.h"

#include "app/ProfileRecords.h"
#include "objects/TranspArrow.h"
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
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"

#include <QFile>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace filetest {

void LoadModule() {
    if (!IsResourceModuleLoaded())
        LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") + QStringLiteral("/Brellin.eng"));
}

QString SampleDir() { return TestDataDir() + QStringLiteral("/document"); }
QString SamplePath(const QString& name) { return SampleDir() + QLatin1Char('/') + name; }

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

Bytes DocHeader(std::int32_t version, std::int32_t pageCount, std::int32_t imageX,
                std::int32_t imageY, double unitScale) {
    Bytes b;
    b.Raw(QByteArray("LMD", 4)).I32(version).F64(unitScale).I32s({0, 0, imageX, imageY, 0});
    b.I32(pageCount).Zeros(8);
    return b;
}

LBitmapBase PatternBitmap(int w, int h, int bpp, int dpi) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = ((x / 7 + y / 5) % 3 == 0) ? 0 : 255;
            img.setPixel(x, y, bpp == 24 ? qRgb((x * 255) / w, (y * 255) / h, v) : qRgb(v, v, v));
        }
    LBitmapBase b;
    b.SetImage(img);
    if (bpp != 24)
        b.ChangeBitsPerPixel(bpp);
    b.SetXResolution(dpi);
    b.SetYResolution(dpi);
    return b;
}

namespace {

TEXTSTYLE Style(int size, COLORREF color) {
    TEXTSTYLE s = DefaultTextStyle();
    s.nSize = size;
    s.lf.lfHeight = -10 * size;
    s.crText = color;
    return s;
}

void Add(CLumidorDoc& doc, std::unique_ptr<CTranspBaseClass> p) {
    p->SetObjectName(doc.GetUniqueObjectName(p.get(), TRUE).constData());
    doc.AddObjectToList(std::move(p));
}

// The 132-byte structure of a text box, cut to `n` bytes.
QByteArray EditInfo(std::int32_t x, std::int32_t y, int size, COLORREF color, bool checkBox,
                    int n = 132) {
    Bytes b;
    b.I32s({132, x, y}).Zeros(4);
    // LOGFONTA: height in tenths of a point, width, escapement, orientation, weight, eight
    // bytes of flags (ANSI character set), the face name.
    b.I32s({-10 * size, 0, 0, 0, 400}).Zeros(8);
    QByteArray face("Arial");
    face.append(32 - face.size(), '\0');
    b.Raw(face);
    b.I32s({size, std::int32_t(color), 0, 0, checkBox ? 1 : 0}).Zeros(36);
    return b.bytes().left(n);
}

QByteArray EditBox(const QByteArray& info, std::initializer_list<QByteArray> lines,
                   bool extraTag = false) {
    Bytes b;
    b.I32(1).I32(std::int32_t(info.size())).Raw(info);
    b.I32(2).I32(std::int32_t(lines.size()));
    for (const QByteArray& line : lines)
        b.CStr(line);
    if (extraTag)
        b.I32(9); // a tag the reader does not know: nothing follows it
    b.I32(0);
    return b;
}

} // namespace

void BuildSampleDocument(CLumidorDoc& doc) {
    for (int i = 0; i < 2; ++i)
        doc.m_PagesList.push_back(std::make_unique<_PAGEINFO>());
    doc.m_nPageCount = 3;
    const int depths[3] = {1, 8, 24};
    const QByteArray names[3] = {"Front", "Back", "Photo page"};
    for (int i = 0; i < 3; ++i) {
        _PAGEINFO& p = *doc.m_PagesList[std::size_t(i)];
        LBitmapBase image = PatternBitmap(120 + 40 * i, 90 + 10 * i, depths[i], 100 + 50 * i);
        p.m_Bitmap.TakePixels(image);
        p.m_strPageName = names[i];
        p.m_ptImagePos = POINT{i == 1 ? 0 : 60000, i == 1 ? 0 : 60000};
        p.m_nCanvasWidth = p.m_Bitmap.GetWidth() + (i == 1 ? 0 : 120);
        p.m_nCanvasHeight = p.m_Bitmap.GetHeight() + (i == 1 ? 0 : 120);
    }
    doc.m_bFrame = TRUE;
    doc.m_ptOrigin = POINT{1500, -2500};
    doc.m_nOriginFlag = 1;

    // Page 0: a form.
    const TEXTSTYLE label = Style(12, 0x000000);
    Add(doc, std::make_unique<CTranspText>(nullptr, 100000, 150000, &label, "Name:\r\nDate:", 0, TRUE));
    auto field = std::make_unique<CTranspText>(nullptr, 400000, 150000, &label, nullptr, 0, TRUE);
    field->m_bFormField = TRUE;
    Add(doc, std::move(field));
    Add(doc, std::make_unique<CTranspCheckMark>(nullptr, RECT{100000, 300000, 120000, 320000},
                                                0x0000FF, 2000, 0));
    Add(doc, std::make_unique<CTranspRectangle>(nullptr, RECT{50000, 50000, 900000, 800000},
                                                0x000000, 3000, 0));
    Add(doc, std::make_unique<CTranspLine>(nullptr, 100000, 700000, 800000, 720000, 0x00FF00, 1000, 0));
    doc.GetErasedList(0)->AddErased(RECT{10, 10, 40, 30});
    doc.GetErasedList(0)->AddErased(RECT{50, 20, 70, 60});
    doc.GetErasedList(0)->AddUnerased(RECT{15, 15, 20, 20});

    // Page 1: the shapes, and an empty text that is never stored.
    Add(doc, std::make_unique<CTranspEllipse>(nullptr, RECT{100000, 100000, 300000, 200000}, 0xFF0000, 1500, 1));
    Add(doc, std::make_unique<CTranspCircle>(nullptr, 500000, 400000, 80000, 0x808000, 1000, 1));
    Add(doc, std::make_unique<CTranspArrow>(nullptr, 100000, 600000, 400000, 500000, 0x0000FF, 2000, 1));
    Add(doc, std::make_unique<CTranspSizeArrow>(nullptr, RECT{100000, 800000, 600000, 850000},
                                                0x000080, 1000, 1, 20000, TRUE));
    Add(doc, std::make_unique<CTranspBrace>(nullptr, RECT{700000, 100000, 750000, 500000},
                                            0x008000, 1000, 1, BRACESTYLE_RIGHT));
    Add(doc, std::make_unique<CTranspText>(nullptr, 200000, 900000, &label, nullptr, 1, TRUE));

    // Page 2: a stroke, a picture, a turned stepped text in colour; its own erase list.
    const POINT stroke[] = {{100000, 100000}, {150000, 180000}, {220000, 120000}, {300000, 260000}};
    Add(doc, std::make_unique<CTranspFreehand>(nullptr, stroke, 4, 0x404040, 1500, 2));
    auto picture = std::make_unique<CTranspImage>(nullptr, 2);
    picture->CreateDib(PatternBitmap(24, 16, 24, 96).ConvertToDIB(), 400000, 300000);
    picture->SetTransparent(0);
    Add(doc, std::move(picture));
    TEXTSTYLE comb = Style(14, 0x0080FF);
    comb.bStepped = TRUE;
    comb.nPitch = 25000;
    comb.nRotation = 1;
    comb.lf.lfEscapement = comb.lf.lfOrientation = 900;
    Add(doc, std::make_unique<CTranspText>(nullptr, 600000, 700000, &comb, "12345", 2, TRUE));
    doc.GetErasedList(2)->AddErased(RECT{0, 0, 30, 30});
    doc.SetModifiedFlag(TRUE);
}

QByteArray BuildVersion2File(const QByteArray& imageName) {
    Bytes b = DocHeader(2, 1, 50000, 30000);
    b.CStr(imageName);
    // A text of two lines: the class is new here (tag 0xFFFF, schema 0, the name).
    b.I32(1).U16(0xFFFF).U16(0).U16(16).Raw("CTransparentEdit");
    b.Raw(EditBox(EditInfo(100000, 150000, 12, 0x0000FF, false), {"Call back", "before noon"}));
    // A check box: later objects name the class by its index (1), with the class tag.
    b.I32(1).U16(0x8001);
    b.Raw(EditBox(EditInfo(300000, 200000, 10, 0x008000, true), {"X"}));
    // A marker the reader ignores.
    b.I32(7);
    // A box holding only the placeholder, with a tag the reader does not know.
    b.I32(1).U16(0x8001);
    b.Raw(EditBox(EditInfo(100000, 400000, 12, 0, false), {QByteArray(1, '\xB6')}, true));
    // A structure of 92 bytes: the check-box flag and what follows are missing, so zero.
    b.I32(1).U16(0x8001);
    b.Raw(EditBox(EditInfo(500000, 500000, 8, 0x000080, true, 92), {"Short"}));
    // A null object.
    b.I32(1).U16(0);
    b.I32(0);
    return b;
}

QByteArray BuildVersion5File(const QByteArray& linkedPath) {
    Bytes image;
    image.I32(40).I32s({40, 1, 0, 0, 1}).Zeros(20);
    image.I32s({0, 0, 200, 150}).Str("Page 1");
    image.Str(linkedPath);
    Bytes b = DocHeader(5, 1);
    b.I32(8).I32(image.size()).Raw(image);
    const TEXTSTYLE label = Style(12, 0x000000);
    CTranspText text(nullptr, 100000, 150000, &label, "Linked", 0, TRUE);
    b.I32(1).Raw(StoreRecord(text));
    CTranspRectangle rect(nullptr, RECT{50000, 50000, 250000, 150000}, 0xFF0000, 1000, 0);
    b.I32(3).Raw(StoreRecord(rect));
    b.I32(0);
    return b;
}

void ExpectSameDocuments(const CLumidorDoc& a, const CLumidorDoc& b) {
    // As text, so that a difference shows where it is.
    EXPECT_EQ(QJsonDocument(DocumentInfoJson(a, nullptr)).toJson().toStdString(),
              QJsonDocument(DocumentInfoJson(b, nullptr)).toJson().toStdString());
    ASSERT_EQ(a.m_PagesList.size(), b.m_PagesList.size());
    for (std::size_t i = 0; i < a.m_PagesList.size(); ++i) {
        const LMyBitmap& x = a.m_PagesList[i]->m_Bitmap;
        const LMyBitmap& y = b.m_PagesList[i]->m_Bitmap;
        EXPECT_EQ(x.GetBitsPerPixel(), y.GetBitsPerPixel()) << "page " << i;
        EXPECT_EQ(x.GetXResolution(), y.GetXResolution()) << "page " << i;
        EXPECT_EQ(x.GetYResolution(), y.GetYResolution()) << "page " << i;
        EXPECT_TRUE(x.GetImage() == y.GetImage()) << "page " << i;
        EXPECT_EQ(a.m_PagesList[i]->m_EraseList.GetRegion(), b.m_PagesList[i]->m_EraseList.GetRegion());
    }
}

namespace {
struct Reader {
    const QByteArray& d;
    qsizetype pos = 0;
    bool ok = true;
    std::int32_t I32() {
        if (pos + 4 > d.size()) {
            ok = false;
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t(std::uint8_t(d[pos + i])) << (8 * i);
        pos += 4;
        return std::int32_t(v);
    }
    QByteArray Take(qsizetype n) {
        if (n < 0 || pos + n > d.size()) {
            ok = false;
            return {};
        }
        const QByteArray b = d.mid(pos, n);
        pos += n;
        return b;
    }
};
} // namespace

bool SplitImagePayloads(const QByteArray& file, FileParts& parts) {
    parts = FileParts{};
    Reader r{file};
    parts.rest = r.Take(48);
    const std::int32_t pages = Reader{file, 36}.I32();
    while (r.ok) {
        const std::int32_t kind = r.I32();
        parts.rest += Bytes().I32(kind).bytes();
        if (kind == 0)
            return r.ok && r.pos == file.size();
        const std::int32_t len = r.I32();
        if (kind != 8) {
            parts.rest += Bytes().I32(len).bytes() + r.Take(len);
            continue;
        }
        const qsizetype end = r.pos + len;
        const std::int32_t hlen = r.I32();
        const QByteArray header = r.Take(hlen);
        parts.rest += Bytes().I32(hlen).bytes() + header;
        for (int i = 0; i < pages && r.ok; ++i) {
            parts.rest += r.Take(16);
            const std::int32_t nameLen = r.I32();
            parts.rest += Bytes().I32(nameLen).bytes() + r.Take(nameLen);
            parts.png.push_back(r.Take(r.I32()));
        }
        if (r.pos != end)
            return false;
    }
    return false;
}

std::vector<StreamRecord> ListRecords(const QByteArray& file) {
    std::vector<StreamRecord> out;
    Reader r{file};
    r.Take(48);
    while (r.ok) {
        StreamRecord rec;
        rec.kind = r.I32();
        if (!r.ok)
            break;
        if (rec.kind == 0) {
            out.push_back(rec);
            break;
        }
        const std::int32_t len = r.I32();
        const QByteArray body = r.Take(len);
        if (rec.kind == 12 && body.size() >= 4)
            rec.page = Reader{body}.I32();
        out.push_back(rec);
    }
    return out;
}

bool OpenDoc(CLumidorDoc& doc, const QString& path) { return doc.OnOpenDocument(path) != FALSE; }

} // namespace filetest
