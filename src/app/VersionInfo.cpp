#include "app/VersionInfo.h"

#include "platform/ResourceModule.h"

#include <cstdio>

QString BuildVersionString(DWORD ms, DWORD ls) {
    char text[64];
    if (ls > 65535)
        std::snprintf(text, sizeof text, "%d.%02d.%02d", int(ms >> 16), int(ms & 0xFFFF),
                      int(ls >> 16));
    else
        std::snprintf(text, sizeof text, "%d.%02d", int(ms >> 16), int(ms & 0xFFFF));
    return QString::fromLatin1(text);
}

QString GetVersionString() {
    DWORD ms = 0, ls = 0;
    if (!GetResourceVersion(ms, ls)) {
        ms = (DWORD(BRELLIN_VERSION_MAJOR) << 16) | DWORD(BRELLIN_VERSION_MINOR);
        ls = (DWORD(BRELLIN_VERSION_PATCH) << 16) | DWORD(BRELLIN_VERSION_TWEAK);
    }
    return BuildVersionString(ms, ls);
}

QString GetDisplayName() { return kProductName + QLatin1Char(' ') + GetVersionString(); }

QString GetProfileNameForVersion(const QString& version) {
    return kProductName + QLatin1Char(' ') + kEditionWord + QLatin1Char(' ') + version;
}
