// Build-time tool: draws an SVG icon into square PNG files for the icon theme's fixed-size folders.
// Usage: brellin_render_icon IN.svg OUTDIR NAME SIZE...  writes OUTDIR/<SIZE>x<SIZE>/NAME.png
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The build's log is no place for Qt's notes about the session it runs in.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type >= QtWarningMsg && !msg.startsWith(QStringLiteral("QStandardPaths:")))
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "Usage: brellin_render_icon IN.svg OUTDIR NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "brellin_render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || size > 1024) {
            std::fprintf(stderr, "brellin_render_icon: no size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            svg.render(&painter, QRectF(0, 0, size, size));
        }
        const QString dir = QStringLiteral("%1/%2x%2").arg(outDir).arg(size);
        QDir().mkpath(dir);
        const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "brellin_render_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
