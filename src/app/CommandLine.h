#pragma once
// The command line: a document or image file to open, or one batch command that runs without a
// window.

#include <QString>
#include <QStringList>

struct CCommandLineInfo {
    enum ShellCommand { FileNew, FileOpen, FileNothing, Batch };
    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;

    // Batch mode: the command ("version", "help", ...) and its arguments.
    QString m_strBatchCommand;
    QStringList m_batchArgs;
    QString m_strError; // a command line that cannot be understood

    static CCommandLineInfo Parse(const QStringList& arguments); // arguments without the program
};
