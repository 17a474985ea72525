#pragma once
// The progress of long operations in the status bar: a text that says how to cancel and a
// progress bar beside it, shown while an operation reports and hidden at 100 %. Meanwhile the
// window repaints, while every other input waits; Escape cancels a cancellable operation.

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;

class CStatusProgress : public QObject {
    Q_OBJECT
public:
    explicit CStatusProgress(QStatusBar* bar);

    // Shows `percent`; true when the user pressed Escape during a cancellable operation (the
    // progress is then hidden).
    bool DoProgress(int percent, bool cancellable);
    void HideProgress();
    bool IsShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStatusBar* m_pBar;
    QLabel* m_pText;
    QProgressBar* m_pProgress;
    bool m_bCancellable = false;
    bool m_bCancelled = false;
    bool m_bFiltering = false;
};
