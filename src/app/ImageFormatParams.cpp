// How an image file is written, chosen from its extension, the saved options and, when asked for,
// the image format dialogs.

#include "app/ImageFormatDialogs.h"
#include "app/ProfileRecords.h"
#include "app/Utils.h"
#include "platform/Guard.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/ImagingTypes.h"

#include <algorithm>

namespace {
const QString kLastUsedBitsPerPixel = QStringLiteral("LastUsedBitsPerPixel");

constexpr int kDefaultQuality = 2;

int TiffFormat(int compression) {
    switch (compression) {
    case CTIFFOptions2::PackBits: return FILE_TIF_PACKBITS;
    case CTIFFOptions2::Fax: return FILE_CCITT_GROUP4;
    default: return FILE_TIF;
    }
}

// A stored choice outside the dialog's range (a damaged or foreign record) counts as uncompressed.
int StoredCompression(const FrameOptions& options) {
    const int c = options[OPT_TIFF_COMPRESSION];
    return c >= CTIFFOptions2::None && c <= CTIFFOptions2::Fax ? c : CTIFFOptions2::None;
}

// Colour depth for every format but TIFF, which chooses its depth with its compression.
void ChooseBitDepth(const QString& ext, int& bitsPerPixel, bool showDialogs) {
    if (bitsPerPixel == 0) {
        bitsPerPixel = 24;
    } else if (showDialogs) {
        CBitDepthDialog dlg;
        dlg.SetBitsPerPixel(
            Profile().GetProfileInt(kSectionSettings, kLastUsedBitsPerPixel, bitsPerPixel));
        if (dlg.DoModal() == IDOK) {
            bitsPerPixel = dlg.GetBitsPerPixel();
            if (ext == QStringLiteral("jpg"))
                bitsPerPixel = std::max(bitsPerPixel, 8);
        }
    } else {
        bitsPerPixel = 24;
    }
    Profile().WriteProfileInt(kSectionSettings, kLastUsedBitsPerPixel, bitsPerPixel);
}

bool ChooseJpeg(int& quality, bool showDialogs) {
    // The saved level is distrusted: outside 0 .. 9 it would give a quality out of range.
    int level = std::clamp(int(LoadFrameOptions()[OPT_JPEG_LEVEL]), 0,
                           CJpegOptionsDialog::kMaxLevel);
    if (showDialogs) {
        CJpegOptionsDialog dlg;
        dlg.m_nLevel = level;
        if (dlg.DoModal() != IDOK)
            return false;
        level = std::clamp(dlg.m_nLevel, 0, CJpegOptionsDialog::kMaxLevel);
    }
    quality = (CJpegOptionsDialog::kMaxLevel - level) * 2550 / 100;
    return true;
}

bool ChooseTiff(int& bitsPerPixel, int& format, bool showDialogs) {
    FrameOptions options = LoadFrameOptions();
    int compression = StoredCompression(options);
    if (showDialogs) {
        CTIFFOptions2 dlg;
        dlg.m_nCompression = compression;
        dlg.SetBitsPerPixel(Profile().GetProfileInt(kSectionSettings, kLastUsedBitsPerPixel, 24));
        if (dlg.DoModal() != IDOK)
            return false;
        compression = std::clamp(dlg.m_nCompression, int(CTIFFOptions2::None),
                                 int(CTIFFOptions2::Fax));
        options[OPT_TIFF_COMPRESSION] = compression;
        SaveFrameOptions(options);
        bitsPerPixel = dlg.GetBitsPerPixel();
        Profile().WriteProfileInt(kSectionSettings, kLastUsedBitsPerPixel, bitsPerPixel);
    } else if (compression == CTIFFOptions2::Fax) {
        // The fax format cannot hold anything but one-bit pages.
        bitsPerPixel = 1;
    }
    format = TiffFormat(compression);
    return true;
}
} // namespace

bool GetImageFormatParams(const QString& path, int& bitsPerPixel, int& format, int& quality,
                          bool showDialogs) {
    DEF_TRY
    quality = kDefaultQuality;
    const QString ext = ExtractFileExt(path).toLower();
    const bool tiff = ext == QStringLiteral("tif") || ext == QStringLiteral("tiff");
    if (!tiff)
        ChooseBitDepth(ext, bitsPerPixel, showDialogs);

    if (ext == QStringLiteral("bmp")) {
        format = FILE_BMP;
    } else if (ext == QStringLiteral("pcx")) {
        format = FILE_PCX;
    } else if (ext == QStringLiteral("png")) {
        format = FILE_PNG;
    } else if (ext == QStringLiteral("jpg")) {
        if (!ChooseJpeg(quality, showDialogs))
            return false;
        format = FILE_JPEG;
    } else if (tiff) {
        return ChooseTiff(bitsPerPixel, format, showDialogs);
    } else {
        return false;
    }
    return true;
    DEF_CATCH
    return false;
}

QString SelectGraphExt(const QString& path, int filterIndex) {
    DEF_TRY
    static const char* const exts[] = {"tif", "bmp", "pcx", "jpg", "png", "emf"};
    if (filterIndex < 1 || filterIndex > 6)
        return {};
    return ChangeFileExt(path, QString::fromLatin1(exts[filterIndex - 1]));
    DEF_CATCH
    return {};
}
