#pragma once
#include "platform/MessageBoxes.h"

// The windowed program's sink: a modal message box over the active window.
class CGuiMessageSink : public IMessageSink {
public:
    int Show(const MessageRequest& request) override;
};
