#pragma once
// What the capture code needs of the main window, which implements it: hiding and showing the
// window around a capture, the next document name, the active document and its window's page
// captions, the images folder and format, the shelf, the status bar and the help.

#include <QString>

class CLumidorDoc;
class CLumidorView;
class LBitmapBase;

class ICaptureHost {
public:
    virtual ~ICaptureHost() = default;

    virtual bool IsMainWindowVisible() const = 0;
    virtual void HideMainWindow() = 0;
    // Shows, restores and raises the window (also out of the tray).
    virtual void ShowMainWindow() = 0;

    virtual QString GetNextDocName() = 0;
    // The document of the active document window; null without one.
    virtual CLumidorDoc* GetActiveDocument() = 0;
    virtual CLumidorView* GetActiveView() = 0;
    // The active document window labels the pages the next append adds: `firstName` for the
    // first page, `kindName` for the new one.
    virtual void SetCaptureCaptions(const QString& kindName, const QString& firstName) = 0;

    virtual QString GetImagesPath() const = 0;
    virtual void SetImagesPath(const QString& path) = 0;
    // Frame option 14: 0 tif, 1 bmp, 2 pcx, 3 jpg, 4 png, 5 emf.
    virtual int GetImageFormat() const = 0;
    virtual void SetImageFormat(int format) = 0;

    // A captured cursor's bitmap for the shelf.
    virtual void AddCursorToCollection(const LBitmapBase& bitmap) = 0;
    virtual void HideProgress() = 0;
    virtual void ShowStatusMessage(const QString& text) = 0;
    virtual void OpenHelpTopic(const QString& topic) = 0;
    // A capture was armed, started or ended: the commands' states change.
    virtual void CaptureStateChanged() = 0;
};
