#include "objects/ObjectTypes.h"

#include "platform/Guard.h"

double g_dUnitScale = 0.00001;
UINT g_nObjectClipboardFormat = 0;
UINT g_nObjectClipboardFormat2 = 0;

QString ClipboardFormatMimeType(const char* formatName) {
    DEF_TRY
    return QString::fromLatin1(formatName);
    DEF_CATCH
    return {};
}

void RegisterObjectClipboardFormats() {
    // Identifiers in the range of registered formats; the MIME type derived from the name is what
    // travels, the identifier only says that the format is known.
    g_nObjectClipboardFormat = 0xC000;
    g_nObjectClipboardFormat2 = 0xC001;
}
