#pragma once
// CAddPagesDlg: the image files whose pages are added to a document, in the order they will come.
// The caller gives the files chosen so far; the dialog lets the user add more, take some out and
// confirm. After IDOK, LoadBitmapList reads every page of every file into one bitmap list.

#include "platform/DialogService.h"

#include <QString>
#include <QStringList>

class LBitmapList;

class CAddPagesDlg : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CAddPagesDlg"); }
    int RunWidget(QWidget* parent) override;

    // Every page of every file in list order. False, with the list left empty, when a file cannot
    // be read (the user has been told which and why; a cancel through the progress display is
    // silent).
    bool LoadBitmapList(LBitmapList& list) const;

    QString m_strCaption;
    QString m_strFilter;     // the program's filter notation, for adding files
    QStringList m_files;
};
