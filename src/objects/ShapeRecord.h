#pragma once
// The stored records and data blocks of the kinds whose geometry is their rectangle (size arrow,
// bracket, check mark, rectangle, ellipse): the rectangle, colour, line width and page in a fixed
// order, then a few fields of the kind's own.
//
//   record structure, from offset 16: left, top, right, bottom, colour, line width, page, extras
//   data block, from offset 24:        left, top, right, bottom, line width, colour, extras
//
// Reading goes into a value first, so that a refused record or block leaves the object as it was.

#include "objects/ObjectBlock.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <initializer_list>

class CArchive;
class CTranspGraphClass;

struct RECTSHAPEDATA {
    RECT rect;
    COLORREF crColor = 0;
    LONG nLineWidth = 0;
    LONG nPage = 0;
};

// The fields of an object, and the object set from them.
RECTSHAPEDATA GetRectShapeData(const CTranspGraphClass& obj);
void SetRectShapeData(CTranspGraphClass& obj, const RECTSHAPEDATA& data);

// Writes the record with the frame of every object record. With bScaled the coordinates are
// stored in pixels of this machine's screen (x by DPIx / 96, y by DPIy / 96).
void StoreRectRecord(CArchive& ar, const RECTSHAPEDATA& data, LONG nStructSize, LONG nVersion,
                     bool bScaled, const LONG* pExtra = nullptr, int nExtra = 0);
// Reads a record into `data` and `pExtra`, as far as its structure holds them (what it does not
// hold keeps the values given); returns how many of the extras it read, and the record's version
// in *pVersion. A bad record raises an archive exception.
int LoadRectRecord(CArchive& ar, RECTSHAPEDATA& data, LONG nStructSize, bool bScaled,
                   LONG* pExtra = nullptr, int nExtra = 0, LONG* pVersion = nullptr);

// A data block of nSize bytes with the fields and the extras from offset 48 on.
QByteArray MakeRectBlock(const RECTSHAPEDATA& data, LONG nSize, LONG nKind, LONG nVersion,
                         const LONG* pExtra = nullptr, int nExtra = 0);
// Checks a block (ReadObjectBlockHead) and reads its fields; false when it is not one of `kinds`
// of at least nMinSize bytes. The extras are the caller's to read, inside head.nSize.
bool ReadRectBlock(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize,
                   RECTSHAPEDATA& data, OBJECTBLOCKHEAD& head);

// The offset of a rectangle that puts its normalised top-left at (x, y).
POINT PlacementOffset(const RECT& rect, int x, int y);
