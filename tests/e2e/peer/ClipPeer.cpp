// Another program on the same display, for the whole-program tests: it puts text, an image or
// files on the clipboard, reads what is there, or drags them out of its own small window, the way
// a browser, a file manager or an image viewer would.
//
//   e2e-peer copy-text TEXT            owns the clipboard until another program takes it
//   e2e-peer copy-image FILE
//   e2e-peer read MIME OUT             writes the clipboard's MIME data to OUT (exit 1: none)
//   e2e-peer drag text TEXT            a 60 x 60 window at the top left of the screen; a press
//   e2e-peer drag files PATH...        in it starts a drag of that data
//   e2e-peer drag image FILE
//   e2e-peer window COLOR W H X Y      a window of that size and colour (#rrggbb) at X, Y, titled
//                                      "e2e-peer-window", that takes the keyboard; it prints
//                                      "ready" once it is shown
//   e2e-peer grab-key KEYSYM           holds the key on the X server's root window (as a program
//                                      with a global hot key does) until it is ended

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QPalette>
#include <QWidget>
#include <cstdio>

#include <X11/Xlib.h>

namespace {

QMimeData* MakeData(const QString& kind, const QStringList& values) {
    auto* data = new QMimeData;
    if (kind == QLatin1String("text")) {
        data->setText(values.value(0));
    } else if (kind == QLatin1String("image")) {
        data->setImageData(QImage(values.value(0)));
    } else if (kind == QLatin1String("files")) {
        QList<QUrl> urls;
        for (const QString& v : values) urls << QUrl::fromLocalFile(v);
        data->setUrls(urls);
    }
    return data;
}

class DragSource : public QWidget {
public:
    DragSource(QString kind, QStringList values) : m_kind(std::move(kind)), m_values(std::move(values)) {
        setWindowTitle(QStringLiteral("e2e-peer"));
        setGeometry(0, 0, 60, 60);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        drag->setMimeData(MakeData(m_kind, m_values));
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::printf("dropped %d\n", int(done));
        std::fflush(stdout);
    }

private:
    QString m_kind;
    QStringList m_values;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("copy-text") || command == QLatin1String("copy-image")) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setMimeData(MakeData(command.mid(5), args.mid(1)));
        // Stays to answer requests until another program owns the clipboard.
        QObject::connect(clipboard, &QClipboard::dataChanged, &app, [clipboard, &app] {
            if (!clipboard->ownsClipboard()) app.quit();
        });
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    if (command == QLatin1String("read") && args.size() == 3) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data || !data->hasFormat(args[1])) return 1;
        QFile out(args[2]);
        if (!out.open(QIODevice::WriteOnly)) return 2;
        out.write(data->data(args[1]));
        return 0;
    }
    if (command == QLatin1String("drag") && args.size() >= 3) {
        DragSource source(args[1], args.mid(2));
        source.show();
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    if (command == QLatin1String("window") && args.size() == 6) {
        QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
        window.setWindowTitle(QStringLiteral("e2e-peer-window"));
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(args[1]));
        window.setPalette(palette);
        window.setGeometry(args[4].toInt(), args[5].toInt(), args[2].toInt(), args[3].toInt());
        window.setFixedSize(args[2].toInt(), args[3].toInt());
        window.show();
        window.activateWindow();
        QTimer::singleShot(300, &window, [] {
            std::printf("ready\n");
            std::fflush(stdout);
        });
        return app.exec();
    }
    if (command == QLatin1String("grab-key") && args.size() == 2) {
        Display* d = XOpenDisplay(nullptr);
        if (!d) return 1;
        const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(args[1].toLatin1().constData()));
        if (!code) return 1;
        for (unsigned locks : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
            XGrabKey(d, code, locks, DefaultRootWindow(d), True, GrabModeAsync, GrabModeAsync);
        XSync(d, False);
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    std::fprintf(stderr, "usage: e2e-peer copy-text|copy-image|read|drag|window|grab-key ...\n");
    return 2;
}
