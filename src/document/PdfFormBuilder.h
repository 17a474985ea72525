#pragma once
// Turns what a PDF file yielded (document/PdfImportData.h) and its drawn pages into a document:
// one page per image, the text fields as form-field texts in the page's field list in the PDF's
// order, check boxes and radio buttons as check marks, and the record of the source PDF that
// Save Filled PDF writes back through. It never sees the PDF library, so that it can be fed
// anything (fuzz/fuzz_pdf_import.cpp).

#include "document/PdfImportData.h"

#include <QByteArray>
#include <QStringList>
#include <vector>

class CLumidorDoc;
class LMyBitmap;
struct CPdfSource;

struct PdfBuildResult {
    // The fields left in the page image (choice lists, signatures, buttons), once each.
    QStringList skippedFields;
    // Widgets beyond PDF_MAX_FIELDS, or with a rectangle that lies nowhere on its page.
    int nDroppedFields = 0;
};

// Fills a document that holds only its one empty page: page i gets images[i] (taken out of the
// vector) and the fields of page i. `source` receives one entry per object made. False, and
// the document left with its one empty page, when the images do not match the plan's pages.
bool BuildPdfDocument(CLumidorDoc& doc, std::vector<LMyBitmap>& images, const PdfImportPlan& plan,
                      CPdfSource& source, PdfBuildResult& result);

// The name an object made for a field gets: the field's own name when the document's naming
// rules allow it (not empty, held by the system code page, no other object of the document
// bears it), else a name derived from it that no object bears.
QByteArray PdfObjectName(const CLumidorDoc& doc, const QString& fieldName);
