#include "document/PdfSource.h"

#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "objects/TranspBaseClass.h"
#include "objects/TranspText.h"
#include "platform/Archive.h"
#include "platform/Guard.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>

namespace {
// No form a person fills in has more widgets than this; a count above it is a damaged record.
constexpr LONG kMaxSourceFields = 100000;
} // namespace

QByteArray HashPdfFile(const QString& path) {
    DEF_TRY
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray piece(1 << 16, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(piece.data(), piece.size());
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.addData(QByteArrayView(piece.constData(), n));
    }
    return hash.result();
    DEF_CATCH
    return {};
}

void WritePdfSourceRecord(CArchive& ar, const CPdfSource& source,
                          const std::function<LONG(LONG, const QByteArray&)>& storedIndex) {
    QByteArray payload;
    QBuffer buffer(&payload);
    buffer.open(QIODevice::WriteOnly);
    CArchive out(&buffer, CArchive::store);
    out << LONG(PDF_SOURCE_VERSION);
    WriteString(out, source.strPath.toUtf8());
    WriteString(out, source.sha256);
    out << source.nDpi;
    out << LONG(source.fields.size());
    for (const PdfSourceField& f : source.fields) {
        out << f.nPage;
        WriteString(out, f.strObjectName);
        WriteString(out, f.strFieldName.toUtf8());
        out << f.nKind << f.nWidget << f.nMaxLength << storedIndex(f.nPage, f.strObjectName);
    }
    out.Flush();
    ar << DOCKIND_PDF_SOURCE << LONG(payload.size());
    ar.Write(payload);
}

void ReadPdfSourceRecord(CArchive& ar, CPdfSource& source) {
    CPdfSource read;
    LONG nVersion = 0;
    ar >> nVersion;
    // A later layout keeps this one's fields first; what follows them is not ours to read.
    if (nVersion < 1)
        AfxThrowArchiveException(CArchiveException::badSchema);
    QByteArray bytes;
    ReadString(ar, bytes);
    read.strPath = QString::fromUtf8(bytes);
    ReadString(ar, read.sha256);
    ar >> read.nDpi;
    LONG n = 0;
    ar >> n;
    // Each entry takes at least 28 bytes.
    if (n < 0 || n > kMaxSourceFields)
        AfxThrowArchiveException(CArchiveException::badSchema);
    ar.CheckCount(n, 28);
    read.fields.reserve(std::size_t(n));
    for (LONG i = 0; i < n; ++i) {
        PdfSourceField f;
        ar >> f.nPage;
        ReadString(ar, f.strObjectName);
        ReadString(ar, bytes);
        f.strFieldName = QString::fromUtf8(bytes);
        ar >> f.nKind >> f.nWidget >> f.nMaxLength >> f.nStoredIndex;
        read.fields.push_back(std::move(f));
    }
    source = std::move(read);
}

CTranspBaseClass* FindPdfFieldObject(const CLumidorDoc& doc, const PdfSourceField& field) {
    DEF_TRY
    const CObjectList* list = doc.GetObjectsList(field.nPage);
    if (!list)
        return nullptr;
    for (const auto& p : *list)
        if (p->GetObjectName() == field.strObjectName)
            return p.get();
    return nullptr;
    DEF_CATCH
    return nullptr;
}

void ApplyPdfSourceToObjects(const CLumidorDoc& doc, const CPdfSource& source) {
    DEF_TRY
    for (const PdfSourceField& f : source.fields) {
        const CObjectList* list = doc.GetObjectsList(f.nPage);
        if (!list || f.nStoredIndex < 0 || std::size_t(f.nStoredIndex) >= list->size())
            continue;
        CTranspBaseClass* object = (*list)[std::size_t(f.nStoredIndex)].get();
        object->SetObjectName(f.strObjectName.constData());
        if (auto* text = dynamic_cast<CTranspText*>(object))
            text->m_nMaxLength = f.nMaxLength > 0 ? int(f.nMaxLength) : 0;
    }
    DEF_CATCH
}
