#include "app/SelectDocOrPage.h"

#include "app/ChoiceDialog.h"
#include "app/Resource.h"
#include "platform/ResourceModule.h"

int CSelectDocOrPage::RunWidget(QWidget* parent) {
    const QString caption =
        m_strCaption.isEmpty() ? LoadResString(IDS_SELECT_DOC_OR_PAGE_TITLE) : m_strCaption;
    return RunChoiceDialog(parent, caption, {},
                           {{IDS_SELECT_WHOLE_DOCUMENT, QStringLiteral("wholeDocument")},
                            {IDS_SELECT_CURRENT_PAGE, QStringLiteral("currentPage")}},
                           m_nChoice);
}
