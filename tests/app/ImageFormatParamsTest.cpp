#include "app/ImageFormatDialogs.h"
#include "app/ProfileRecords.h"
#include "app/Utils.h"

#include "TestSupport.h"
#include "platform/SettingsStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {
struct Params {
    bool ok = false;
    int bits = 0;
    int format = -1;
    int quality = -1;
};

Params Ask(const char* path, int bits, bool dialogs) {
    Params p;
    p.bits = bits;
    p.ok = GetImageFormatParams(QString::fromLatin1(path), p.bits, p.format, p.quality, dialogs);
    return p;
}

int LastUsedBits(int def = -1) {
    return Profile().GetProfileInt(kSectionSettings, QStringLiteral("LastUsedBitsPerPixel"), def);
}

void SetLastUsedBits(int bits) {
    Profile().WriteProfileInt(kSectionSettings, QStringLiteral("LastUsedBitsPerPixel"), bits);
}

void SetOption(int field, int value) {
    FrameOptions o = LoadFrameOptions();
    o[field] = value;
    SaveFrameOptions(o);
}

// Runs the real dialog; `act` gets it once it is shown and must close it.
int RunShown(CModalDialog& dlg, std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        act(*shown);
    });
    return dlg.RunWidget(nullptr);
}

QAbstractButton* Button(QDialog& dlg, const char* name) {
    return dlg.findChild<QAbstractButton*>(QString::fromLatin1(name));
}
} // namespace

TEST(ImageFormatParams, FormatsWithoutDialogs) {
    struct Case {
        const char* path;
        int format;
    };
    const Case cases[] = {{"a.bmp", 6}, {"a.PCX", 1}, {"/x.y/a.png", 75}};
    for (const Case& c : cases) {
        const Params p = Ask(c.path, 8, false);
        EXPECT_TRUE(p.ok) << c.path;
        EXPECT_EQ(p.format, c.format) << c.path;
        EXPECT_EQ(p.bits, 24) << c.path;
        EXPECT_EQ(p.quality, 2) << c.path;
    }
    EXPECT_EQ(LastUsedBits(), 24);
    EXPECT_FALSE(Ask("a.gif", 8, false).ok);
    EXPECT_FALSE(Ask("noextension", 8, false).ok);
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
}

TEST(ImageFormatParams, JpegQualityFromTheSavedLevel) {
    EXPECT_EQ(Ask("page.jpg", 24, false).quality, 51); // the default level 7 before any is saved
    SetOption(OPT_JPEG_LEVEL, 2);
    const Params p = Ask("C:\\out\\page.jpg", 1, false);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.format, 10);
    EXPECT_EQ(p.bits, 24);
    EXPECT_EQ(p.quality, 178);

    SetOption(OPT_JPEG_LEVEL, 0);
    EXPECT_EQ(Ask("page.jpg", 24, false).quality, 229);
    SetOption(OPT_JPEG_LEVEL, 9);
    EXPECT_EQ(Ask("page.jpg", 24, false).quality, 0);
    SetOption(OPT_JPEG_LEVEL, 40); // a damaged record gives no quality out of range
    EXPECT_EQ(Ask("page.jpg", 24, false).quality, 0);
}

TEST(ImageFormatParams, BitDepthDialog) {
    SetLastUsedBits(32); // none of the choices: shown as 1 bit
    int preset = -1;
    TestDialogs().handlers[QStringLiteral("CBitDepthDialog")] = [&](CModalDialog& d) {
        auto& dlg = dynamic_cast<CBitDepthDialog&>(d);
        preset = dlg.GetBitsPerPixel();
        dlg.SetBitsPerPixel(4);
        return IDOK;
    };
    Params p = Ask("a.bmp", 8, true);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(preset, 1);
    EXPECT_EQ(p.bits, 4);
    EXPECT_EQ(LastUsedBits(), 4);

    // JPEG takes at least 8 bits; the JPEG options dialog still has to be answered.
    TestDialogs().handlers[QStringLiteral("CJpegOptionsDialog")] = [](CModalDialog&) {
        return IDOK;
    };
    p = Ask("a.jpg", 8, true);
    EXPECT_EQ(p.bits, 8);
    EXPECT_EQ(LastUsedBits(), 8);

    // A requested depth of 0 asks nothing.
    TestDialogs().dialogsRun.clear();
    p = Ask("a.png", 0, true);
    EXPECT_EQ(p.bits, 24);
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
}

TEST(ImageFormatParams, BitDepthDialogCancelledKeepsTheRequestedDepth) {
    // No handler: the scripted service cancels. Nothing stored yet, so the preset is the request.
    const Params p = Ask("a.pcx", 4, true);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.bits, 4);
    EXPECT_EQ(LastUsedBits(), 4);
    EXPECT_EQ(TestDialogs().dialogsRun, QStringList{QStringLiteral("CBitDepthDialog")});
}

TEST(ImageFormatParams, JpegDialog) {
    SetOption(OPT_JPEG_LEVEL, 3);
    int preset = -1;
    TestDialogs().handlers[QStringLiteral("CBitDepthDialog")] = [](CModalDialog&) { return IDOK; };
    TestDialogs().handlers[QStringLiteral("CJpegOptionsDialog")] = [&](CModalDialog& d) {
        auto& dlg = dynamic_cast<CJpegOptionsDialog&>(d);
        preset = dlg.m_nLevel;
        dlg.m_nLevel = 5;
        return IDOK;
    };
    Params p = Ask("a.jpg", 24, true);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(preset, 3);
    EXPECT_EQ(p.quality, 102); // (9 - 5) * 2550 / 100

    TestDialogs().handlers[QStringLiteral("CJpegOptionsDialog")] = [](CModalDialog&) {
        return IDCANCEL;
    };
    EXPECT_FALSE(Ask("a.jpg", 24, true).ok);
}

TEST(ImageFormatParams, TiffWithoutDialogs) {
    struct Case {
        int compression;
        int format;
        int bits;
    };
    // The fax format is one-bit only; an unknown stored choice counts as uncompressed.
    const Case cases[] = {{0, 3, 8}, {1, 87, 8}, {2, 29, 1}, {7, 3, 8}};
    for (const Case& c : cases) {
        SetOption(OPT_TIFF_COMPRESSION, c.compression);
        const Params p = Ask("scan.TIFF", 8, false);
        EXPECT_TRUE(p.ok) << c.compression;
        EXPECT_EQ(p.format, c.format) << c.compression;
        EXPECT_EQ(p.bits, c.bits) << c.compression;
        EXPECT_EQ(p.quality, 2) << c.compression;
    }
    EXPECT_EQ(LastUsedBits(), -1); // TIFF does not touch the last used depth on its own
}

TEST(ImageFormatParams, TiffDialog) {
    SetOption(OPT_TIFF_COMPRESSION, 1);
    int presetCompression = -1, presetBits = -1;
    TestDialogs().handlers[QStringLiteral("CTIFFOptions2")] = [&](CModalDialog& d) {
        auto& dlg = dynamic_cast<CTIFFOptions2&>(d);
        presetCompression = dlg.m_nCompression;
        presetBits = dlg.GetBitsPerPixel();
        dlg.m_nCompression = CTIFFOptions2::None;
        dlg.SetBitsPerPixel(8);
        return IDOK;
    };
    Params p = Ask("scan.tif", 1, true);
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(presetCompression, 1);
    EXPECT_EQ(presetBits, 24); // nothing stored yet
    EXPECT_EQ(p.format, 3);
    EXPECT_EQ(p.bits, 8);
    EXPECT_EQ(LoadFrameOptions()[OPT_TIFF_COMPRESSION], 0);
    EXPECT_EQ(LastUsedBits(), 8);
    EXPECT_EQ(TestDialogs().dialogsRun, QStringList{QStringLiteral("CTIFFOptions2")});

    // The fax format forces one bit whatever depth was left chosen.
    TestDialogs().handlers[QStringLiteral("CTIFFOptions2")] = [&](CModalDialog& d) {
        auto& dlg = dynamic_cast<CTIFFOptions2&>(d);
        presetBits = dlg.GetBitsPerPixel();
        dlg.m_nCompression = CTIFFOptions2::Fax;
        return IDOK;
    };
    p = Ask("scan.tif", 24, true);
    EXPECT_EQ(presetBits, 8);
    EXPECT_EQ(p.format, 29);
    EXPECT_EQ(p.bits, 1);
    EXPECT_EQ(LoadFrameOptions()[OPT_TIFF_COMPRESSION], 2);
    EXPECT_EQ(LastUsedBits(), 1);
}

TEST(ImageFormatParams, TiffDialogCancelledChangesNothing) {
    SetLastUsedBits(4);
    const Params p = Ask("scan.tif", 24, true);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.bits, 24);
    EXPECT_EQ(LastUsedBits(), 4);
    EXPECT_EQ(LoadFrameOptions()[OPT_TIFF_COMPRESSION], 0);
}

TEST(ImageFormatParams, SelectGraphExt) {
    const char* const exts[] = {"tif", "bmp", "pcx", "jpg", "png", "emf"};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(SelectGraphExt(QStringLiteral("/d/page.brf"), i),
                  QStringLiteral("/d/page.") + QString::fromLatin1(exts[i - 1]));
    EXPECT_TRUE(SelectGraphExt(QStringLiteral("/d/page.brf"), 0).isEmpty());
    EXPECT_TRUE(SelectGraphExt(QStringLiteral("/d/page.brf"), 7).isEmpty());
}

TEST(ImageFormatDialogs, TiffWidgetFaxTakesOneBitOnly) {
    CTIFFOptions2 dlg;
    dlg.m_nCompression = CTIFFOptions2::PackBits;
    dlg.SetBitsPerPixel(8);
    EXPECT_EQ(RunShown(dlg,
                       [](QDialog& shown) {
                           EXPECT_TRUE(Button(shown, "compression1")->isChecked());
                           EXPECT_TRUE(Button(shown, "depth8")->isChecked());
                           EXPECT_TRUE(Button(shown, "depth24")->isEnabled());
                           Button(shown, "compression2")->click();
                           EXPECT_TRUE(Button(shown, "depth1")->isChecked());
                           for (const char* other : {"depth4", "depth8", "depth24"})
                               EXPECT_FALSE(Button(shown, other)->isEnabled()) << other;
                           Button(shown, "compression0")->click();
                           EXPECT_TRUE(Button(shown, "depth24")->isEnabled());
                           Button(shown, "compression2")->click();
                           shown.accept();
                       }),
              IDOK);
    EXPECT_EQ(dlg.m_nCompression, CTIFFOptions2::Fax);
    EXPECT_EQ(dlg.GetBitsPerPixel(), 1);
}
