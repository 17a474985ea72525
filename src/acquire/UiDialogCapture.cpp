#include "acquire/UiDialogCapture.h"

#include "acquire/CaptureResource.h"
#include "app/Utils.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/ImagingTypes.h"

#include <QBuffer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QXmlStreamReader>
#include <memory>

namespace {

// The bytes of an interface file, refused when too large or not well-formed XML with a <ui> root
// and a widget in it: the loader builds whatever it can of a damaged file.
bool ReadUiFile(const QString& path, QByteArray& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = LoadResString(IDS_CAPTURE_UI_BAD_FILE).arg(FileNameForMessage(path));
        return false;
    }
    if (file.size() > CUiDialogCapture::kMaxFileBytes) {
        error = LoadResString(IDS_CAPTURE_UI_TOO_LARGE).arg(FileNameForMessage(path));
        return false;
    }
    bytes = file.read(CUiDialogCapture::kMaxFileBytes + 1);
    if (bytes.size() > CUiDialogCapture::kMaxFileBytes) {
        error = LoadResString(IDS_CAPTURE_UI_TOO_LARGE).arg(FileNameForMessage(path));
        return false;
    }
    QXmlStreamReader xml(bytes);
    bool root = false, widget = false;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            // Interface files are shallow; a nesting this deep is no dialog anybody drew.
            if (++depth > 200) break;
            if (depth == 1) root = xml.name() == QLatin1String("ui");
            else if (xml.name() == QLatin1String("widget")) widget = true;
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    if (xml.hasError() || depth != 0 || !root || !widget) {
        error = LoadResString(IDS_CAPTURE_UI_BAD_FILE).arg(FileNameForMessage(path));
        return false;
    }
    return true;
}

std::unique_ptr<QWidget> BuildForm(const QString& path, QString& error) {
    QByteArray bytes;
    if (!ReadUiFile(path, bytes, error)) return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QUiLoader loader;
    std::unique_ptr<QWidget> form(loader.load(&buffer));
    if (!form) {
        error = LoadResString(IDS_CAPTURE_UI_BAD_FILE).arg(FileNameForMessage(path));
        return {};
    }
    return form;
}

QString CaptionOf(const QWidget& form, const QString& path) {
    if (!form.windowTitle().isEmpty()) return form.windowTitle();
    if (!form.objectName().isEmpty()) return form.objectName();
    return QFileInfo(path).completeBaseName();
}

} // namespace

QStringList CUiDialogCapture::FilesOf(const QString& path) {
    const QFileInfo info(path);
    QDir dir = info.isDir() ? QDir(path) : info.dir();
    QStringList files;
    if (!info.isDir() && info.isFile()) files << info.absoluteFilePath();
    for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("*.ui")}, QDir::Files, QDir::Name))
        if (!files.contains(f.absoluteFilePath())) files << f.absoluteFilePath();
    return files;
}

int CUiDialogCapture::CaptureFile(const QString& path, QImage& out, QString& error) {
    DEF_TRY
    out = QImage();
    std::unique_ptr<QWidget> form = BuildForm(path, error);
    if (!form) return ERROR_FILE_FORMAT;
    form->setAttribute(Qt::WA_DontShowOnScreen);
    form->adjustSize();
    const QSize size = form->size();
    if (size.width() <= 0 || size.height() <= 0 || size.width() > kMaxDialogSide ||
        size.height() > kMaxDialogSide) {
        error = LoadResString(IDS_CAPTURE_UI_TOO_LARGE).arg(FileNameForMessage(path));
        return ERROR_IMAGE_TOO_LARGE;
    }
    form->show();
    out = form->grab().toImage();
    form->hide();
    if (out.isNull()) {
        error = LoadResString(IDS_CAPTURE_UI_BAD_FILE).arg(FileNameForMessage(path));
        return ERROR_NO_MEMORY;
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}

QString CUiDialogCapture::FormCaption(const QString& path) {
    QString error;
    std::unique_ptr<QWidget> form = BuildForm(path, error);
    return form ? CaptionOf(*form, path) : QString();
}

int CUiDialogCapture::Run(const QString& fileName, bool tree, QImage& out) {
    DEF_TRY
    QString path = fileName;
    if (path.isEmpty()) {
        FileDialogRequest request;
        request.title = LoadResString(IDS_CAPTURE_UI_PICK_FILE);
        request.filter = LoadResString(IDS_CAPTURE_UI_FILTER);
        if (!GetDialogService().GetFileName(request, path) || path.isEmpty()) return ERROR_USER_ABORT;
    }
    // The files whose form can be built; the others are left out of the list.
    QStringList files;
    QStringList captions;
    QString firstError;
    for (const QString& f : FilesOf(path)) {
        QString error;
        std::unique_ptr<QWidget> form = BuildForm(f, error);
        if (!form) {
            if (firstError.isEmpty()) firstError = error;
            continue;
        }
        files << f;
        captions << CaptionOf(*form, f);
    }
    if (files.isEmpty()) {
        ErrorBox(firstError.isEmpty() ? LoadResString(IDS_CAPTURE_UI_NO_DIALOGS) : firstError);
        return ERROR_USER_ABORT;
    }
    // The chosen file itself must be usable when one was named.
    if (QFileInfo(path).isFile() && files.first() != QFileInfo(path).absoluteFilePath()) {
        ErrorBox(firstError);
        return ERROR_USER_ABORT;
    }

    QDialog dialog;
    dialog.setObjectName(tree ? QStringLiteral("CaptureDialogTree") : QStringLiteral("CaptureDialogTabs"));
    dialog.setWindowTitle(LoadResString(tree ? IDS_CAPTURE_UI_TREE_TITLE : IDS_CAPTURE_UI_TABS_TITLE));
    auto* layout = new QVBoxLayout(&dialog);
    QTreeWidget* list = nullptr;
    QTabWidget* tabs = nullptr;
    if (tree) {
        list = new QTreeWidget(&dialog);
        list->setHeaderHidden(true);
        for (int i = 0; i < files.size(); ++i) {
            auto* item = new QTreeWidgetItem(list, {QFileInfo(files[i]).fileName()});
            auto* child = new QTreeWidgetItem(item, {captions[i]});
            child->setData(0, Qt::UserRole, i);
            item->setExpanded(true);
        }
        list->setCurrentItem(list->topLevelItem(0)->child(0));
        layout->addWidget(list);
    } else {
        tabs = new QTabWidget(&dialog);
        for (int i = 0; i < files.size(); ++i) {
            QString error;
            std::unique_ptr<QWidget> form = BuildForm(files[i], error);
            auto* scroll = new QScrollArea;
            if (form) {
                form->setWindowFlags(Qt::Widget);
                scroll->setWidget(form.release());
            }
            tabs->addTab(scroll, captions[i]);
        }
        layout->addWidget(tabs);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* capture = buttons->addButton(LoadResString(IDS_CAPTURE_UI_CAPTURE), QDialogButtonBox::AcceptRole);
    // Return captures the dialog chosen, as a double click in the tree does.
    capture->setDefault(true);
    if (list) QObject::connect(list, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(520, 420);
    if (dialog.exec() != QDialog::Accepted) return ERROR_USER_ABORT;
    int index = 0;
    if (list) {
        const QTreeWidgetItem* item = list->currentItem();
        if (item && item->childCount() > 0) item = item->child(0);
        index = item ? item->data(0, Qt::UserRole).toInt() : 0;
    } else {
        index = tabs->currentIndex();
    }
    if (index < 0 || index >= files.size()) return ERROR_USER_ABORT;
    QString error;
    const int rc = CaptureFile(files[index], out, error);
    if (rc != SUCCESS) {
        ErrorBox(error);
        return ERROR_USER_ABORT;
    }
    return SUCCESS;
    DEF_CATCH
    return ERROR_INTERNAL;
}
