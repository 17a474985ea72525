#pragma once
// Scanning through SANE. CSaneScanner is one open device: what it offers (sources, modes,
// resolutions, the scan area), the settings of the next scan, and the scan of one page into a
// bitmap with progress and cancel. Every size a backend announces is checked against what
// arrives, so absurd parameters, a short frame or a device that goes away end in a message and
// never in a half page. SANE itself is initialised by the first scanner or device list and left
// when the last one ends.

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

class LBitmapBase;

struct ScanDevice {
    QString name;   // what sane_open takes, e.g. "test:0"
    QString vendor;
    QString model;
    QString type;
    // "Vendor Model (name)" for lists.
    QString Label() const;
};

// The program's three ways to scan; each device calls them by its own names.
enum class ScanMode { Color, Gray, Lineart };

struct ScanSettings {
    // A source the device offers by its own name, or "flatbed" / "adf" for the device's flatbed
    // or document feeder whatever the backend calls it; empty keeps the device's current source.
    QString source;
    ScanMode mode = ScanMode::Color;
    // Dots per inch; 0 keeps the device's current resolution.
    int resolution = 0;
    // The area in millimetres from the bed's top-left corner; empty scans the whole bed.
    QRectF areaMm;
};

// What the device offers, read once when it is opened.
struct ScanOffer {
    QStringList sources;       // the backend's source names, empty when it has no source option
    QString feederSource;      // the one of them that is a document feeder, else empty
    QList<ScanMode> modes;     // the program's modes the device can give (lineart also as 1-bit grey)
    QList<int> resolutions;    // the allowed resolutions when the device lists them
    int minResolution = 0;     // otherwise the range, both 0 when the resolution is fixed
    int maxResolution = 0;
    int resolution = 0;        // the device's current resolution
    QSizeF bedMm;              // the whole scan area, 0 x 0 when the device has no area options
};

class CSaneScanner {
public:
    // The result of ScanPage besides SUCCESS and ERROR_USER_ABORT: the feeder has no more pages.
    static constexpr int SCAN_NO_MORE_PAGES = -1000;

    CSaneScanner();
    ~CSaneScanner(); // closes the device
    CSaneScanner(const CSaneScanner&) = delete;
    CSaneScanner& operator=(const CSaneScanner&) = delete;

    // The devices SANE finds (local and network); false with ErrorText when SANE cannot start.
    static bool ListDevices(QList<ScanDevice>& devices, QString& error);

    // Opens `name` ("" the first device found) and reads what it offers; SUCCESS or an error with
    // ErrorText ("The scanner "%1" is not there.", ...).
    int Open(const QString& name);
    bool IsOpen() const;
    QString DeviceName() const;
    const ScanOffer& Offer() const;

    // Sets the options of the next scans; an error with ErrorText when the device refuses one.
    int Apply(const ScanSettings& settings);
    // Whether the settings' source is the document feeder (then a scan can bring many pages).
    bool IsFeeder() const;

    // Scans one page into `page`: 1-bit for lineart, 8-bit grey, 24-bit colour, with the
    // resolution set. `progress` (may be null) receives 0..100 and answers false to cancel.
    // SUCCESS; SCAN_NO_MORE_PAGES when a feeder is empty (for the first page of a feeder scan
    // too); ERROR_USER_ABORT after Cancel or a false answer (the page is left empty); another
    // error with ErrorText. Runs on any one thread at a time.
    int ScanPage(LBitmapBase& page, const std::function<bool(int percent)>& progress);
    // Ends the scan in progress from any thread (sane_cancel); ScanPage returns ERROR_USER_ABORT.
    void Cancel();
    // Ends a batch of pages (after the last page or a failure) so that the device is idle.
    void Finish();

    QString ErrorText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
