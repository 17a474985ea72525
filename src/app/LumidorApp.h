#pragma once
// The application object: owns the process. It refuses a second copy, loads the resource module,
// prepares the settings, restores the printer, creates the main window, acts on the command line,
// and records every new-document request. Batch commands run without a window.

#include "app/CommandLine.h"
#include "app/NewDocSource.h"
#include "app/PrinterSettings.h"
#include "app/RecentFileList.h"

#include <QList>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QApplication;
class QMainWindow;
class CLumidorDoc;
class CSingleInstance;
class LBitmapBase;
class LBitmapList;

// What the document layer gives the application: the template role of the windowing toolkit.
class IDocumentManager {
public:
    virtual ~IDocumentManager() = default;
    // Opens a document file; null when it cannot be opened (the manager has told the user).
    virtual CLumidorDoc* OpenDocumentFile(const QString& path) = 0;
    // Runs the new-document path, which reads the application's NewDocSource request.
    virtual CLumidorDoc* RunNewDocumentPath() = 0;
    // Closes every auto-created document that is empty and not modified.
    virtual void DeleteAutoCreatedDocs() = 0;
    // Appends every open document, in the order they were opened.
    virtual void GetDocumentsList(QList<CLumidorDoc*>& list) const = 0;
};

class CLumidorApp {
public:
    CLumidorApp(int& argc, char** argv);
    ~CLumidorApp();
    CLumidorApp(const CLumidorApp&) = delete;
    CLumidorApp& operator=(const CLumidorApp&) = delete;

    static CLumidorApp* Instance();

    using FrameFactory = std::function<QMainWindow*()>;
    void SetMainFrameFactory(FrameFactory factory) { m_frameFactory = std::move(factory); }
    void SetDocumentManager(IDocumentManager* manager) { m_pDocManager = manager; }
    // The main window's multiple capture, which start-up runs when capture option 8 asks for it
    // and no file was named.
    void SetStartUpCapture(std::function<void()> capture) { m_startUpCapture = std::move(capture); }

    // A batch command ("--name ARGS"): returns the process exit status. A command that reads
    // the screen runs on the X display where there is one; the others never need a display.
    using BatchHandler = std::function<int(const QStringList& args)>;
    static void RegisterBatchCommand(const QString& name, const QString& usage,
                                     BatchHandler handler, bool needsDisplay = false);

    // Runs the whole program: start-up, message loop, shut-down (or one batch command).
    int Run();

    bool InitInstance();
    int ExitInstance();
    // A message that ends the start-up: on stderr, and in a box where there is a screen.
    static void FatalStartupMessage(const QString& text);

    // Document-creating operations: each records the request, then runs the new-document path.
    CLumidorDoc* OpenDocumentFile(const QString& path, int copyFlag);
    void CreateDocFromTemplate(const QString& path);
    void CreateDocFromImage(const QString& path, bool detached);
    void CreateDocFromEMF(const QString& path);
    // The caller may set m_newDocSource.strTitle and strPageName first; the document takes them
    // over and they are cleared afterwards.
    void CreateDocFromBitmap(LBitmapBase* pBitmap, const POINT* pPos = nullptr);
    void CreateDocFromBitmapList(LBitmapList* pList, const QString* pTitle = nullptr);
    void CreateEmptyDoc(BOOL autoCreated);
    void DeleteAutoCreatedDocs();
    void GetDocumentsList(QList<CLumidorDoc*>& list) const;
    QString GetTemplateDir() const;

    // Refreshes the printer metrics from the chosen printer (the frame then tells the views).
    void UpdatePrinterSettings();
    // Print Setup: the printer and its paper, kept as the application's printer; true on OK.
    bool OnFilePrintSetup();
    // A document file opened or saved by the user; the batch commands keep no list.
    void AddToRecentFileList(const QString& path);

    CRecentFileList m_recentFiles;

    NewDocSource m_newDocSource;
    PrinterMetrics m_printer;
    SavedPrinter m_savedPrinter;
    QString m_strVersion;
    QString m_strDisplayName;
    CCommandLineInfo m_cmdInfo;
    QMainWindow* m_pMainWnd = nullptr;

private:
    int RunBatch();
    bool LoadModule();
    void InitProfile();
    bool ProcessShellCommand(const CCommandLineInfo& info);

    int& m_argc;
    char** m_argv;
    std::unique_ptr<QApplication> m_qapp;
    std::unique_ptr<CSingleInstance> m_single;
    FrameFactory m_frameFactory;
    std::function<void()> m_startUpCapture;
    IDocumentManager* m_pDocManager = nullptr;
    int m_nExitCode = 0;
};

// The text shown when the resource module cannot be loaded.
inline const QString kNoResourceModuleText = QStringLiteral("Can't load LocalRes.dll");
