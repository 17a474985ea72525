#pragma once
// Opening a PDF file as a document: every page drawn at the resolution chosen in the open dialog
// (remembered in "Settings"/"PdfResolution", 200 dots per inch at first) and kept at the least
// colour depth that holds it exactly, its form's text fields, check boxes and radio buttons as
// the page's objects, and the file remembered for Save Filled PDF (document/PdfFill.h).
//
// The windowed program asks for the resolution and for the password of an encrypted file; the
// batch commands take the remembered resolution and cannot open an encrypted file.

#include "platform/WinTypes.h"

#include <QString>

class CLumidorDoc;

// The extension "pdf", compared lower-cased.
bool IsPdfPath(const QString& path);

// Whether the open asks the user (the main window turns it on).
void SetPdfOpenPrompt(bool bAsk);
bool GetPdfOpenPrompt();

// The remembered resolution, kept in its range.
int GetPdfOpenResolution();
void SetPdfOpenResolution(int nDpi);

// Fills a fresh document from the PDF file; FALSE after the reason was shown (silently when the
// user cancelled), the document then left as it was made.
BOOL OpenPdfDocument(CLumidorDoc& doc, const QString& path);
