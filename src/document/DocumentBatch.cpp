#include "document/DocumentBatch.h"

#include "app/LumidorApp.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFile.h"
#include "document/DocFileFormat.h"
#include "document/LumidorDoc.h"
#include "document/PageThumbnail.h"
#include "objects/ObjectFactory.h"
#include "objects/TranspBlock.h"
#include "objects/TranspBrace.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspCircle.h"
#include "objects/TranspEllipse.h"
#include "objects/TranspFreehand.h"
#include "objects/TranspImage.h"
#include "objects/TranspLineEnds.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspSizeArrow.h"
#include "objects/TranspText.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/MyBitmap.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

QString TextFromCodePage(const QByteArray& bytes, UINT codePage) {
    QString text;
    if (CodePageToUnicode(bytes, codePage, text))
        return text;
    // Bytes that are no text of the code page are shown byte for byte rather than dropped.
    return QString::fromLatin1(bytes);
}

QJsonArray Pair(LONG a, LONG b) { return QJsonArray{a, b}; }
QJsonArray Rect(const RECT& r) { return QJsonArray{r.left, r.top, r.right, r.bottom}; }

// The object's class as the program names it, read from the object's own type so that no
// second list of kinds has to be kept beside the factory's.
QString ClassName(const CTranspBaseClass* p) {
    int status = -1;
    const std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(*p).name(), nullptr, nullptr, &status), std::free);
    return status == 0 && name ? QString::fromLatin1(name.get())
                               : QStringLiteral("CTranspBaseClass");
}

QJsonObject TextStyleJson(const TEXTSTYLE& s) {
    QJsonObject o;
    o[QStringLiteral("face")] = QString::fromLatin1(s.lf.lfFaceName, qstrnlen(s.lf.lfFaceName, LF_FACESIZE));
    o[QStringLiteral("lfHeight")] = s.lf.lfHeight;
    o[QStringLiteral("weight")] = s.lf.lfWeight;
    o[QStringLiteral("italic")] = s.lf.lfItalic != 0;
    o[QStringLiteral("underline")] = s.lf.lfUnderline != 0;
    o[QStringLiteral("charSet")] = int(s.lf.lfCharSet);
    o[QStringLiteral("size")] = s.nSize;
    o[QStringLiteral("color")] = qint64(s.crText);
    o[QStringLiteral("stepped")] = s.bStepped != 0;
    o[QStringLiteral("pitch")] = s.nPitch;
    o[QStringLiteral("align")] = s.nAlign;
    o[QStringLiteral("rotation")] = s.nRotation;
    o[QStringLiteral("ruleColor")] = qint64(s.crRule);
    o[QStringLiteral("ruleWidth")] = s.nRuleWidth;
    o[QStringLiteral("annotation")] = s.nAnnotation != 0;
    return o;
}

QJsonObject ObjectJson(const CTranspBaseClass* p) {
    QJsonObject o;
    o[QStringLiteral("kind")] = GetStoredKind(p);
    o[QStringLiteral("class")] = ClassName(p);
    o[QStringLiteral("name")] = TextFromCodePage(p->GetObjectName(), CP_ACP_DEFAULT);
    o[QStringLiteral("page")] = p->m_nPage;
    if (const auto* t = dynamic_cast<const CTranspText*>(p)) {
        o[QStringLiteral("anchor")] = Pair(t->m_x, t->m_y);
        o[QStringLiteral("text")] = TextFromCodePage(t->GetText(), t->GetCodePage());
        o[QStringLiteral("formField")] = t->m_bFormField != 0;
        o[QStringLiteral("empty")] = t->IsEmpty() != 0;
        o[QStringLiteral("style")] = TextStyleJson(t->m_style);
        return o;
    }
    const auto* g = dynamic_cast<const CTranspGraphClass*>(p);
    if (!g)
        return o;
    o[QStringLiteral("rect")] = Rect(g->m_rect);
    o[QStringLiteral("color")] = qint64(g->m_crColor);
    o[QStringLiteral("lineWidth")] = g->m_nLineWidth;
    if (const auto* l = dynamic_cast<const CTranspLineEnds*>(p)) {
        o[QStringLiteral("points")] = QJsonArray{l->m_x1, l->m_y1, l->m_x2, l->m_y2};
    } else if (const auto* s = dynamic_cast<const CTranspSizeArrow*>(p)) {
        o[QStringLiteral("offset")] = s->m_nOffset;
        o[QStringLiteral("horizontal")] = s->m_bHorizontal != 0;
    } else if (const auto* b = dynamic_cast<const CTranspBrace*>(p)) {
        o[QStringLiteral("braceStyle")] = b->m_nBraceStyle;
    } else if (const auto* c = dynamic_cast<const CTranspCircle*>(p)) {
        o[QStringLiteral("center")] = Pair(c->m_cx, c->m_cy);
        o[QStringLiteral("radius")] = c->m_nRadius;
    } else if (const auto* m = dynamic_cast<const CTranspCheckMark*>(p)) {
        o[QStringLiteral("checked")] = m->m_bChecked != 0;
    } else if (const auto* f = dynamic_cast<const CTranspFreehand*>(p)) {
        QJsonArray points;
        for (const POINT& pt : f->GetPoints())
            points.append(Pair(pt.x, pt.y));
        o[QStringLiteral("points")] = points;
    } else if (const auto* i = dynamic_cast<const CTranspImage*>(p)) {
        o[QStringLiteral("transparent")] = i->GetTransparent() != 0;
        const LMyBitmap& bmp = i->GetBitmap();
        o[QStringLiteral("bitmap")] =
            QJsonObject{{QStringLiteral("width"), bmp.GetWidth()},
                        {QStringLiteral("height"), bmp.GetHeight()},
                        {QStringLiteral("bitsPerPixel"), bmp.GetBitsPerPixel()}};
    }
    return o;
}

QJsonObject PageJson(const _PAGEINFO& page) {
    QJsonObject o;
    o[QStringLiteral("name")] = TextFromCodePage(page.m_strPageName, CP_ACP_DEFAULT);
    if (page.m_Bitmap.IsAllocated()) {
        const LMyBitmap& b = page.m_Bitmap;
        o[QStringLiteral("image")] = QJsonObject{{QStringLiteral("width"), b.GetWidth()},
                                                 {QStringLiteral("height"), b.GetHeight()},
                                                 {QStringLiteral("bitsPerPixel"), b.GetBitsPerPixel()},
                                                 {QStringLiteral("dpiX"), b.GetXResolution()},
                                                 {QStringLiteral("dpiY"), b.GetYResolution()}};
    } else {
        o[QStringLiteral("image")] = QJsonValue::Null;
    }
    o[QStringLiteral("imagePos")] = Pair(page.m_ptImagePos.x, page.m_ptImagePos.y);
    o[QStringLiteral("canvas")] = Pair(page.m_nCanvasWidth, page.m_nCanvasHeight);
    o[QStringLiteral("imageModified")] = page.m_bImageModified != 0;
    QJsonArray erase;
    for (const _ERASERECT& e : page.m_EraseList.GetRects())
        erase.append(QJsonObject{{QStringLiteral("rect"), Rect(RECT{e.left, e.top, e.right, e.bottom})},
                                 {QStringLiteral("restore"), e.nRestore != 0}});
    o[QStringLiteral("erase")] = erase;
    QJsonArray fields;
    for (const CTranspBaseClass* f : page.m_FieldObjectsList)
        fields.append(TextFromCodePage(f->GetObjectName(), CP_ACP_DEFAULT));
    o[QStringLiteral("fields")] = fields;
    QJsonArray objects;
    for (const auto& p : page.m_ObjectsList)
        objects.append(ObjectJson(p.get()));
    o[QStringLiteral("objects")] = objects;
    return o;
}

bool ReadHeaderOf(const QString& path, _DOCFILEHEADER& header) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    try {
        CArchive ar(&file, CArchive::load);
        ReadDocHeader(ar, header);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

void PrintLine(std::FILE* out, const QString& text) {
    std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
    std::fflush(out);
}

} // namespace

bool LoadDocumentForBatch(CLumidorDoc& doc, const QString& path,
                          std::optional<_DOCFILEHEADER>* pHeader) {
    DEF_TRY
    if (!QFileInfo(path).isFile()) {
        ErrorBox(LoadResString(IDS_BATCH_CANNOT_OPEN).arg(FileNameForMessage(path)));
        return false;
    }
    if (IsLoadableDocPath(path)) {
        bool bRead = false;
        if (OpensAsDocument(path)) {
            bRead = doc.OnOpenDocument(path);
        } else {
            // An exchange file is never opened as a document; its content is read as the merge
            // would read it into an empty document.
            bRead = ReadDocumentFile(doc, path);
            doc.SetModifiedFlag(FALSE);
        }
        _DOCFILEHEADER header;
        if (bRead && pHeader && ReadHeaderOf(path, header))
            *pHeader = header;
        return bRead;
    }
    if (ExtractFileExt(path).toLower() == QStringLiteral("emf")) {
        LMyBitmap bitmap;
        const int rc = LMyBitmap::LoadEMF(bitmap, path);
        if (rc != SUCCESS) {
            ErrorBox(GetImagingErrorText(rc));
            return false;
        }
        return doc.CreateFromBitmap(bitmap) != FALSE;
    }
    return doc.OnOpenDocument(path) != FALSE;
    DEF_CATCH
    return false;
}

QJsonObject DocumentInfoJson(const CLumidorDoc& doc, const _DOCFILEHEADER* pHeader) {
    QJsonObject o;
    if (pHeader) {
        o[QStringLiteral("format")] =
            QJsonObject{{QStringLiteral("version"), pHeader->nVersion},
                        {QStringLiteral("unitScale"), pHeader->dUnitScale},
                        {QStringLiteral("originX"), pHeader->nOriginX},
                        {QStringLiteral("originY"), pHeader->nOriginY},
                        {QStringLiteral("originFlag"), pHeader->nOriginFlag},
                        {QStringLiteral("pageCount"), pHeader->nPageCount}};
    } else {
        o[QStringLiteral("format")] = QJsonValue::Null;
    }
    o[QStringLiteral("frame")] = doc.m_bFrame != 0;
    o[QStringLiteral("draft")] = doc.m_bDraft != 0;
    QJsonArray pages;
    for (const auto& page : doc.m_PagesList)
        pages.append(PageJson(*page));
    o[QStringLiteral("pages")] = pages;
    return o;
}

int RunInfoCommand(const QStringList& args) {
    DEF_TRY
    if (args.size() != 1) {
        PrintLine(stderr, QStringLiteral("Usage: brellin --info FILE"));
        return 2;
    }
    CLumidorDoc doc;
    std::optional<_DOCFILEHEADER> header;
    if (!LoadDocumentForBatch(doc, args[0], &header))
        return 1;
    const QByteArray json =
        QJsonDocument(DocumentInfoJson(doc, header ? &*header : nullptr)).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    std::fflush(stdout);
    return 0;
    DEF_CATCH
    return 1;
}

int RunSaveAsCommand(const QStringList& args) {
    DEF_TRY
    if (args.size() != 2) {
        PrintLine(stderr, QStringLiteral("Usage: brellin --save-as OUT IN"));
        return 2;
    }
    const QString out = args[0];
    const QString in = args[1];
    // Checked first, so that a name outside the file family writes nothing at all.
    if (!IsSavableDocPath(out)) {
        ErrorBox(LoadResString(IDS_DOC_SAVE_BAD_EXT).arg(FileNameForMessage(out)));
        return 1;
    }
    CLumidorDoc doc;
    if (!LoadDocumentForBatch(doc, in, nullptr))
        return 1;
    return doc.OnSaveDocument(out) ? 0 : 1;
    DEF_CATCH
    return 1;
}

void RegisterDocumentBatchCommands() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("info"), QStringLiteral("FILE"),
                                      RunInfoCommand);
    CLumidorApp::RegisterBatchCommand(QStringLiteral("save-as"), QStringLiteral("OUT IN"),
                                      RunSaveAsCommand);
    CLumidorApp::RegisterBatchCommand(QStringLiteral("thumbnail"), QStringLiteral("IN OUT.png SIZE"),
                                      RunThumbnailCommand);
    DEF_CATCH
}
