#pragma once
// The frames of one scanned page turned into a bitmap: black and white (SANE's 1-bit grey, a set
// bit black) as a 1-bit page, grey as 8 bits, colour as 24 bits, 16-bit samples cut to 8, the
// three passes of a three-pass scanner put together, and a page of unknown height (a hand
// scanner) grown as its lines come. The device is reached only through the two callbacks, so
// that the reader runs on made-up streams too.
//
// Every size a frame announces is checked before anything is allocated and again against what
// arrives: a page of no or absurd size, a line length that does not hold its pixels, an unknown
// sample depth or kind of frame, a frame that ends short or sends more than it announced all end
// in an error with a message, and the page is then left empty, never half built. The page is
// built where it will stay, in the memory of the page it replaces where that fits: no second copy
// of it is ever held.

#include <sane/sane.h>

#include <QString>
#include <functional>

class LBitmapBase;

class CSaneFrameReader {
public:
    // Starts the next frame (sane_start, then sane_get_parameters) and describes it.
    using StartFrame = std::function<SANE_Status(SANE_Parameters& parameters)>;
    // Reads the next bytes of the frame (sane_read): SANE_STATUS_EOF at its end.
    using ReadData = std::function<SANE_Status(SANE_Byte* data, SANE_Int maxLength, SANE_Int* length)>;
    // Receives 0..100 (0 throughout while the height is unknown); false cancels.
    using Progress = std::function<bool(int percent)>;

    // The most pixels a line, or lines a page, a scanner may announce, and the most bytes of one
    // frame: beyond them the announcement is taken for a broken one.
    static constexpr int kMaxPixels = 100000;
    static constexpr long long kMaxFrameBytes = 1LL << 31;

    CSaneFrameReader(StartFrame start, ReadData read);

    // Reads every frame of one page into `page` with the resolution given. SUCCESS;
    // CSaneScanner::SCAN_NO_MORE_PAGES when the first frame does not start for want of paper;
    // ERROR_USER_ABORT when the progress answered false or the scan was cancelled; another error
    // with ErrorText. On any failure the page is left empty.
    int ReadPage(LBitmapBase& page, int xDpi, int yDpi, const Progress& progress = {});

    // The SANE status that ended a failed page, SANE_STATUS_GOOD when it was no SANE failure.
    SANE_Status Status() const { return m_status; }
    QString ErrorText() const { return m_error; }

    // Whether a frame's announcement can be read: SUCCESS, or the error with its text.
    static int CheckParameters(const SANE_Parameters& parameters, QString& error);

private:
    StartFrame m_start;
    ReadData m_read;
    SANE_Status m_status = SANE_STATUS_GOOD;
    QString m_error;
};
