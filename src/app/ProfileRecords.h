#pragma once
// The settings layout of the program: section and value names, and the binary option records with
// the defaults that stand whenever a record is missing or cannot be read.

#include "platform/WinTypes.h"

#include <QString>

inline const QString kSectionSettings = QStringLiteral("Settings");
inline const QString kSectionSettings2 = QStringLiteral("Settings2");
inline const QString kSectionPrinter = QStringLiteral("Printer");
inline const QString kSectionTip = QStringLiteral("Tip");
inline const QString kSectionBarState = QStringLiteral("Settings\\BarState");

// General options of the main frame: 24 little-endian 32-bit integers stored as "Options".
struct FrameOptions {
    static constexpr int kCount = 24;
    LONG field[kCount];
    LONG& operator[](int i) { return field[i]; }
    LONG operator[](int i) const { return field[i]; }
};
static_assert(sizeof(FrameOptions) == 96);

// Screen-capture options: 17 integers stored as "CaptureOptions".
struct CaptureOptions {
    static constexpr int kCount = 17;
    LONG field[kCount];
    LONG& operator[](int i) { return field[i]; }
    LONG operator[](int i) const { return field[i]; }
};
static_assert(sizeof(CaptureOptions) == 68);

// Capture hot keys: 8 integers stored as "LeadCaptureOptions".
struct LeadCaptureOptions {
    static constexpr int kCount = 8;
    LONG field[kCount];
    LONG& operator[](int i) { return field[i]; }
    LONG operator[](int i) const { return field[i]; }
};
static_assert(sizeof(LeadCaptureOptions) == 32);

// Option fields the application and the utilities read.
enum FrameOptionField : int {
    OPT_WARN_OUTSIDE_PRINTABLE = 0, // a shape released outside the printable area is reported
    OPT_SHOW_CLICKED_STYLE = 1,     // a text let go after a click shows its style in the bar
    OPT_MAXIMIZED = 2,
    OPT_UNIT = 3,
    OPT_TIFF_COMPRESSION = 4,
    OPT_JPEG_LEVEL = 6,
    OPT_OPEN_FILE = 7,
    OPT_IMAGES_FORMAT = 14,         // 0 tif, 1 bmp, 2 pcx, 3 jpg, 4 png, 5 emf
    OPT_GRID_X = 9,
    OPT_GRID_Y = 10,
    OPT_SNAP_TO_GRID = 11,
    OPT_EMPTY_DOC_AT_START = 12,
    OPT_TEMPLATES_AT_START = 13,
    OPT_DATE_IN_NAMES = 15,
    OPT_CLOSE_TO_TRAY = 16,
    OPT_ASK_BEFORE_CLOSE = 17,
    OPT_PAGE_FRAME = 18,
    OPT_PRINT_AS_IMAGE = 19,
    OPT_TRANSPARENT = 20,
    OPT_TRANSPARENT_COLOR = 21,
    OPT_VISUAL_STYLE = 22,
    OPT_START_IN_FORM = 23,
};
enum CaptureOptionField : int { CAPOPT_MULTIPLE_AT_START = 8 };

FrameOptions DefaultFrameOptions();
CaptureOptions DefaultCaptureOptions();
LeadCaptureOptions DefaultLeadCaptureOptions();
TEXTSTYLE DefaultTextStyle();

// Each loader starts from the defaults and takes the stored record only when it is whole.
FrameOptions LoadFrameOptions();
void SaveFrameOptions(const FrameOptions& o);
CaptureOptions LoadCaptureOptions(); // field 0 is forced to 1
void SaveCaptureOptions(const CaptureOptions& o);
LeadCaptureOptions LoadLeadCaptureOptions();
void SaveLeadCaptureOptions(const LeadCaptureOptions& o);
TEXTSTYLE LoadTextStyleBarSettings();
void SaveTextStyleBarSettings(const TEXTSTYLE& s);

// "FirstLaunch" = 1 at the profile root: the whole "Settings" section goes, then 0 is written.
// True when the reset ran.
bool FirstLaunchReset();
