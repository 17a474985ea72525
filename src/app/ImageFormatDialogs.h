#pragma once
// The dialogs that choose how an image file is written: its colour depth, the JPEG quality level
// and the TIFF compression. The caller fills the members, runs DoModal() and reads them back on
// IDOK.

#include "platform/DialogService.h"

// The colour depths offered for a saved image, as choice indexes 0 to 3: 1, 4, 8 and 24 bits.
// A depth that is none of these is choice 0 (1 bit).
int BitDepthToChoice(int bitsPerPixel);
int ChoiceToBitDepth(int choice);

class CBitDepthDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CBitDepthDialog"); }
    int RunWidget(QWidget* parent) override;

    void SetBitsPerPixel(int bitsPerPixel) { m_nBitDepth = BitDepthToChoice(bitsPerPixel); }
    int GetBitsPerPixel() const { return ChoiceToBitDepth(m_nBitDepth); }

    int m_nBitDepth = 0; // choice index
};

class CJpegOptionsDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CJpegOptionsDialog"); }
    int RunWidget(QWidget* parent) override;

    static constexpr int kMaxLevel = 9;
    int m_nLevel = 0; // 0 best quality .. 9 smallest file
};

class CTIFFOptions2 : public CModalDialog {
public:
    enum Compression { None = 0, PackBits = 1, Fax = 2 };

    QString DialogName() const override { return QStringLiteral("CTIFFOptions2"); }
    int RunWidget(QWidget* parent) override;

    void SetBitsPerPixel(int bitsPerPixel) { m_nBitDepth = BitDepthToChoice(bitsPerPixel); }
    // The fax format holds one-bit pages only, whatever depth was chosen before it.
    int GetBitsPerPixel() const { return m_nCompression == Fax ? 1 : ChoiceToBitDepth(m_nBitDepth); }

    int m_nCompression = None;
    int m_nBitDepth = 3; // choice index
};
