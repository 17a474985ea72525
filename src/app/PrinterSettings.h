#pragma once
// The printer metrics the program lays pages out with, and the saved printer of the "Printer"
// section.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

class QPrinter;
class QPrinterInfo;

struct PrinterMetrics {
    LONG dpiX = 96, dpiY = 96;          // resolution, dots per inch
    LONG width = 816, height = 1056;    // physical page size in device dots
    LONG offsetX = 0, offsetY = 0;      // physical offsets in dots
    LONG widthMM = 216, heightMM = 279; // printable size in millimetres
    friend bool operator==(const PrinterMetrics&, const PrinterMetrics&) = default;
};

// The metrics without a printer: a US Letter page at 96 dots per inch.
PrinterMetrics NoPrinterMetrics();
// Zero resolution, page size or millimetre size repaired as a US Letter page would be.
void RepairPrinterMetrics(PrinterMetrics& m);
// The metrics of a printer; NoPrinterMetrics() for a null printer.
PrinterMetrics ComputePrinterMetrics(const QPrinterInfo& printer);
// The metrics of a printer as set up (paper, orientation, resolution).
PrinterMetrics ComputePrinterMetrics(const QPrinter& printer);

// The saved printer: DEVNAMES holds the printer's name, DEVMODE the page set-up record below.
struct SavedPrinter {
    QByteArray devNames;
    QByteArray devMode;
    bool IsComplete() const { return !devNames.isEmpty() && !devMode.isEmpty(); }
};

// The page set-up the program keeps for its printer (the DEVMODE record, 24 bytes):
// int32 orientation (0 portrait, 1 landscape), int32 page size id (QPageSize::PageSizeId),
// int32 resolution, int32 colour mode (0 greyscale, 1 colour), int32 duplex, int32 copies.
struct DevModeRecord {
    LONG orientation = 0, pageSizeId = 2 /* Letter */, resolution = 0, colorMode = 1, duplex = 0,
         copies = 1;
};
QByteArray DevModeToBytes(const DevModeRecord& r);
bool DevModeFromBytes(const QByteArray& bytes, DevModeRecord& r);

// The page set-up applied to a printer (fields left 0 keep the printer's own), and read back.
void ApplyDevMode(QPrinter& printer, const DevModeRecord& r);
DevModeRecord DevModeFromPrinter(const QPrinter& printer);

// Reads "DEVMODESIZE"/"DEVMODE" and "DEVNAMESSIZE"/"DEVNAMES"; a block whose stored size does not
// match its record is dropped.
SavedPrinter LoadSavedPrinter();
void StoreSavedPrinter(const SavedPrinter& p);

// The printer to use: the saved one when it is still installed, else the system default (which
// may be null).
QPrinterInfo ResolvePrinter(const SavedPrinter& saved);
// The saved printer's name; empty when none is saved.
QString SavedPrinterName(const SavedPrinter& saved);
// Sets `printer` to the installed printer `info`, with the saved page set-up when the saved
// printer is that one. False for a null printer.
bool ConfigurePrinter(QPrinter& printer, const QPrinterInfo& info, const SavedPrinter& saved);
// The saved form of a printer as set up.
SavedPrinter SavedPrinterFromPrinter(const QPrinter& printer);
