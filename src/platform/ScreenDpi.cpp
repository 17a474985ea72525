#include "platform/ScreenDpi.h"

#include <QGuiApplication>
#include <QList>
#include <QScreen>
#include <cmath>

bool ParseDpiOverride(const QByteArray& text, QPoint& dpi) {
    const QList<QByteArray> parts = text.trimmed().split(',');
    if (parts.isEmpty() || parts.size() > 2)
        return false;
    int v[2] = {0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok || v[i] <= 0 || v[i] > 10000)
            return false;
    }
    dpi = QPoint(v[0], parts.size() == 2 ? v[1] : v[0]);
    return true;
}

QPoint GetScreenDpi() {
    QPoint dpi;
    if (ParseDpiOverride(qgetenv("BRELLIN_SCREEN_DPI"), dpi))
        return dpi;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* s = QGuiApplication::primaryScreen())
            return QPoint(int(std::floor(s->logicalDotsPerInchX() + 0.5)),
                          int(std::floor(s->logicalDotsPerInchY() + 0.5)));
    }
    return QPoint(96, 96);
}
