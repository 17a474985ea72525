#pragma once
// The capture options page: the capture hot key and the cancel key, the capture library's other
// fields of the hot-key record, the images folder and the format captured images are saved in.
// While the page shows, Escape and F12 stay with it (Escape becomes the cancel key when that
// control has the keyboard) instead of closing the sheet or reaching the program.

#include "frame/OptionsDialog.h"

#include <QObject>
#include <QPointer>

class CCaptureCommands;
class CMainFrame;
class QComboBox;
class QKeySequenceEdit;
class QLineEdit;
class QSpinBox;

class COptionsPropPageCapture : public COptionsPage, public QObject {
public:
    COptionsPropPageCapture(CMainFrame& frame, CCaptureCommands& capture);

    QString GetCaption() const override;
    QWidget* CreatePage(QWidget* parent) override;
    void UpdateData() override;
    // All eight fields to the capture object (which grabs the hot key anew), the images folder
    // and the image format to the frame.
    void OnApply() override;

    LeadCaptureOptions m_lead;
    QString m_strImagesPath;
    int m_nImageFormat;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBrowseFolder();

    CMainFrame& m_frame;
    CCaptureCommands& m_capture;
    QPointer<QKeySequenceEdit> m_pHotKey;
    QPointer<QKeySequenceEdit> m_pCancelKey;
    QPointer<QLineEdit> m_pFolder;
    QPointer<QComboBox> m_pFormat;
    QPointer<QSpinBox> m_pFields[5];
};
