#pragma once
#include "platform/DialogService.h"

// The windowed program's service: real file, folder and program dialogs over the active window.
class CGuiDialogService : public IDialogService {
public:
    bool GetFileName(FileDialogRequest& request, QString& path) override;
    bool GetFolder(const FolderDialogRequest& request, QString& path) override;
    int RunDialog(CModalDialog& dialog) override;
};
