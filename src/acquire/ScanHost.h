#pragma once
// What the scanning code needs of the main window, which implements it: the window dialogs belong
// to, the active document and view the pages go to, the next document name and the status bar.

#include <QString>

class QWidget;
class CLumidorDoc;
class CLumidorView;

class IScanHost {
public:
    virtual ~IScanHost() = default;

    virtual QWidget* DialogParent() = 0;
    virtual QString GetNextDocName() = 0;
    // The document and view of the active document window; null without one.
    virtual CLumidorDoc* GetActiveDocument() = 0;
    virtual CLumidorView* GetActiveView() = 0;
    virtual void HideProgress() = 0;
    virtual void ShowStatusMessage(const QString& text) = 0;
    // A scan started or ended: the close and acquire commands change their states.
    virtual void ScanStateChanged() = 0;
};
