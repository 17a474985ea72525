#include "frame/ColorBox.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QWidgetAction>

namespace {
struct NamedColor {
    const char* name;
    COLORREF color;
};
// The palette's sixteen colours, then "Auto".
constexpr NamedColor kColors[] = {
    {"Black", 0x000000},
    {"Maroon", 0x000080},
    {"Green", 0x008000},
    {"Olive", 0x008080},
    {"Navy", 0x800000},
    {"Purple", 0x800080},
    {"Teal", 0x808000},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0x0000FF},
    {"Lime", 0x00FF00},
    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0xFFFF00},
    {"White", 0xFFFFFF},
    {"Auto", CColorBox::kAutoColor},
};
constexpr int kPaletteSize = 16;
constexpr int kColumns = 8;

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QString ColorName(COLORREF c) {
    for (const NamedColor& n : kColors)
        if (n.color == c) return QString::fromLatin1(n.name);
    return ToQColor(c).name().toUpper();
}

QIcon Swatch(const QColor& fill, const QColor& frame) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(frame);
    p.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p.drawRect(1, 1, 13, 13);
    return QIcon(pm);
}
} // namespace

CColorBox::CColorBox(QWidget* parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("ColorBox"));
    setFocusPolicy(Qt::NoFocus);
    setPopupMode(QToolButton::InstantPopup);
    BuildMenu();
    UpdateIcon();
}

void CColorBox::BuildMenu() {
    auto* menu = new QMenu(this);
    auto* panel = new QWidget(menu);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    const QColor frame = palette().color(QPalette::WindowText);
    const auto addButton = [&](const QString& text, const QIcon& icon, int row, int column,
                               int span) {
        auto* b = new QToolButton(panel);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        if (icon.isNull()) {
            b->setText(text);
            b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        } else {
            b->setIcon(icon);
            b->setToolTip(text);
        }
        grid->addWidget(b, row, column, 1, span);
        return b;
    };
    for (int i = 0; i < kPaletteSize; ++i) {
        const COLORREF c = kColors[i].color;
        QToolButton* b = addButton(QString::fromLatin1(kColors[i].name), Swatch(ToQColor(c), frame),
                                   i / kColumns, i % kColumns, 1);
        connect(b, &QToolButton::clicked, this, [this, menu, c] {
            menu->close();
            Choose(c);
        });
    }
    const int row = kPaletteSize / kColumns;
    QToolButton* automatic = addButton(QStringLiteral("Auto"), {}, row, 0, kColumns);
    connect(automatic, &QToolButton::clicked, this, [this, menu] {
        menu->close();
        Choose(kAutoColor);
    });
    QToolButton* other = addButton(LoadResString(IDS_TS_COLOR_OTHER), {}, row + 1, 0, kColumns);
    connect(other, &QToolButton::clicked, this, [this, menu] {
        menu->close();
        ChooseOther();
    });
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(panel);
    menu->addAction(action);
    setMenu(menu);
}

void CColorBox::SetColor(COLORREF color) {
    m_color = color;
    UpdateIcon();
}

void CColorBox::Choose(COLORREF color) {
    SetColor(color);
    Q_EMIT colorChosen(color);
}

void CColorBox::ChooseOther() {
    DEF_TRY
    CColorDialog dialog;
    dialog.m_color = m_color && *m_color != kAutoColor ? *m_color : 0;
    if (dialog.DoModal() == IDOK) Choose(dialog.m_color);
    DEF_CATCH
}

void CColorBox::UpdateIcon() {
    const QColor frame = palette().color(QPalette::WindowText);
    // "Auto" shows as the text colour it stands for; no colour as an empty frame.
    QColor fill;
    if (m_color) fill = *m_color == kAutoColor ? frame : ToQColor(*m_color);
    setIcon(Swatch(fill, frame));
    const QString tip = LoadResString(IDS_TS_COLOR);
    setToolTip(m_color ? QStringLiteral("%1: %2").arg(tip, ColorName(*m_color)) : tip);
}

int CColorDialog::RunWidget(QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(ToQColor(m_color), parent);
    if (!chosen.isValid()) return IDCANCEL;
    m_color = RGB(BYTE(chosen.red()), BYTE(chosen.green()), BYTE(chosen.blue()));
    return IDOK;
}
