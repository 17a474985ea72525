#pragma once
// LMyBitmap: the program's bitmap. Adds metafile loading, the packed device-independent bitmap
// import of the clipboard and of picture records, and progress reporting to the main frame.

#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <QString>
#include <functional>

class LMyBitmap : public LBitmapBase {
public:
    using LBitmapBase::LBitmapBase;
    LMyBitmap() = default;
    LMyBitmap(const LBitmapBase& other) : LBitmapBase(other) {}

    // Plays the enhanced metafile at `path` into a white 24-bit bitmap of the metafile's
    // reference-device size; ERROR_FILE_OPEN when the file cannot be opened.
    static int LoadEMF(LBitmapBase& bitmap, const QString& path);
    // The same from the bytes of a metafile held in memory.
    static int LoadEMFMemory(LBitmapBase& bitmap, const QByteArray& bytes);
    // From a packed device-independent bitmap; ERROR_NULL_MEMORY for a null block.
    static int CopyFromHDib(LBitmapBase& bitmap, const QByteArray& dib);

    // Passes the percentage to the progress display; ERROR_USER_ABORT once the user cancelled.
    int StatusCallBack(int nPercent) override;
    // The progress display for `done` of `total` steps; false once the user cancelled.
    static bool ReportSteps(int done, int total);

    // The progress display the main frame installs: it receives the percentage and answers
    // whether the user cancelled.
    using ProgressDisplay = std::function<bool(int percent)>;
    static void SetProgressDisplay(ProgressDisplay display);
};
