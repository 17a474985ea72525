#include "platform/DialogService.h"

#include "platform/WinTypes.h"

namespace {
std::shared_ptr<IDialogService>& Slot() {
    static std::shared_ptr<IDialogService> service = std::make_shared<CBatchDialogService>();
    return service;
}

template <class Request>
bool Answer(std::deque<std::optional<QString>>& answers, std::vector<Request>& log,
            const Request& request, QString& path) {
    log.push_back(request);
    if (answers.empty() || !answers.front()) {
        if (!answers.empty())
            answers.pop_front();
        path.clear();
        return false;
    }
    path = *answers.front();
    answers.pop_front();
    return true;
}
} // namespace

int CModalDialog::DoModal() { return GetDialogService().RunDialog(*this); }

int CBatchDialogService::RunDialog(CModalDialog&) { return IDCANCEL; }

bool CScriptedDialogService::GetFileName(FileDialogRequest& request, QString& path) {
    return Answer(fileAnswers, fileRequests, request, path);
}

bool CScriptedDialogService::GetFolder(const FolderDialogRequest& request, QString& path) {
    return Answer(folderAnswers, folderRequests, request, path);
}

int CScriptedDialogService::RunDialog(CModalDialog& dialog) {
    dialogsRun << dialog.DialogName();
    const auto it = handlers.find(dialog.DialogName());
    return it == handlers.end() ? IDCANCEL : it->second(dialog);
}

void SetDialogService(std::shared_ptr<IDialogService> service) {
    Slot() = service ? std::move(service) : std::make_shared<CBatchDialogService>();
}

IDialogService& GetDialogService() { return *Slot(); }

QString ConvertFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}
