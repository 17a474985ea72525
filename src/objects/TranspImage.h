#pragma once
// CTranspImage: a picture placed on the page, stretched to its rectangle. A transparent picture
// is combined with the page by an AND of colours (SRCAND), so that its white parts let the page
// show through; an opaque one covers it (SRCCOPY). Colour and line width are not used. Rotating
// keeps the picture's scale in text units per pixel, and undo brings the earlier bitmap back.

#include "objects/TranspGraphClass.h"
#include "platform/imaging/MyBitmap.h"

#include <QByteArray>
#include <QString>
#include <memory>

// The clipboard kind code of a picture's data block and the versions of its layout: 2 as the
// picture writes it, 1 for a block made from a bitmap (always transparent, empty rectangle).
enum : LONG { CLIPKIND_IMAGE = 8, IMAGE_BLOCK_VERSION = 2, IMAGE_BLOCK_VERSION_DIB = 1 };
// Offsets of the picture's data block: int16 version at 8, int16 transparent flag at 10, the unit
// scale at 16, the rectangle (unscaled) at 24, the bitmap's byte count m at 40, the packed
// device-independent bitmap from 44; the block is 48 + m bytes, the last 4 zero.
enum : int {
    IMAGE_BLOCK_TRANSPARENT = 10,
    IMAGE_BLOCK_RECT = 24,
    IMAGE_BLOCK_DIBSIZE = 40,
    IMAGE_BLOCK_DIB = 44,
    IMAGE_BLOCK_OVERHEAD = 48,
};

// The undo snapshot of a picture: the graphic snapshot, and the bitmap of that state once a
// rotation has put one there (null: the bitmap did not change across this state).
struct IMAGEUNDOSTATE {
    GRAPHUNDOSTATE graph;
    std::shared_ptr<const LMyBitmap> bitmap;
};

// Wraps a packed device-independent bitmap into a picture data block of version 1 with an empty
// rectangle (a bitmap pasted from the clipboard or kept on the shelf); empty when there is no
// bitmap or it is too large for a block.
QByteArray DibToPictureBlock(const QByteArray& dib);

class CTranspImage : public CTranspGraphClass {
public:
    // An empty picture, for the document's loader and for the Create operations.
    CTranspImage(IObjectHost* pView, int nPage);

    using CTranspBaseClass::MoveBy;

    // Loads a picture file; the rectangle is the picture's pixel size taken as page units,
    // converted to text units, with its top-left at (x, y). FALSE, and the picture unchanged,
    // when the file cannot be loaded.
    BOOL Create(const QString& path, int x, int y);
    // The same from a packed device-independent bitmap.
    BOOL CreateDib(const QByteArray& dib, int x, int y);
    // From a picture data block, the top-left of its rectangle moved to (x, y). A version-1 block
    // is transparent; an empty rectangle becomes the bitmap's pixel size as page units.
    BOOL Create(const QByteArray& block, int x, int y);
    // A picture made by Create from a block at pt (text units); null when the block is refused.
    static std::unique_ptr<CTranspImage> FromBlock(IObjectHost* pView, const QByteArray& block,
                                                   POINT pt, int nPage);

    // Rotates the picture by an angle in hundredths of a degree (positive clockwise), the
    // bitmap enlarged to hold it and the uncovered corners white; the top-left and the scale in
    // text units per pixel stay. An undo step brings the unrotated bitmap back.
    BOOL Rotate(int nAngle);
    // Copies the picture into `bitmap`; FALSE when there is none.
    BOOL GetBitmap(LBitmapBase& bitmap) const;
    const LMyBitmap& GetBitmap() const { return m_bitmap; }
    int GetTransparent() const { return m_bTransparent; }
    void SetTransparent(int bTransparent);
    // Puts a copy of the current bitmap into the snapshot at the current undo position.
    void AddBitmapToCurrentUndoItem();

    // The stored record: the 56-byte structure of version 2, then the packed bitmap.
    void Serialize(CArchive& ar) override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    QByteArray GetObData() const override;
    // The data block under the object format, the bitmap as image and packed bitmap.
    std::unique_ptr<QMimeData> MakeMimeData() const override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;

    LMyBitmap m_bitmap;
    // Non-zero: SRCAND, the page shows through the white parts; 0: SRCCOPY.
    int m_bTransparent = 1;

private:
    void SerializeRecord(CArchive& ar);
    // Takes over a loaded bitmap; the rectangle becomes its pixel size as page units at (x, y).
    void PlaceBitmap(LMyBitmap& bitmap, int x, int y);
};
