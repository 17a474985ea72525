#pragma once
// CImageResolution: the page resolution dialog. One edit holds the horizontal resolution as a
// whole number of dots per inch (at most 6 digits); an edit that is not a whole number, or that
// begins with "-", is undone at once, and OK needs a number other than 0.

#include "platform/DialogService.h"

#include <QString>

class CImageResolution : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CImageResolution"); }
    int RunWidget(QWidget* parent) override;

    // Whether an edit may stand: digits only, at most kMaxChars of them (empty is allowed while
    // typing).
    static bool IsAcceptableEdit(const QString& text);
    // The number OK accepts: a whole number other than 0.
    static bool ParseResolution(const QString& text, int& value);

    static constexpr int kMaxChars = 6;
    QString m_strResolution;
};
