#pragma once
// The options of the captured-object kind: the colour and width of the frame that follows the
// mouse.

#include "acquire/ScreenCapture.h"

class CCaptureObjectOptionDlg {
public:
    // Shows the options; true and the new values on OK.
    static bool Run(CaptureObjectOptions& options);
};
