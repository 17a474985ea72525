#include "document/DocManager.h"

#include "document/LumidorDoc.h"
#include "platform/Guard.h"

#include <QFileInfo>
#include <algorithm>

CDocManager::CDocManager() = default;

CDocManager::~CDocManager() {
    // Windows and listeners hear of every document before it goes.
    while (!m_docs.empty())
        CloseDocument(m_docs.back().get());
}

QString CDocManager::NextDocName() {
    if (m_nameProvider)
        return m_nameProvider();
    return QString::number(++m_nUntitledCount);
}

CLumidorDoc* CDocManager::AddDocument(std::unique_ptr<CLumidorDoc> doc) {
    CLumidorDoc* p = doc.get();
    m_docs.push_back(std::move(doc));
    Q_EMIT documentAdded(p);
    if (m_windowFactory)
        m_windowFactory(p);
    return p;
}

CLumidorDoc* CDocManager::FindDocument(const QString& path) const {
    DEF_TRY
    if (path.isEmpty())
        return nullptr;
    // A document's path is kept absolute (SetPathName): only the one asked for needs making so.
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (const auto& d : m_docs)
        if (d->GetPathName() == wanted)
            return d.get();
    DEF_CATCH
    return nullptr;
}

CLumidorDoc* CDocManager::OpenDocumentFile(const QString& path) {
    DEF_TRY
    // A document that is open already is not opened a second time.
    if (CLumidorDoc* open = FindDocument(path))
        return open;
    auto doc = std::make_unique<CLumidorDoc>();
    doc->SetTitle(NextDocName());
    // The document has told the user what went wrong.
    if (!doc->OnOpenDocument(path))
        return nullptr;
    doc->SetPathName(path, TRUE);
    return AddDocument(std::move(doc));
    DEF_CATCH
    return nullptr;
}

CLumidorDoc* CDocManager::AdoptDocument(std::unique_ptr<CLumidorDoc> doc) {
    DEF_TRY
    return doc ? AddDocument(std::move(doc)) : nullptr;
    DEF_CATCH
    return nullptr;
}

CLumidorDoc* CDocManager::RunNewDocumentPath() {
    DEF_TRY
    auto doc = std::make_unique<CLumidorDoc>();
    doc->SetTitle(NextDocName());
    if (!doc->OnNewDocument())
        return nullptr;
    return AddDocument(std::move(doc));
    DEF_CATCH
    return nullptr;
}

void CDocManager::DeleteAutoCreatedDocs() {
    DEF_TRY
    std::vector<CLumidorDoc*> unused;
    for (const auto& d : m_docs)
        if (d->m_bAutoCreated && d->IsEmpty() && !d->IsModified())
            unused.push_back(d.get());
    for (CLumidorDoc* d : unused)
        CloseDocument(d);
    DEF_CATCH
}

void CDocManager::GetDocumentsList(QList<CLumidorDoc*>& list) const {
    DEF_TRY
    for (const auto& d : m_docs)
        list.append(d.get());
    DEF_CATCH
}

bool CDocManager::CloseDocument(CLumidorDoc* pDoc) {
    DEF_TRY
    const auto it = std::find_if(m_docs.begin(), m_docs.end(),
                                 [pDoc](const auto& d) { return d.get() == pDoc; });
    if (it == m_docs.end())
        return false;
    // Out of the list first: whatever the removal sets off finds the document gone.
    std::unique_ptr<CLumidorDoc> doc = std::move(*it);
    m_docs.erase(it);
    Q_EMIT documentRemoved(doc.get());
    doc.reset();
    return true;
    DEF_CATCH
    return false;
}

bool CDocManager::CloseAllDocuments() {
    DEF_TRY
    std::vector<CLumidorDoc*> docs;
    for (const auto& d : m_docs)
        docs.push_back(d.get());
    for (CLumidorDoc* d : docs)
        if (!d->IsModified() || d->SaveModified())
            CloseDocument(d);
    return m_docs.empty();
    DEF_CATCH
    return false;
}
