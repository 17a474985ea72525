#pragma once
// An options page of capture flags: one check box for each field of the capture options it
// shows, some shown inverted. OK and Apply write the page's own fields back, the others stay.

#include "frame/OptionsDialog.h"

#include <QPointer>
#include <vector>

class CCaptureCommands;
class QCheckBox;

class CCaptureFlagsPage : public COptionsPage {
public:
    struct Field {
        int field;
        UINT text;
        bool inverted;
    };
    CCaptureFlagsPage(CCaptureCommands& capture, QString objectName, UINT caption, std::vector<Field> fields);

    QString GetCaption() const override;
    QWidget* CreatePage(QWidget* parent) override;
    void UpdateData() override;
    void OnApply() override;

    CaptureOptions m_options;

protected:
    CCaptureCommands& m_capture;

private:
    QString m_strObjectName;
    UINT m_nCaption;
    std::vector<Field> m_fields;
    std::vector<QPointer<QCheckBox>> m_boxes;
};
