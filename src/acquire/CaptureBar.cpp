#include "acquire/CaptureBar.h"

#include "acquire/CaptureKinds.h"
#include "acquire/CaptureResource.h"
#include "platform/ResourceModule.h"

#include <QAction>

const QList<int>& CCaptureBar::Kinds() {
    static const QList<int> kinds{CAPTURE_MULTIPLE,     CAPTURE_AREA,          CAPTURE_OBJECT,
                                  CAPTURE_ACTIVE_WINDOW, CAPTURE_FULL_SCREEN,  CAPTURE_CLIENT_WINDOW,
                                  CAPTURE_WINDOW_UNDER_CURSOR, CAPTURE_MENU_UNDER_CURSOR,
                                  CAPTURE_MOUSE_CURSOR};
    return kinds;
}

CCaptureBar::CCaptureBar(QWidget* parent, const std::function<QAction*(int kind)>& commandOf)
    : QToolBar(LoadResString(IDS_CAPTURE_BAR), parent) {
    setObjectName(QStringLiteral("CaptureBar"));
    setIconSize(QSize(24, 24));
    for (const int kind : Kinds()) {
        auto* button = new QAction(LoadResString(IDS_CAPTURE_KIND_BASE + UINT(kind)), this);
        button->setObjectName(QStringLiteral("CaptureBarKind%1").arg(kind));
        button->setCheckable(true);
        button->setData(kind);
        if (QAction* command = commandOf ? commandOf(kind) : nullptr) {
            button->setIcon(command->icon());
            button->setToolTip(command->toolTip());
            button->setStatusTip(command->statusTip());
            // The button is usable while its command is.
            button->setEnabled(command->isEnabled());
            connect(command, &QAction::changed, button,
                    [button, command] { button->setEnabled(command->isEnabled()); });
        }
        connect(button, &QAction::hovered, this, [this, kind] { m_nHoverKind = kind; });
        connect(button, &QAction::triggered, this, [this, kind] { Q_EMIT kindPressed(kind); });
        addAction(button);
        m_buttons << button;
    }
}

void CCaptureBar::ShowChosenKind(int kind) {
    for (QAction* button : m_buttons) button->setChecked(button->data().toInt() == kind);
}
