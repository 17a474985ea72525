#include "app/CommandLine.h"

CCommandLineInfo CCommandLineInfo::Parse(const QStringList& args) {
    CCommandLineInfo info;
    if (args.isEmpty())
        return info;
    const QString first = args.first();
    if (first.startsWith(QStringLiteral("--"))) {
        info.m_nShellCommand = Batch;
        info.m_strBatchCommand = first.mid(2);
        info.m_batchArgs = args.mid(1);
        return info;
    }
    if (first == QStringLiteral("-h")) {
        info.m_nShellCommand = Batch;
        info.m_strBatchCommand = QStringLiteral("help");
        return info;
    }
    info.m_nShellCommand = FileOpen;
    info.m_strFileName = first;
    if (args.size() > 1)
        info.m_strError = QStringLiteral("Only one file can be opened from the command line.");
    return info;
}
