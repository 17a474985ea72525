#include "app/Utils.h"

bool IsImageFormatSupported(const QString& path) {
    const QString ext = path.section(QLatin1Char('.'), -1).toLower();
    if (!path.contains(QLatin1Char('.')))
        return false;
    static const QStringList known = {QStringLiteral("bmp"), QStringLiteral("tif"),
                                      QStringLiteral("tiff"), QStringLiteral("pcx"),
                                      QStringLiteral("jpg"), QStringLiteral("png")};
    return known.contains(ext);
}
