#include "app/PrinterSettings.h"

#include "app/ProfileRecords.h"
#include "app/Utils.h"
#include "platform/Guard.h"
#include "platform/RecordIO.h"
#include "platform/SettingsStore.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

namespace {
QByteArray ReadBlock(const QString& sizeName, const QString& dataName) {
    const int size = Profile().GetProfileInt(kSectionPrinter, sizeName, -1);
    if (size <= 0)
        return {};
    // The stored size is believed only when the block has exactly that many bytes; nothing is
    // allocated from it, so a damaged size cannot ask for gigabytes.
    const QByteArray block = Profile().GetProfileBinary(kSectionPrinter, dataName);
    return block.size() == size ? block : QByteArray{};
}
} // namespace

PrinterMetrics NoPrinterMetrics() {
    PrinterMetrics m;
    m.dpiX = m.dpiY = 96;
    m.width = 816;
    m.height = 96 * 11;
    m.offsetX = m.offsetY = 0;
    m.widthMM = RoundHalfUp(215.9);
    m.heightMM = RoundHalfUp(279.4);
    return m;
}

void RepairPrinterMetrics(PrinterMetrics& m) {
    if (m.dpiX == 0 || m.dpiY == 0)
        m.dpiX = m.dpiY = 96;
    if (m.width == 0 || m.height == 0) {
        m.width = RoundHalfUp(m.dpiX * 8.5);
        m.height = RoundHalfUp(m.dpiY * 11.0);
    }
    if (m.widthMM == 0 || m.heightMM == 0) {
        m.widthMM = 216;
        m.heightMM = 279;
    }
}

PrinterMetrics ComputePrinterMetrics(const QPrinterInfo& info) {
    if (info.isNull()) return NoPrinterMetrics();
    QPrinter printer(info, QPrinter::HighResolution);
    return ComputePrinterMetrics(printer);
}

PrinterMetrics ComputePrinterMetrics(const QPrinter& printer) {
    PrinterMetrics m = NoPrinterMetrics();
    DEF_TRY
    {
        const int res = printer.resolution();
        const QPageLayout layout = printer.pageLayout();
        const QRect full = layout.fullRectPixels(res);
        const QRect paint = layout.paintRectPixels(res);
        const QRectF paintMM = layout.paintRect(QPageLayout::Millimeter);
        m.dpiX = m.dpiY = res;
        m.width = full.width();
        m.height = full.height();
        m.offsetX = paint.left();
        m.offsetY = paint.top();
        m.widthMM = RoundHalfUp(paintMM.width());
        m.heightMM = RoundHalfUp(paintMM.height());
    }
    DEF_CATCH
    RepairPrinterMetrics(m);
    return m;
}

QByteArray DevModeToBytes(const DevModeRecord& r) {
    const LONG v[6] = {r.orientation, r.pageSizeId, r.resolution, r.colorMode, r.duplex, r.copies};
    return IntsToBytes(v, 6);
}

bool DevModeFromBytes(const QByteArray& bytes, DevModeRecord& r) {
    LONG v[6];
    if (!IntsFromBytes(bytes, v, 6))
        return false;
    r = DevModeRecord{v[0], v[1], v[2], v[3], v[4], v[5]};
    return true;
}

void ApplyDevMode(QPrinter& printer, const DevModeRecord& r) {
    DEF_TRY
    if (r.pageSizeId > 0 && r.pageSizeId < QPageSize::LastPageSize)
        printer.setPageSize(QPageSize(QPageSize::PageSizeId(r.pageSizeId)));
    printer.setPageOrientation(r.orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (r.resolution > 0)
        printer.setResolution(r.resolution);
    printer.setColorMode(r.colorMode == 0 ? QPrinter::GrayScale : QPrinter::Color);
    if (r.duplex >= QPrinter::DuplexNone && r.duplex <= QPrinter::DuplexShortSide)
        printer.setDuplex(QPrinter::DuplexMode(r.duplex));
    if (r.copies > 0)
        printer.setCopyCount(r.copies);
    DEF_CATCH
}

DevModeRecord DevModeFromPrinter(const QPrinter& printer) {
    DevModeRecord r;
    DEF_TRY
    const QPageLayout layout = printer.pageLayout();
    r.orientation = layout.orientation() == QPageLayout::Landscape ? 1 : 0;
    r.pageSizeId = layout.pageSize().id();
    r.resolution = printer.resolution();
    r.colorMode = printer.colorMode() == QPrinter::GrayScale ? 0 : 1;
    r.duplex = printer.duplex();
    r.copies = std::max(1, printer.copyCount());
    DEF_CATCH
    return r;
}

SavedPrinter LoadSavedPrinter() {
    SavedPrinter p;
    DEF_TRY
    p.devMode = ReadBlock(QStringLiteral("DEVMODESIZE"), QStringLiteral("DEVMODE"));
    p.devNames = ReadBlock(QStringLiteral("DEVNAMESSIZE"), QStringLiteral("DEVNAMES"));
    DEF_CATCH
    return p;
}

void StoreSavedPrinter(const SavedPrinter& p) {
    DEF_TRY
    if (!p.IsComplete())
        return;
    Profile().WriteProfileInt(kSectionPrinter, QStringLiteral("DEVMODESIZE"), int(p.devMode.size()));
    Profile().WriteProfileData(kSectionPrinter, QStringLiteral("DEVMODE"), p.devMode.constData(),
                               int(p.devMode.size()));
    Profile().WriteProfileInt(kSectionPrinter, QStringLiteral("DEVNAMESSIZE"),
                              int(p.devNames.size()));
    Profile().WriteProfileData(kSectionPrinter, QStringLiteral("DEVNAMES"), p.devNames.constData(),
                               int(p.devNames.size()));
    DEF_CATCH
}

QString SavedPrinterName(const SavedPrinter& saved) {
    return saved.IsComplete() ? QString::fromUtf8(saved.devNames) : QString();
}

QPrinterInfo ResolvePrinter(const SavedPrinter& saved) {
    if (saved.IsComplete()) {
        const QPrinterInfo info = QPrinterInfo::printerInfo(SavedPrinterName(saved));
        if (!info.isNull())
            return info;
    }
    return QPrinterInfo::defaultPrinter();
}

bool ConfigurePrinter(QPrinter& printer, const QPrinterInfo& info, const SavedPrinter& saved) {
    DEF_TRY
    if (info.isNull()) return false;
    printer.setPrinterName(info.printerName());
    // A printer keeps the paper of the one set before it; the chosen printer's own comes first.
    const QPageSize paper = info.defaultPageSize();
    if (paper.isValid()) printer.setPageSize(paper);
    DevModeRecord r;
    if (SavedPrinterName(saved) == info.printerName() && DevModeFromBytes(saved.devMode, r))
        ApplyDevMode(printer, r);
    return true;
    DEF_CATCH
    return false;
}

SavedPrinter SavedPrinterFromPrinter(const QPrinter& printer) {
    SavedPrinter p;
    DEF_TRY
    p.devNames = printer.printerName().toUtf8();
    p.devMode = DevModeToBytes(DevModeFromPrinter(printer));
    DEF_CATCH
    return p;
}
