#include "frame/OptionsPropPageCaptureAdditional.h"

#include "acquire/CaptureCommands.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"

COptionsPropPageCaptureAdditional::COptionsPropPageCaptureAdditional(CCaptureCommands& capture)
    : CCaptureFlagsPage(capture, QStringLiteral("COptionsPropPageCaptureAdditional"),
                        IDS_OPT_CAPTURE_ADDITIONAL,
                        {{CAPOPT_IMMEDIATE, IDS_OPT_CAPOPT_BASE + CAPOPT_IMMEDIATE, false},
                         {CAPOPT_HIDE_WINDOW, IDS_OPT_CAPOPT_BASE + CAPOPT_HIDE_WINDOW, false},
                         {CAPOPT_ANNOTATION_NEAR, IDS_OPT_CAPOPT_BASE + CAPOPT_ANNOTATION_NEAR, false},
                         {CAPOPT_INVERTED_ONLY, IDS_OPT_CAPOPT_BASE + CAPOPT_INVERTED_ONLY, true},
                         {CAPOPT_SHOW_AFTER, IDS_OPT_CAPOPT_BASE + CAPOPT_SHOW_AFTER, false},
                         {CAPOPT_HELP_TOPICS, IDS_OPT_CAPOPT_BASE + CAPOPT_HELP_TOPICS, false}}) {}

void COptionsPropPageCaptureAdditional::OnApply() {
    CCaptureFlagsPage::OnApply();
    m_capture.ApplyImmediateOption();
}
