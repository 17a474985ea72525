// brellin_form_pdf: the test PDF files for the scenarios and the benchmark.
//   brellin_form_pdf make SAMPLE OUT.pdf [PAGES]    (samples: tools/PdfFormMaker.h)
//   brellin_form_pdf encrypt IN.pdf OUT.pdf PASSWORD
//   brellin_form_pdf fields IN.pdf                  one "name<TAB>value" line per field
#include "PdfFormMaker.h"

#include <QFile>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    // No screen is needed to draw into a PDF file.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 3 && args[0] == QLatin1String("make")) {
        const QByteArray pdf = MakeSamplePdf(args[1], args.size() > 3 ? args[3].toInt() : 1);
        return !pdf.isEmpty() && WriteFile(args[2], pdf) ? 0 : 1;
    }
    if (args.size() == 4 && args[0] == QLatin1String("encrypt")) {
        QFile in(args[1]);
        if (!in.open(QIODevice::ReadOnly)) return 1;
        return WriteFile(args[2], EncryptPdf(in.readAll(), args[3])) ? 0 : 1;
    }
    if (args.size() == 2 && args[0] == QLatin1String("fields")) {
        QFile in(args[1]);
        if (!in.open(QIODevice::ReadOnly)) return 1;
        for (const auto& [name, value] : ReadFieldValues(in.readAll()))
            std::printf("%s\t%s\n", name.toUtf8().constData(), value.toUtf8().constData());
        return 0;
    }
    std::fprintf(stderr, "usage: brellin_form_pdf make SAMPLE OUT [PAGES] | encrypt IN OUT PW | fields IN\n");
    return 2;
}
