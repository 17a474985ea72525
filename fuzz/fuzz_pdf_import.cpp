// libFuzzer target: the PDF import's own code between poppler and the document. The bytes are
// read as what a PDF file may make poppler report (page sizes, widgets with any rectangles,
// sizes, lengths, names and values, NaN and infinities included), the builder turns that into
// a document, which is then saved and read again (the record of the source PDF included). The
// rest of the bytes go to the source record's reader and to the page depth reduction.
// poppler itself is not fuzzed here.
#include "FuzzCommon.h"

#include "document/DocFile.h"
#include "document/LumidorDoc.h"
#include "document/PdfFormBuilder.h"
#include "document/PdfImportData.h"
#include "document/PdfPageDepth.h"
#include "document/PdfSource.h"
#include "platform/Archive.h"
#include "platform/MessageBoxes.h"
#include "platform/imaging/MyBitmap.h"

#include <QBuffer>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
class CSilentSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override { return request.defaultAnswer; }
};

// The input read front to back; past its end every value is 0.
class CBytes {
public:
    CBytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t U8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint16_t U16() { return std::uint16_t(U8() | (U8() << 8)); }
    std::int32_t I32() { return std::int32_t(std::uint32_t(U16()) | (std::uint32_t(U16()) << 16)); }
    // Mostly ordinary numbers, now and then the values that break careless arithmetic.
    double Real() {
        const std::uint8_t k = U8();
        switch (k % 16) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return std::numeric_limits<double>::infinity();
        case 2: return -std::numeric_limits<double>::infinity();
        case 3: return double(I32()) * 1e6;
        case 4: return -double(U16()) / 100.0;
        default: return double(U16()) / 32768.0;
        }
    }
    QString Text() {
        const int n = U8();
        QByteArray b;
        for (int i = 0; i < n && m_pos < m_size; ++i)
            b += char(U8());
        return QString::fromUtf8(b);
    }
    bool Done() const { return m_pos >= m_size; }
    QByteArray Rest() const {
        return QByteArray(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(m_size - m_pos));
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

const QString kName = QStringLiteral("/nonexistent-brellin-fuzz/fuzz.brf");

void SaveAndLoad(CLumidorDoc& doc) {
    QByteArray out;
    {
        QBuffer buf(&out);
        buf.open(QIODevice::WriteOnly);
        SetArchiveFileName(&buf, kName);
        CArchive ar(&buf, CArchive::store);
        try {
            doc.Serialize(ar);
            ar.Flush();
        } catch (const CArchiveException&) {
            return;
        }
    }
    QBuffer in(&out);
    in.open(QIODevice::ReadOnly);
    SetArchiveFileName(&in, kName);
    CArchive ar(&in, CArchive::load);
    CLumidorDoc again;
    try {
        again.Serialize(ar);
    } catch (const CArchiveException&) {
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzSetup();
    static const bool sinkSet = [] {
        SetMessageSink(std::make_shared<CSilentSink>());
        return true;
    }();
    (void)sinkSet;
    CBytes in(data, size);

    PdfImportPlan plan;
    const int nPages = 1 + in.U8() % 4;
    for (int i = 0; i < nPages; ++i) {
        PdfPageRecord page;
        page.dWidthPt = in.Real() * 1000;
        page.dHeightPt = in.Real() * 1000;
        plan.pages.push_back(page);
    }
    const int nFields = in.U8() % 64;
    for (int i = 0; i < nFields && !in.Done(); ++i) {
        PdfFieldRecord f;
        f.kind = PdfFieldKind(in.U8() % 7);
        f.nPage = int(std::int8_t(in.U8()));
        f.strName = in.Text();
        f.rect = QRectF(in.Real(), in.Real(), in.Real(), in.Real());
        f.dFontSize = in.Real() * 100;
        f.nAlign = std::int8_t(in.U8());
        const std::uint8_t flags = in.U8();
        f.bComb = flags & 1;
        f.bMultiline = flags & 2;
        f.bChecked = flags & 4;
        f.nMaxLength = in.I32();
        f.strValue = in.Text();
        plan.fields.push_back(f);
    }
    plan.nFieldsNotRead = int(in.U8()) - 128;

    // Small page images at the resolution the builder would be given.
    std::vector<LMyBitmap> images;
    for (const PdfPageRecord& page : plan.pages) {
        const double dpi = ChooseRenderDpi(page, 200);
        LMyBitmap b;
        const double w = std::isfinite(page.dWidthPt) ? page.dWidthPt / 72.0 * dpi : 1;
        const double h = std::isfinite(page.dHeightPt) ? page.dHeightPt / 72.0 * dpi : 1;
        b.Create(int(std::clamp(w / 64, 1.0, 64.0)), int(std::clamp(h / 64, 1.0, 64.0)), 1);
        b.SetXResolution(std::max(1, int(dpi / 64)));
        b.SetYResolution(std::max(1, int(dpi / 64)));
        images.push_back(std::move(b));
    }
    {
        CLumidorDoc doc;
        CPdfSource source;
        PdfBuildResult result;
        if (BuildPdfDocument(doc, images, plan, source, result)) {
            doc.m_pPdfSource = std::make_shared<CPdfSource>(source);
            SaveAndLoad(doc);
        }
    }

    // The rest: a source record as a document file may hold it, and a drawn page.
    QByteArray rest = in.Rest();
    {
        QBuffer buf(&rest);
        buf.open(QIODevice::ReadOnly);
        CArchive ar(&buf, CArchive::load);
        CPdfSource source;
        try {
            ReadPdfSourceRecord(ar, source);
        } catch (const CArchiveException&) {
        }
    }
    if (rest.size() >= 4) {
        const int w = 1 + (std::uint8_t(rest[0]) % 16), h = 1 + (std::uint8_t(rest[1]) % 16);
        QImage page(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int k = 2 + (y * w + x) % int(rest.size() - 2);
                const int v = std::uint8_t(rest[k]);
                // Black, white, grey and colour pixels in the proportions the bytes give.
                page.setPixel(x, y, v < 64 ? qRgb(0, 0, 0) : v < 128 ? qRgb(255, 255, 255)
                                   : v < 192 ? qRgb(v, v, v) : qRgb(v, 255 - v, v / 2));
            }
        LMyBitmap out;
        ReducePdfPage(page, 100, 100, out);
    }
    return 0;
}
