#include "view/ToolCursors.h"

#include "platform/ResourceModule.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {
// The hot spots of the module's cursors ("name<TAB>x<TAB>y" in cursors/cursors.txt).
QHash<QString, QPoint> HotSpots() {
    QHash<QString, QPoint> spots;
    QFile f(ResourceModulePath(QStringLiteral("cursors/cursors.txt")));
    if (!f.open(QIODevice::ReadOnly))
        return spots;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split('\t');
        if (parts.size() >= 3 && !parts[0].startsWith('#'))
            spots.insert(QString::fromUtf8(parts[0]), QPoint(parts[1].toInt(), parts[2].toInt()));
    }
    return spots;
}
} // namespace

QCursor LoadToolCursor(const QString& name, Qt::CursorShape fallback) {
    static QHash<QString, QCursor> cursors;
    if (const auto it = cursors.constFind(name); it != cursors.constEnd())
        return *it;
    QCursor cursor(fallback);
    QSvgRenderer svg(ResourceModulePath(QStringLiteral("cursors/%1.svg").arg(name)));
    if (svg.isValid()) {
        static const QHash<QString, QPoint> spots = HotSpots();
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        {
            QPainter p(&pixmap);
            svg.render(&p, QRectF(0, 0, 32, 32));
        }
        const QPoint hot = spots.value(name, QPoint(16, 16));
        cursor = QCursor(pixmap, hot.x(), hot.y());
    }
    cursors.insert(name, cursor);
    return cursor;
}
