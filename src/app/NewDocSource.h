#pragma once
// What the next new document is to be built from. Each document-creating operation of the
// application sets it immediately before running the new-document path, and the document's own
// initialisation reads it back.

#include "platform/WinTypes.h"

#include <QString>

class LBitmapBase;
class LBitmapList;

enum NewDocSourceKind : LONG {
    NDS_EMPTY = 0,
    NDS_TEMPLATE = 1,
    NDS_IMAGE_FILE = 2,
    NDS_BITMAP = 3,
    NDS_IMAGE_FILE_DETACHED = 4,
    NDS_BITMAP_LIST = 5,
};

struct NewDocSource {
    LONG nKind = NDS_EMPTY;
    BOOL bAutoCreated = FALSE;        // NDS_EMPTY made by start-up: may be closed silently
    QString strTemplatePath;          // NDS_TEMPLATE
    QString strImagePath;             // NDS_IMAGE_FILE, NDS_IMAGE_FILE_DETACHED
    LBitmapBase* pBitmap = nullptr;   // NDS_BITMAP (borrowed)
    POINT ptImagePos;                 // NDS_BITMAP
    LBitmapList* pBitmapList = nullptr; // NDS_BITMAP_LIST (borrowed)
    const QString* pListTitle = nullptr; // NDS_BITMAP_LIST, null for none (borrowed)
    QString strTitle;                 // taken over by an NDS_BITMAP document
    QString strPageName;              // taken over by an NDS_BITMAP document
};
