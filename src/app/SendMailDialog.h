#pragma once
// CSendMailDialog: what the mail command sends, all pages or the current page (fixed at the
// current page for a document of one page), and as which pictures, PNG or JPEG. The caller sets
// and reads the members around DoModal(); the format comes from and goes back to
// "Settings"/"SendMailFormatAnn" through LoadFormat and SaveFormat.

#include "platform/DialogService.h"

class CSendMailDialog : public CModalDialog {
public:
    enum Pages { AllPages = 0, CurrentPage = 1 };
    enum Format { Png = 0, Jpeg = 1 };

    QString DialogName() const override { return QStringLiteral("CSendMailDialog"); }
    int RunWidget(QWidget* parent) override;

    // The stored format: 0 PNG, any other value JPEG.
    static int LoadFormat();
    static void SaveFormat(int nFormat);

    int m_nPages = AllPages;
    bool m_bOnePage = false; // the page choice is fixed at the current page
    int m_nFormat = Png;
};
