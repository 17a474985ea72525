#include "frame/CaptureFrameHost.h"

#include "frame/ChildFrame.h"
#include "frame/CommandManager.h"
#include "frame/MainFrame.h"

#include <QApplication>
#include <QStatusBar>

bool CCaptureFrameHost::IsMainWindowVisible() const { return m_frame.isVisible(); }

void CCaptureFrameHost::HideMainWindow() {
    m_frame.hide();
    // The unmapping goes to the server now, before the screen is read.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CCaptureFrameHost::ShowMainWindow() {
    if (m_frame.IsHiddenInTray()) {
        m_frame.RestoreFromTray();
        return;
    }
    if (m_frame.isMinimized()) m_frame.showNormal();
    else m_frame.show();
    m_frame.raise();
    m_frame.activateWindow();
}

QString CCaptureFrameHost::GetNextDocName() { return m_frame.GetNextDocName(); }

CLumidorDoc* CCaptureFrameHost::GetActiveDocument() { return m_frame.GetActiveDocument(); }

CLumidorView* CCaptureFrameHost::GetActiveView() { return m_frame.GetActiveView(); }

void CCaptureFrameHost::SetCaptureCaptions(const QString& kindName, const QString& firstName) {
    if (CChildFrame* child = m_frame.GetActiveChildFrame()) {
        child->m_strCaptureKindName = kindName;
        child->m_strFirstCaptureName = firstName;
        child->m_bCaptionsPending = true;
    }
}

QString CCaptureFrameHost::GetImagesPath() const { return m_frame.GetImagesPath(); }
void CCaptureFrameHost::SetImagesPath(const QString& path) { m_frame.SetImagesPath(path); }

int CCaptureFrameHost::GetImageFormat() const { return int(m_frame.GetOptions()[OPT_IMAGES_FORMAT]); }

void CCaptureFrameHost::SetImageFormat(int format) {
    FrameOptions options = m_frame.GetOptions();
    options[OPT_IMAGES_FORMAT] = format;
    m_frame.SetOptions(options);
}

void CCaptureFrameHost::AddCursorToCollection(const LBitmapBase& bitmap) { m_frame.AddCursorToCollection(bitmap); }

void CCaptureFrameHost::HideProgress() { m_frame.HideProgress(); }

void CCaptureFrameHost::ShowStatusMessage(const QString& text) {
    if (text.isEmpty()) m_frame.statusBar()->clearMessage();
    else m_frame.statusBar()->showMessage(text);
}

void CCaptureFrameHost::OpenHelpTopic(const QString& topic) { m_frame.OnHelp(topic); }

void CCaptureFrameHost::CaptureStateChanged() { m_frame.GetCommands()->RequestUpdate(); }

QWidget* CCaptureFrameHost::DialogParent() { return &m_frame; }

void CCaptureFrameHost::ScanStateChanged() { m_frame.GetCommands()->RequestUpdate(); }
