#include "platform/DialogService.h"

#include "platform/Guard.h"
#include "platform/WinTypes.h"

#include <QRegularExpression>

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

namespace {
// The patterns of a description that already ends with them ("PDF files (*.pdf)"), or an empty
// list when its last parenthesis says something else.
QStringList ShownPatterns(const QString& description) {
    if (!description.endsWith(QLatin1Char(')')))
        return {};
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return {};
    return description.mid(open + 1, description.size() - open - 2)
        .split(QRegularExpression(QStringLiteral("[;,\\s]+")), Qt::SkipEmptyParts);
}
} // namespace

QString ConvertFileFilter(const QString& filter) {
    DEF_TRY
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        const QStringList patterns =
            parts[i + 1].split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
        QString description = parts[i];
        // The file dialog takes the patterns from the last parenthesis of the description and
        // wants them separated by spaces; a description that already lists them gets its list
        // rewritten instead of a second copy.
        if (!patterns.isEmpty() && ShownPatterns(description) == patterns)
            description.truncate(description.lastIndexOf(QLatin1Char('(')));
        out << QStringLiteral("%1 (%2)").arg(description.trimmed(),
                                             patterns.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
    DEF_CATCH
    return {};
}

namespace {
DialogTranslator& Translator() {
    static DialogTranslator translator;
    return translator;
}
} // namespace

void SetDialogTranslator(DialogTranslator translator) { Translator() = std::move(translator); }
const DialogTranslator& GetDialogTranslator() { return Translator(); }
