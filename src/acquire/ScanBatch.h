#pragma once
// The batch command --scan [--device NAME] [--source flatbed|adf|NAME] [--mode color|gray|lineart]
// [--resolution DPI] [--pages N|all] OUT: pages scanned without any window of the program and
// written as a document or an image file (by the extension of OUT).

#include <QString>
#include <QStringList>

struct ScanSettings;

void RegisterScanBatchCommand();

// What the command line asks for: false for a line that cannot be understood. `pages` is 0 for
// "all".
struct ScanBatchRequest {
    QString device;
    QString out;
    int pages = 1;
};
bool ParseScanArguments(const QStringList& args, ScanBatchRequest& request, ScanSettings& settings);
