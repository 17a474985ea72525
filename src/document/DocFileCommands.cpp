// The save, open, merge and close flows of CLumidorDoc and their file commands. A save writes to a
// temporary file beside the target and renames it over the target only once the whole document is
// written and flushed, so a failed save leaves the previous file, and the document's modified
// state, as they were.

#include "app/LumidorApp.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "document/DocFile.h"
#include "document/DocFileFormat.h"
#include "document/LumidorDoc.h"
#include "document/PdfImport.h"
#include "app/WhatSaveDialog.h"
#include "platform/Archive.h"
#include "platform/DataPaths.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

// A save that was killed between writing its temporary copy and renaming it leaves that copy,
// "NAME.brf.XXXXXX", beside the file. Such a copy is removed at the next save into the folder,
// but only when it is certainly one of ours: the name of a document-family file with the six
// characters the save adds, a document header inside, and older than a minute, so that a save
// running at the same time in another copy of the program keeps its file.
void RemoveStaleSaveTemporaries(const QString& folder) {
    static const QRegularExpression pattern(
        QStringLiteral("^.+\\.[^.]+\\.[A-Za-z0-9]{6}$"));
    const QDateTime oldest = QDateTime::currentDateTimeUtc().addSecs(-60);
    QDirIterator it(folder, {QStringLiteral("*.*.??????")},
                    QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = info.fileName();
        if (!pattern.match(name).hasMatch() || info.isSymLink())
            continue;
        const QString target = name.left(name.size() - 7);
        if (!IsSavableDocPath(target) || info.lastModified().toUTC() > oldest)
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly) || file.read(3) != QByteArrayLiteral("LMD"))
            continue;
        file.close();
        file.remove();
    }
}

// A save dialog; the default extension is added when the name chosen has none.
bool AskSavePath(const QString& defaultExt, const QString& filter, const QString& initialDir,
                 const QString& initialName, QString& path) {
    FileDialogRequest request;
    request.save = true;
    request.mustExist = false;
    request.defaultExt = defaultExt;
    request.filter = filter;
    request.initialDir = initialDir;
    request.initialName = initialName;
    if (!GetDialogService().GetFileName(request, path) || path.isEmpty())
        return false;
    if (!ExtractFileName(path).contains(QLatin1Char('.')))
        path += QLatin1Char('.') + defaultExt;
    return true;
}

QString FilterOf(UINT first) {
    return LoadResString(first) + LoadResString(IDS_FILTER_ALL_FILES);
}

// Where templates are saved: the program's templates folder when it can be written (the build
// tree), otherwise the user's own templates folder.
QString TemplateSaveDir() {
    QString dir;
    if (CLumidorApp* app = CLumidorApp::Instance())
        dir = app->GetTemplateDir();
    if (!dir.isEmpty() && QFileInfo(dir).isDir() && QFileInfo(dir).isWritable())
        return dir;
    dir = GetUserDataDir() + QStringLiteral("/Templates");
    CreateDirectories(dir);
    return dir;
}

// The documents folder of the settings; the user's documents folder + "Brellin Files" when none
// is set.
QString DocumentsFolder() {
    QString defaultDir = GetMyDocumentsPathName();
    if (defaultDir.isEmpty())
        defaultDir = GetUserDataDir();
    defaultDir += QStringLiteral("/Brellin Files");
    QString folder =
        Profile().GetProfileString(kSectionSettings, QStringLiteral("DocumentsPath"), defaultDir);
    if (folder.isEmpty())
        folder = defaultDir;
    CreateDirectories(folder);
    return folder;
}

} // namespace

BOOL CLumidorDoc::OnOpenDocument(const QString& path) {
    DEF_TRY
    // A PDF file's pages become the document's pages and its form's fields its objects.
    if (IsPdfPath(path))
        return OpenPdfDocument(*this, path);
    // 1. Anything but a document, template or draft is an image file.
    if (!OpensAsDocument(path)) {
        if (!OpenImage(path))
            return FALSE;
        UpdateTitle();
        return TRUE;
    }
    // 2. A document is named after its file.
    if (HasDocExtension(path, DocExtRole::Document))
        SetTitle(ExtractFileName(path));
    // 3. The toolkit's open.
    if (!ReadDocumentFile(*this, path)) {
        DeleteContents();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    BigImageMessage();
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::OnSaveDocument(const QString& path) {
    DEF_TRY
    // A name outside the file family is refused without a word, before anything is written.
    if (!IsSavableDocPath(path))
        return FALSE;
    std::vector<BOOL> imageModified;
    for (const auto& page : m_PagesList)
        imageModified.push_back(page->m_bImageModified);
    const auto restore = [&] {
        for (std::size_t i = 0; i < m_PagesList.size() && i < imageModified.size(); ++i)
            m_PagesList[i]->m_bImageModified = imageModified[i];
    };

    RemoveStaleSaveTemporaries(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const CArchiveException e(CArchiveException::genericException, file.errorString());
        ReportSaveLoadException(path, &e, TRUE);
        return FALSE;
    }
    try {
        CArchive ar(&file, CArchive::store);
        Serialize(ar);
        ar.Flush();
        if (!file.commit())
            AfxThrowArchiveException(CArchiveException::genericException, file.errorString());
    } catch (const CDocRefusal& e) {
        file.cancelWriting();
        restore();
        ReportSaveLoadException(path, &e, TRUE);
        return FALSE;
    } catch (const CArchiveException& e) {
        file.cancelWriting();
        restore();
        const CArchiveException reported = ReportableException(e);
        ReportSaveLoadException(path, &reported, TRUE);
        return FALSE;
    } catch (...) {
        file.cancelWriting();
        restore();
        ReportSaveLoadException(path, nullptr, TRUE);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
    DEF_CATCH
    return FALSE;
}

BOOL CLumidorDoc::DoSave(const QString& path, BOOL bReplace) {
    DEF_TRY
    QString target = path;
    if (target.isEmpty() &&
        !AskSavePath(GetDocExtension(DocExtRole::Document), FilterOf(IDS_FILTER_DOCUMENT), {},
                     m_strDocName, target))
        return FALSE;
    if (!OnSaveDocument(target))
        return FALSE;
    if (bReplace) {
        SetPathName(target, TRUE);
        m_bDraft = FALSE;
    }
    return TRUE;
    DEF_CATCH
    return FALSE;
}

void CLumidorDoc::SetPathName(const QString& path, BOOL bAddToMRU) {
    DEF_TRY
    // Only a document file becomes the document's path: a draft or template saved from it
    // leaves the document where it was.
    if (HasDocExtension(path, DocExtRole::Document)) {
        m_strPathName = QFileInfo(path).absoluteFilePath();
        SetTitle(ExtractFileName(path));
        if (bAddToMRU)
            if (CLumidorApp* app = CLumidorApp::Instance()) app->AddToRecentFileList(m_strPathName);
    }
    Q_EMIT titleChanged();
    DEF_CATCH
}

void CLumidorDoc::OnFileSave() {
    DEF_TRY
    if (!m_strPathName.isEmpty())
        OnSaveDocument(m_strPathName);
    else
        OnFileSaveAs();
    DEF_CATCH
}

void CLumidorDoc::OnFileSaveAs() {
    DEF_TRY
    DoSave(QString(), TRUE);
    DEF_CATCH
}

void CLumidorDoc::OnFileSaveAsDraft() {
    DEF_TRY
    QString path;
    if (!AskSavePath(GetDocExtension(DocExtRole::Draft), FilterOf(IDS_FILTER_DRAFT), {},
                     m_strDocName, path))
        return;
    if (!OnSaveDocument(path))
        return;
    SetPathName(path, TRUE);
    m_bDraft = TRUE;
    DEF_CATCH
}

BOOL CLumidorDoc::SaveAsTemplate() {
    DEF_TRY
    if (IsImageAvailable()) {
        CWhatSaveDialog dlg;
        dlg.m_nWhat = m_bSaveWithoutImage ? CWhatSaveDialog::WithoutImage
                                          : CWhatSaveDialog::WithImage;
        if (dlg.DoModal() != IDOK)
            return FALSE;
        m_bSaveWithoutImage = dlg.m_nWhat == CWhatSaveDialog::WithoutImage ? TRUE : FALSE;
    }
    QString path;
    BOOL bSaved = FALSE;
    if (AskSavePath(GetDocExtension(DocExtRole::Template), FilterOf(IDS_FILTER_SAVE_TEMPLATE),
                    TemplateSaveDir(), m_strDocName, path)) {
        const BOOL bWasModified = IsModified();
        m_bSaveAsTemplate = TRUE;
        bSaved = OnSaveDocument(path);
        m_bSaveAsTemplate = FALSE;
        SetModifiedFlag(bWasModified);
    }
    // The choice holds for this template only: the document's own saves keep their images.
    m_bSaveWithoutImage = FALSE;
    return bSaved;
    DEF_CATCH
    m_bSaveAsTemplate = FALSE;
    m_bSaveWithoutImage = FALSE;
    return FALSE;
}

void CLumidorDoc::OnFileSaveAsTemplate() {
    DEF_TRY
    SaveAsTemplate();
    DEF_CATCH
}

void CLumidorDoc::OnFileSaveFields() {
    DEF_TRY
    m_bSaveFields = TRUE;
    SaveAsTemplate();
    m_bSaveFields = FALSE;
    DEF_CATCH
    m_bSaveFields = FALSE;
}

void CLumidorDoc::OnFileImportFromTarnwick() {
    DEF_TRY
    FileDialogRequest request;
    request.mustExist = true;
    request.defaultExt = GetDocExtension(DocExtRole::Exchange);
    request.filter = FilterOf(IDS_FILTER_EXCHANGE);
    QString path;
    if (!GetDialogService().GetFileName(request, path) || path.isEmpty())
        return;
    MergeToDoc(path);
    DEF_CATCH
}

void CLumidorDoc::OnFileExportToTarnwick() {
    DEF_TRY
    QString path;
    if (!AskSavePath(GetDocExtension(DocExtRole::Exchange), FilterOf(IDS_FILTER_EXCHANGE), {},
                     m_strDocName, path))
        return;
    OnSaveDocument(path);
    DEF_CATCH
}

BOOL CLumidorDoc::MergeToDoc(const QString& path) {
    DEF_TRY
    std::size_t nObjectsBefore = 0;
    for (const auto& page : m_PagesList)
        nObjectsBefore += page->m_ObjectsList.size();
    m_bMerging = TRUE;
    const bool bRead = ReadDocumentFile(*this, path);
    m_bMerging = FALSE;
    m_bMergePageByPage = FALSE;
    std::size_t nObjectsAfter = 0;
    for (const auto& page : m_PagesList)
        nObjectsAfter += page->m_ObjectsList.size();
    UpdateAllViews();
    // A failed merge keeps what it read so far, and that is a change too.
    if (bRead || nObjectsAfter != nObjectsBefore)
        SetModifiedFlag(TRUE);
    return bRead ? TRUE : FALSE;
    DEF_CATCH
    m_bMerging = FALSE;
    m_bMergePageByPage = FALSE;
    return FALSE;
}

BOOL CLumidorDoc::SaveModified() {
    DEF_TRY
    if (!IsModified())
        return TRUE;
    if (LoadFrameOptions()[OPT_ASK_BEFORE_CLOSE] != 0) {
        const int answer = QuestionBox(LoadResString(IDS_DOC_SAVE_CHANGES).arg(m_strDocName));
        if (answer == IDCANCEL)
            return FALSE;
        if (answer == IDNO)
            return TRUE;
        return DoSave(QString(), TRUE);
    }
    // Saved without asking, under a name that says when; a folder separator in the document's
    // name would lead somewhere else.
    QString name = m_strDocName;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.replace(QLatin1Char('\\'), QLatin1Char('-'));
    return OnSaveDocument(AutoSaveFileName(DocumentsFolder(), name, QDateTime::currentDateTime()));
    DEF_CATCH
    return FALSE;
}

void CLumidorDoc::ReportSaveLoadException(const QString& path, const CArchiveException* e,
                                          BOOL bSaving) {
    DEF_TRY
    // The program's own refusals have said what was wrong already, or need no word.
    if (e && e->m_cause == CArchiveException::programRefusal)
        return;
    const QString name = FileNameForMessage(path);
    if (!bSaving && e && e->m_cause == CArchiveException::endOfFile) {
        ErrorBox(LoadResString(IDS_DOC_READ_EOF).arg(name));
        return;
    }
    const QString reason = ReasonForMessage(e ? e->Describe() : QStringLiteral("unexpected error"));
    ErrorBox(LoadResString(bSaving ? IDS_DOC_SAVE_FAILED : IDS_DOC_OPEN_FAILED).arg(name, reason));
    DEF_CATCH
}
