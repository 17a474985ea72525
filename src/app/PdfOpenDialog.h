#pragma once
// CPdfOpenDialog: asked before a PDF file becomes a document: the resolution its pages are drawn
// at, in dots per inch (a whole number in the range the caller gives).

#include "platform/DialogService.h"

#include <QString>

class CPdfOpenDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CPdfOpenDialog"); }
    int RunWidget(QWidget* parent) override;

    // The resolution OK accepts: a whole number from nMin to nMax.
    static bool ParseDpi(const QString& text, int nMin, int nMax, int& value);

    QString m_strFileName; // shown in the caption
    int m_nDpi = 200;
    int m_nMinDpi = 36;
    int m_nMaxDpi = 1200;
};
