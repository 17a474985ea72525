#pragma once
// The additional capture options: immediate capture, hiding the window, annotations next to new
// shapes, the inverted option 10, showing the window again and the help topics of three kinds.

#include "frame/CaptureFlagsPage.h"

class COptionsPropPageCaptureAdditional : public CCaptureFlagsPage {
public:
    explicit COptionsPropPageCaptureAdditional(CCaptureCommands& capture);
    // The capture object's immediate flag follows option 0 as well.
    void OnApply() override;
};
