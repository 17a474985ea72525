#include "view/SendMail.h"

#include "app/CommandIds.h"
#include "app/Resource.h"
#include "app/SendMailDialog.h"
#include "app/Utils.h"
#include "document/LumidorDoc.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"
#include "view/PageExport.h"
#include "view/PagePictures.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace {

// How long the pictures stay after the last mail command: the mail program reads them when the
// user sends, not when it is started.
constexpr int kKeepPicturesMs = 10 * 60 * 1000;

QStringList& Attachments() {
    static QStringList list;
    return list;
}

// Removes the temporary mail folder once no mail command has run for kKeepPicturesMs; each
// command starts the wait again, so no command's pictures go before their time.
void ScheduleCleanup() {
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(qApp);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, [] {
            // Failures of the clean-up are of no concern to the user.
            QDir(GetMailTempDir()).removeRecursively();
        });
    }
    timer->start(kKeepPicturesMs);
}

QString PageNameText(const CLumidorDoc& doc, int nPage) {
    const _PAGEINFO* p = doc.GetPageInfo(nPage);
    if (!p) return {};
    QString name;
    if (!CodePageToUnicode(p->m_strPageName, CP_ACP_DEFAULT, name))
        name = QString::fromLatin1(p->m_strPageName);
    return name;
}

} // namespace

QString GetMailTempDir() {
    return QDir::tempPath() + QStringLiteral("/brf_tmp/");
}

QString MailBaseName(const CLumidorDoc& doc, int nPage, bool bCurrentPage) {
    QString name = doc.m_strDocName;
    if (bCurrentPage && doc.GetPageCount() > 1)
        name += QLatin1Char('_') + PageNameText(doc, nPage);
    for (QChar& c : name)
        if (c == QLatin1Char(' ') || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            c = QLatin1Char('_');
    if (name.isEmpty()) name = QStringLiteral("Page");
    return name;
}

const QStringList& GetMailAttachments() { return Attachments(); }

bool SendFilesByMail(const QStringList& files, CLumidorDoc* pDoc) {
    DEF_TRY
    if (files.isEmpty()) return true;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty()) {
        ErrorBox(IDS_MAIL_NO_PROGRAM);
        return false;
    }
    QStringList args;
    for (const QString& file : files) args << QStringLiteral("--attach") << file;
    // The mail program runs beside the program; its end is reported when it comes. The
    // arguments go to it as they are, never through a shell.
    auto* process = new QProcess(qApp);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QPointer<CLumidorDoc> doc = pDoc;
    if (doc) doc->m_nMailThreadBusy = 1;
    const auto done = [process, doc] {
        if (doc) doc->m_nMailThreadBusy = 0;
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, done](int code, QProcess::ExitStatus status) {
                         done();
                         if (status != QProcess::NormalExit || code != 0)
                             ErrorBox(LoadResString(IDS_MAIL_FAILED)
                                          .arg(status == QProcess::NormalExit ? code : -1));
                         Q_UNUSED(process);
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, done](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         done();
                         ErrorBox(LoadResString(IDS_MAIL_NOT_STARTED)
                                      .arg(ReasonForMessage(process->errorString())));
                     });
    process->start(program, args);
    return true;
    DEF_CATCH
    return false;
}

void OnFileSendByMail(CLumidorDoc& doc, int nPage) {
    DEF_TRY
    CSendMailDialog dlg;
    dlg.m_bOnePage = doc.GetPageCount() <= 1;
    dlg.m_nPages = dlg.m_bOnePage ? CSendMailDialog::CurrentPage : CSendMailDialog::AllPages;
    dlg.m_nFormat = CSendMailDialog::LoadFormat();
    if (dlg.DoModal() != IDOK) return;
    CSendMailDialog::SaveFormat(dlg.m_nFormat);
    const bool bCurrent = dlg.m_bOnePage || dlg.m_nPages == CSendMailDialog::CurrentPage;

    const QString folder = GetMailTempDir();
    if (!QDir().mkpath(folder)) {
        ErrorBox(LoadResString(IDS_MAIL_FOLDER_FAILED).arg(FileNameForMessage(folder)));
        return;
    }
    const QString path = folder + MailBaseName(doc, nPage, bCurrent) + QLatin1Char('.') +
                         (dlg.m_nFormat == CSendMailDialog::Png ? QStringLiteral("png")
                                                                : QStringLiteral("jpg"));
    QStringList& list = Attachments();
    list.clear();
    // The format was chosen in the mail dialog: the pictures are written without more questions.
    doc.m_bPageNameSuffix = FALSE;
    bool written = false;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        written = WriteToGraphicOrEmfFile(doc, nPage, path, !bCurrent, false, false);
        QApplication::restoreOverrideCursor();
    }
    if (written) {
        if (bCurrent) list << path;
        else
            for (int i = 0; i < doc.GetPageCount(); ++i) list << PictureFileName(doc, i, path);
    }
    doc.m_bPageNameSuffix = TRUE;
    ScheduleCleanup();
    if (written) SendFilesByMail(list, &doc);
    DEF_CATCH
    doc.m_bPageNameSuffix = TRUE;
}

void RegisterMailCommands(CLumidorView& view, CCommandMap& map) {
    map.On(
        ID_FILE_SEND_BY_MAIL,
        [&view] {
            if (CLumidorDoc* doc = view.GetDocument()) OnFileSendByMail(*doc, view.GetActivePage());
        },
        [&view](CCmdUI& ui) { ui.Enable(view.GetDocument() != nullptr); });
}
