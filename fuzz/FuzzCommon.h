#pragma once
// What every decoder fuzz target shares: a Qt application for fonts and image plugins, a lower
// bitmap memory limit so that each input runs quickly, and a re-encode of whatever decoded, so
// that a bitmap a decoder accepted is also one the rest of the layer can handle.

#include "platform/imaging/Codecs.h"
#include "platform/imaging/ImageFile.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline void FuzzSetup() {
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "brellin_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    SetMaxBitmapBytes(64LL * 1024 * 1024);
}

inline void FuzzExercise(const LBitmapBase& bitmap) {
    if (!bitmap.IsAllocated())
        return;
    // The layer's own operations must take any bitmap a decoder made.
    QByteArray out;
    brellin::imaging::EncodeImage(bitmap, FILE_PNG, 0, 0, out, {});
    LBitmapBase copy(bitmap);
    copy.Rotate(9000, ROTATE_RESIZE, 0);
    copy.AutoTrim(0);
    LBitmapBase back;
    back.ConvertFromDIB(bitmap.ConvertToDIB());
}
