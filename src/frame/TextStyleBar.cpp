#include "frame/TextStyleBar.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "app/Units.h"
#include "app/Utils.h"
#include "frame/ColorBox.h"
#include "frame/StyleControls.h"
#include "objects/ObjectTypes.h"
#include "platform/CodePage.h"
#include "platform/DC.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>

namespace {
constexpr int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct CharSetEntry {
    const char* name;
    BYTE value;
};
constexpr CharSetEntry kCharSets[] = {
    {"ANSI", ANSI_CHARSET},
    {"BALTIC", BALTIC_CHARSET},
    {"CHINESEBIG5", CHINESEBIG5_CHARSET},
    {"DEFAULT", DEFAULT_CHARSET},
    {"EASTEUROPE", EASTEUROPE_CHARSET},
    {"GB2312", GB2312_CHARSET},
    {"GREEK", GREEK_CHARSET},
    {"HANGUL", HANGUL_CHARSET},
    {"MAC", MAC_CHARSET},
    {"OEM", OEM_CHARSET},
    {"RUSSIAN", RUSSIAN_CHARSET},
    {"SHIFTJIS", SHIFTJIS_CHARSET},
    {"SYMBOL", SYMBOL_CHARSET},
    {"TURKISH", TURKISH_CHARSET},
    {"JOHAB", JOHAB_CHARSET},
    {"HEBREW", HEBREW_CHARSET},
    {"ARABIC", ARABIC_CHARSET},
    {"THAI", THAI_CHARSET},
};

// The change codes: which property of the style a delivery carries.
enum : int {
    CHANGE_CHARSET = 2,
    CHANGE_FACE = 3,
    CHANGE_WEIGHT = 4,
    CHANGE_ITALIC = 5,
    CHANGE_UNDERLINE = 6,
    CHANGE_SIZE = 7,
    CHANGE_TEXT_COLOR = 8,
    CHANGE_PITCH = 9,
    CHANGE_ALIGN = 11,
    CHANGE_ROTATION = 12,
    CHANGE_RULE_WIDTH = 14,
    CHANGE_TEXT_AND_RULE_COLOR = 15,
};

// The entries of the line-width box, in points.
constexpr double kLineWidths[] = {0, 0.5, 1, 1.5, 2, 3, 4, 6, 8};

bool IsKnownCharSet(BYTE charSet) {
    for (const CharSetEntry& e : kCharSets)
        if (e.value == charSet) return true;
    return false;
}

// A face name is kept in 31 bytes of its font's code page. Families that are longer, or not plain
// ASCII (which every code page writes alike), could not be stored as they are named, so the list
// leaves them out.
bool FitsFaceName(const QString& family) {
    if (family.isEmpty() || family.size() >= LF_FACESIZE) return false;
    for (const QChar c : family)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return true;
}

QString FaceOf(const LOGFONTA& lf) {
    const QByteArray bytes(lf.lfFaceName, qsizetype(qstrnlen(lf.lfFaceName, LF_FACESIZE)));
    QString face;
    if (!CodePageToUnicode(bytes, CodePageFromCharSet(lf.lfCharSet), face))
        face = QString::fromLatin1(bytes);
    return face;
}

LONG EscapementOf(LONG nRotation) {
    return nRotation == 1 ? 900 : nRotation == 2 ? -900 : 0;
}

// A box with no entry chosen shows its placeholder (a size or face the list lacks); that text
// stands for the current value, so it is drawn like an entry, not greyed as a hint.
void ShowPlaceholderAsValue(QComboBox* box) {
    QPalette pal = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        pal.setColor(group, QPalette::PlaceholderText, pal.color(group, QPalette::ButtonText));
    box->setPalette(pal);
}

// A combo box of the bar: compact, and off the keyboard, whose arrow keys belong to the page.
QComboBox* MakeBox(const QString& name, UINT tip, int width, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setToolTip(LoadResString(tip));
    box->setFocusPolicy(Qt::NoFocus);
    box->setFixedWidth(width);
    return box;
}

// The list of a narrow box opens as wide as its entries.
void WidenList(QComboBox* box) {
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 24);
}

QIcon LineWidthIcon(double points, const QColor& ink) {
    QPixmap pm(36, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const int px = std::max(1, int(points * 96 / 72 + 0.5));
    p.fillRect(QRect(2, (pm.height() - px) / 2, pm.width() - 4, px), ink);
    return QIcon(pm);
}

// Keeps the change code for one delivery and sets it back to 0 however the delivery ends.
class CChangeCodeScope {
public:
    CChangeCodeScope(int& code, int value) : m_code(code) { m_code = value; }
    ~CChangeCodeScope() { m_code = 0; }
    CChangeCodeScope(const CChangeCodeScope&) = delete;
    CChangeCodeScope& operator=(const CChangeCodeScope&) = delete;

private:
    int& m_code;
};
} // namespace

CTextStyleBar::CTextStyleBar(Host host, QWidget* window)
    : QObject(window), m_host(std::move(host)), m_pWindow(window),
      m_style(LoadTextStyleBarSettings()) {
    m_nLineWidth = m_style.nRuleWidth;
    ShowFont();
}

int CTextStyleBar::Unit() const {
    return m_host.unit ? m_host.unit() : UNIT_INCH;
}

CLumidorView* CTextStyleBar::ActiveView() const {
    return m_host.activeView ? m_host.activeView() : nullptr;
}

void CTextStyleBar::RequestUpdate() const {
    if (m_host.requestUpdate) m_host.requestUpdate();
}

// ---- Controls ---------------------------------------------------------------------------------

QWidget* CTextStyleBar::CreateControl(const QString& name, QWidget* parent) {
    DEF_TRY
    if (name == QStringLiteral("fontname")) {
        m_pFontName = MakeBox(QStringLiteral("FontName"), IDS_TS_FONT_NAME, 120, parent);
        for (const QString& family : QFontDatabase::families())
            if (!QFontDatabase::isPrivateFamily(family) && FitsFaceName(family))
                m_pFontName->addItem(family);
        ShowPlaceholderAsValue(m_pFontName);
        WidenList(m_pFontName);
        connect(m_pFontName, &QComboBox::activated, this, [this] { OnSelchangeComboFontName(); });
        ShowFont();
        return m_pFontName;
    }
    if (name == QStringLiteral("fontsize")) {
        m_pFontSize = MakeBox(QStringLiteral("FontSize"), IDS_TS_FONT_SIZE, 46, parent);
        for (const int size : kFontSizes)
            m_pFontSize->addItem(QString::asprintf("%d", size), size);
        ShowPlaceholderAsValue(m_pFontSize);
        connect(m_pFontSize, &QComboBox::activated, this, [this] { OnSelchangeComboFontSize(); });
        ShowSize();
        return m_pFontSize;
    }
    if (name == QStringLiteral("charset")) {
        m_pCharSet = MakeBox(QStringLiteral("CharSet"), IDS_TS_CHARSET, 66, parent);
        for (const CharSetEntry& e : kCharSets)
            m_pCharSet->addItem(QString::fromLatin1(e.name), int(e.value));
        WidenList(m_pCharSet);
        connect(m_pCharSet, &QComboBox::activated, this, [this] { OnSelchangeComboCharSet(); });
        ShowFont();
        return m_pCharSet;
    }
    if (name == QStringLiteral("color")) {
        m_pColor = new CColorBox(parent);
        connect(m_pColor, &CColorBox::colorChosen, this, [this] { OnSelchangeComboFontColor(); });
        return m_pColor;
    }
    if (name == QStringLiteral("pitch")) {
        m_pPitch = new QLineEdit(parent);
        m_pPitch->setObjectName(QStringLiteral("Pitch"));
        m_pPitch->setFixedWidth(46);
        m_pPitch->installEventFilter(this);
        // Typing goes on until Enter or until the field is left; only a text the user changed
        // is taken.
        connect(m_pPitch, &QLineEdit::editingFinished, this, [this] {
            if (m_pPitch->isModified()) OnChangeEditPitch();
        });
        SetCharPitch(m_style.nPitch);
        return m_pPitch;
    }
    if (name == QStringLiteral("pitchspin")) {
        m_pPitchSpin = new CSpinButtons(parent);
        connect(m_pPitchSpin, &CSpinButtons::stepped, this,
                [this](int d) { OnDeltaposSpinPitch(d); });
        SetCharPitch(m_style.nPitch);
        return m_pPitchSpin;
    }
    if (name == QStringLiteral("alignment") || name == QStringLiteral("orientation")) {
        const bool align = name == QStringLiteral("alignment");
        auto* selector = new CStyleSelector(
            align ? CStyleSelector::Alignment : CStyleSelector::Orientation, parent);
        (align ? m_pAlignment : m_pOrientation) = selector;
        connect(selector, &CStyleSelector::valueChosen, this, [this, align] {
            if (align)
                OnStylebarAlignment();
            else
                OnStylebarOrientation();
        });
        ShowPlacement();
        return selector;
    }
    if (name == QStringLiteral("linewidth")) {
        m_pLineWidth = MakeBox(QStringLiteral("LineWidth"), IDS_TS_LINE_WIDTH, 62, parent);
        m_pLineWidth->setIconSize(QSize(36, 14));
        const QColor ink = m_pLineWidth->palette().color(QPalette::ButtonText);
        for (const double points : kLineWidths) {
            m_pLineWidth->addItem(LineWidthIcon(points, ink), QString(),
                                  unitConvertToTextunit(points, UNIT_POINT));
            m_pLineWidth->setItemData(
                m_pLineWidth->count() - 1,
                QStringLiteral("%1 %2").arg(points).arg(LoadResString(IDS_UNIT_POINT)),
                Qt::ToolTipRole);
        }
        connect(m_pLineWidth, &QComboBox::activated, this, [this] { OnSelchangeComboLineWidth(); });
        SetLineWidth(m_nLineWidth);
        return m_pLineWidth;
    }
    if (name == QStringLiteral("taborder")) {
        m_pTabOrder = new QLineEdit(parent);
        m_pTabOrder->setObjectName(QStringLiteral("TabOrder"));
        m_pTabOrder->setToolTip(LoadResString(IDS_TS_TAB_ORDER));
        m_pTabOrder->setFixedWidth(45);
        m_pTabOrder->installEventFilter(this);
        connect(m_pTabOrder, &QLineEdit::returnPressed, this, &CTextStyleBar::tabOrderEntered);
        return m_pTabOrder;
    }
    DEF_CATCH
    return nullptr;
}

void CTextStyleBar::RegisterCommands(CCommandMap& map) {
    map.On(
        ID_BUTTON_BOLD, [this] { OnButtonBold(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_bShownBold); });
    map.On(
        ID_BUTTON_ITALIC, [this] { OnButtonItalic(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_bShownItalic); });
    map.On(
        ID_BUTTON_UNDERLINE, [this] { OnButtonUnderline(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_bShownUnderline); });
    map.On(
        ID_BUTTON_PITCH, [this] { OnButtonPitch(); },
        [this](CCmdUI& ui) { ui.SetCheck(m_style.bStepped != 0); });
}

TextStyleLink CTextStyleBar::MakeLink(CLumidorView* view) {
    TextStyleLink link;
    link.currentStyle = [this] { return m_style; };
    link.changeCode = [this] { return m_nChangeCode; };
    const auto isActive = [this, view] { return ActiveView() == view; };
    link.showStyle = [this, isActive](const TEXTSTYLE& style) {
        if (isActive()) SetTextStyle(style);
    };
    link.showTabOrder = [this, isActive](const QString& text) {
        if (isActive()) SetTabOrderText(text);
    };
    link.lineColor = [this] { return GetLineColor(); };
    link.lineWidth = [this] { return GetLineWidth(); };
    return link;
}

void CTextStyleBar::ActiveViewChanged(CLumidorView* view) {
    if (view)
        view->SetToolbarsState();
    else
        SetTabOrderText({});
}

// ---- Showing the style ------------------------------------------------------------------------

void CTextStyleBar::SetTextStyle(const TEXTSTYLE& style) {
    DEF_TRY
    m_style = style;
    if (IsKnownCharSet(m_style.lf.lfCharSet)) ShowFont();
    ShowSize();
    if (m_pColor) m_pColor->SetColor(m_style.crText);
    SetCharPitch(m_style.nPitch);
    ShowPlacement();
    RequestUpdate();
    DEF_CATCH
}

void CTextStyleBar::ShowFont() {
    const LOGFONTA& lf = m_style.lf;
    if (!IsKnownCharSet(lf.lfCharSet)) return;
    m_bShownBold = lf.lfWeight > FW_NORMAL;
    m_bShownItalic = lf.lfItalic != 0;
    m_bShownUnderline = lf.lfUnderline != 0;
    if (m_pFontName) {
        const QString face = FaceOf(lf);
        const int index = m_pFontName->findText(face, Qt::MatchFixedString);
        m_pFontName->setCurrentIndex(index);
        if (index < 0) m_pFontName->setPlaceholderText(face);
    }
    if (m_pCharSet) m_pCharSet->setCurrentIndex(m_pCharSet->findData(int(lf.lfCharSet)));
}

void CTextStyleBar::ShowSize() {
    if (!m_pFontSize) return;
    const int index = m_pFontSize->findData(int(m_style.nSize));
    m_pFontSize->setCurrentIndex(index);
    if (index < 0) m_pFontSize->setPlaceholderText(QString::asprintf("%d", int(m_style.nSize)));
}

void CTextStyleBar::ShowPlacement() {
    if (m_pAlignment) m_pAlignment->SetValue(m_style.nAlign);
    if (m_pOrientation) m_pOrientation->SetValue(m_style.nRotation);
}

void CTextStyleBar::SetCharPitch(int nPitch) {
    DEF_TRY
    const bool stepped = m_style.bStepped != 0;
    if (m_pPitch) {
        m_pPitch->setText(unitGetStrValue(unitConvertTextunitTo(nPitch, Unit()), Unit()));
        m_pPitch->setEnabled(stepped);
        static const UINT unitNames[] = {IDS_UNIT_INCH, IDS_UNIT_MILLIMETRE, IDS_UNIT_POINT};
        const int unit = Unit();
        const QString name = unit >= 0 && unit <= 2 ? LoadResString(unitNames[unit]) : QString();
        m_pPitch->setToolTip(LoadResString(IDS_TS_PITCH).arg(name));
    }
    if (m_pPitchSpin) m_pPitchSpin->setEnabled(stepped);
    RequestUpdate();
    DEF_CATCH
}

bool CTextStyleBar::GetCharPitch(int& nPitch) {
    DEF_TRY
    nPitch = m_style.nPitch;
    if (!m_pPitch) return true;
    const QString text = m_pPitch->text().trimmed();
    // The text shown for the pitch stands for the pitch itself, not for its rounded value, so
    // that reading it back never moves the pitch.
    if (text == unitGetStrValue(unitConvertTextunitTo(m_style.nPitch, Unit()), Unit())) return true;
    double value = 0;
    if (StrToDouble(text, value) && value >= 0 &&
        unitConvert(value, Unit(), UNIT_TEXTUNIT) < double(INT_MAX)) {
        nPitch = unitConvertToTextunit(value, Unit());
        return true;
    }
    SetCharPitch(m_style.nPitch);
    DEF_CATCH
    return false;
}

COLORREF CTextStyleBar::GetLineColor() const {
    return m_pColor ? m_pColor->GetColor() : 0;
}

void CTextStyleBar::SetLineWidth(int nWidth) {
    m_nLineWidth = nWidth;
    if (m_pLineWidth) m_pLineWidth->setCurrentIndex(m_pLineWidth->findData(nWidth));
}

QString CTextStyleBar::GetTabOrderText() const {
    return m_pTabOrder ? m_pTabOrder->text() : QString();
}

void CTextStyleBar::SetTabOrderText(const QString& text) {
    if (m_pTabOrder) m_pTabOrder->setText(text);
}

// ---- Delivering a change ----------------------------------------------------------------------

void CTextStyleBar::Deliver(int nCode) {
    const CChangeCodeScope scope(m_nChangeCode, nCode);
    RequestUpdate();
    TextStyleChanged();
}

void CTextStyleBar::TextStyleChanged() {
    if (CLumidorView* view = ActiveView()) view->SetTextStyle(m_style);
}

void CTextStyleBar::FocusView() {
    if (CLumidorView* view = ActiveView())
        view->setFocus();
    else if (m_pWindow)
        m_pWindow->setFocus();
}

// ---- Commands ---------------------------------------------------------------------------------

void CTextStyleBar::OnButtonBold() {
    DEF_TRY
    LONG& weight = m_style.lf.lfWeight;
    weight = weight == FW_NORMAL ? FW_BOLD : FW_NORMAL;
    m_bShownBold = weight > FW_NORMAL;
    Deliver(CHANGE_WEIGHT);
    DEF_CATCH
}

void CTextStyleBar::ToggleFontFlag(BYTE& flag, bool& shown, int nCode) {
    DEF_TRY
    flag = flag ? 0 : 1;
    shown = flag != 0;
    Deliver(nCode);
    DEF_CATCH
}

void CTextStyleBar::OnButtonItalic() {
    ToggleFontFlag(m_style.lf.lfItalic, m_bShownItalic, CHANGE_ITALIC);
}

void CTextStyleBar::OnButtonUnderline() {
    ToggleFontFlag(m_style.lf.lfUnderline, m_bShownUnderline, CHANGE_UNDERLINE);
}

void CTextStyleBar::OnSelchangeComboFontName() {
    DEF_TRY
    if (!m_pFontName || m_pFontName->currentIndex() < 0) return;
    const QString family = m_pFontName->currentText();
    LOGFONTA lf = m_style.lf;
    if (m_pCharSet && m_pCharSet->currentIndex() >= 0)
        lf.lfCharSet = BYTE(m_pCharSet->currentData().toInt());
    QByteArray face;
    if (!UnicodeToCodePage(family, CodePageFromCharSet(lf.lfCharSet), face) ||
        face.size() >= LF_FACESIZE)
        return;
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, face.constData(), size_t(face.size()));
    lf.lfPitchAndFamily =
        QFontDatabase::isFixedPitch(family) ? BYTE(FIXED_PITCH | FF_MODERN) : BYTE(VARIABLE_PITCH);
    lf.lfWidth = 0;
    // The size may come from a stored style of any value.
    lf.lfHeight = ClampCoord(-10LL * m_style.nSize);
    m_style.lf = lf;
    Deliver(CHANGE_FACE);
    DEF_CATCH
}

void CTextStyleBar::OnSelchangeComboCharSet() {
    DEF_TRY
    if (!m_pCharSet || m_pCharSet->currentIndex() < 0) return;
    m_style.lf.lfCharSet = BYTE(m_pCharSet->currentData().toInt());
    Deliver(CHANGE_CHARSET);
    DEF_CATCH
}

void CTextStyleBar::OnSelchangeComboFontSize() {
    DEF_TRY
    if (!m_pFontSize || m_pFontSize->currentIndex() < 0) return;
    m_style.nSize = m_pFontSize->currentData().toInt();
    m_style.lf.lfWidth = 0;
    m_style.lf.lfHeight = -10 * m_style.nSize;
    Deliver(CHANGE_SIZE);
    DEF_CATCH
}

void CTextStyleBar::OnButtonPitch() {
    DEF_TRY
    int pitch = 0;
    if (!GetCharPitch(pitch)) {
        // The button stays as the style is.
        RequestUpdate();
        return;
    }
    m_style.nPitch = pitch;
    m_style.bStepped = m_style.bStepped ? FALSE : TRUE;
    SetCharPitch(pitch);
    Deliver(CHANGE_PITCH);
    DEF_CATCH
}

void CTextStyleBar::OnChangeEditPitch() {
    DEF_TRY
    int pitch = 0;
    if (!GetCharPitch(pitch)) return;
    m_style.nPitch = pitch;
    SetCharPitch(pitch);
    Deliver(CHANGE_PITCH);
    DEF_CATCH
}

void CTextStyleBar::OnDeltaposSpinPitch(int direction) {
    DEF_TRY
    const long long step = unitGetDelta(Unit());
    const long long pitch = m_style.nPitch + (direction < 0 ? -step : step);
    m_style.nPitch = LONG(std::clamp<long long>(pitch, 0, INT_MAX));
    SetCharPitch(m_style.nPitch);
    Deliver(CHANGE_PITCH);
    DEF_CATCH
}

void CTextStyleBar::OnStylebarAlignment() {
    DEF_TRY
    if (!m_pAlignment) return;
    m_style.nAlign = m_pAlignment->GetValue();
    Deliver(CHANGE_ALIGN);
    DEF_CATCH
}

void CTextStyleBar::OnStylebarOrientation() {
    DEF_TRY
    if (!m_pOrientation) return;
    // Filling in a form never turns its fields.
    if (m_host.programMode && m_host.programMode() == MODE_FORM) {
        m_pOrientation->SetValue(m_style.nRotation);
        return;
    }
    m_style.nRotation = m_pOrientation->GetValue();
    m_style.lf.lfEscapement = m_style.lf.lfOrientation = EscapementOf(m_style.nRotation);
    Deliver(CHANGE_ROTATION);
    DEF_CATCH
}

void CTextStyleBar::OnSelchangeComboFontColor() {
    DEF_TRY
    const COLORREF color = GetLineColor();
    m_style.crText = color;
    Deliver(CHANGE_TEXT_COLOR);
    {
        // Text objects take it as text and rule colour, graphic objects as outline colour.
        const CChangeCodeScope scope(m_nChangeCode, CHANGE_TEXT_AND_RULE_COLOR);
        if (CLumidorView* view = ActiveView()) view->SetLineColor(color);
    }
    FocusView();
    DEF_CATCH
}

void CTextStyleBar::OnSelchangeComboLineWidth() {
    DEF_TRY
    if (!m_pLineWidth || m_pLineWidth->currentIndex() < 0) return;
    const int width = m_pLineWidth->currentData().toInt();
    m_nLineWidth = width;
    {
        const CChangeCodeScope scope(m_nChangeCode, CHANGE_RULE_WIDTH);
        if (CLumidorView* view = ActiveView()) view->SetLineWidth(width);
    }
    m_style.nRuleWidth = width;
    DEF_CATCH
}

void CTextStyleBar::SaveSettings() const {
    SaveTextStyleBarSettings(m_style);
}

bool CTextStyleBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == m_pPitch || watched == m_pTabOrder)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool tab = watched == m_pTabOrder && (key == Qt::Key_Tab || key == Qt::Key_Backtab);
        if (key == Qt::Key_Escape || tab) {
            if (watched == m_pPitch) SetCharPitch(m_style.nPitch);
            FocusView();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
