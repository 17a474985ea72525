#pragma once
// LMultiTwain: the main window's scanner session. It picks the scanner, asks for the scan's
// settings in the program's own dialog, and scans on a worker thread while the window stays
// usable: every page arrives on the window's thread through AcquireCallBack, which puts it where
// the acquire target says (0 the active page's image, 1 a picture on the active page, 2 a new
// document), and the progress shows in the status bar, where Escape ends the scan. A page is
// delivered whole or not at all.

#include "acquire/SaneScanner.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>
#include <thread>

class QTimer;
class CLumidorDoc;
class CLumidorView;
class IScanHost;
class LBitmapBase;

class LMultiTwain : public QObject {
    Q_OBJECT
public:
    enum Target { TargetPageImage = 0, TargetPicture = 1, TargetNewDocument = 2 };

    explicit LMultiTwain(IScanHost& host, QObject* parent = nullptr);
    ~LMultiTwain() override; // ends a running scan and waits for its thread

    // Lists the scanners and stores the one the user picks; a message when there is none.
    void Select();
    // Opens the chosen scanner, asks for the settings and starts scanning into `target`. False
    // when nothing started (no scanner, the dialog cancelled, a refused setting: said already).
    bool Acquire(int target);
    bool IsAcquiring() const { return m_bAcquiring; }
    // Ends the running scan; the page being scanned is dropped.
    void Cancel();
    // Ends a running scan and lets the scanner go (the window closes).
    void CloseSession();

    // Puts one scanned page where the target says; SUCCESS, or -1 for a page without an image.
    virtual int AcquireCallBack(LBitmapBase& bitmap);
    // Shows the percentage; ERROR_USER_ABORT when the user pressed Escape.
    virtual int StatusCallBack(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The worker's loop: the pages of one scan, each handed to the window's thread.
    void ScanPages(int pages);
    void Finished(int rc, const QString& error);
    void Join();
    void PutOnNewDocument(LBitmapBase& bitmap);

    IScanHost& m_host;
    std::unique_ptr<CSaneScanner> m_pScanner;
    std::thread m_worker;
    QTimer* m_pProgressTimer;
    int m_nTarget = TargetNewDocument;
    bool m_bAcquiring = false;
    std::atomic<int> m_nPercent{0};
    std::atomic<bool> m_bCancel{false};
    int m_nPagesDone = 0;
    // Where this scan's pages go; a document that closes meanwhile sends the rest to a new one.
    QPointer<CLumidorDoc> m_pTargetDoc;
    QPointer<CLumidorView> m_pTargetView;
    bool m_bTargetGoneTold = false;
};
