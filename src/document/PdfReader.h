#pragma once
// CPdfReader: a PDF file through poppler (pages, form fields, drawing) and libqpdf (the field
// flags poppler does not tell, such as the comb flag). It yields plain values
// (document/PdfImportData.h) and drawn pages; turning them into a document is the builder's.
//
// Pages are drawn a page per worker thread, each worker with its own poppler document over the
// same bytes (a poppler document is not to be drawn from two threads at once), so that at most
// one drawn page per worker exists beside the finished pages. A page that certainly draws in
// black and white only (document/PdfColourProbe.h) is drawn 1 bit deep at once, through a
// poppler-cpp document of the worker's own (document/PdfMonoRender.h), to the same pixels.

#include "document/PdfImportData.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class LMyBitmap;
namespace Poppler {
class Document;
}

enum class PdfReadStatus {
    Ok,
    CannotRead,    // no PDF file, or damaged beyond repair
    NeedPassword,  // encrypted, and no password was given
    WrongPassword, // encrypted, and the password given does not open it
    TooManyPages,  // above PDF_MAX_PAGES
    NoPages,
};

// Called with the pages done and the total; false cancels the drawing.
using PdfRenderProgress = std::function<bool(int done, int total)>;

class CPdfReader {
public:
    CPdfReader();
    ~CPdfReader();
    CPdfReader(const CPdfReader&) = delete;
    CPdfReader& operator=(const CPdfReader&) = delete;

    PdfReadStatus Open(const QString& path, const QByteArray& password = {});
    // The same over bytes already in memory.
    PdfReadStatus OpenData(const QByteArray& bytes, const QByteArray& password = {});
    // Pages as the file counts them (also when refused for being too many).
    int GetPageCount() const { return m_nPageCount; }
    const QByteArray& GetBytes() const { return m_bytes; }

    // The pages' sizes and the form's widgets, page after page in each page's order.
    PdfImportPlan ReadPlan() const;

    // Draws page i at dpis[i] without the widgets of the fields that become objects (their
    // values would be drawn twice), each at its least exact depth, into `pages`. An imaging
    // result code: ERROR_USER_ABORT when cancelled; *pFailedPage the page that could not be drawn.
    int RenderPages(const std::vector<double>& dpis, std::vector<LMyBitmap>& pages,
                    const PdfRenderProgress& progress = {}, int* pFailedPage = nullptr,
                    int nWorkers = 0) const;
    // Pages the last RenderPages drew 1 bit deep at once; off, every page is drawn in colour
    // and reduced (to compare both drawings).
    int GetMonoPageCount() const { return m_nMonoPages; }
    void SetMonoDrawing(bool bOn) { m_bMonoDrawing = bOn; }

private:
    QByteArray m_bytes;
    QByteArray m_password;
    std::unique_ptr<Poppler::Document> m_doc;
    int m_nPageCount = 0;
    bool m_bMonoDrawing = true;
    mutable int m_nMonoPages = 0;
};

// One drawn page of a poppler document at its least exact depth; an imaging result code.
int RenderPdfPage(const Poppler::Document& doc, int nPage, double dpi, LMyBitmap& out);
