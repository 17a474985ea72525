#pragma once
// The two places where an annotation object is made from a number: the kind code a document
// record is stored under, and the clipboard kind code of a data block. The two numberings differ
// (a rectangle is stored as 3 and travels as 1), and these functions are the only type switches
// over them, so that the document, the view and the shelf never repeat one.
//
//   stored kind    1 text  2 check mark  3 rectangle  4 ellipse  5 line  6 freehand  9 picture
//                  10 circle  16 arrow  17 size arrow  18 bracket
//   clipboard kind 1 rectangle  2 ellipse  3 line  4 freehand  6 text  7 check mark  8 picture
//                  9 circle  11 arrow  12 and 13 size arrow  14 bracket  15 group block

#include "objects/ObjectHost.h"
#include "objects/TranspBaseClass.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <memory>
#include <vector>

// An empty object of the stored kind, for the document's loader to read its record into; null for
// a code that is not an object's (the document's own records included).
std::unique_ptr<CTranspBaseClass> CreateObjectForKind(LONG nKind, IObjectHost* pView, int nPage);

// The code an object is stored under; 0 for an object that is never stored (the group block).
LONG GetStoredKind(const CTranspBaseClass* pObject);

// The object a data block describes, placed at ptAt in text units as its kind places itself;
// null for a group block (see CreateObjectsFromBlock), a code no object answers to, or a block
// that its kind does not accept.
std::unique_ptr<CTranspBaseClass> CreateObjectFromBlock(const QByteArray& block, POINT ptAt,
                                                        IObjectHost* pView, int nPage);

// Every object a data block describes: one for a single object's block; for a group block each
// member placed at ptAt plus its offset, in the group's order. Members that cannot be made are
// left out; a group inside a group (which no copy makes) is one of them.
std::vector<std::unique_ptr<CTranspBaseClass>>
CreateObjectsFromBlock(const QByteArray& block, POINT ptAt, IObjectHost* pView, int nPage);
