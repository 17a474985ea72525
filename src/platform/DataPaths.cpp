#include "platform/DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

void InitProgramIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationName(QStringLiteral("Brellin"));
}

QString GetProgramDataDir() {
    const QByteArray env = qgetenv("BRELLIN_DATA_DIR");
    if (!env.isEmpty())
        return QDir::cleanPath(QString::fromLocal8Bit(env));
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../share/brellin"));
    if (QFileInfo(installed).isDir())
        return installed;
    return exeDir;
}

QString GetUserDataDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.local/share/Quillmere/Brellin");
    QDir().mkpath(dir);
    return dir;
}

QString GetTempDirPath() {
    const QString dir = QDir::tempPath() + QStringLiteral("/brf_temp/");
    QDir().mkpath(dir);
    return dir;
}
