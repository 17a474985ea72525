#include "app/LumidorApp.h"

#include "app/LocalResources.h"
#include "app/PrintSetupDialog.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/SingleInstance.h"
#include "app/TipDlg.h"
#include "app/Utils.h"
#include "app/VersionInfo.h"
#include "platform/DataPaths.h"
#include "platform/DialogService.h"
#include "platform/ErrorLog.h"
#include "platform/Guard.h"
#include "platform/GuiDialogService.h"
#include "platform/GuiMessageSink.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "platform/imaging/MyBitmap.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {
CLumidorApp* g_app = nullptr;

struct BatchCommand {
    QString usage;
    CLumidorApp::BatchHandler handler;
    bool needsDisplay = false;
};
std::map<QString, BatchCommand>& BatchCommands() {
    static std::map<QString, BatchCommand> commands;
    return commands;
}

// Batch output is read by scripts: Qt's notes about the session environment stay out of it.
void BatchMessageFilter(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || type == QtInfoMsg || msg.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(msg));
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "Usage: brellin [FILE]\n"
                      "       brellin --version\n");
    for (const auto& [name, cmd] : BatchCommands())
        std::fprintf(out, "       brellin --%s %s\n", qPrintable(name), qPrintable(cmd.usage));
}
} // namespace

CLumidorApp::CLumidorApp(int& argc, char** argv) : m_argc(argc), m_argv(argv) { g_app = this; }

CLumidorApp::~CLumidorApp() {
    if (g_app == this)
        g_app = nullptr;
}

CLumidorApp* CLumidorApp::Instance() { return g_app; }

void CLumidorApp::RegisterBatchCommand(const QString& name, const QString& usage,
                                       BatchHandler handler, bool needsDisplay) {
    BatchCommands()[name] = BatchCommand{usage, std::move(handler), needsDisplay};
}

int CLumidorApp::Run() {
    QStringList args;
    for (int i = 1; i < m_argc; ++i)
        args << QString::fromLocal8Bit(m_argv[i]);
    m_cmdInfo = CCommandLineInfo::Parse(args);

    const bool batch = m_cmdInfo.m_nShellCommand == CCommandLineInfo::Batch;
    if (batch) {
        const auto it = BatchCommands().find(m_cmdInfo.m_strBatchCommand);
        const bool display = it != BatchCommands().end() && it->second.needsDisplay;
        if (display && !qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        else if (display || qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen"); // the others never need a display
        qInstallMessageHandler(BatchMessageFilter);
    }
    m_qapp = std::make_unique<QApplication>(m_argc, m_argv);
    // Numbers in files, settings and the C library's conversions are read and written with a
    // decimal point whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    InitProgramIdentity();

    if (batch) {
        SetMessageSink(std::make_shared<CStderrMessageSink>());
        SetDialogService(std::make_shared<CBatchDialogService>());
        return RunBatch();
    }
    SetMessageSink(std::make_shared<CGuiMessageSink>());
    SetDialogService(std::make_shared<CGuiDialogService>());
    if (!InitInstance())
        return m_nExitCode;
    const int rc = m_qapp->exec();
    const int exitRc = ExitInstance();
    return rc != 0 ? rc : exitRc;
}

bool CLumidorApp::LoadModule() {
    const QString path = GetProgramDataDir() + QStringLiteral("/Brellin.eng");
    const bool loaded = LoadResourceModule(path);
    // The translation file replaces the module's texts from here on, the strings at once and the
    // menus and dialogs as they are built.
    CLocalResources& translation = CLocalResources::Instance();
    translation.LoadFile(CLocalResources::FindTranslationFile());
    translation.InstallStringHook();
    m_strVersion = GetVersionString();
    m_strDisplayName = kProductName + QLatin1Char(' ') + m_strVersion;
    if (!loaded) {
        FatalStartupMessage(kNoResourceModuleText);
        m_nExitCode = 1;
        return false;
    }
    return true;
}

void CLumidorApp::FatalStartupMessage(const QString& text) {
    // Said on stderr too, for whoever started the program from a script or a terminal; where no
    // screen can show a box (the offscreen platform), nobody could click it away.
    std::fprintf(stderr, "%s\n", qPrintable(text));
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        PlainMessageBox(text, kProductName);
}

void CLumidorApp::InitProfile() {
    Profile().SetRegistryKey(QStringLiteral("Quillmere"));
    Profile().SetProfileName(GetProfileNameForVersion(m_strVersion));
    SetMessageCaption(m_strDisplayName);
    // No display name for Qt to append to every window title: the main window's title already
    // names the program, and the document windows' titles follow it.
}

int CLumidorApp::RunBatch() {
    DEF_TRY
    const QString cmd = m_cmdInfo.m_strBatchCommand;
    if (cmd == QStringLiteral("help")) {
        PrintUsage(stdout);
        return 0;
    }
    if (!LoadModule())
        return m_nExitCode;
    InitProfile();
    if (cmd == QStringLiteral("version")) {
        std::printf("%s\n", qPrintable(m_strDisplayName));
        return 0;
    }
    const auto it = BatchCommands().find(cmd);
    if (it == BatchCommands().end()) {
        std::fprintf(stderr, "brellin: unknown option --%s\n", qPrintable(cmd));
        PrintUsage(stderr);
        return 2;
    }
    return it->second.handler(m_cmdInfo.m_batchArgs);
    DEF_CATCH
    return 1;
}

bool CLumidorApp::InitInstance() {
    DEF_TRY
    // 2. One copy per user, unless a file is to be opened.
    if (m_cmdInfo.m_nShellCommand != CCommandLineInfo::FileOpen) {
        m_single = std::make_unique<CSingleInstance>(kProductName);
        switch (m_single->Acquire()) {
        case CSingleInstance::Result::Other:
            m_single->ActivateFirst();
            m_nExitCode = 0;
            return false;
        case CSingleInstance::Result::Failed:
            WriteLog(QStringLiteral("CreateMutex error: %1").arg(errno));
            m_single.reset();
            break;
        case CSingleInstance::Result::First:
            break;
        }
    }
    // 3-4. The resource module and the version string.
    if (!LoadModule())
        return false;
    // 5. Settings under the company key and the profile name.
    InitProfile();
    // 6. First-launch reset.
    FirstLaunchReset();
    // 7. The recent-file list.
    m_recentFiles.ReadList();
    // 8. The saved printer, or the default one.
    m_savedPrinter = LoadSavedPrinter();
    UpdatePrinterSettings();
    // 10. A fresh error log.
    DeleteLog();
    WriteLog(QStringLiteral("Start application"));
    // 11. The main window.
    if (!m_frameFactory || !(m_pMainWnd = m_frameFactory())) {
        m_nExitCode = 1;
        return false;
    }
    m_pMainWnd->setWindowTitle(m_strDisplayName);
    // 13. The shell command: an image file becomes an untitled document, a new-file command an
    // empty auto-created document when the options ask for one.
    const FrameOptions options = LoadFrameOptions();
    const CCommandLineInfo parsed = m_cmdInfo;
    CCommandLineInfo cmd = m_cmdInfo;
    if (cmd.m_nShellCommand == CCommandLineInfo::FileNew) {
        cmd.m_nShellCommand = CCommandLineInfo::FileNothing;
        if (options[OPT_EMPTY_DOC_AT_START])
            CreateEmptyDoc(TRUE);
    } else if (cmd.m_nShellCommand == CCommandLineInfo::FileOpen &&
               IsImageFormatSupported(cmd.m_strFileName)) {
        cmd.m_nShellCommand = CCommandLineInfo::FileNothing;
        CreateDocFromImage(cmd.m_strFileName, false);
    }
    // 14.
    if (!ProcessShellCommand(cmd)) {
        m_nExitCode = 1;
        return false;
    }
    m_pMainWnd->show();
    UpdatePrinterSettings();
    // 15. The sample templates, only when no file was named.
    if (parsed.m_nShellCommand != CCommandLineInfo::FileOpen && options[OPT_TEMPLATES_AT_START]) {
        CreateDocFromTemplate(GetTemplateDir() + QStringLiteral("/Voice.brf"));
        CreateDocFromTemplate(GetTemplateDir() + QStringLiteral("/Photo.brf"));
    }
    // ... and then the multiple capture, once the window has shown.
    if (parsed.m_nShellCommand != CCommandLineInfo::FileOpen && LoadCaptureOptions()[8] && m_startUpCapture)
        QTimer::singleShot(0, m_pMainWnd, m_startUpCapture);
    // 16. Later copies may now raise this window; the tip of the day follows once the window is up.
    if (m_single)
        m_single->Listen(m_pMainWnd);
    QTimer::singleShot(0, m_pMainWnd, [] { ShowTipAtStartup(); });
    return true;
    DEF_CATCH
    m_nExitCode = 1;
    return false;
}

void CLumidorApp::AddToRecentFileList(const QString& path) {
    DEF_TRY
    if (m_pMainWnd) m_recentFiles.Add(path);
    DEF_CATCH
}

int CLumidorApp::ExitInstance() {
    DEF_TRY
    StoreSavedPrinter(m_savedPrinter);
    Profile().Sync();
    DEF_CATCH
    return 0;
}

bool CLumidorApp::ProcessShellCommand(const CCommandLineInfo& info) {
    DEF_TRY
    if (info.m_nShellCommand != CCommandLineInfo::FileOpen)
        return true;
    return OpenDocumentFile(info.m_strFileName, 0) != nullptr;
    DEF_CATCH
    return false;
}

CLumidorDoc* CLumidorApp::OpenDocumentFile(const QString& path, int copyFlag) {
    DEF_TRY
    if (!m_pDocManager) {
        ErrorBox(LoadResString(IDS_CANNOT_OPEN_DOC).arg(path));
        return nullptr;
    }
    QString target = path;
    if (copyFlag == 1) {
        // The caller's file is never held open: a copy is opened instead.
        target = GetTempDirPath() + QStringLiteral("TempTKD.tkd");
        QFile::remove(target);
        if (!QFile::copy(path, target))
            return nullptr;
    }
    CLumidorDoc* doc = m_pDocManager->OpenDocumentFile(target);
    DeleteAutoCreatedDocs();
    return doc;
    DEF_CATCH
    return nullptr;
}

void CLumidorApp::CreateDocFromTemplate(const QString& path) {
    DEF_TRY
    m_newDocSource = NewDocSource{};
    m_newDocSource.nKind = NDS_TEMPLATE;
    m_newDocSource.strTemplatePath = path;
    if (m_pDocManager)
        m_pDocManager->RunNewDocumentPath();
    DeleteAutoCreatedDocs();
    DEF_CATCH
}

void CLumidorApp::CreateDocFromImage(const QString& path, bool detached) {
    DEF_TRY
    if (ExtractFileExt(path).toLower() == QStringLiteral("emf")) {
        CreateDocFromEMF(path);
        return;
    }
    m_newDocSource = NewDocSource{};
    m_newDocSource.nKind = detached ? NDS_IMAGE_FILE_DETACHED : NDS_IMAGE_FILE;
    m_newDocSource.strImagePath = path;
    if (m_pDocManager)
        m_pDocManager->RunNewDocumentPath();
    DeleteAutoCreatedDocs();
    DEF_CATCH
}

void CLumidorApp::CreateDocFromEMF(const QString& path) {
    DEF_TRY
    LMyBitmap bitmap;
    const int rc = LMyBitmap::LoadEMF(bitmap, path);
    if (rc != SUCCESS) {
        if (rc != ERROR_USER_ABORT)
            ErrorBox(GetImagingErrorText(rc));
        return;
    }
    CreateDocFromBitmap(&bitmap, nullptr);
    DEF_CATCH
}

void CLumidorApp::CreateDocFromBitmap(LBitmapBase* pBitmap, const POINT* pPos) {
    DEF_TRY
    // The title and page name were set by the caller for this request.
    m_newDocSource.nKind = NDS_BITMAP;
    m_newDocSource.pBitmap = pBitmap;
    m_newDocSource.ptImagePos = pPos ? *pPos : POINT{};
    if (m_pDocManager)
        m_pDocManager->RunNewDocumentPath();
    // Nothing of this request may reach the next document.
    m_newDocSource = NewDocSource{};
    DeleteAutoCreatedDocs();
    DEF_CATCH
    m_newDocSource = NewDocSource{};
}

void CLumidorApp::CreateDocFromBitmapList(LBitmapList* pList, const QString* pTitle) {
    DEF_TRY
    m_newDocSource = NewDocSource{};
    m_newDocSource.nKind = NDS_BITMAP_LIST;
    m_newDocSource.pBitmapList = pList;
    m_newDocSource.pListTitle = pTitle;
    if (m_pDocManager)
        m_pDocManager->RunNewDocumentPath();
    m_newDocSource.pListTitle = nullptr;
    m_newDocSource.pBitmapList = nullptr;
    DeleteAutoCreatedDocs();
    DEF_CATCH
    m_newDocSource = NewDocSource{};
}

void CLumidorApp::CreateEmptyDoc(BOOL autoCreated) {
    DEF_TRY
    m_newDocSource = NewDocSource{};
    m_newDocSource.nKind = NDS_EMPTY;
    m_newDocSource.bAutoCreated = autoCreated;
    if (m_pDocManager)
        m_pDocManager->RunNewDocumentPath();
    if (!autoCreated)
        DeleteAutoCreatedDocs();
    DEF_CATCH
}

void CLumidorApp::DeleteAutoCreatedDocs() {
    DEF_TRY
    if (m_pDocManager)
        m_pDocManager->DeleteAutoCreatedDocs();
    DEF_CATCH
}

void CLumidorApp::GetDocumentsList(QList<CLumidorDoc*>& list) const {
    DEF_TRY
    if (m_pDocManager)
        m_pDocManager->GetDocumentsList(list);
    DEF_CATCH
}

QString CLumidorApp::GetTemplateDir() const {
    DEF_TRY
    return GetProgramDataDir() + QStringLiteral("/Templates");
    DEF_CATCH
    return {};
}

void CLumidorApp::UpdatePrinterSettings() {
    DEF_TRY
    const QPrinterInfo info = ResolvePrinter(m_savedPrinter);
    if (info.isNull()) {
        m_printer = NoPrinterMetrics();
    } else {
        QPrinter printer(QPrinter::HighResolution);
        ConfigurePrinter(printer, info, m_savedPrinter);
        m_printer = ComputePrinterMetrics(printer);
    }
    DEF_CATCH
}

bool CLumidorApp::OnFilePrintSetup() {
    DEF_TRY
    CPrintSetupDialog dlg;
    const QPrinterInfo info = ResolvePrinter(m_savedPrinter);
    dlg.m_strPrinter = info.printerName();
    if (SavedPrinterName(m_savedPrinter) == dlg.m_strPrinter)
        DevModeFromBytes(m_savedPrinter.devMode, dlg.m_devMode);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        ErrorBox(IDS_PRINT_NO_CONTEXT);
        return false;
    }
    if (dlg.DoModal() != IDOK)
        return false;
    m_savedPrinter.devNames = dlg.m_strPrinter.toUtf8();
    m_savedPrinter.devMode = DevModeToBytes(dlg.m_devMode);
    StoreSavedPrinter(m_savedPrinter);
    UpdatePrinterSettings();
    return true;
    DEF_CATCH
    return false;
}
