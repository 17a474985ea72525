#pragma once
#include <QString>
#include <ctime>

// The error log "error.log" in the per-user data folder. Each entry is the UTC time of writing,
// the message and an empty line, with CR LF line ends. A log that cannot be opened is silent.
void WriteLog(const QString& message);
void WriteLogAt(const QString& message, std::time_t when);
QString GetLogPath();
void DeleteLog();

// The entry text for a time and message, as it stands in the file.
QByteArray FormatLogEntry(const QString& message, std::time_t when);

// The qualified operation name ("CLumidorApp::InitInstance") from a compiler's function signature.
QString QualifiedFunctionName(const char* prettyFunction);
