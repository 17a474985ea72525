#pragma once
// The main window as the capture and scanning code see it (acquire/CaptureHost.h,
// acquire/ScanHost.h).

#include "acquire/CaptureHost.h"
#include "acquire/ScanHost.h"

class CMainFrame;

class CCaptureFrameHost : public ICaptureHost, public IScanHost {
public:
    explicit CCaptureFrameHost(CMainFrame& frame) : m_frame(frame) {}

    bool IsMainWindowVisible() const override;
    void HideMainWindow() override;
    void ShowMainWindow() override;
    QString GetNextDocName() override;
    CLumidorDoc* GetActiveDocument() override;
    CLumidorView* GetActiveView() override;
    void SetCaptureCaptions(const QString& kindName, const QString& firstName) override;
    QString GetImagesPath() const override;
    void SetImagesPath(const QString& path) override;
    int GetImageFormat() const override;
    void SetImageFormat(int format) override;
    void AddCursorToCollection(const LBitmapBase& bitmap) override;
    void HideProgress() override;
    void ShowStatusMessage(const QString& text) override;
    void OpenHelpTopic(const QString& topic) override;
    void CaptureStateChanged() override;
    QWidget* DialogParent() override;
    void ScanStateChanged() override;

private:
    CMainFrame& m_frame;
};
