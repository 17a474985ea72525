#include "document/DocFileFormat.h"

#include "app/Resource.h"
#include "app/Utils.h"
#include "platform/ResourceModule.h"

#include <algorithm>

void WriteDocHeader(CArchive& ar, const _DOCFILEHEADER& h) {
    ar.Write(h.szTag, 4);
    ar << h.nVersion << h.dUnitScale << h.nOriginX << h.nOriginY << h.nImageX << h.nImageY
       << h.nOriginFlag << h.nPageCount;
    ar.Write(h.reserved, sizeof h.reserved);
}

void ReadDocHeader(CArchive& ar, _DOCFILEHEADER& h) {
    ar.ReadExact(h.szTag, 4);
    ar >> h.nVersion >> h.dUnitScale >> h.nOriginX >> h.nOriginY >> h.nImageX >> h.nImageY >>
        h.nOriginFlag >> h.nPageCount;
    ar.ReadExact(h.reserved, sizeof h.reserved);
}

bool IsDocTag(const _DOCFILEHEADER& h) {
    return h.szTag[0] == 'L' && h.szTag[1] == 'M' && h.szTag[2] == 'D';
}

void WriteImageHeader(CArchive& ar, const _IMAGEHEADER& h) {
    ar << IMAGE_HEADER_SIZE;
    ar << h.nSize << h.nStorageVersion << h.reserved1[0] << h.reserved1[1] << h.nPageCount;
    for (LONG v : h.reserved2)
        ar << v;
}

void ReadImageHeader(CArchive& ar, _IMAGEHEADER& h) {
    LONG nLength = 0;
    ar >> nLength;
    // The stored length decides how much is header; what it claims must be there.
    const QByteArray bytes = ar.ReadBytes(nLength);
    LONG fields[IMAGE_HEADER_SIZE / 4] = {};
    const int nKnown = int(std::min<qsizetype>(bytes.size(), IMAGE_HEADER_SIZE) / 4);
    for (int i = 0; i < nKnown; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + 4 * i;
        fields[i] = LONG(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                         (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24));
    }
    h = _IMAGEHEADER{};
    h.nSize = fields[0];
    h.nStorageVersion = fields[1];
    h.reserved1[0] = fields[2];
    h.reserved1[1] = fields[3];
    h.nPageCount = fields[4];
    for (int i = 0; i < 5; ++i)
        h.reserved2[i] = fields[5 + i];
}

QString GetDocExtension(DocExtRole role) {
    static const struct {
        UINT id;
        const char* fallback;
    } kExt[] = {{IDS_EXT_OPEN, "brf"},
                {IDS_EXT_TEMPLATE, "tkd"},
                {IDS_EXT_DRAFT, "brd"},
                {IDS_EXT_EXCHANGE, "tkx"},
                {IDS_EXT_DOCUMENT, "brf"}};
    const auto& e = kExt[int(role)];
    const QString text = LoadResString(e.id).trimmed().toLower();
    // Without the resource module an empty text would make every file without an extension one
    // of the family: the program's own texts stand in.
    return text.isEmpty() ? QString::fromLatin1(e.fallback) : text;
}

bool HasDocExtension(const QString& path, DocExtRole role) {
    return ExtractFileExt(path).toLower() == GetDocExtension(role);
}

bool IsSavableDocPath(const QString& path) {
    return HasDocExtension(path, DocExtRole::Open) || IsLoadableDocPath(path);
}

bool IsLoadableDocPath(const QString& path) {
    return HasDocExtension(path, DocExtRole::Template) || HasDocExtension(path, DocExtRole::Draft) ||
           HasDocExtension(path, DocExtRole::Exchange) ||
           HasDocExtension(path, DocExtRole::Document);
}

bool OpensAsDocument(const QString& path) {
    return HasDocExtension(path, DocExtRole::Template) || HasDocExtension(path, DocExtRole::Draft) ||
           HasDocExtension(path, DocExtRole::Document);
}
