#include "app/SendMailDialog.h"

#include "app/DialogButtons.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>
#include <utility>

namespace {
const QString kSendMailFormat = QStringLiteral("SendMailFormatAnn");

QButtonGroup* AddChoices(QDialog& dlg, QVBoxLayout* layout, UINT titleId,
                         std::initializer_list<std::pair<UINT, const char*>> items, int checked) {
    auto* box = new QGroupBox(LoadResString(titleId));
    auto* inner = new QVBoxLayout(box);
    auto* group = new QButtonGroup(&dlg);
    int id = 0;
    for (const auto& [textId, name] : items) {
        auto* radio = new QRadioButton(LoadResString(textId));
        radio->setObjectName(QLatin1String(name));
        group->addButton(radio, id++);
        inner->addWidget(radio);
    }
    if (QAbstractButton* b = group->button(checked)) b->setChecked(true);
    layout->addWidget(box);
    return group;
}
} // namespace

int CSendMailDialog::LoadFormat() {
    return Profile().GetProfileInt(kSectionSettings, kSendMailFormat, 0) == 0 ? Png : Jpeg;
}

void CSendMailDialog::SaveFormat(int nFormat) {
    Profile().WriteProfileInt(kSectionSettings, kSendMailFormat, nFormat == Png ? 0 : 1);
}

int CSendMailDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_MAIL_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    QButtonGroup* pages = AddChoices(
        dlg, layout, IDS_MAIL_PAGES,
        {{IDS_MAIL_ALL_PAGES, "allPages"}, {IDS_MAIL_CURRENT_PAGE, "currentPage"}},
        m_bOnePage ? CurrentPage : m_nPages);
    if (m_bOnePage)
        for (QAbstractButton* b : pages->buttons()) b->setEnabled(false);
    QButtonGroup* format = AddChoices(dlg, layout, IDS_MAIL_FORMAT,
                                      {{IDS_MAIL_PNG, "png"}, {IDS_MAIL_JPEG, "jpeg"}},
                                      m_nFormat == Png ? Png : Jpeg);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted) return IDCANCEL;
    m_nPages = m_bOnePage ? CurrentPage : std::max(0, pages->checkedId());
    m_nFormat = std::max(0, format->checkedId());
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
