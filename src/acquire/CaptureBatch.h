#pragma once
// The batch command --capture KIND [--delay SECONDS] OUT: one capture without any window of the
// program, written as an image file (by its extension) or as a document.

#include <QRect>
#include <QString>

void RegisterCaptureBatchCommand();
// The area of a kind "area:X,Y,W,H"; false for anything else.
bool ParseCaptureArea(const QString& kind, QRect& rect);
