#pragma once
// Saving the page images themselves, without their annotations, back to an image file: Save
// Image writes to the file the pages came from, Save Image As asks for another one. The saved
// file becomes the document's image file.

#include "app/CommandTarget.h"

#include <QString>

class CLumidorDoc;

// The page images as one file (a multi-page TIFF for several pages); an empty path asks for one.
// False when cancelled or not written (said).
bool SaveImage(CLumidorDoc& doc, const QString& path);
void OnFileSaveImage(CLumidorDoc& doc);
void OnFileSaveImageAs(CLumidorDoc& doc);

// The extension of a 1-based filter index of the single-page save dialog (bmp, tif, pcx, jpg,
// png); empty for the last, all files.
QString SaveImageFilterExt(int filterIndex);

void RegisterImageSaveCommands(CLumidorDoc& doc, CCommandMap& map);
