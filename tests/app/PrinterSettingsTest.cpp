#include "app/PrinterSettings.h"
#include "app/ProfileRecords.h"
#include "platform/SettingsStore.h"

#include <QPrinterInfo>
#include <climits>

#include <gtest/gtest.h>

TEST(PrinterSettings, WithoutAPrinterAUSLetterPage) {
    const PrinterMetrics m = NoPrinterMetrics();
    EXPECT_EQ(m.dpiX, 96);
    EXPECT_EQ(m.dpiY, 96);
    EXPECT_EQ(m.width, 816);
    EXPECT_EQ(m.height, 1056);
    EXPECT_EQ(m.offsetX, 0);
    EXPECT_EQ(m.offsetY, 0);
    EXPECT_EQ(m.widthMM, 216);
    EXPECT_EQ(m.heightMM, 279);
    EXPECT_EQ(ComputePrinterMetrics(QPrinterInfo()), m);
}

TEST(PrinterSettings, Repair) {
    struct Case {
        PrinterMetrics in, out;
    };
    const Case cases[] = {
        // zero resolution: both 96, then the page from them
        {{0, 300, 0, 0, 5, 5, 0, 0}, {96, 96, 816, 1056, 5, 5, 216, 279}},
        // zero width only: the page from the resolution, halves rounded up
        {{203, 203, 0, 2000, 0, 0, 200, 270}, {203, 203, 1726, 2233, 0, 0, 200, 270}},
        // a whole set stays as it is
        {{600, 600, 5100, 6600, 50, 50, 210, 297}, {600, 600, 5100, 6600, 50, 50, 210, 297}},
        // zero millimetres
        {{300, 300, 2550, 3300, 0, 0, 0, 279}, {300, 300, 2550, 3300, 0, 0, 216, 279}},
    };
    for (const Case& c : cases) {
        PrinterMetrics m = c.in;
        RepairPrinterMetrics(m);
        EXPECT_EQ(m, c.out) << c.in.dpiX << "x" << c.in.dpiY;
    }
}

TEST(PrinterSettings, SavedPrinterRoundTripAndBadSizes) {
    SavedPrinter p;
    p.devNames = QByteArray("Office Laser");
    p.devMode = DevModeToBytes(DevModeRecord{1, 9, 600, 0, 1, 2});
    StoreSavedPrinter(p);
    const SavedPrinter back = LoadSavedPrinter();
    EXPECT_EQ(back.devNames, p.devNames);
    EXPECT_EQ(back.devMode, p.devMode);
    DevModeRecord r;
    ASSERT_TRUE(DevModeFromBytes(back.devMode, r));
    EXPECT_EQ(r.pageSizeId, 9);
    EXPECT_EQ(r.copies, 2);

    // A size that does not match its block drops the block.
    Profile().WriteProfileInt(kSectionPrinter, QStringLiteral("DEVMODESIZE"), 4096);
    EXPECT_TRUE(LoadSavedPrinter().devMode.isEmpty());
    Profile().WriteProfileInt(kSectionPrinter, QStringLiteral("DEVMODESIZE"), INT_MAX);
    EXPECT_TRUE(LoadSavedPrinter().devMode.isEmpty());
    Profile().WriteProfileInt(kSectionPrinter, QStringLiteral("DEVMODESIZE"), -5);
    EXPECT_FALSE(LoadSavedPrinter().IsComplete());
    EXPECT_FALSE(DevModeFromBytes(QByteArray(7, 'x'), r));

    // A printer that is no longer installed gives way to the default one.
    EXPECT_EQ(ResolvePrinter(p).printerName(), QPrinterInfo::defaultPrinter().printerName());
}
