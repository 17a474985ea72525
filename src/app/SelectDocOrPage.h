#pragma once
// CSelectDocOrPage: asks whether a command on a document of several pages means the whole
// document or only the current page. The caller sets and reads m_nChoice around DoModal().

#include "platform/DialogService.h"

class CSelectDocOrPage : public CModalDialog {
public:
    enum Choice { WholeDocument = 0, CurrentPage = 1 };

    QString DialogName() const override { return QStringLiteral("CSelectDocOrPage"); }
    int RunWidget(QWidget* parent) override;

    // The caption; the string table's own when empty.
    QString m_strCaption;
    int m_nChoice = WholeDocument;
};
