#pragma once
#include "platform/WinTypes.h"

#include <QString>

// "%d.%02d.%02d" of (MS >> 16, MS & 0xFFFF, LS >> 16) when LS > 65535, else "%d.%02d" of the first
// two: version record 2.5.3.0 gives "2.05.03", 2.5.0.0 gives "2.05".
QString BuildVersionString(DWORD ms, DWORD ls);

// The version string of the resource module's version record, or of the program's own when no
// module is loaded.
QString GetVersionString();

// "Brellin " and the version string.
QString GetDisplayName();

inline const QString kProductName = QStringLiteral("Brellin");
inline const QString kEditionWord = QStringLiteral("Studio");

// The settings profile: product name, edition word and version string.
QString GetProfileNameForVersion(const QString& version);
