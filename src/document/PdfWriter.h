#pragma once
// The document as a PDF file: one PDF page per document page at the canvas's physical size. The
// page image is placed as one image object at its own colour depth with the filter that suits it
// (CCITT Group 4 for black and white, lossless for palette and grey, JPEG or lossless for
// colour); erased areas and every object are drawn over it as vectors through the same drawing
// path as the screen and the printer, texts as real, searchable text with their fonts embedded.

#include <QString>
#include <functional>
#include <vector>

class CCommandMap;
class CLumidorDoc;

struct PdfOptions {
    // The JPEG level of colour page images: 0 best ... 255 smallest (the imaging layer's scale).
    int nJpegQuality = 25;
    // Colour page images without loss (deflate) instead of JPEG.
    bool bLossless = false;
};

// Called after each page with the pages done and the total; false cancels the writing.
using PdfProgress = std::function<bool(int done, int total)>;

// Writes the pages (indices from 0) to `path`: the file appears whole or not at all. An imaging
// result code (ERROR_USER_ABORT when cancelled); `error` gets what went wrong in words.
int WriteDocumentPdf(const CLumidorDoc& doc, const std::vector<int>& pages, const QString& path,
                     const PdfOptions& options, QString* error = nullptr,
                     const PdfProgress& progress = {});

// File > With Annotations > Save as PDF: the name asked for (the last PDF of the document, else
// its file or title with the extension pdf), then every page written with the saved JPEG level,
// with progress that can be cancelled. The imaging result code.
int OnSaveAsPDF(CLumidorDoc& doc);
void RegisterPdfCommand(CLumidorDoc& doc, CCommandMap& map);
