#pragma once
// What the document file tests share: the resource module (the extensions and messages are its
// strings), hand-built little-endian bytes, the sample document of every object kind that the
// committed sample files were made from, the byte-by-byte version-2 and version-5 files, a
// comparison of whole documents, and a splitter that takes the PNG payloads out of a file so that
// the rest can be compared byte for byte.

#include "DocTestSupport.h"
#include "TestSupport.h"
#include "document/DocFile.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "objects/ObjectBytes.h"
#include "platform/imaging/BitmapBase.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <vector>

namespace filetest {

// Loads the resource module once per test program.
void LoadModule();

// tests/data/document
QString SampleDir();
QString SamplePath(const QString& name);

QByteArray ReadFileBytes(const QString& path);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

// The 48-byte document header, the start of a hand-built file.
Bytes DocHeader(std::int32_t version, std::int32_t pageCount, std::int32_t imageX = 0,
                std::int32_t imageY = 0, double unitScale = 0.00001);

// A small bitmap with a pattern, so that its PNG is more than a few bytes.
LBitmapBase PatternBitmap(int w, int h, int bpp, int dpi);

// Three pages: a 1-bit, an 8-bit grey and a 24-bit image, every stored object kind, form fields,
// an empty text that is not stored, erase lists on pages 0 and 2, page names.
void BuildSampleDocument(CLumidorDoc& doc);

// Version 2, hand-built: the header (image position words 50000, 30000), the image name, and the
// archived text boxes: a text of two lines, a check box, a box of only the placeholder, a structure
// section of 96 bytes, a marker that is ignored and a null object.
QByteArray BuildVersion2File(const QByteArray& imageName);
// Version 5, hand-built: a page-image record of storage version 1 linking `linkedPath`, a text
// and a rectangle.
QByteArray BuildVersion5File(const QByteArray& linkedPath);

// Whole documents alike: the JSON description, and every page image pixel for pixel with its
// depth and resolution.
void ExpectSameDocuments(const CLumidorDoc& a, const CLumidorDoc& b);

// A document file split into the PNG payloads of its page-image record and everything else, with
// the record's L and each payload's length left out; false when the file does not parse.
struct FileParts {
    QByteArray rest;
    std::vector<QByteArray> png;
};
bool SplitImagePayloads(const QByteArray& file, FileParts& parts);

// Kinds of the records of a file's stream in order (object records included), with the page
// index of every erase-list record.
struct StreamRecord {
    std::int32_t kind = 0;
    std::int32_t page = -1; // kind 12 only
};
std::vector<StreamRecord> ListRecords(const QByteArray& file);

// A fresh document loaded from `path` with OnOpenDocument.
bool OpenDoc(CLumidorDoc& doc, const QString& path);

} // namespace filetest
