#include "frame/OptionsPropPageCaptureMultiple.h"

#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"

COptionsPropPageCaptureMultiple::COptionsPropPageCaptureMultiple(CCaptureCommands& capture)
    : CCaptureFlagsPage(
          capture, QStringLiteral("COptionsPropPageCaptureMultiple"), IDS_OPT_CAPTURE_MULTIPLE,
          {{CAPOPT_MULTI_FULL_SCREEN, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_FULL_SCREEN, false},
           {CAPOPT_MULTI_ACTIVE_WINDOW, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_ACTIVE_WINDOW, false},
           {CAPOPT_MULTI_WINDOW_UNDER_CURSOR, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_WINDOW_UNDER_CURSOR, false},
           {CAPOPT_MULTI_SHOWN_ONLY, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_SHOWN_ONLY, false},
           {CAPOPT_MULTI_WALLPAPER, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_WALLPAPER, false},
           {CAPOPT_MULTI_FIRST_IMMEDIATE, IDS_OPT_CAPOPT_BASE + CAPOPT_MULTI_FIRST_IMMEDIATE, false}}) {}
