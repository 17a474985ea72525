#include "frame/CaptureFlagsPage.h"

#include "acquire/CaptureCommands.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QCheckBox>
#include <QVBoxLayout>

CCaptureFlagsPage::CCaptureFlagsPage(CCaptureCommands& capture, QString objectName, UINT caption,
                                     std::vector<Field> fields)
    : m_options(capture.GetOptions()), m_capture(capture), m_strObjectName(std::move(objectName)),
      m_nCaption(caption), m_fields(std::move(fields)) {}

QString CCaptureFlagsPage::GetCaption() const { return LoadResString(m_nCaption); }

QWidget* CCaptureFlagsPage::CreatePage(QWidget* parent) {
    DEF_TRY
    auto* page = new QWidget(parent);
    page->setObjectName(m_strObjectName);
    auto* layout = new QVBoxLayout(page);
    m_boxes.clear();
    for (const Field& f : m_fields) {
        auto* box = new QCheckBox(LoadResString(f.text), page);
        box->setObjectName(QStringLiteral("CaptureOption%1").arg(f.field));
        box->setChecked(f.inverted ? m_options[f.field] == 0 : m_options[f.field] != 0);
        QObject::connect(box, &QCheckBox::toggled, box, [this] { SetModified(); });
        layout->addWidget(box);
        m_boxes.emplace_back(box);
    }
    layout->addStretch(1);
    return page;
    DEF_CATCH
    return new QWidget(parent);
}

void CCaptureFlagsPage::UpdateData() {
    for (std::size_t i = 0; i < m_fields.size() && i < m_boxes.size(); ++i)
        if (m_boxes[i]) {
            const bool on = m_boxes[i]->isChecked();
            m_options[m_fields[i].field] = (m_fields[i].inverted ? !on : on) ? 1 : 0;
        }
}

void CCaptureFlagsPage::OnApply() {
    DEF_TRY
    // Only this page's fields: another page of the sheet writes the others.
    CaptureOptions current = m_capture.GetOptions();
    for (const Field& f : m_fields) current[f.field] = m_options[f.field];
    m_capture.SetOptions(current);
    SaveCaptureOptions(current);
    DEF_CATCH
}
