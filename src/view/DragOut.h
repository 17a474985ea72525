#pragma once
// The page, or a cut-out of it, dragged out of the program: written as an image file into the
// program's temporary folder, in the image format of the settings, and offered to the drop target
// as a file (a text/uri-list of one file URL), so that a file manager, a mail program or another
// copy of Brellin takes it. The file stays until the temporary folder is emptied.

#include "platform/WinTypes.h"

#include <QString>

class CLumidorDoc;
class CLumidorView;

// The temporary file a drag of the document's page is written to: the document's title with the
// extension of the image format chosen in the settings; a cut-out is always a raster image.
QString DragOutFilePath(const CLumidorDoc& doc, bool rasterOnly);

// Writes the view's active page (the whole page, or the cut-out `rcPage` in page pixels) and runs
// the drag; false, with the reason shown, when the file could not be written.
bool StartPageDrag(CLumidorView& view);
bool StartCutOutDrag(CLumidorView& view, const RECT& rcPage);
