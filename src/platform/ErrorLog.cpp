#include "platform/ErrorLog.h"

#include "platform/DataPaths.h"
#include "platform/Guard.h"

#include <QDir>
#include <QFile>

QByteArray FormatLogEntry(const QString& message, std::time_t when) {
    std::tm t{};
    gmtime_r(&when, &t);
    const QByteArray head = QByteArray::number(t.tm_mday) + '.' + QByteArray::number(t.tm_mon + 1) +
                            '.' + QByteArray::number(t.tm_year + 1900) + "  " +
                            QByteArray::number(t.tm_hour) + ':' + QByteArray::number(t.tm_min) +
                            ':' + QByteArray::number(t.tm_sec);
    return head + "\r\n" + message.toUtf8() + "\r\n\r\n";
}

QString GetLogPath() { return GetUserDataDir() + QStringLiteral("/error.log"); }

void WriteLogAt(const QString& message, std::time_t when) {
    QFile f(GetLogPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    f.write(FormatLogEntry(message, when));
}

void WriteLog(const QString& message) { WriteLogAt(message, std::time(nullptr)); }

void DeleteLog() { QFile::remove(GetLogPath()); }

QString QualifiedFunctionName(const char* prettyFunction) {
    // "bool CLumidorApp::InitInstance(int)" -> "CLumidorApp::InitInstance"
    QString s = QString::fromLatin1(prettyFunction ? prettyFunction : "");
    int paren = s.indexOf(QLatin1Char('('));
    if (paren >= 0)
        s.truncate(paren);
    const int space = s.lastIndexOf(QLatin1Char(' '));
    if (space >= 0)
        s = s.mid(space + 1);
    while (s.startsWith(QLatin1Char('*')) || s.startsWith(QLatin1Char('&')))
        s.remove(0, 1);
    return s;
}

namespace brellin {
void LogGuardEntry(const char* file, int line, const char* prettyFunction) noexcept {
    try {
        WriteLog(QStringLiteral("Exception (DEF_TRY - DEF_CATCH)\r\nFile %1\r\nLine %2\r\nFunction %3")
                     .arg(QString::fromLocal8Bit(file))
                     .arg(line)
                     .arg(QualifiedFunctionName(prettyFunction)));
    } catch (...) {
        // Nothing more can be done about a log that cannot be written.
    }
}
} // namespace brellin
