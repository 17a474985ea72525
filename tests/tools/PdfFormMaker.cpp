#include "PdfFormMaker.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <string>
#include <vector>

namespace {

struct PageSpec {
    double w = 612, h = 792;
    int rotate = 0;
    QString text;
    QColor fill; // a rectangle of this colour when valid
};

QByteArray DrawPages(const std::vector<PageSpec>& pages) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PageSpec& p = pages[i];
        writer.setPageSize(QPageSize(QSizeF(std::max(p.w, 1.0), std::max(p.h, 1.0)), QPageSize::Point,
                                     QString(), QPageSize::ExactMatch));
        if (i == 0)
            painter.begin(&writer);
        else
            writer.newPage();
        painter.setPen(Qt::black);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        painter.setFont(font);
        painter.drawText(QRectF(40, 40, std::max(p.w - 80, 10.0), std::max(p.h - 80, 10.0)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, p.text);
        if (p.fill.isValid())
            painter.fillRect(QRectF(100, 300, 200, 150), p.fill);
    }
    painter.end();
    return out;
}

std::string R(double a, double b, double c, double d) {
    return "[" + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " +
           std::to_string(d) + "]";
}

struct Form {
    QPDF& pdf;
    QPDFObjectHandle fields = QPDFObjectHandle::newArray();
    explicit Form(QPDF& p) : pdf(p) {}

    void AddAnnot(QPDFPageObjectHelper& page, QPDFObjectHandle annot) {
        QPDFObjectHandle annots = page.getObjectHandle().getKey("/Annots");
        if (!annots.isArray()) {
            annots = QPDFObjectHandle::newArray();
            page.getObjectHandle().replaceKey("/Annots", annots);
        }
        annots.appendItem(annot);
    }
    QPDFObjectHandle Stream(const std::string& dict, const std::string& data) {
        QPDFObjectHandle s = QPDFObjectHandle::newStream(&pdf, data);
        QPDFObjectHandle d = QPDFObjectHandle::parse(dict);
        for (const std::string& k : d.getKeys())
            s.getDict().replaceKey(k, d.getKey(k));
        return s;
    }
    // A rectangle in PDF user space.
    void Text(QPDFPageObjectHelper& page, const std::string& name, const std::string& rect,
              const std::string& extra = "", const std::string& value = "") {
        std::string d = "<< /Type /Annot /Subtype /Widget /FT /Tx /T (" + name + ") /Rect " + rect +
                        " /F 4 " + (extra.find("/DA") == std::string::npos ? "/DA (/Helv 0 Tf 0 g) " : "") + extra;
        if (!value.empty())
            d += " /V (" + value + ")";
        d += " >>";
        QPDFObjectHandle a = pdf.makeIndirectObject(QPDFObjectHandle::parse(d));
        a.replaceKey("/P", page.getObjectHandle());
        AddAnnot(page, a);
        fields.appendItem(a);
    }
    QPDFObjectHandle ButtonAp(const std::string& on, double w, double h) {
        const std::string bbox = R(0, 0, w, h);
        QPDFObjectHandle n = QPDFObjectHandle::newDictionary();
        n.replaceKey(on, Stream("<< /Type /XObject /Subtype /Form /BBox " + bbox + " >>",
                                "0 g 2 2 " + std::to_string(w - 4) + " " + std::to_string(h - 4) + " re f\n"));
        n.replaceKey("/Off", Stream("<< /Type /XObject /Subtype /Form /BBox " + bbox + " >>", ""));
        QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
        ap.replaceKey("/N", n);
        return ap;
    }
    void Check(QPDFPageObjectHelper& page, const std::string& name, double x, double y, bool on) {
        QPDFObjectHandle a = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /FT /Btn /T (" + name + ") /Rect " + R(x, y, x + 14, y + 14) +
            " /F 4 /V " + (on ? "/Yes" : "/Off") + " /AS " + (on ? "/Yes" : "/Off") + " >>"));
        a.replaceKey("/AP", ButtonAp("/Yes", 14, 14));
        a.replaceKey("/P", page.getObjectHandle());
        AddAnnot(page, a);
        fields.appendItem(a);
    }
    void Radio(QPDFPageObjectHelper& page, const std::string& name,
               const std::vector<std::pair<std::string, std::pair<double, double>>>& kids,
               const std::string& value) {
        QPDFObjectHandle parent = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /FT /Btn /Ff 49152 /T (" + name + ") /V /" + value + " /Kids [] >>"));
        for (const auto& [state, at] : kids) {
            QPDFObjectHandle k = pdf.makeIndirectObject(QPDFObjectHandle::parse(
                "<< /Type /Annot /Subtype /Widget /Rect " +
                R(at.first, at.second, at.first + 14, at.second + 14) + " /F 4 /AS /" +
                (state == value ? state : std::string("Off")) + " >>"));
            k.replaceKey("/AP", ButtonAp("/" + state, 14, 14));
            k.replaceKey("/Parent", parent);
            k.replaceKey("/P", page.getObjectHandle());
            parent.getKey("/Kids").appendItem(k);
            AddAnnot(page, k);
        }
        fields.appendItem(parent);
    }
    void Choice(QPDFPageObjectHelper& page, const std::string& name, const std::string& rect) {
        QPDFObjectHandle a = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /FT /Ch /Ff 131072 /T (" + name + ") /Rect " + rect +
            " /F 4 /DA (/Helv 10 Tf 0 g) /Opt [(France) (Peru)] /V (Peru) >>"));
        a.replaceKey("/P", page.getObjectHandle());
        AddAnnot(page, a);
        fields.appendItem(a);
    }
    void Finish() {
        QPDFObjectHandle acro = QPDFObjectHandle::parse(
            "<< /DR << /Font << /Helv << /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
            "/Encoding /WinAnsiEncoding >> >> >> /DA (/Helv 0 Tf 0 g) /NeedAppearances true >>");
        acro.replaceKey("/Fields", fields);
        pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(acro));
        QPDFAcroFormDocumentHelper(pdf).generateAppearancesIfNeeded();
    }
};

} // namespace

QByteArray MakeSamplePdf(const QString& sample, int nPages) {
    std::vector<PageSpec> pages;
    const QString words = QStringLiteral(
        "Application form. Please fill in every field in block letters. The quick brown fox jumps "
        "over the lazy dog.");
    if (sample == QLatin1String("form") || sample == QLatin1String("nofields") ||
        sample == QLatin1String("thousands")) {
        pages.push_back({612, 792, 0, words, {}});
    } else if (sample == QLatin1String("mixed")) {
        pages.push_back({612, 792, 0, words, {}});
        pages.push_back({842, 595, 0, QStringLiteral("Landscape page"), {}});
        pages.push_back({612, 792, 90, QStringLiteral("Turned page"), {}});
    } else if (sample == QLatin1String("plain")) {
        QString text;
        for (int i = 0; i < 40; ++i)
            text += words + QLatin1Char(' ');
        for (int i = 0; i < nPages; ++i)
            pages.push_back({612, 792, 0, QStringLiteral("Page %1. ").arg(i + 1) + text, {}});
    } else if (sample == QLatin1String("colour")) {
        pages.push_back({612, 792, 0, words, QColor(200, 30, 30)});
    } else if (sample == QLatin1String("grey")) {
        pages.push_back({612, 792, 0, words, QColor(128, 128, 128)});
    } else if (sample == QLatin1String("zero")) {
        pages.push_back({612, 792, 0, words, {}});
        pages.push_back({612, 792, 0, QStringLiteral("empty"), {}});
        pages.push_back({612, 792, 0, words, {}});
    } else if (sample == QLatin1String("huge")) {
        pages.push_back({14400, 14400, 0, words, {}});
    } else if (sample == QLatin1String("millions")) {
        pages.push_back({612, 792, 0, words, {}});
    } else {
        return {};
    }
    const QByteArray drawn = DrawPages(pages);
    QPDF pdf;
    pdf.processMemoryFile("drawn", drawn.constData(), std::size_t(drawn.size()));
    std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(pdf).getAllPages();
    for (std::size_t i = 0; i < pages.size() && i < all.size(); ++i)
        if (pages[i].rotate)
            all[i].getObjectHandle().replaceKey("/Rotate", QPDFObjectHandle::newInteger(pages[i].rotate));
    Form form(pdf);
    if (sample == QLatin1String("form")) {
        form.Text(all[0], "Name", R(100, 650, 300, 670), "/DA (/Helv 12 Tf 0 g)", "Ada");
        form.Text(all[0], "City", R(100, 610, 300, 630), "/Q 2");
        form.Text(all[0], "Zip", R(100, 570, 260, 590), "/Ff 16777216 /MaxLen 8 /DA (/Helv 12 Tf 0 g)");
        form.Check(all[0], "Agree", 100, 530, true);
        form.Radio(all[0], "Size", {{"Small", {100, 490}}, {"Large", {140, 490}}}, "Small");
        form.Choice(all[0], "Country", R(100, 440, 250, 460));
        form.Finish();
    } else if (sample == QLatin1String("mixed")) {
        form.Text(all[1], "Wide", R(400, 300, 600, 320), "/DA (/Helv 12 Tf 0 g)");
        form.Text(all[2], "Turned", R(100, 400, 300, 420), "/DA (/Helv 12 Tf 0 g)");
        form.Finish();
    } else if (sample == QLatin1String("thousands")) {
        for (int i = 0; i < 6000; ++i) {
            const double x = 20 + (i % 50) * 11.5, y = 20 + (i / 50) * 6.0;
            form.Text(all[0], "F" + std::to_string(i), R(x, y, x + 10, y + 5));
        }
        form.Finish();
    } else if (sample == QLatin1String("zero")) {
        all[1].getObjectHandle().replaceKey("/MediaBox", QPDFObjectHandle::parse("[0 0 0 0]"));
    } else if (sample == QLatin1String("millions")) {
        pdf.getRoot().getKey("/Pages").replaceKey("/Count", QPDFObjectHandle::newInteger(5000000));
        QPDFWriter w(pdf);
        w.setOutputMemory();
        // The count must reach the file as it is: no page tree repair on writing.
        w.setQDFMode(false);
        w.write();
        std::shared_ptr<Buffer> b = w.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(b->getBuffer()), qsizetype(b->getSize()));
    }
    return WriteQpdf(pdf);
}

QByteArray WriteQpdf(QPDF& pdf) {
    QPDFWriter w(pdf);
    w.setOutputMemory();
    w.write();
    std::shared_ptr<Buffer> b = w.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(b->getBuffer()), qsizetype(b->getSize()));
}

QByteArray EncryptPdf(const QByteArray& bytes, const QString& password) {
    QPDF pdf;
    pdf.processMemoryFile("plain", bytes.constData(), std::size_t(bytes.size()));
    QPDFWriter w(pdf);
    w.setOutputMemory();
    const std::string pw = password.toStdString();
    w.setR6EncryptionParameters(pw.c_str(), (pw + "-owner").c_str(), true, true, true, true, true,
                                true, qpdf_r3p_full, true);
    w.write();
    std::shared_ptr<Buffer> b = w.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(b->getBuffer()), qsizetype(b->getSize()));
}

std::map<QString, QString> ReadFieldValues(const QByteArray& bytes) {
    std::map<QString, QString> out;
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("read", bytes.constData(), std::size_t(bytes.size()));
        QPDFAcroFormDocumentHelper form(pdf);
        for (QPDFFormFieldObjectHelper& f : form.getFormFields()) {
            QPDFObjectHandle v = f.getValue();
            QString value;
            if (v.isName())
                value = QString::fromStdString(v.getName()).mid(1);
            else if (v.isString())
                value = QString::fromStdString(v.getUTF8Value());
            out[QString::fromStdString(f.getFullyQualifiedName())] = value;
        }
    } catch (const std::exception&) {
        out.clear();
    }
    return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
