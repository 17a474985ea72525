#include "view/ViewPrint.h"

#include "app/CommandIds.h"
#include "app/LumidorApp.h"
#include "app/PrintDialog.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/SendFaxDialog.h"
#include "app/Utils.h"
#include "app/VersionInfo.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "document/PageOutput.h"
#include "objects/TranspBaseClass.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/WaitCursor.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScopedValueRollback>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegion>
#include <algorithm>
#include <cstdio>

namespace {

// The page's erased region in printer dots: each band scaled on its own, so that neighbouring
// bands still meet.
QRegion ScaledErasedRegion(const QRegion& region, double kx, double ky) {
    QRegion scaled;
    for (const QRect& r : region) {
        const int l = RoundHalfUp(r.left() * kx), t = RoundHalfUp(r.top() * ky);
        const int rr = RoundHalfUp((r.right() + 1) * kx), b = RoundHalfUp((r.bottom() + 1) * ky);
        if (rr > l && b > t) scaled += QRect(l, t, rr - l, b - t);
    }
    return scaled;
}

// The job, its pages in print order: every page once per copy, collated or page by page.
std::vector<int> JobPages(const PrintPages& pages, int nCopies) {
    std::vector<int> order;
    const int copies = std::max(1, nCopies);
    if (pages.bCollate) {
        for (int c = 0; c < copies; ++c)
            for (int p = pages.nFrom; p <= pages.nTo; ++p) order.push_back(p);
    } else {
        for (int p = pages.nFrom; p <= pages.nTo; ++p)
            for (int c = 0; c < copies; ++c) order.push_back(p);
    }
    return order;
}

QString PrinterTitle(const QPrinter& printer) {
    return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

// The print job's name: the application's title.
QString JobName() {
    const CLumidorApp* app = CLumidorApp::Instance();
    return app && !app->m_strDisplayName.isEmpty() ? app->m_strDisplayName : kProductName;
}

bool ValidPages(const CLumidorDoc& doc, const PrintPages& pages) {
    return pages.nFrom >= 0 && pages.nFrom <= pages.nTo && pages.nTo < doc.GetPageCount();
}

// Runs a job: begins it (62724 when it cannot start), gives each page of `order` a new sheet and
// hands it to `drawPage` (62725 when that fails), cancels on the user's word. The printer is
// aborted on failure and cancel, so that nothing half printed reaches the paper.
PrintResult RunJob(QPrinter& printer, const std::vector<int>& order, const PrintProgress& progress,
                   const std::function<bool(CDC&, int nPage)>& drawPage) {
    printer.setDocName(JobName());
    QPainter painter;
    if (!painter.begin(&printer)) {
        ErrorBox(LoadResString(IDS_PRINT_CANNOT_START).arg(PrinterTitle(printer)));
        return PrintResult::Failed;
    }
    CWaitCursor wait;
    PrintResult result = PrintResult::Done;
    {
        CDC dc(&painter);
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (progress && progress(int(i * 100 / order.size()))) {
                result = PrintResult::Cancelled;
                break;
            }
            if ((i > 0 && !printer.newPage()) || printer.printerState() == QPrinter::Error ||
                !drawPage(dc, order[i])) {
                ErrorBox(LoadResString(IDS_PRINT_PAGE_FAILED).arg(order[i] + 1));
                result = PrintResult::Failed;
                break;
            }
        }
    }
    if (result != PrintResult::Done) printer.abort();
    if (!painter.end() && result == PrintResult::Done) {
        ErrorBox(LoadResString(IDS_PRINT_PAGE_FAILED).arg(order.empty() ? 1 : order.back() + 1));
        result = PrintResult::Failed;
    }
    if (progress) progress(100);
    return result;
}

} // namespace

void DrawPrint(CDC* pDC, const CLumidorDoc& doc, int nPage, bool bPreview) {
    DEF_TRY
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!pDC || !pDC->IsValid() || !p) return;
    const int saved = pDC->SaveDC();
    // The paper's corner is the origin, not the corner of the printable area.
    const int dpx = pDC->GetDeviceCaps(LOGPIXELSX), dpy = pDC->GetDeviceCaps(LOGPIXELSY);
    pDC->OffsetViewportOrg(-pDC->GetDeviceCaps(PHYSICALOFFSETX),
                           -pDC->GetDeviceCaps(PHYSICALOFFSETY));
    const double unit = doc.m_dUnitScale;
    const auto toDots = [&](POINT units) {
        return POINT{RoundHalfUp(units.x * unit * dpx), RoundHalfUp(units.y * unit * dpy)};
    };
    const POINT res = doc.GetPageResolution(nPage);
    const SIZE canvas = doc.GetCanvasSize(nPage);
    if (p->m_Bitmap.IsAllocated() && canvas.cx > 0 && canvas.cy > 0 && res.x > 0 && res.y > 0) {
        const double kx = double(dpx) / res.x, ky = double(dpy) / res.y;
        // The part of the image that lies on the canvas, as the output rendering shows it: a
        // negative position cuts the image's left or top, the canvas edge its right or bottom.
        const POINT pos = doc.UnitToPagePixels(nPage, p->m_ptImagePos);
        const RECT src{std::max(0, -pos.x), std::max(0, -pos.y),
                       std::min<LONG>(p->m_Bitmap.GetWidth(), canvas.cx - pos.x),
                       std::min<LONG>(p->m_Bitmap.GetHeight(), canvas.cy - pos.y)};
        if (src.right > src.left && src.bottom > src.top) {
            const POINT topLeft = toDots(p->m_ptImagePos);
            // Source pixels to dots through text units, as the objects are placed.
            const auto pixelsToDots = [&](LONG px, int r, int d) {
                return RoundHalfUp(double(px) / r * d);
            };
            const RECT dst{topLeft.x + pixelsToDots(src.left, res.x, dpx),
                           topLeft.y + pixelsToDots(src.top, res.y, dpy),
                           topLeft.x + pixelsToDots(src.right, res.x, dpx),
                           topLeft.y + pixelsToDots(src.bottom, res.y, dpy)};
            const QRegion erased = ScaledErasedRegion(p->m_EraseList.GetRegion(), kx, ky);
            if (!bPreview && !erased.isEmpty()) {
                const QRegion clip = QRegion(dst.left, dst.top, dst.Width(), dst.Height()) - erased;
                pDC->SelectClipRgn(&clip);
            }
            pDC->SetStretchBltMode(COLORONCOLOR);
            pDC->StretchBlt(dst, p->m_Bitmap.GetImage(), src, SRCCOPY);
            pDC->SelectClipRgn(nullptr);
            // The preview shows the erased areas blank too.
            for (const QRect& r : erased)
                pDC->FillSolidRect(RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                                   RGB(255, 255, 255));
        }
    }
    // Objects print within the page, as the output rendering keeps them within its bitmap.
    const POINT dpi{dpx, dpy};
    if (canvas.cx > 0 && canvas.cy > 0 && res.x > 0 && res.y > 0)
        pDC->IntersectClipRect(RECT{0, 0, RoundHalfUp(double(canvas.cx) * dpx / res.x),
                                    RoundHalfUp(double(canvas.cy) * dpy / res.y)});
    for (const auto& o : p->m_ObjectsList) o->Draw(pDC, TRUE, &dpi);
    pDC->RestoreDC(saved);
    DEF_CATCH
}

PrintResult PrintDirect(const CLumidorDoc& doc, QPrinter& printer, const PrintPages& pages,
                        const PrintProgress& progress) {
    DEF_TRY
    if (!ValidPages(doc, pages)) return PrintResult::Failed;
    // The copies are made here, so that the printer makes none of its own.
    const int copies = std::max(1, pages.nCopies);
    printer.setCopyCount(1);
    return RunJob(printer, JobPages(pages, copies), progress, [&doc](CDC& dc, int nPage) {
        DrawPrint(&dc, doc, nPage, false);
        return true;
    });
    DEF_CATCH
    return PrintResult::Failed;
}

PrintResult PrintAsImage(const CLumidorDoc& doc, QPrinter& printer, const PrintPages& pages,
                         const PrintProgress& progress) {
    DEF_TRY
    if (!ValidPages(doc, pages)) return PrintResult::Failed;
    printer.setCopyCount(std::max(1, pages.nCopies));
    printer.setCollateCopies(pages.bCollate);
    PrintPages once = pages;
    once.nCopies = 1;
    return RunJob(printer, JobPages(once, 1), progress, [&doc](CDC& dc, int nPage) {
        LBitmapBase bitmap;
        if (GetPageAsBitmap(doc, nPage, bitmap) != SUCCESS) return false;
        // The bitmap's resolution against the printer's, so that the page prints at its size.
        const int dpx = dc.GetDeviceCaps(LOGPIXELSX), dpy = dc.GetDeviceCaps(LOGPIXELSY);
        const int bx = bitmap.GetXResolution() > 0 ? bitmap.GetXResolution() : dpx;
        const int by = bitmap.GetYResolution() > 0 ? bitmap.GetYResolution() : dpy;
        const int saved = dc.SaveDC();
        dc.OffsetViewportOrg(-dc.GetDeviceCaps(PHYSICALOFFSETX), -dc.GetDeviceCaps(PHYSICALOFFSETY));
        const RECT dst{0, 0, RoundHalfUp(double(bitmap.GetWidth()) * dpx / bx),
                       RoundHalfUp(double(bitmap.GetHeight()) * dpy / by)};
        dc.SetStretchBltMode(COLORONCOLOR);
        const BOOL ok = dc.StretchBlt(dst, bitmap.GetImage(),
                                      RECT{0, 0, bitmap.GetWidth(), bitmap.GetHeight()}, SRCCOPY);
        dc.RestoreDC(saved);
        return ok != FALSE;
    });
    DEF_CATCH
    return PrintResult::Failed;
}

bool PrepareAppPrinter(QPrinter& printer, const QString& name) {
    DEF_TRY
    const CLumidorApp* app = CLumidorApp::Instance();
    const SavedPrinter saved = app ? app->m_savedPrinter : SavedPrinter{};
    const QPrinterInfo info =
        name.isEmpty() ? ResolvePrinter(saved) : QPrinterInfo::printerInfo(name);
    if (ConfigurePrinter(printer, info, saved)) return true;
    ErrorBox(IDS_PRINT_NO_CONTEXT);
    return false;
    DEF_CATCH
    return false;
}

bool ParsePageRange(const QString& text, int nCount, PrintPages& pages) {
    const QStringList parts = text.split(QLatin1Char('-'));
    if (parts.size() > 2) return false;
    bool ok1 = false, ok2 = false;
    const int from = parts[0].trimmed().toInt(&ok1);
    const int to = parts.size() == 2 ? parts[1].trimmed().toInt(&ok2) : from;
    if (!ok1 || (parts.size() == 2 && !ok2)) return false;
    if (from < 1 || to < from || to > nCount) return false;
    pages.nFrom = from - 1;
    pages.nTo = to - 1;
    return true;
}

// ---- The view's commands --------------------------------------------------------------------

void CViewPrint::Register(CCommandMap& map) {
    const auto enabled = [this](CCmdUI& ui) { ui.Enable(CanPrint()); };
    map.On(ID_FILE_PRINT, [this] { OnFilePrint(); }, enabled);
    map.On(ID_FILE_PRINT_DIRECT, [this] { OnFilePrintDirect(); }, enabled);
    map.On(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); }, enabled);
    map.On(ID_FILE_SEND_BY_FAX, [this] { OnFileSendByFax(); }, enabled);
}

bool CViewPrint::CanPrint() const {
    const CLumidorDoc* doc = m_view.GetDocument();
    return !m_bPrinting && doc && doc->GetPageCount() > 0;
}

PrintProgress CViewPrint::MakeProgress(const PrintPages& pages) const {
    const int sheets = (pages.nTo - pages.nFrom + 1) * std::max(1, pages.nCopies);
    if (sheets < 2) return {};
    return [](int percent) {
        LMyBitmap reporter;
        reporter.EnableCallBack(true);
        return reporter.StatusCallBack(percent) != SUCCESS;
    };
}

void CViewPrint::OnFilePrint() {
    DEF_TRY
    if (LoadFrameOptions()[OPT_PRINT_AS_IMAGE] != 0)
        PrintAsImage();
    else
        OnFilePrintDialog();
    DEF_CATCH
}

bool CViewPrint::AskPrintJob(QPrinter& printer, PrintPages& pages) const {
    CLumidorDoc* doc = m_view.GetDocument();
    if (!CanPrint() || !PrepareAppPrinter(printer)) return false;
    CPrintDialog dlg;
    dlg.m_pPrinter = &printer;
    dlg.m_nMaxPage = dlg.m_nToPage = doc->GetPageCount();
    if (dlg.DoModal() != IDOK) return false;
    pages = PrintPages{dlg.m_nFromPage - 1, dlg.m_nToPage - 1, printer.copyCount(),
                       printer.collateCopies()};
    return true;
}

void CViewPrint::PrintAsImage() {
    DEF_TRY
    QPrinter printer(QPrinter::HighResolution);
    PrintPages pages;
    if (!AskPrintJob(printer, pages)) return;
    // The printer makes the copies the dialog set; busy until the job ends, however it ends.
    const QScopedValueRollback<bool> busy(m_bPrinting, true);
    ::PrintAsImage(*m_view.GetDocument(), printer, pages,
                   MakeProgress(PrintPages{pages.nFrom, pages.nTo, 1, true}));
    DEF_CATCH
}

void CViewPrint::OnFilePrintDialog() {
    DEF_TRY
    QPrinter printer(QPrinter::HighResolution);
    PrintPages pages;
    if (!AskPrintJob(printer, pages)) return;
    // The copies and their order come from the dialog, but are made by the program; busy until
    // the job ends, however it ends.
    const QScopedValueRollback<bool> busy(m_bPrinting, true);
    PrintDirect(*m_view.GetDocument(), printer, pages, MakeProgress(pages));
    DEF_CATCH
}

void CViewPrint::OnFilePrintDirect(const QString& printerName) {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!CanPrint()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!PrepareAppPrinter(printer, printerName)) return;
    const PrintPages pages{0, doc->GetPageCount() - 1, 1, true};
    // Busy until the job ends, however it ends.
    const QScopedValueRollback<bool> busy(m_bPrinting, true);
    PrintDirect(*doc, printer, pages, MakeProgress(pages));
    DEF_CATCH
}

void CViewPrint::OnFilePrintPreview() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!CanPrint()) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!PrepareAppPrinter(printer)) return;
    CPrintPreviewDialog dlg;
    dlg.m_pPrinter = &printer;
    QPointer<CLumidorDoc> guarded(doc);
    dlg.m_paint = [guarded](QPrinter* target) {
        if (!guarded || !target) return;
        QPainter painter(target);
        CDC dc(&painter);
        for (int i = 0; i < guarded->GetPageCount(); ++i) {
            if (i > 0) target->newPage();
            DrawPrint(&dc, *guarded, i, true);
        }
    };
    dlg.DoModal();
    DEF_CATCH
}

void CViewPrint::OnFileSendByFax() {
    DEF_TRY
    if (!CanPrint()) return;
    CSendFaxDialog dlg;
    dlg.m_printers = CSendFaxDialog::ListPrinters();
    if (dlg.m_printers.empty()) {
        ErrorBox(IDS_PRINT_NO_CONTEXT);
        return;
    }
    const QString key = QStringLiteral("FaxDriverName");
    dlg.m_nSelected = CSendFaxDialog::PreselectedIndex(
        dlg.m_printers, Profile().GetProfileString(kSectionSettings, key, QString()));
    if (dlg.DoModal() != IDOK || dlg.m_nSelected < 0 ||
        dlg.m_nSelected >= int(dlg.m_printers.size()))
        return;
    const QString name = dlg.m_printers[std::size_t(dlg.m_nSelected)].name;
    Profile().WriteProfileString(kSectionSettings, key, name);
    OnFilePrintDirect(name);
    DEF_CATCH
}

// ---- The batch command ----------------------------------------------------------------------

namespace {
constexpr const char* kPrintUsage =
    "Usage: brellin --print IN [--printer NAME] [--as-image | --direct] [--pages A-B] "
    "[--copies N]\n";
} // namespace

int RunPrintCommand(const QStringList& args) {
    DEF_TRY
    QStringList files;
    QString printerName, range;
    int way = -1; // -1 by the print-as-image option, 0 direct, 1 as an image
    int copies = 1;
    bool usage = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QStringLiteral("--printer") && hasValue) {
            printerName = args[++i];
            ok = !printerName.isEmpty();
        } else if (a == QStringLiteral("--as-image") || a == QStringLiteral("--direct")) {
            const int chosen = a == QStringLiteral("--as-image") ? 1 : 0;
            ok = way < 0 || way == chosen;
            way = chosen;
        } else if (a == QStringLiteral("--pages") && hasValue) {
            range = args[++i];
        } else if (a == QStringLiteral("--copies") && hasValue) {
            copies = args[++i].toInt(&ok);
            ok = ok && copies >= 1 && copies <= 999;
        } else if (a.startsWith(QStringLiteral("--"))) {
            ok = false;
        } else {
            files << a;
        }
        usage |= !ok;
    }
    if (usage || files.size() != 1) {
        std::fputs(kPrintUsage, stderr);
        return 2;
    }
    if (CLumidorApp* app = CLumidorApp::Instance()) app->m_savedPrinter = LoadSavedPrinter();
    CLumidorDoc doc;
    if (!LoadDocumentForBatch(doc, files[0], nullptr)) return 1;
    if (doc.GetPageCount() <= 0) {
        std::fprintf(stderr, "The document has no pages.\n");
        return 1;
    }
    PrintPages pages{0, doc.GetPageCount() - 1, copies, true};
    if (!range.isEmpty() && !ParsePageRange(range, doc.GetPageCount(), pages)) {
        std::fprintf(stderr, "The document has no pages %s.\n", qPrintable(range));
        return 2;
    }
    pages.nCopies = copies;
    QPrinter printer(QPrinter::HighResolution);
    if (!PrepareAppPrinter(printer, printerName)) return 1;
    if (way < 0) way = LoadFrameOptions()[OPT_PRINT_AS_IMAGE] != 0 ? 1 : 0;
    const PrintResult rc =
        way == 1 ? PrintAsImage(doc, printer, pages) : PrintDirect(doc, printer, pages);
    return rc == PrintResult::Done ? 0 : 1;
    DEF_CATCH
    return 1;
}

void RegisterPrintBatchCommands() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(
        QStringLiteral("print"),
        QStringLiteral("IN [--printer NAME] [--as-image | --direct] [--pages A-B] [--copies N]"),
        RunPrintCommand);
    DEF_CATCH
}
