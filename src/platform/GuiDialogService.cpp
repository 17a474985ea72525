#include "platform/GuiDialogService.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>

bool CGuiDialogService::GetFileName(FileDialogRequest& request, QString& path) {
    QFileDialog dlg(QApplication::activeWindow(), request.title, request.initialDir);
    const QStringList filters = ConvertFileFilter(request.filter).split(QStringLiteral(";;"),
                                                                        Qt::SkipEmptyParts);
    dlg.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dlg.selectNameFilter(filters[request.filterIndex - 1]);
    dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(request.save ? QFileDialog::AnyFile
                                 : (request.mustExist ? QFileDialog::ExistingFile
                                                      : QFileDialog::AnyFile));
    if (!request.defaultExt.isEmpty())
        dlg.setDefaultSuffix(request.defaultExt);
    if (!request.initialName.isEmpty())
        dlg.selectFile(request.initialName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        path.clear();
        return false;
    }
    path = dlg.selectedFiles().constFirst();
    request.filterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return true;
}

bool CGuiDialogService::GetFolder(const FolderDialogRequest& request, QString& path) {
    const QString start = !request.preselected.isEmpty() ? request.preselected
                          : !request.root.isEmpty()      ? request.root
                                                         : QDir::homePath();
    path = QFileDialog::getExistingDirectory(QApplication::activeWindow(), request.title, start);
    return !path.isEmpty();
}

namespace {
// Catches the first dialog window that shows while a program dialog runs and hands it to the
// translator before it is painted.
class CDialogShowWatcher : public QObject {
public:
    explicit CDialogShowWatcher(QString name) : m_name(std::move(name)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Show) {
            if (auto* dlg = qobject_cast<QDialog*>(watched)) {
                m_done = true;
                if (const DialogTranslator& translate = GetDialogTranslator())
                    translate(dlg, m_name);
            }
        }
        return false;
    }

private:
    QString m_name;
    bool m_done = false;
};
} // namespace

int CGuiDialogService::RunDialog(CModalDialog& dialog) {
    CDialogShowWatcher watcher(dialog.DialogName());
    qApp->installEventFilter(&watcher);
    const int rc = dialog.RunWidget(QApplication::activeWindow());
    qApp->removeEventFilter(&watcher);
    return rc;
}
