#pragma once
// The cursors of the resource module (cursors/NAME.svg with its hot spot in cursors/cursors.txt),
// made once and kept: the program modes' cursors and those the view's tools show during a gesture
// (the hand, the cut-out being picked up, the zoom rectangle).

#include <QCursor>
#include <QString>

// The module's cursor `name`, or the system cursor `fallback` when the module has none.
QCursor LoadToolCursor(const QString& name, Qt::CursorShape fallback);
