#include "frame/StatusProgress.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

CStatusProgress::CStatusProgress(QStatusBar* bar)
    : QObject(bar), m_pBar(bar), m_pText(new QLabel(bar)), m_pProgress(new QProgressBar(bar)) {
    m_pProgress->setRange(0, 100);
    m_pProgress->setTextVisible(false);
    m_pProgress->setMaximumHeight(bar->sizeHint().height() - 6);
    m_pText->hide();
    m_pProgress->hide();
    bar->addWidget(m_pText);
    bar->addWidget(m_pProgress, 1);
}

bool CStatusProgress::IsShown() const { return m_pProgress->isVisible(); }

bool CStatusProgress::DoProgress(int percent, bool cancellable) {
    DEF_TRY
    if (!m_pProgress->isVisible()) {
        m_bCancelled = false;
        m_pText->setText(cancellable ? LoadResString(IDS_PROGRESS_ESCAPE) : QStringLiteral("   "));
        m_pText->show();
        m_pProgress->setMaximumWidth(m_pBar->width() / 2);
        m_pProgress->show();
    }
    m_bCancellable = cancellable;
    m_pProgress->setValue(std::clamp(percent, 0, 100));
    if (percent >= 100) {
        HideProgress();
        return false;
    }
    // The window repaints and Escape is seen; clicks and other keys wait until the work is done.
    if (!m_bFiltering) {
        m_bFiltering = true;
        qApp->installEventFilter(this);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        qApp->removeEventFilter(this);
        m_bFiltering = false;
    }
    if (cancellable && m_bCancelled) {
        HideProgress();
        return true;
    }
    return false;
    DEF_CATCH
    return false;
}

void CStatusProgress::HideProgress() {
    m_pProgress->hide();
    m_pText->hide();
    m_pBar->clearMessage();
}

bool CStatusProgress::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_bCancellable)
            m_bCancelled = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Close:
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
