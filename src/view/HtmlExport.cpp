#include "view/HtmlExport.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "objects/TranspText.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/ImagingTypes.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QSaveFile>
#include <QUrl>

namespace {

// The top of a text's box in page pixels. With a view the box is measured as it is shown;
// without one the anchor (the bottom of the first line) stands for it.
int TextTop(const CLumidorDoc& doc, int nPage, const CTranspText& text) {
    if (!doc.GetViews().empty()) {
        RECT rc;
        text.GetTextRect(&rc, TRUE);
        text.ViewToPage(rc);
        return int(std::min(rc.top, rc.bottom));
    }
    return int(doc.UnitToPagePixels(nPage, POINT{text.m_x, text.m_y}).y);
}

// Characters that would end the text or start markup are written as entities; every other byte
// stays as the text holds it.
QByteArray EscapeHtml(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

QString ImagesFolder() {
    QString dir = Profile().GetProfileString(kSectionSettings, QStringLiteral("ImagesPath"), {});
    if (dir.isEmpty()) dir = GetMyDocumentsPathName();
    if (dir.isEmpty()) dir = QDir::homePath();
    return dir;
}

} // namespace

HtmlCaption GetHtmlCaption(const CLumidorDoc& doc, int nPage) {
    HtmlCaption caption;
    DEF_TRY
    caption.nBound = int(doc.GetCanvasSize(nPage).cy);
    const CObjectList* objects = doc.GetObjectsList(nPage);
    if (!objects) return caption;
    for (const auto& o : *objects) {
        const auto* text = dynamic_cast<const CTranspText*>(o.get());
        if (!text) continue;
        const int top = TextTop(doc, nPage, *text);
        if (top < caption.nBound) {
            caption.text = text->GetText();
            caption.nBound = top;
        }
    }
    DEF_CATCH
    return caption;
}

QString HtmlPictureName(const QString& file, int nPage) {
    return file.left(file.size() - 5) + QString::number(nPage) + QStringLiteral(".jpg");
}

bool SaveAsHtml(const CLumidorDoc& doc, const QString& file) {
    DEF_TRY
    QByteArray html = "<html><title></title><body>";
    for (int i = 0; i < doc.GetPageCount(); ++i) {
        const HtmlCaption caption = GetHtmlCaption(doc, i);
        const SIZE canvas = doc.GetCanvasSize(i);
        // A caption at the very top would leave no picture: the page is shown whole then.
        const LONG bound = caption.nBound > 0 ? caption.nBound : canvas.cy;
        const QString picture = HtmlPictureName(file, i);
        const int rc = WriteCuttedPageToBitmap(doc, i, picture, RECT{0, 0, canvas.cx, bound});
        if (rc != SUCCESS && rc != ERROR_INV_PARAMETER) {
            QString cause = GetLastImagingIoError();
            if (cause.isEmpty()) cause = ReasonForMessage(GetImagingErrorText(rc));
            ErrorBox(LoadResString(IDS_HTML_WRITE_FAILED).arg(FileNameForMessage(picture), cause));
            return false;
        }
        // A page without canvas has no picture to show.
        if (rc == SUCCESS)
            html += "<img src=\"" + EscapeHtml(ExtractFileName(picture).toUtf8()) + "\">";
        html += "<p>" + EscapeHtml(caption.text) + "</p> ";
    }
    html += "</body></html>";
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(html) != html.size() || !out.commit()) {
        ErrorBox(LoadResString(IDS_HTML_WRITE_FAILED)
                     .arg(FileNameForMessage(file), ReasonForMessage(out.errorString())));
        return false;
    }
    return true;
    DEF_CATCH
    return false;
}

void OnSaveAsHtml(const CLumidorDoc& doc) {
    DEF_TRY
    const QString file = QDir(ImagesFolder()).filePath(QStringLiteral("temp.html"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = SaveAsHtml(doc, file);
    QApplication::restoreOverrideCursor();
    if (ok) QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    DEF_CATCH
}

void RegisterHtmlCommands(CLumidorView& view, CCommandMap& map) {
    map.On(
        ID_FILE_SAVE_AS_HTML,
        [&view] {
            if (const CLumidorDoc* doc = view.GetDocument()) OnSaveAsHtml(*doc);
        },
        [&view](CCmdUI& ui) { ui.Enable(view.GetDocument() != nullptr); });
}
