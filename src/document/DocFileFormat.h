#pragma once
// The binary layouts of the document file: the 48-byte header at offset 0, the kinds of the
// records that follow it, and the 40-byte header of the page-image record. Each layout is declared
// once and read and written field by field in little-endian order through the archive.
//
//   header            48 bytes (below)
//   records           int32 kind, int32 L, L bytes (kind 0 alone ends the stream)
//
// The same layout serves documents, templates, drafts and exchange files; which of them a file is
// follows from its extension alone.

#include "platform/Archive.h"
#include "platform/WinTypes.h"

#include <QString>
#include <cstddef>

// Kinds of the document's own records; 1 to 6, 9, 10, 16, 17 and 18 are annotation objects.
enum : LONG {
    DOCKIND_END = 0,
    DOCKIND_IMAGES = 8,
    DOCKIND_ERASE_PAGE0 = 11, // the erase list of page 0 without a page index: read only
    DOCKIND_ERASE = 12,
};

// Format versions: 6 is written; 3 to 6 hold the record stream, 2 the archived text boxes. 0, 1
// and 7 to 9 are no format this program knows; 10 and above come from a newer program.
enum : LONG {
    DOC_VERSION = 6,
    DOC_VERSION_OLDEST_STREAM = 3,
    DOC_VERSION_TEXTBOXES = 2,
    DOC_VERSION_NEWER = 10,
};

// Storage versions of the page-image record: 1 links one image file by its path (versions before
// 6), 2 holds every page's image as a PNG file.
enum : LONG { IMAGE_STORAGE_LINKED = 1, IMAGE_STORAGE_PNG = 2 };

struct _DOCFILEHEADER {
    char szTag[4] = {'L', 'M', 'D', '\0'}; // only the first three are compared on reading
    LONG nVersion = DOC_VERSION;
    double dUnitScale = 0.00001; // inches per text unit
    LONG nOriginX = 0;           // text units
    LONG nOriginY = 0;
    LONG nImageX = 0; // version 2: the image position; 0 since
    LONG nImageY = 0;
    LONG nOriginFlag = 0;
    LONG nPageCount = 1; // a reader takes 0 as 1
    BYTE reserved[8] = {};
};
static_assert(sizeof(_DOCFILEHEADER) == 48);
static_assert(offsetof(_DOCFILEHEADER, nVersion) == 4 && offsetof(_DOCFILEHEADER, dUnitScale) == 8 &&
              offsetof(_DOCFILEHEADER, nOriginX) == 16 && offsetof(_DOCFILEHEADER, nOriginY) == 20 &&
              offsetof(_DOCFILEHEADER, nImageX) == 24 && offsetof(_DOCFILEHEADER, nImageY) == 28 &&
              offsetof(_DOCFILEHEADER, nOriginFlag) == 32 &&
              offsetof(_DOCFILEHEADER, nPageCount) == 36 && offsetof(_DOCFILEHEADER, reserved) == 40);
constexpr int DOC_HEADER_SIZE = 48;

void WriteDocHeader(CArchive& ar, const _DOCFILEHEADER& h);
// Reads all 48 bytes (a shorter file raises "end of file"); the values are not judged here.
void ReadDocHeader(CArchive& ar, _DOCFILEHEADER& h);
// The first three bytes are "LMD".
bool IsDocTag(const _DOCFILEHEADER& h);

// The header of the page-image record: its length (40) comes first and is distrusted on reading.
struct _IMAGEHEADER {
    LONG nSize = 40;
    LONG nStorageVersion = IMAGE_STORAGE_PNG;
    LONG reserved1[2] = {};
    LONG nPageCount = 0;
    LONG reserved2[5] = {};
};
static_assert(sizeof(_IMAGEHEADER) == 40);
static_assert(offsetof(_IMAGEHEADER, nStorageVersion) == 4 &&
              offsetof(_IMAGEHEADER, nPageCount) == 16);
constexpr LONG IMAGE_HEADER_SIZE = 40;

// Writes the header length and the header.
void WriteImageHeader(CArchive& ar, const _IMAGEHEADER& h);
// Reads the header length and that many bytes; a shorter header leaves the later fields zero, a
// longer one is read as far as known and the rest skipped.
void ReadImageHeader(CArchive& ar, _IMAGEHEADER& h);

// The roles of the extensions, in the order of their resource strings.
enum class DocExtRole { Open, Template, Draft, Exchange, Document };
// The role's extension as the resource module gives it, lower-cased.
QString GetDocExtension(DocExtRole role);
// Whether the lower-cased extension of `path` is the role's (two roles may share one text).
bool HasDocExtension(const QString& path, DocExtRole role);
// The document file family may be written under the extension of `path` (any of the five roles).
bool IsSavableDocPath(const QString& path);
// The document loader reads it: template, draft, exchange or document extension.
bool IsLoadableDocPath(const QString& path);
// Opening makes a document of it: template, draft or document extension.
bool OpensAsDocument(const QString& path);
