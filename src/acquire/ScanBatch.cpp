#include "acquire/ScanBatch.h"

#include "acquire/BatchOutput.h"
#include "acquire/SaneScanner.h"
#include "acquire/ScanResource.h"
#include "app/LumidorApp.h"
#include "app/Utils.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"

#include <QMap>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

const char* const kUsage = "[--device NAME] [--source flatbed|adf|NAME] [--mode color|gray|lineart] "
                           "[--resolution DPI] [--pages N|all] OUT";
constexpr int kMaxResolution = 19200;
constexpr int kMaxPages = 10000;

int Usage() {
    std::fprintf(stderr, "Usage: brellin --scan %s\n", kUsage);
    return 2;
}

// The scanner of the command, for Ctrl+C to stop it at once: sane_cancel may be called from a
// signal handler, and the page in progress then ends as cancelled. (A kill is left to its default:
// backends that start reader threads set its action for themselves.)
std::atomic<CSaneScanner*> g_scanner{nullptr};

void StopScan(int) {
    if (CSaneScanner* scanner = g_scanner.load()) scanner->Cancel();
}

// Ctrl+C cancels the scan while it lives.
class CCancelOnSignal {
public:
    explicit CCancelOnSignal(CSaneScanner& scanner) {
        g_scanner = &scanner;
        struct sigaction action {};
        action.sa_handler = StopScan;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_int);
    }
    ~CCancelOnSignal() {
        sigaction(SIGINT, &m_int, nullptr);
        g_scanner = nullptr;
    }
    CCancelOnSignal(const CCancelOnSignal&) = delete;
    CCancelOnSignal& operator=(const CCancelOnSignal&) = delete;

private:
    struct sigaction m_int {};
};

// The page's progress on the terminal, where there is one to watch it.
class CScanProgress {
public:
    CScanProgress() : m_shown(isatty(STDERR_FILENO) != 0) {}
    ~CScanProgress() { EndLine(); }
    CScanProgress(const CScanProgress&) = delete;
    CScanProgress& operator=(const CScanProgress&) = delete;

    bool Report(int page, int percent) {
        if (m_shown && (page != m_page || percent != m_percent)) {
            m_page = page;
            m_percent = percent;
            const QString text = LoadResString(IDS_SCAN_BATCH_PROGRESS).arg(page).arg(percent);
            std::fprintf(stderr, "\r%s", qPrintable(text));
            std::fflush(stderr);
        }
        return true;
    }

    // A page's line ends when the page does, before anything else is said.
    void EndLine() {
        if (m_shown && m_percent >= 0) std::fputc('\n', stderr);
        m_percent = -1;
    }

private:
    bool m_shown;
    int m_page = 0, m_percent = -1;
};

int Fail(const QString& text) {
    if (!text.isEmpty()) ErrorBox(text);
    return 1;
}

int RunScanCommand(const QStringList& args) {
    DEF_TRY
    ScanBatchRequest request;
    ScanSettings settings;
    if (!ParseScanArguments(args, request, settings)) return Usage();
    // Checked before anything is scanned, so that a bad name costs no scan.
    if (!IsBatchOutputPath(request.out))
        return Fail(LoadResString(IDS_SCAN_BATCH_SAVE_FAILED).arg(FileNameForMessage(request.out)));

    CSaneScanner scanner;
    if (scanner.Open(request.device) != SUCCESS) return Fail(scanner.ErrorText());
    if (scanner.Apply(settings) != SUCCESS) return Fail(scanner.ErrorText());
    // A flatbed holds one sheet: "all" is that one.
    const bool untilEmpty = request.pages == 0;
    const int wanted = untilEmpty ? (scanner.IsFeeder() ? kMaxPages : 1) : request.pages;

    CBatchOutput output(request.out, BatchPageKind::WholePage, IDS_SCAN_BATCH_SAVE_FAILED);
    QString failure;
    int scanned = 0;
    {
        CCancelOnSignal cancelOnSignal(scanner);
        CScanProgress progress; // its line ends before any message
        // One page at a time: a TIFF file takes each as it comes, and its memory serves the next.
        LBitmapBase page;
        std::int64_t largest = 0;
        for (int n = 1; n <= wanted; ++n) {
            if (output.HeldBytes() + largest > GetMaxTotalBitmapBytes()) {
                failure = LoadResString(IDS_SCAN_BATCH_TOO_MANY_PAGES).arg(n);
                break;
            }
            const int rc = scanner.ScanPage(page, [&](int percent) { return progress.Report(n, percent); });
            if (rc == CSaneScanner::SCAN_NO_MORE_PAGES && n > 1) break;
            if (rc != SUCCESS) {
                failure = rc == ERROR_USER_ABORT            ? LoadResString(IDS_SCAN_BATCH_CANCELLED)
                          : scanner.ErrorText().isEmpty() ? GetImagingErrorText(rc)
                                                          : scanner.ErrorText();
                break;
            }
            progress.EndLine();
            largest = std::max(largest, page.GetMemorySize());
            if (output.AddPage(page) != 0) {
                scanner.Finish();
                return 1; // said, and nothing left behind
            }
            ++scanned;
        }
        scanner.Finish();
    }
    if (!failure.isEmpty()) return Fail(failure);
    if (!untilEmpty && scanned < wanted)
        WarningBox(LoadResString(IDS_SCAN_BATCH_FEWER_PAGES).arg(scanned).arg(wanted));
    return output.Finish();
    DEF_CATCH
    return 1;
}

} // namespace

bool ParseScanArguments(const QStringList& args, ScanBatchRequest& request, ScanSettings& settings) {
    DEF_TRY
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool option = arg.startsWith(QStringLiteral("--"));
        if (option && i + 1 >= args.size()) return false;
        const QString value = option ? args[++i] : QString();
        bool ok = true;
        if (arg == QStringLiteral("--device")) {
            request.device = value;
        } else if (arg == QStringLiteral("--source")) {
            settings.source = value;
            ok = !value.isEmpty();
        } else if (arg == QStringLiteral("--mode")) {
            static const QMap<QString, ScanMode> modes{{QStringLiteral("color"), ScanMode::Color},
                                                       {QStringLiteral("gray"), ScanMode::Gray},
                                                       {QStringLiteral("lineart"), ScanMode::Lineart}};
            ok = modes.contains(value);
            settings.mode = modes.value(value);
        } else if (arg == QStringLiteral("--resolution")) {
            settings.resolution = value.toInt(&ok);
            ok = ok && settings.resolution >= 1 && settings.resolution <= kMaxResolution;
        } else if (arg == QStringLiteral("--pages")) {
            request.pages = value == QStringLiteral("all") ? 0 : value.toInt(&ok);
            ok = ok && request.pages >= 0 && request.pages <= kMaxPages &&
                 (request.pages > 0 || value == QStringLiteral("all"));
        } else if (option || !request.out.isEmpty() || arg.isEmpty()) {
            return false;
        } else {
            request.out = arg;
        }
        if (!ok) return false;
    }
    return !request.out.isEmpty();
    DEF_CATCH
    return false;
}

void RegisterScanBatchCommand() {
    DEF_TRY
    CLumidorApp::RegisterBatchCommand(QStringLiteral("scan"), QString::fromLatin1(kUsage),
                                      RunScanCommand);
    DEF_CATCH
}
