#include "frame/OptionsPropPageCapture.h"

#include "acquire/CaptureCommands.h"
#include "acquire/CaptureKeys.h"
#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"
#include "frame/MainFrame.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
constexpr int kOtherFields[5] = {0, 1, 5, 6, 7};
} // namespace

COptionsPropPageCapture::COptionsPropPageCapture(CMainFrame& frame, CCaptureCommands& capture)
    : m_lead(capture.GetLeadOptions()), m_strImagesPath(frame.GetImagesPath()),
      m_nImageFormat(int(frame.GetOptions()[OPT_IMAGES_FORMAT])), m_frame(frame), m_capture(capture) {}

QString COptionsPropPageCapture::GetCaption() const { return LoadResString(IDS_OPT_CAPTURE); }

QWidget* COptionsPropPageCapture::CreatePage(QWidget* parent) {
    DEF_TRY
    auto* page = new QWidget(parent);
    page->setObjectName(QStringLiteral("COptionsPropPageCapture"));
    auto* form = new QFormLayout(page);

    m_pHotKey = new QKeySequenceEdit(
        capturekeys::ToKeySequence(UINT(m_lead[LEADCAP_HOTKEY]), UINT(m_lead[LEADCAP_MODIFIERS])), page);
    m_pHotKey->setObjectName(QStringLiteral("CaptureHotKey"));
    m_pCancelKey = new QKeySequenceEdit(capturekeys::ToKeySequence(UINT(m_lead[LEADCAP_CANCEL_KEY]), 0), page);
    m_pCancelKey->setObjectName(QStringLiteral("CaptureCancelKey"));
    form->addRow(LoadResString(IDS_OPT_CAPTURE_HOTKEY), m_pHotKey);
    form->addRow(LoadResString(IDS_OPT_CAPTURE_CANCELKEY), m_pCancelKey);
    // Every key pressed in them, Escape and F12 pass through the page first.
    for (QWidget* w : {static_cast<QWidget*>(m_pHotKey), static_cast<QWidget*>(m_pCancelKey)}) {
        w->installEventFilter(this);
        for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(this);
    }
    page->installEventFilter(this);

    for (int i = 0; i < 5; ++i) {
        auto* spin = new QSpinBox(page);
        spin->setObjectName(QStringLiteral("CaptureField%1").arg(kOtherFields[i]));
        spin->setRange(-0x7FFFFFFF, 0x7FFFFFFF);
        spin->setValue(int(m_lead[kOtherFields[i]]));
        QObject::connect(spin, &QSpinBox::valueChanged, spin, [this] { SetModified(); });
        form->addRow(LoadResString(IDS_OPT_CAPTURE_FIELD_BASE + UINT(kOtherFields[i])), spin);
        m_pFields[i] = spin;
    }

    auto* folderRow = new QHBoxLayout;
    m_pFolder = new QLineEdit(m_strImagesPath, page);
    m_pFolder->setObjectName(QStringLiteral("ImagesFolder"));
    QObject::connect(m_pFolder, &QLineEdit::textEdited, m_pFolder, [this] { SetModified(); });
    auto* browse = new QPushButton(LoadResString(IDS_OPT_CAPTURE_BROWSE), page);
    QObject::connect(browse, &QPushButton::clicked, browse, [this] { OnBrowseFolder(); });
    folderRow->addWidget(m_pFolder, 1);
    folderRow->addWidget(browse);
    form->addRow(LoadResString(IDS_OPT_CAPTURE_IMAGES_FOLDER), folderRow);

    m_pFormat = new QComboBox(page);
    m_pFormat->setObjectName(QStringLiteral("ImagesFormat"));
    for (const char* ext : {"TIFF (*.tif)", "BMP (*.bmp)", "PCX (*.pcx)", "JPEG (*.jpg)", "PNG (*.png)", "EMF (*.emf)"})
        m_pFormat->addItem(QString::fromLatin1(ext));
    m_pFormat->setCurrentIndex(m_nImageFormat >= 0 && m_nImageFormat < 6 ? m_nImageFormat : 4);
    QObject::connect(m_pFormat, &QComboBox::currentIndexChanged, m_pFormat, [this] { SetModified(); });
    form->addRow(LoadResString(IDS_OPT_CAPTURE_IMAGE_FORMAT), m_pFormat);
    return page;
    DEF_CATCH
    return new QWidget(parent);
}

bool COptionsPropPageCapture::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QWidget* w = qobject_cast<QWidget*>(watched);
    const auto inside = [w](QWidget* editor) {
        return editor && w && (w == editor || editor->isAncestorOf(w));
    };
    if (key->key() == Qt::Key_Escape) {
        if (event->type() == QEvent::KeyPress) {
            if (m_pCancelKey && (inside(m_pCancelKey) || m_pCancelKey->hasFocus())) {
                m_pCancelKey->setKeySequence(QKeySequence(Qt::Key_Escape));
                SetModified();
            }
        }
        event->accept();
        return true;
    }
    if (key->key() == Qt::Key_F12) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && (inside(m_pHotKey) || inside(m_pCancelKey))) SetModified();
    return QObject::eventFilter(watched, event);
}

void COptionsPropPageCapture::OnBrowseFolder() {
    DEF_TRY
    FolderDialogRequest request;
    request.title = LoadResString(IDS_OPT_CAPTURE_SELECT_FOLDER);
    request.preselected = m_pFolder ? m_pFolder->text() : m_strImagesPath;
    QString path;
    if (!GetDialogService().GetFolder(request, path) || path.isEmpty()) return;
    if (m_pFolder) m_pFolder->setText(path);
    m_strImagesPath = path;
    SetModified();
    DEF_CATCH
}

void COptionsPropPageCapture::UpdateData() {
    DEF_TRY
    UINT vk = 0, mods = 0;
    if (m_pHotKey && capturekeys::FromKeySequence(m_pHotKey->keySequence(), vk, mods)) {
        m_lead[LEADCAP_HOTKEY] = LONG(vk);
        m_lead[LEADCAP_MODIFIERS] = LONG(mods);
    }
    if (m_pCancelKey && capturekeys::FromKeySequence(m_pCancelKey->keySequence(), vk, mods))
        m_lead[LEADCAP_CANCEL_KEY] = LONG(vk);
    for (int i = 0; i < 5; ++i)
        if (m_pFields[i]) m_lead[kOtherFields[i]] = m_pFields[i]->value();
    if (m_pFolder) m_strImagesPath = m_pFolder->text().trimmed();
    if (m_pFormat) m_nImageFormat = m_pFormat->currentIndex();
    DEF_CATCH
}

void COptionsPropPageCapture::OnApply() {
    DEF_TRY
    m_capture.SetLeadOptions(m_lead);
    if (!m_strImagesPath.isEmpty()) m_frame.SetImagesPath(m_strImagesPath);
    FrameOptions options = m_frame.GetOptions();
    options[OPT_IMAGES_FORMAT] = m_nImageFormat;
    m_frame.SetOptions(options);
    DEF_CATCH
}
