#pragma once
// Printing a document at its physical size, in two ways. Printing as an image renders each page,
// image and objects, into a bitmap at the page's resolution and stretches it onto the paper; the
// direct way paints the page image and lets every object draw itself on the printer. Print
// preview always goes the direct way. Coordinate (0, 0) is the paper's corner whatever the
// printer's unprintable margins, so that what lies 1 inch from the page's corner prints 1 inch
// from the paper's.
//
// The printing loops work on any QPrinter (a print queue, a PDF file) without a window, for the
// view's commands and for the batch command --print alike. CViewPrint carries the view's
// commands: Print, Print Directly, Print Preview and Send by Fax.

#include "app/CommandTarget.h"

#include <QString>
#include <functional>

class CDC;
class CLumidorDoc;
class CLumidorView;
class QPrinter;

// Pages of one print, indices from 0, both included; copies made by whoever the way says.
struct PrintPages {
    int nFrom = 0;
    int nTo = 0;
    int nCopies = 1;
    bool bCollate = true;
};

// Reports the progress of a print (0..100); true when the user cancelled.
using PrintProgress = std::function<bool(int percent)>;

enum class PrintResult { Done, Cancelled, Failed };

// Draws page nPage for the printer behind pDC, whose logical units are the printer's dots.
// Without bPreview the erased areas are cut from the clip, so that the printer never gets their
// image.
void DrawPrint(CDC* pDC, const CLumidorDoc& doc, int nPage, bool bPreview);

// The direct way: copies and collation made here, one page of the job at a time.
PrintResult PrintDirect(const CLumidorDoc& doc, QPrinter& printer, const PrintPages& pages,
                        const PrintProgress& progress = {});
// The image way: the printer makes the copies it was set up for.
PrintResult PrintAsImage(const CLumidorDoc& doc, QPrinter& printer, const PrintPages& pages,
                         const PrintProgress& progress = {});

// Sets `printer` up for the named installed printer, else the application's (the saved one, else
// the system default), with the saved page set-up. False, after message 62723, when there is no
// such printer.
bool PrepareAppPrinter(QPrinter& printer, const QString& name = {});

// The pages named "A-B" or "A" (1-based) of a document of nCount pages; false when they are not
// pages of it.
bool ParsePageRange(const QString& text, int nCount, PrintPages& pages);

// brellin --print IN [--printer NAME] [--as-image | --direct] [--pages A-B] [--copies N]: prints
// without dialogs; 0 printed, 1 no printer or the job failed, 2 bad usage.
int RunPrintCommand(const QStringList& args);
void RegisterPrintBatchCommands();

class CViewPrint {
public:
    explicit CViewPrint(CLumidorView& view) : m_view(view) {}
    void Register(CCommandMap& map);

    // Print: as an image or the direct way, by the print-as-image option.
    void OnFilePrint();
    // The direct way with the print dialog.
    void OnFilePrintDialog();
    // The direct way to the named printer (the application's when empty), without a dialog.
    void OnFilePrintDirect(const QString& printerName = {});
    void OnFilePrintPreview();
    // The image way with its print dialog.
    void PrintAsImage();
    // Chooses the fax printer, remembers it, and prints the document to it directly.
    void OnFileSendByFax();

    bool IsPrinting() const { return m_bPrinting; }

private:
    bool CanPrint() const;
    // The application's printer, then the print dialog over the document's pages: false when
    // there is nothing to print, no printer, or the user cancels.
    bool AskPrintJob(QPrinter& printer, PrintPages& pages) const;
    // The status bar's progress for a job of several pages.
    PrintProgress MakeProgress(const PrintPages& pages) const;

    CLumidorView& m_view;
    bool m_bPrinting = false;
};
