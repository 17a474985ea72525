#pragma once
// CWhatSaveDialog: asked before a document with page images is saved as a template, whether the
// template holds the page images or only the objects laid over them. The caller sets and reads
// m_nWhat around DoModal().

#include "platform/DialogService.h"

class CWhatSaveDialog : public CModalDialog {
public:
    enum What { WithImage = 0, WithoutImage = 1 };

    QString DialogName() const override { return QStringLiteral("CWhatSaveDialog"); }
    int RunWidget(QWidget* parent) override;

    int m_nWhat = WithImage;
};
