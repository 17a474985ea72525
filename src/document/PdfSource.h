#pragma once
// The PDF file a document was made from, remembered so that its form can be written back filled
// in: the file's path and SHA-256, and for every object that stands for a widget of the form, the
// field and widget it stands for.
//
// It travels in the document file as one record of a kind older readers do not know, which they
// pass over by its length; a document that came from no PDF file carries no such record, so its
// file stays as it always was.
//
//   kind DOCKIND_PDF_SOURCE, L, then:
//     int32 version (1), string path (UTF-8), string SHA-256 (32 bytes), int32 resolution,
//     int32 n, n times: int32 page, string object name, string field name (UTF-8),
//                       int32 field kind, int32 widget index, int32 maximum length,
//                       int32 object index (its place among the page's stored objects, -1: none)
//
// Object names are not part of the objects' own records: the object index finds the object
// again on loading, and gives it back the name the form knows it by.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class CArchive;
class CLumidorDoc;
class CTranspBaseClass;

// "BPDF" as the kind code's four bytes.
constexpr LONG DOCKIND_PDF_SOURCE = 0x46445042;
constexpr LONG PDF_SOURCE_VERSION = 1;

struct PdfSourceField {
    LONG nPage = 0;
    QByteArray strObjectName; // as the object bears it
    QString strFieldName;     // the PDF's fully qualified field name
    LONG nKind = 0;           // PdfFieldKind
    LONG nWidget = 0;         // which widget of that field on that page, from 0, in page order
    LONG nMaxLength = -1;
    LONG nStoredIndex = -1;   // only while a file is read
};

struct CPdfSource {
    QString strPath;      // absolute
    QByteArray sha256;    // of the file's bytes when it was opened
    LONG nDpi = 0;        // the resolution the pages were drawn at
    std::vector<PdfSourceField> fields;
};

// SHA-256 of a file's bytes, read in pieces; empty when it cannot be read.
QByteArray HashPdfFile(const QString& path);

// Writes the kind code, L and the payload; `storedIndex` tells where an object (page, name) was
// written among its page's object records, -1 when it was not.
void WritePdfSourceRecord(CArchive& ar, const CPdfSource& source,
                          const std::function<LONG(LONG, const QByteArray&)>& storedIndex);
// Reads a payload (the record's own archive); raises an archive exception when it is damaged.
void ReadPdfSourceRecord(CArchive& ar, CPdfSource& source);

// The object of `doc` a field entry stands for (by page and name), or null.
CTranspBaseClass* FindPdfFieldObject(const CLumidorDoc& doc, const PdfSourceField& field);
// After loading: gives the objects of the fields their names and maximum lengths back.
void ApplyPdfSourceToObjects(const CLumidorDoc& doc, const CPdfSource& source);
