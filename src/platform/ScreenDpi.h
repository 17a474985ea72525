#pragma once
#include <QPoint>

// The screen's logical dots per inch (x, y). BRELLIN_SCREEN_DPI=N or NX,NY overrides what the screen
// reports, so that rendering tests and batch output do not depend on the display.
QPoint GetScreenDpi();

// Parses an override value; false when it is not one or two positive whole numbers.
bool ParseDpiOverride(const QByteArray& text, QPoint& dpi);
