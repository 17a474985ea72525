#pragma once
// CTranspRectShape: what the kinds whose geometry is their rectangle share (size arrow, bracket,
// check mark, rectangle, ellipse): placing a pasted object, and the stored record and data
// block, which hold the rectangle, colour, line width and page in a fixed order, then a few
// fields of the kind's own.
//
//   record structure, from offset 16: left, top, right, bottom, colour, line width, page, extras
//   data block, from offset 24:        left, top, right, bottom, line width, colour, extras
//
// Reading goes into a value first, so that a refused record or block leaves the object as it was.

#include "objects/TranspGraphClass.h"

#include <QByteArray>
#include <initializer_list>

class CArchive;

class CTranspRectShape : public CTranspGraphClass {
public:
    using CTranspGraphClass::CTranspGraphClass;

    // The 56-byte structure of version 1 with the rectangle scaled to the screen resolution; the
    // kinds with fields of their own store more.
    void Serialize(CArchive& ar) override;

    // Moves an object not yet shown so that the top-left of its rectangle lies at (x, y).
    void PlaceAt(int x, int y);

protected:
    // Stores the record, or loads it into the object, with nExtra fields of the kind's own after
    // the page index: stored from pExtra, loaded into it as far as the record holds them (what
    // it does not hold keeps the values given). With bScaled the rectangle is stored in pixels
    // of this machine's screen (x by DPIx / 96, y by DPIy / 96). Returns how many extras were
    // loaded, and the record's version in *pVersion. A bad record raises an archive exception.
    int SerializeRect(CArchive& ar, LONG nStructSize, LONG nVersion, bool bScaled,
                      LONG* pExtra = nullptr, int nExtra = 0, LONG* pVersion = nullptr);
    // A data block of nSize bytes with the fields and the extras from offset 48 on.
    QByteArray MakeRectBlock(LONG nSize, LONG nKind, LONG nVersion, const LONG* pExtra = nullptr,
                             int nExtra = 0) const;
    // Reads a data block of one of `kinds` as it is, unplaced, into the object and the unit
    // scale; FALSE, and nothing changed, when it is not one of at least nMinSize bytes
    // (ReadObjectBlockHead). The extras are the caller's to read, inside nMinSize.
    BOOL SetRectBlock(const QByteArray& block, std::initializer_list<LONG> kinds, LONG nMinSize);
};
