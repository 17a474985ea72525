#pragma once
// CDocManager: the open documents of the program and the ways they come and go. It plays the
// windowing toolkit's document template: it owns every open document, runs the new-document path
// (which ends in CLumidorDoc::OnNewDocument reading the application's request), opens document
// files, and closes documents. The frame gives it a window factory so that every new document gets
// its window without the document layer knowing the frame.

#include "app/LumidorApp.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CLumidorDoc;

class CDocManager : public QObject, public IDocumentManager {
    Q_OBJECT
public:
    CDocManager();
    ~CDocManager() override;

    CLumidorDoc* OpenDocumentFile(const QString& path) override;
    CLumidorDoc* RunNewDocumentPath() override;
    void DeleteAutoCreatedDocs() override;
    void GetDocumentsList(QList<CLumidorDoc*>& list) const override;

    // Closes the document without asking (the caller has asked SaveModified where it should).
    // False when the manager does not hold it.
    bool CloseDocument(CLumidorDoc* pDoc);
    // Asks every document whether it may close (SaveModified) and closes those that may; true
    // when none is left open.
    bool CloseAllDocuments();
    int GetDocumentCount() const { return int(m_docs.size()); }
    // The open document whose path is `path`; null when none.
    CLumidorDoc* FindDocument(const QString& path) const;
    // Takes over a document made elsewhere (a restored recovery copy) and gives it its window.
    CLumidorDoc* AdoptDocument(std::unique_ptr<CLumidorDoc> doc);

    // Called for every document added, after it is complete; the frame opens its window.
    using WindowFactory = std::function<void(CLumidorDoc*)>;
    void SetWindowFactory(WindowFactory factory) { m_windowFactory = std::move(factory); }
    // The title of a new untitled document; without one the manager counts "1", "2", ...
    using NameProvider = std::function<QString()>;
    void SetNextDocNameProvider(NameProvider provider) { m_nameProvider = std::move(provider); }

Q_SIGNALS:
    void documentAdded(CLumidorDoc* pDoc);
    // Sent before the document is destroyed.
    void documentRemoved(CLumidorDoc* pDoc);

private:
    CLumidorDoc* AddDocument(std::unique_ptr<CLumidorDoc> doc);
    QString NextDocName();

    std::vector<std::unique_ptr<CLumidorDoc>> m_docs;
    WindowFactory m_windowFactory;
    NameProvider m_nameProvider;
    int m_nUntitledCount = 0;
};
