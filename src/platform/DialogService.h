#pragma once
// Every dialog of the program is reached through one replaceable service, so that tests script the
// answers, the batch command line runs without a window, and no modal dialog ever blocks a test.
//
// The program's own dialogs derive from CModalDialog: the caller fills the data members, calls
// DoModal() and reads the members back on IDOK, as with any modal dialog; RunWidget builds the real
// Qt dialog and is only called by the windowed service.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QWidget;

class CModalDialog {
public:
    virtual ~CModalDialog() = default;
    // A stable name that scripts and logs use ("CBitDepthDialog").
    virtual QString DialogName() const = 0;
    // Shows the real dialog; returns IDOK or IDCANCEL.
    virtual int RunWidget(QWidget* parent) = 0;
    // IDOK or IDCANCEL, through the current dialog service.
    int DoModal();
};

struct FileDialogRequest {
    QString title;
    QString initialDir;
    QString initialName;
    QString filter;     // "Description|*.a;*.b|Other|*.c||": the program's filter notation
    QString defaultExt; // without the dot
    int filterIndex = 1; // 1-based; on return, the filter the user chose
    bool save = false;
    bool mustExist = true;
};

struct FolderDialogRequest {
    QString title;
    QString root;
    QString preselected;
};

class IDialogService {
public:
    virtual ~IDialogService() = default;
    // True and the chosen path on OK; false on cancel.
    virtual bool GetFileName(FileDialogRequest& request, QString& path) = 0;
    virtual bool GetFolder(const FolderDialogRequest& request, QString& path) = 0;
    virtual int RunDialog(CModalDialog& dialog) = 0;
};

// Batch mode and the default: every dialog is cancelled.
class CBatchDialogService : public IDialogService {
public:
    bool GetFileName(FileDialogRequest&, QString&) override { return false; }
    bool GetFolder(const FolderDialogRequest&, QString&) override { return false; }
    int RunDialog(CModalDialog& dialog) override;
};

// Tests: answers come from queues and per-dialog handlers; everything asked is recorded.
class CScriptedDialogService : public IDialogService {
public:
    bool GetFileName(FileDialogRequest& request, QString& path) override;
    bool GetFolder(const FolderDialogRequest& request, QString& path) override;
    int RunDialog(CModalDialog& dialog) override;

    std::deque<std::optional<QString>> fileAnswers;   // nullopt: cancel
    std::deque<std::optional<QString>> folderAnswers; // nullopt: cancel
    // Handler by dialog name: may change the dialog's members, returns IDOK or IDCANCEL.
    std::map<QString, std::function<int(CModalDialog&)>> handlers;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<FolderDialogRequest> folderRequests;
    QStringList dialogsRun;
};

void SetDialogService(std::shared_ptr<IDialogService> service);
IDialogService& GetDialogService();

// Applied by the windowed service to each of the program's dialogs as it is shown, with the
// dialog's name: the translation file's caption and control texts.
using DialogTranslator = std::function<void(QWidget* dialog, const QString& dialogName)>;
void SetDialogTranslator(DialogTranslator translator);
const DialogTranslator& GetDialogTranslator();

// "Text|*.txt|All|*.*||" -> "Text (*.txt);;All (*.*)"
QString ConvertFileFilter(const QString& filter);
