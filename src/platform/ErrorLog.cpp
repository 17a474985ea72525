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
    // "bool CLumidorApp::InitInstance(int)" -> "CLumidorApp::InitInstance". The parameter list is
    // the first '(' outside template arguments and after an operator's own symbol ("operator()",
    // "operator<"); the name begins after the last space before it that is outside template
    // arguments, since the return type ("std::map<int, int>") and the class ("CList<K, V>") may
    // hold spaces of their own.
    const QString s = QString::fromLatin1(prettyFunction ? prettyFunction : "");
    const auto isIdent = [&](qsizetype i) {
        return i >= 0 && i < s.size() && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_'));
    };
    qsizetype end = s.size();
    qsizetype nameEnd = -1; // where the scan back for the name's start begins
    int depth = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (depth == 0 && s.mid(i, 8) == QLatin1String("operator") && !isIdent(i - 1) &&
            !isIdent(i + 8)) {
            nameEnd = i;
            i += 8;
            while (i < s.size() && s[i] == QLatin1Char(' '))
                ++i;
            if (s.mid(i, 2) == QLatin1String("()"))
                i += 2;
            else
                while (i < s.size() && QStringLiteral("<>=!+-*/%^&|~[],").contains(s[i]))
                    ++i;
            --i;
            continue;
        }
        if (c == QLatin1Char('<'))
            ++depth;
        else if (c == QLatin1Char('>') && depth > 0)
            --depth;
        else if (c == QLatin1Char('(') && depth == 0) {
            end = i;
            break;
        }
    }
    qsizetype start = 0;
    depth = 0;
    for (qsizetype i = (nameEnd >= 0 ? nameEnd : end) - 1; i >= 0; --i) {
        const QChar c = s[i];
        if (c == QLatin1Char('>'))
            ++depth;
        else if (c == QLatin1Char('<') && depth > 0)
            --depth;
        else if (c == QLatin1Char(' ') && depth == 0) {
            start = i + 1;
            break;
        }
    }
    QString name = s.mid(start, end - start).trimmed();
    while (name.startsWith(QLatin1Char('*')) || name.startsWith(QLatin1Char('&')))
        name.remove(0, 1);
    return name;
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
