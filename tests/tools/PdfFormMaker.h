#pragma once
// PDF files with forms for the tests: pages drawn by QPdfWriter, form fields added with libqpdf.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>

class QPDF;

// Named samples:
//   form     one letter page of text; text fields "Name" (value "Ada"), "City", an 8-cell comb
//            field "Zip", a check box "Agree" (ticked), a radio group "Size" of two buttons
//            ("Small" on), a choice list "Country"
//   mixed    three pages: letter, landscape A4 with a field "Wide", letter turned by /Rotate 90
//            with a field "Turned"
//   plain    N pages of text without fields (N from `pages`)
//   nofields one page of text
//   colour   one page with a red and a grey rectangle
//   grey     one page with a grey rectangle
//   zero     a page of 0 x 0 points between two letter pages
//   huge     one page of 200 x 200 inches
//   millions a page tree whose count claims 5,000,000 pages
//   thousands one page with 6000 text fields
QByteArray MakeSamplePdf(const QString& sample, int pages = 1);
// A PDF libqpdf holds, written out.
QByteArray WriteQpdf(QPDF& pdf);
// The same encrypted with a user password (AES-256).
QByteArray EncryptPdf(const QByteArray& pdf, const QString& password);
// The form's field values: fully qualified name -> value (text, or the name of the state
// without the slash for buttons); empty on a file libqpdf cannot read.
std::map<QString, QString> ReadFieldValues(const QByteArray& pdf);
bool WriteFile(const QString& path, const QByteArray& bytes);
