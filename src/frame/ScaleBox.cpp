#include "frame/ScaleBox.h"

#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

CScaleBox::CScaleBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("ScaleBox"));
    // The arrow keys belong to the view (they move the page image), so the box never keeps the
    // keyboard; the mouse still opens its list.
    setFocusPolicy(Qt::NoFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // A shown value is the box's placeholder text; it stands for the current zoom, so it is drawn
    // like an entry, not greyed as a hint.
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::PlaceholderText, pal.color(group, QPalette::ButtonText));
    setPalette(pal);
    // `activated` comes from the user only; programmatic selection stays silent.
    connect(this, &QComboBox::activated, this, &CScaleBox::scaleChosen);
}

void CScaleBox::SetViewScaleList(const int* values, int count, int selectedIndex) {
    DEF_TRY
    const QSignalBlocker block(this);
    clear();
    for (int i = 0; values && i < count; ++i)
        addItem(QString::asprintf("%d%%", values[i]));
    addItem(LoadResString(IDS_SCALE_FIT_WIDTH));
    addItem(LoadResString(IDS_SCALE_FIT_WINDOW));
    SetViewScaleSelIndex(selectedIndex);
    DEF_CATCH
}

void CScaleBox::SetViewScaleSelIndex(int index) {
    const QSignalBlocker block(this);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

void CScaleBox::SetViewScaleSelValue(int percent) {
    const QSignalBlocker block(this);
    setPlaceholderText(QString::asprintf("%d%%", percent));
    setCurrentIndex(-1);
}

int CScaleBox::GetViewScaleSelIndex() const {
    const int index = currentIndex();
    return index < 0 ? 1 : index;
}
