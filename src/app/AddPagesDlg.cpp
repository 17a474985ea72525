#include "app/DialogButtons.h"
#include "app/AddPagesDlg.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/ImagingTypes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
void AddFileItem(QListWidget* list, const QString& path) {
    auto* item = new QListWidgetItem(QFileInfo(path).fileName(), list);
    item->setData(Qt::UserRole, path);
    item->setToolTip(path);
}
} // namespace

int CAddPagesDlg::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(m_strCaption.isEmpty() ? LoadResString(IDS_ADD_PAGES_TITLE) : m_strCaption);
    auto* layout = new QVBoxLayout(&dlg);
    auto* files = new QListWidget;
    files->setObjectName(QStringLiteral("files"));
    files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    files->setMinimumWidth(360);
    auto* prompt = new QLabel(LoadResString(IDS_ADD_PAGES_PROMPT));
    prompt->setWordWrap(true);
    prompt->setBuddy(files);
    layout->addWidget(prompt);
    layout->addWidget(files);
    for (const QString& path : m_files)
        AddFileItem(files, path);

    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(LoadResString(IDS_ADD_PAGES_ADD_FILES));
    auto* remove = new QPushButton(LoadResString(IDS_ADD_PAGES_REMOVE));
    add->setAutoDefault(false);
    remove->setAutoDefault(false);
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch();
    layout->addLayout(row);
    QDialogButtonBox* buttons = AddOkCancel(dlg, layout);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);

    const auto refresh = [files, remove, ok] {
        remove->setEnabled(!files->selectedItems().isEmpty());
        ok->setEnabled(files->count() > 0);
    };
    QObject::connect(files, &QListWidget::itemSelectionChanged, &dlg, refresh);
    QObject::connect(add, &QPushButton::clicked, &dlg, [&dlg, files, refresh, this] {
        const QStringList chosen = QFileDialog::getOpenFileNames(
            &dlg, dlg.windowTitle(), QString(), ConvertFileFilter(m_strFilter));
        for (const QString& path : chosen)
            AddFileItem(files, path);
        refresh();
    });
    QObject::connect(remove, &QPushButton::clicked, &dlg, [files, refresh] {
        qDeleteAll(files->selectedItems());
        refresh();
    });
    refresh();
    if (dlg.exec() != QDialog::Accepted)
        return IDCANCEL;
    m_files.clear();
    for (int i = 0; i < files->count(); ++i)
        m_files << files->item(i)->data(Qt::UserRole).toString();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}

bool CAddPagesDlg::LoadBitmapList(LBitmapList& list) const {
    DEF_TRY
    list.Clear();
    for (const QString& path : m_files) {
        LBitmapList pages;
        LFile file;
        file.SetFileName(path);
        const int rc = file.LoadBitmapList(pages);
        if (rc != SUCCESS) {
            list.Clear();
            if (rc != ERROR_USER_ABORT)
                ErrorBox(LoadResString(IDS_ADD_PAGES_UNREADABLE)
                             .arg(QFileInfo(path).fileName(), GetImagingErrorText(rc)));
            return false;
        }
        while (pages.GetItemsCount() > 0) {
            LBitmapBase page;
            pages.RemoveItem(0, &page);
            list.InsertItem(std::move(page));
        }
    }
    return true;
    DEF_CATCH
    list.Clear();
    return false;
}
