#include "acquire/MultiTwain.h"

#include "acquire/ScanDialog.h"
#include "acquire/ScanHost.h"
#include "acquire/ScanResource.h"
#include "acquire/ScanWindowResource.h"
#include "app/LumidorApp.h"
#include "document/LumidorDoc.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/WaitCursor.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/MyBitmap.h"
#include "view/LumidorView.h"
#include "view/ViewClipboard.h"
#include "view/ViewUndo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {
// How often the status bar shows how far the page has come.
constexpr int kProgressIntervalMs = 100;
} // namespace

LMultiTwain::LMultiTwain(IScanHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_pProgressTimer(new QTimer(this)) {
    m_pProgressTimer->setInterval(kProgressIntervalMs);
    connect(m_pProgressTimer, &QTimer::timeout, this, [this] {
        if (m_bAcquiring && StatusCallBack(m_nPercent.load()) == ERROR_USER_ABORT) Cancel();
    });
}

LMultiTwain::~LMultiTwain() {
    CloseSession();
}

void LMultiTwain::Select() {
    DEF_TRY
    QList<ScanDevice> devices;
    QString error;
    {
        CWaitCursor wait;
        m_host.ShowStatusMessage(LoadResString(IDS_SCAN_LOOKING));
        const bool ok = CSaneScanner::ListDevices(devices, error);
        m_host.ShowStatusMessage(QString());
        if (!ok) {
            ErrorBox(LoadResString(IDS_SCAN_NO_SANE).arg(error));
            return;
        }
    }
    if (devices.isEmpty()) {
        InformationBox(IDS_SCAN_NO_DEVICE);
        return;
    }
    const QString name =
        RunSelectScannerDialog(m_host.DialogParent(), devices, GetScanDeviceName());
    if (!name.isEmpty()) SetScanDeviceName(name);
    DEF_CATCH
}

bool LMultiTwain::Acquire(int target) {
    DEF_TRY
    if (m_bAcquiring) return false;
    m_nTarget = target;
    QString name = GetScanDeviceName();
    QString label = name;
    {
        CWaitCursor wait;
        // Only without a choice are the devices listed (network backends make that slow): the
        // first one found scans. A chosen one that is gone is said by Open.
        if (name.isEmpty()) {
            QList<ScanDevice> devices;
            QString error;
            if (!CSaneScanner::ListDevices(devices, error)) {
                ErrorBox(LoadResString(IDS_SCAN_NO_SANE).arg(error));
                return false;
            }
            if (devices.isEmpty()) {
                InformationBox(IDS_SCAN_NO_DEVICE);
                return false;
            }
            name = devices.front().name;
            label = devices.front().Label();
        }
        m_pScanner = std::make_unique<CSaneScanner>();
        if (m_pScanner->Open(name) != SUCCESS) {
            const QString text = m_pScanner->ErrorText();
            m_pScanner.reset();
            ErrorBox(text);
            return false;
        }
    }
    CScanDialog dlg(label, m_pScanner->Offer(), ScanChoice::Load(), m_host.DialogParent());
    if (dlg.exec() != QDialog::Accepted) {
        m_pScanner.reset();
        return false;
    }
    const ScanChoice choice = dlg.GetChoice();
    choice.Save();
    if (m_pScanner->Apply(choice.settings) != SUCCESS) {
        const QString text = m_pScanner->ErrorText();
        m_pScanner.reset();
        ErrorBox(text);
        return false;
    }
    const int pages = m_pScanner->IsFeeder() ? choice.pages : 1;
    m_pTargetDoc = target == TargetNewDocument ? nullptr : m_host.GetActiveDocument();
    m_pTargetView = target == TargetPicture ? m_host.GetActiveView() : nullptr;
    m_bTargetGoneTold = false;
    m_nPagesDone = 0;
    m_nPercent = 0;
    m_bCancel = false;
    m_bAcquiring = true;
    qApp->installEventFilter(this);
    m_pProgressTimer->start();
    m_host.ScanStateChanged();
    m_worker = std::thread([this, pages] { ScanPages(pages); });
    return true;
    DEF_CATCH
    m_pScanner.reset();
    return false;
}

void LMultiTwain::ScanPages(int pages) {
    int rc = SUCCESS;
    for (int i = 0; pages == 0 || i < pages; ++i) {
        auto page = std::make_shared<LMyBitmap>();
        m_nPercent = 0;
        rc = m_pScanner->ScanPage(*page, [this](int percent) {
            m_nPercent = percent;
            return !m_bCancel.load();
        });
        if (rc == CSaneScanner::SCAN_NO_MORE_PAGES && i > 0) {
            rc = SUCCESS; // the feeder ran empty after its last page
            break;
        }
        if (rc != SUCCESS) break;
        QMetaObject::invokeMethod(
            this, [this, page] { AcquireCallBack(*page); }, Qt::QueuedConnection);
        if (m_bCancel) {
            rc = ERROR_USER_ABORT;
            break;
        }
    }
    m_pScanner->Finish();
    const QString error = m_pScanner->ErrorText();
    QMetaObject::invokeMethod(
        this, [this, rc, error] { Finished(rc, error); }, Qt::QueuedConnection);
}

void LMultiTwain::Finished(int rc, const QString& error) {
    DEF_TRY
    Join();
    m_pScanner.reset();
    m_bAcquiring = false;
    qApp->removeEventFilter(this);
    m_pProgressTimer->stop();
    m_host.HideProgress();
    m_host.ScanStateChanged();
    if (rc == SUCCESS) {
        m_host.ShowStatusMessage(LoadResString(IDS_SCAN_DONE_STATUS).arg(m_nPagesDone));
    } else if (rc == ERROR_USER_ABORT) {
        m_host.ShowStatusMessage(LoadResString(IDS_SCAN_CANCELLED));
    } else if (rc == CSaneScanner::SCAN_NO_MORE_PAGES) {
        InformationBox(IDS_SANE_FEEDER_EMPTY);
    } else {
        ErrorBox(error.isEmpty() ? GetImagingErrorText(rc) : error);
    }
    DEF_CATCH
}

void LMultiTwain::Join() {
    if (m_worker.joinable()) m_worker.join();
}

void LMultiTwain::Cancel() {
    m_bCancel = true;
    if (m_pScanner) m_pScanner->Cancel();
}

void LMultiTwain::CloseSession() {
    if (!m_worker.joinable()) return;
    Cancel();
    Join();
    m_pScanner.reset();
    if (m_bAcquiring) {
        m_bAcquiring = false;
        qApp->removeEventFilter(this);
    }
}

int LMultiTwain::StatusCallBack(int percent) {
    return LMyBitmap().StatusCallBack(percent);
}

bool LMultiTwain::eventFilter(QObject* watched, QEvent* event) {
    // Escape ends the scan while no dialog of the program has the keyboard.
    if (m_bAcquiring && event->type() == QEvent::KeyPress && !QApplication::activeModalWidget() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void LMultiTwain::PutOnNewDocument(LBitmapBase& bitmap) {
    CLumidorApp* app = CLumidorApp::Instance();
    if (!app) return;
    LBitmapList list;
    list.InsertItem(std::move(bitmap));
    const QString title = m_host.GetNextDocName();
    app->CreateDocFromBitmapList(&list, &title);
    // The rest of this scan follows as further pages.
    m_pTargetDoc = m_host.GetActiveDocument();
}

int LMultiTwain::AcquireCallBack(LBitmapBase& bitmap) {
    DEF_TRY
    if (!bitmap.IsAllocated()) {
        ErrorBox(IDS_SCAN_NO_IMAGE);
        return -1;
    }
    ++m_nPagesDone;
    const bool first = m_nPagesDone == 1;
    // A document or view that closed during the scan: the pages are not lost but open anew.
    if ((m_nTarget == TargetPicture && !m_pTargetView) ||
        (m_nTarget == TargetPageImage && !m_pTargetDoc)) {
        if (!m_bTargetGoneTold) m_host.ShowStatusMessage(LoadResString(IDS_SCAN_TARGET_GONE));
        m_bTargetGoneTold = true;
        m_nTarget = TargetNewDocument;
        m_pTargetDoc = nullptr;
    }
    switch (m_nTarget) {
    case TargetPageImage:
        // The first page replaces the active page's image; a feeder's further pages follow it.
        if (first) {
            // The scanned image is new: it is written when the document is saved.
            if (m_pTargetDoc->LoadDraftImage(bitmap, -1))
                if (_PAGEINFO* page = m_pTargetDoc->GetPageInfo(m_pTargetDoc->GetCurrentPage()))
                    page->m_bImageModified = TRUE;
        } else {
            m_pTargetDoc->AppendWholePage(bitmap);
        }
        break;
    case TargetPicture: {
        CViewUndo& undo = m_pTargetView->GetUndo();
        undo.BeginAction();
        POINT at{0, 0};
        m_pTargetView->PageToClient(at);
        m_pTargetView->GetClipboard().PastePicture(bitmap, at);
        undo.EndAction(LoadResString(IDS_SCAN_TITLE));
        break;
    }
    default:
        if (m_pTargetDoc)
            m_pTargetDoc->AppendWholePage(bitmap);
        else
            PutOnNewDocument(bitmap);
        break;
    }
    bitmap.Free();
    return SUCCESS;
    DEF_CATCH
    return -1;
}
