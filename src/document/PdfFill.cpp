#include "document/PdfFill.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "app/LumidorApp.h"
#include "app/PdfPasswordDialog.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocumentBatch.h"
#include "document/LumidorDoc.h"
#include "document/PdfImportData.h"
#include "document/PdfSource.h"
#include "document/PdfWriter.h"
#include "objects/TranspCheckMark.h"
#include "objects/TranspText.h"
#include "platform/CodePage.h"
#include "platform/DC.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <set>

namespace {

constexpr int kVectorResolution = 720;

bool SamePath(const QString& a, const QString& b) {
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

// The objects of a page that stand for no widget of the form: what the user added.
std::vector<const CTranspBaseClass*> AddedObjects(const CLumidorDoc& doc, int nPage) {
    std::set<QByteArray> fieldNames;
    for (const PdfSourceField& f : doc.m_pPdfSource->fields)
        if (f.nPage == nPage)
            fieldNames.insert(f.strObjectName);
    std::vector<const CTranspBaseClass*> out;
    if (const CObjectList* list = doc.GetObjectsList(nPage))
        for (const auto& p : *list)
            if (!fieldNames.count(p->GetObjectName()) && !p->IsEmpty())
                out.push_back(p.get());
    return out;
}

// The added objects of the pages that have any, one PDF page each at the page image's size.
bool DrawAddedObjects(const CLumidorDoc& doc, const std::vector<int>& pages, QByteArray& out) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kVectorResolution);
    writer.setCreator(QStringLiteral("Brellin"));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const int nPage = pages[i];
        const _PAGEINFO* info = doc.GetPageInfo(nPage);
        const POINT res = doc.GetPageResolution(nPage);
        if (!info || !info->m_Bitmap.IsAllocated() || res.x <= 0 || res.y <= 0)
            return false;
        const QSizeF points(info->m_Bitmap.GetWidth() * 72.0 / res.x,
                            info->m_Bitmap.GetHeight() * 72.0 / res.y);
        writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        if (i == 0) {
            if (!painter.begin(&writer))
                return false;
        } else if (!writer.newPage()) {
            return false;
        }
        painter.save();
        painter.scale(double(kVectorResolution) / res.x, double(kVectorResolution) / res.y);
        // Objects lie on the canvas; the PDF page is the image, wherever the frame put it.
        const POINT pos = doc.UnitToPagePixels(nPage, info->m_ptImagePos);
        painter.translate(-pos.x, -pos.y);
        {
            CDC dc(&painter);
            dc.SetLogPixelsOverride(res.x, res.y);
            for (const CTranspBaseClass* o : AddedObjects(doc, nPage))
                const_cast<CTranspBaseClass*>(o)->Draw(&dc, TRUE, &res);
        }
        painter.restore();
    }
    painter.end();
    return true;
}

// The k-th widget of the named field on the page, and the field it belongs to.
bool FindWidget(QPDFAcroFormDocumentHelper& form, QPDFPageObjectHelper& page,
                const PdfSourceField& entry, QPDFAnnotationObjectHelper& widget,
                QPDFFormFieldObjectHelper& field) {
    const std::string name = entry.strFieldName.toStdString();
    LONG k = 0;
    for (QPDFAnnotationObjectHelper& w : form.getWidgetAnnotationsForPage(page)) {
        QPDFFormFieldObjectHelper f = form.getFieldForAnnotation(w);
        if (f.isNull() || f.getFullyQualifiedName() != name)
            continue;
        if (k++ == entry.nWidget) {
            widget = w;
            field = f;
            return true;
        }
    }
    return false;
}

// The name of a check box's or radio button's "on" appearance.
std::string OnStateOf(QPDFAnnotationObjectHelper& widget) {
    QPDFObjectHandle ap = widget.getAppearanceDictionary();
    if (ap.isDictionary()) {
        QPDFObjectHandle normal = ap.getKey("/N");
        if (normal.isDictionary())
            for (const std::string& key : normal.getKeys())
                if (key != "/Off")
                    return key;
    }
    return "/Yes";
}

QString TextValue(const CTranspText& text) {
    QString value;
    if (!CodePageToUnicode(text.GetText(), text.GetCodePage(), value))
        value = QString::fromLatin1(text.GetText());
    // PDF text fields break lines with a carriage return.
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    return value;
}

} // namespace

PdfSourceState CheckPdfSource(const CLumidorDoc& doc) {
    DEF_TRY
    if (!doc.m_pPdfSource)
        return PdfSourceState::None;
    if (!QFileInfo(doc.m_pPdfSource->strPath).isFile())
        return PdfSourceState::Missing;
    return HashPdfFile(doc.m_pPdfSource->strPath) == doc.m_pPdfSource->sha256 ? PdfSourceState::Ok
                                                                               : PdfSourceState::Changed;
    DEF_CATCH
    return PdfSourceState::Missing;
}

PdfFillResult WriteFilledPdf(const CLumidorDoc& doc, const QString& path, const QByteArray& password,
                             QString* error) {
    DEF_TRY
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return PdfFillResult::Failed;
    };
    if (!doc.m_pPdfSource)
        return fail(LoadResString(IDS_FILLPDF_NO_SOURCE).arg(doc.GetTitle()));
    const CPdfSource& source = *doc.m_pPdfSource;
    if (SamePath(path, source.strPath))
        return fail(LoadResString(IDS_FILLPDF_SAME_FILE));
    QFile in(source.strPath);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(FileNameForMessage(source.strPath), in.errorString()));
    const QByteArray original = in.readAll();
    in.close();
    if (QCryptographicHash::hash(original, QCryptographicHash::Sha256) != source.sha256)
        return fail(LoadResString(IDS_FILLPDF_SOURCE_CHANGED).arg(FileNameForMessage(source.strPath)).section(QLatin1Char('\n'), 0, 0));

    // Pages with objects beyond the fields get a vector layer.
    std::vector<int> overlayPages;
    for (int i = 0; i < doc.GetPageCount(); ++i)
        if (!AddedObjects(doc, i).empty())
            overlayPages.push_back(i);
    QByteArray overlay;
    if (!overlayPages.empty() && !DrawAddedObjects(doc, overlayPages, overlay))
        return fail(QStringLiteral("the added objects could not be drawn"));

    QByteArray result;
    try {
        // The layer's objects are copied out of it only when the result is written.
        QPDF layer;
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        try {
            pdf.processMemoryFile("source", original.constData(), std::size_t(original.size()),
                                  password.isEmpty() ? nullptr : password.constData());
        } catch (const QPDFExc& e) {
            if (e.getErrorCode() == qpdf_e_password)
                return PdfFillResult::NeedPassword;
            throw;
        }
        QPDFAcroFormDocumentHelper form(pdf);
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (int(pages.size()) != doc.GetPageCount())
            return fail(QStringLiteral("the document's pages are no longer those of %1")
                            .arg(FileNameForMessage(source.strPath)));

        // Texts and check boxes first; radio buttons turned off before those turned on, so that
        // the one the user ticked is the group's value.
        std::vector<std::pair<QPDFFormFieldObjectHelper, std::string>> radiosOn;
        for (const PdfSourceField& entry : source.fields) {
            if (entry.nPage < 0 || std::size_t(entry.nPage) >= pages.size())
                continue;
            const CTranspBaseClass* object = FindPdfFieldObject(doc, entry);
            if (!object)
                continue;
            QPDFAnnotationObjectHelper widget(QPDFObjectHandle::newNull());
            QPDFFormFieldObjectHelper field;
            if (!FindWidget(form, pages[std::size_t(entry.nPage)], entry, widget, field))
                continue;
            if (const auto* text = dynamic_cast<const CTranspText*>(object)) {
                if (field.isText())
                    field.setV(TextValue(*text).toStdString(), true);
            } else if (const auto* mark = dynamic_cast<const CTranspCheckMark*>(object)) {
                const std::string on = OnStateOf(widget);
                if (field.isCheckbox()) {
                    field.setV(QPDFObjectHandle::newName(mark->m_bChecked ? on : "/Off"), true);
                } else if (field.isRadioButton()) {
                    if (mark->m_bChecked)
                        radiosOn.emplace_back(field, on);
                    else if (field.getValue().isName() && field.getValue().getName() == on)
                        field.setV(QPDFObjectHandle::newName("/Off"), true);
                }
            }
        }
        for (auto& [field, on] : radiosOn)
            field.setV(QPDFObjectHandle::newName(on), true);
        form.generateAppearancesIfNeeded();

        if (!overlayPages.empty()) {
            layer.setSuppressWarnings(true);
            layer.processMemoryFile("objects", overlay.constData(), std::size_t(overlay.size()));
            std::vector<QPDFPageObjectHelper> layerPages = QPDFPageDocumentHelper(layer).getAllPages();
            if (layerPages.size() != overlayPages.size())
                return fail(QStringLiteral("the added objects could not be drawn"));
            for (std::size_t i = 0; i < overlayPages.size(); ++i) {
                QPDFPageObjectHelper& page = pages[std::size_t(overlayPages[i])];
                QPDFObjectHandle fo = pdf.copyForeignObject(layerPages[i].getFormXObjectForPage());
                QPDFObjectHandle resources = page.getAttribute("/Resources", true);
                if (!resources.isDictionary()) {
                    resources = QPDFObjectHandle::newDictionary();
                    page.getObjectHandle().replaceKey("/Resources", resources);
                }
                QPDFObjectHandle xobjects = resources.getKey("/XObject");
                if (!xobjects.isDictionary()) {
                    xobjects = QPDFObjectHandle::newDictionary();
                    resources.replaceKey("/XObject", xobjects);
                }
                int suffix = 0;
                const std::string name = resources.getUniqueResourceName("/BrellinObjects", suffix);
                xobjects.replaceKey(name, fo);
                // Over the page as shown, upright whatever its rotation; the page's own content
                // is bracketed so that a state it leaves behind does not move the layer.
                const std::string place = page.placeFormXObject(
                    fo, name, page.getCropBox().getArrayAsRectangle(), true, true, true);
                page.addPageContents(QPDFObjectHandle::newStream(&pdf, "q\n"), true);
                page.addPageContents(QPDFObjectHandle::newStream(&pdf, "\nQ\nq\n" + place + "\nQ\n"), false);
            }
        }

        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // What the original holds is written through as it is: no stream decoded or recompressed.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.setObjectStreamMode(qpdf_o_preserve);
        writer.write();
        std::shared_ptr<Buffer> bytes = writer.getBufferSharedPointer();
        result = QByteArray(reinterpret_cast<const char*>(bytes->getBuffer()), qsizetype(bytes->getSize()));
    } catch (const std::exception& e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(result) != result.size() || !file.commit())
        return fail(QStringLiteral("%1: %2").arg(FileNameForMessage(path), file.errorString()));
    return PdfFillResult::Ok;
    DEF_CATCH
    if (error)
        *error = QStringLiteral("internal error");
    return PdfFillResult::Failed;
}

void OnFileSaveFilledPdf(CLumidorDoc& doc) {
    DEF_TRY
    const PdfSourceState state = CheckPdfSource(doc);
    if (state == PdfSourceState::None) {
        InformationBox(LoadResString(IDS_FILLPDF_NO_SOURCE).arg(doc.GetTitle()));
        return;
    }
    if (state != PdfSourceState::Ok) {
        const UINT id = state == PdfSourceState::Missing ? IDS_FILLPDF_SOURCE_MISSING : IDS_FILLPDF_SOURCE_CHANGED;
        if (YesNoBox(LoadResString(id).arg(FileNameForMessage(doc.m_pPdfSource->strPath))) == IDYES)
            OnSaveAsPDF(doc);
        return;
    }
    const QFileInfo original(doc.m_pPdfSource->strPath);
    FileDialogRequest request;
    request.title = LoadResString(IDS_FILLPDF_TITLE);
    request.initialDir = original.path();
    request.initialName = original.completeBaseName() + QStringLiteral(" filled.pdf");
    request.filter = QStringLiteral("PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||");
    request.defaultExt = QStringLiteral("pdf");
    request.save = true;
    request.mustExist = false;
    QString path;
    if (!GetDialogService().GetFileName(request, path) || path.isEmpty())
        return;
    QByteArray password;
    for (;;) {
        QString error;
        const PdfFillResult rc = WriteFilledPdf(doc, path, password, &error);
        if (rc == PdfFillResult::Ok)
            return;
        if (rc == PdfFillResult::Failed) {
            ErrorBox(LoadResString(IDS_FILLPDF_FAILED).arg(error));
            return;
        }
        if (!password.isEmpty())
            ErrorBox(IDS_PDF_PASSWORD_WRONG);
        CPdfPasswordDialog dialog;
        dialog.m_strFileName = original.fileName();
        if (dialog.DoModal() != IDOK)
            return;
        password = dialog.m_strPassword.toUtf8();
    }
    DEF_CATCH
}

void RegisterFillPdfCommand(CLumidorDoc& doc, CCommandMap& map) {
    map.On(ID_FILE_SAVE_FILLED_PDF, [&doc] { OnFileSaveFilledPdf(doc); },
           [&doc](CCmdUI& ui) { ui.Enable(doc.m_pPdfSource != nullptr); });
}

int RunFillPdfCommand(const QStringList& args) {
    DEF_TRY
    if (args.size() != 2) {
        std::fprintf(stderr, "Usage: brellin --fill-pdf OUT.pdf IN\n");
        return 2;
    }
    CLumidorDoc doc;
    if (!LoadDocumentForBatch(doc, args[1], nullptr))
        return 1;
    const PdfSourceState state = CheckPdfSource(doc);
    if (state == PdfSourceState::None) {
        ErrorBox(LoadResString(IDS_FILLPDF_NO_SOURCE).arg(FileNameForMessage(args[1])));
        return 1;
    }
    if (state != PdfSourceState::Ok) {
        const UINT id = state == PdfSourceState::Missing ? IDS_FILLPDF_SOURCE_MISSING : IDS_FILLPDF_SOURCE_CHANGED;
        // Without a window there is no question to ask: the first line says what is wrong.
        ErrorBox(LoadResString(id).arg(FileNameForMessage(doc.m_pPdfSource->strPath)).section(QLatin1Char('\n'), 0, 0));
        return 1;
    }
    QString error;
    const PdfFillResult rc = WriteFilledPdf(doc, args[0], {}, &error);
    if (rc == PdfFillResult::NeedPassword) {
        ErrorBox(LoadResString(IDS_PDF_PASSWORD_NEEDED).arg(FileNameForMessage(doc.m_pPdfSource->strPath)));
        return 1;
    }
    if (rc != PdfFillResult::Ok) {
        ErrorBox(LoadResString(IDS_FILLPDF_FAILED).arg(error));
        return 1;
    }
    return 0;
    DEF_CATCH
    return 1;
}

void RegisterPdfFormBatchCommands() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("fill-pdf"), QStringLiteral("OUT.pdf IN"),
                                      RunFillPdfCommand);
    DEF_CATCH
}
