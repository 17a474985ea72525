#pragma once
// The multiple-capture options: which kinds the series takes, and whether the first series of a
// session is taken at once.

#include "frame/CaptureFlagsPage.h"

class COptionsPropPageCaptureMultiple : public CCaptureFlagsPage {
public:
    explicit COptionsPropPageCaptureMultiple(CCaptureCommands& capture);
};
