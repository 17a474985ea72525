#include "frame/OptionsDialog.h"

#include "app/Resource.h"
#include "app/Units.h"
#include "app/Utils.h"
#include "frame/MainFrame.h"
#include "frame/OptionsPropPageCapture.h"
#include "frame/OptionsPropPageCaptureAdditional.h"
#include "frame/OptionsPropPageCaptureMultiple.h"
#include "frame/TextStyleBar.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

// ---- CSpacingText ---------------------------------------------------------------------------

namespace {
QString ShownLength(int textunits, int unit) {
    return unitGetStrValue(unitConvertTextunitTo(textunits, unit), unit);
}

// A length typed in `unit`, with a decimal point or comma; false for text that is none, a
// negative length or one beyond the text units' range.
bool ParseLength(const QString& text, int unit, int& textunits) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    double value = 0;
    if (t.isEmpty() || !StrToDouble(t, value) || !(value >= 0)) return false;
    const double units = unitConvert(value, unit, UNIT_TEXTUNIT);
    if (!(units < double(INT_MAX))) return false;
    textunits = unitConvertToTextunit(value, unit);
    return true;
}
} // namespace

CSpacingText::CSpacingText(int textunits, int unit)
    : m_nValue(std::max(textunits, 0)), m_nUnit(unit), m_strText(ShownLength(m_nValue, unit)) {}

void CSpacingText::SetText(const QString& text) {
    m_strText = text;
}

bool CSpacingText::IsValid() const {
    int v = 0;
    return m_strText == ShownLength(m_nValue, m_nUnit) || ParseLength(m_strText, m_nUnit, v);
}

int CSpacingText::Value() const {
    DEF_TRY
    if (m_strText == ShownLength(m_nValue, m_nUnit)) return m_nValue;
    int v = 0;
    return ParseLength(m_strText, m_nUnit, v) ? v : m_nValue;
    DEF_CATCH
    return m_nValue;
}

void CSpacingText::Spin(int delta) {
    DEF_TRY
    const long long step = unitGetDelta(m_nUnit);
    const long long v = Value() + (delta < 1 ? step : -step);
    m_nValue = int(std::clamp<long long>(v, 0, INT_MAX));
    m_strText = ShownLength(m_nValue, m_nUnit);
    DEF_CATCH
}

void CSpacingText::SetUnit(int unit) {
    DEF_TRY
    m_nValue = Value();
    m_nUnit = unit;
    m_strText = ShownLength(m_nValue, unit);
    DEF_CATCH
}

// ---- Colour value, look -----------------------------------------------------------------------

QString FormatColorValue(LONG value) {
    return QStringLiteral("%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper();
}

bool ParseColorValue(const QString& text, LONG& value) {
    DEF_TRY
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
    const QString t = text.trimmed();
    if (!hex.match(t).hasMatch()) return false;
    bool ok = false;
    const quint32 v = t.toUInt(&ok, 16);
    if (!ok) return false;
    value = LONG(v);
    return true;
    DEF_CATCH
    return false;
}

int VisualStyleToChoice(int option) {
    if (option == 0 || option == 1) return 0;
    return option == 3 ? 2 : 1;
}

int ChoiceToVisualStyle(int choice) {
    return std::clamp(choice, 0, 2) + 1;
}

void ApplyVisualStyle(int option) {
    DEF_TRY
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    // The style the program started with is the desktop's; the first call remembers it.
    static const QString desktop = QApplication::style()->name();
    const int choice = VisualStyleToChoice(option);
    const QString wanted = choice == 0   ? QStringLiteral("Windows")
                           : choice == 2 ? QStringLiteral("Fusion")
                                         : desktop;
    if (QApplication::style()->name().compare(wanted, Qt::CaseInsensitive) == 0) return;
    if (QStyleFactory::keys().contains(wanted, Qt::CaseInsensitive)) QApplication::setStyle(wanted);
    DEF_CATCH
}

// ---- CSpacingSpinBox ------------------------------------------------------------------------

// The text of a grid spacing with the arrows beside it: the up arrow adds a step of the unit,
// the down arrow takes one away.
class CSpacingSpinBox : public QAbstractSpinBox {
public:
    CSpacingSpinBox(CSpacingText* value, std::function<void()> changed, QWidget* parent)
        : QAbstractSpinBox(parent), m_pValue(value), m_changed(std::move(changed)) {
        setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 30);
        Refresh();
        connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
            m_pValue->SetText(text);
            m_changed();
        });
    }
    void Refresh() { lineEdit()->setText(m_pValue->Text()); }

    void stepBy(int steps) override {
        DEF_TRY
        m_pValue->SetText(lineEdit()->text());
        // The delta the arrows report: below 1 going up.
        m_pValue->Spin(-steps);
        Refresh();
        selectAll();
        m_changed();
        DEF_CATCH
    }

protected:
    StepEnabled stepEnabled() const override {
        return m_pValue->Value() > 0 ? (StepUpEnabled | StepDownEnabled) : StepUpEnabled;
    }
    QValidator::State validate(QString& input, int&) const override {
        static const QRegularExpression shape(QStringLiteral("^\\s*[0-9]*([.,][0-9]*)?\\s*$"));
        if (!shape.match(input).hasMatch()) return QValidator::Invalid;
        CSpacingText typed(0, m_pValue->Unit());
        typed.SetText(input);
        return typed.IsValid() ? QValidator::Acceptable : QValidator::Intermediate;
    }
    // Text left unfinished shows the spacing it stands for again.
    void fixup(QString& input) const override {
        CSpacingText shown = *m_pValue;
        shown.SetUnit(shown.Unit());
        input = shown.Text();
    }

private:
    CSpacingText* m_pValue;
    std::function<void()> m_changed;
};

// ---- COptionsDialog -------------------------------------------------------------------------

void COptionsDialog::AddPage(std::unique_ptr<COptionsPage> page) {
    if (page) m_pages.push_back(std::move(page));
}

COptionsPage* COptionsDialog::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[size_t(index)].get() : nullptr;
}

void COptionsDialog::Apply() {
    DEF_TRY
    for (const auto& page : m_pages)
        page->OnApply();
    DEF_CATCH
}

int COptionsDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_OPTIONS_TITLE));
    auto* layout = new QVBoxLayout(&dlg);
    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("OptionsPages"));
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::Apply);
    QPushButton* apply = buttons->button(QDialogButtonBox::Apply);
    apply->setEnabled(false);
    layout->addWidget(buttons);
    for (const auto& page : m_pages) {
        page->SetModifiedHandler([apply] { apply->setEnabled(true); });
        tabs->addTab(page->CreatePage(tabs), page->GetCaption());
    }
    const auto updateAll = [this] {
        for (const auto& page : m_pages)
            page->UpdateData();
    };
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    QObject::connect(apply, &QPushButton::clicked, &dlg, [this, apply, updateAll] {
        updateAll();
        Apply();
        apply->setEnabled(false);
    });
    const bool ok = dlg.exec() == QDialog::Accepted;
    if (ok) updateAll();
    for (const auto& page : m_pages)
        page->SetModifiedHandler({});
    return ok ? IDOK : IDCANCEL;
    DEF_CATCH
    for (const auto& page : m_pages)
        page->SetModifiedHandler({});
    return IDCANCEL;
}

void RunOptionsDialog(CMainFrame& frame) {
    DEF_TRY
    COptionsDialog sheet;
    CCaptureCommands* capture = frame.GetCaptureCommands();
    if (capture) {
        sheet.AddPage(std::make_unique<COptionsPropPageCapture>(frame, *capture));
        sheet.AddPage(std::make_unique<COptionsPropPageCaptureAdditional>(*capture));
    }
    sheet.AddPage(std::make_unique<COptionsPropPageGeneral>(frame));
    if (capture) sheet.AddPage(std::make_unique<COptionsPropPageCaptureMultiple>(*capture));
    if (sheet.DoModal() == IDOK) sheet.Apply();
    DEF_CATCH
}

// ---- COptionsPropPageGeneral ------------------------------------------------------------------

namespace {
// The options as the page shows them: a unit it does not know shows (and is kept) as inches.
FrameOptions ShownOptions(FrameOptions o) {
    if (o[OPT_UNIT] < UNIT_INCH || o[OPT_UNIT] > UNIT_POINT) o[OPT_UNIT] = UNIT_INCH;
    return o;
}
} // namespace

COptionsPropPageGeneral::COptionsPropPageGeneral(CMainFrame& frame)
    : m_options(ShownOptions(frame.GetOptions())), m_strDocumentsPath(frame.GetDocumentsPath()),
      m_gridX(int(m_options[OPT_GRID_X]), int(m_options[OPT_UNIT])),
      m_gridY(int(m_options[OPT_GRID_Y]), int(m_options[OPT_UNIT])),
      m_strTransparentColor(FormatColorValue(m_options[OPT_TRANSPARENT_COLOR])), m_frame(frame),
      m_nVisualStyleShown(m_options[OPT_VISUAL_STYLE]) {}

QString COptionsPropPageGeneral::GetCaption() const {
    return LoadResString(IDS_OPT_GENERAL);
}

QWidget* COptionsPropPageGeneral::CreatePage(QWidget* parent) {
    DEF_TRY
    m_flags.clear();
    auto* page = new QWidget(parent);
    page->setObjectName(QStringLiteral("COptionsPropPageGeneral"));
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    const auto group = [](QVBoxLayout* column, UINT title) {
        auto* box = new QGroupBox(LoadResString(title));
        column->addWidget(box);
        return new QVBoxLayout(box);
    };
    const auto flag = [this](QBoxLayout* layout, int field, UINT text, const char* name,
                             bool inverted = false) {
        auto* box = new QCheckBox(LoadResString(text));
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(inverted ? m_options[field] == 0 : m_options[field] != 0);
        QObject::connect(box, &QCheckBox::toggled, box, [this] { SetModified(); });
        layout->addWidget(box);
        m_flags.push_back({field, inverted, box});
        return box;
    };
    const auto label = [](UINT text, QWidget* buddy) {
        auto* l = new QLabel(LoadResString(text));
        l->setBuddy(buddy);
        return l;
    };

    QVBoxLayout* docs = group(left, IDS_OPT_DOCUMENTS);
    flag(docs, OPT_MAXIMIZED, IDS_OPT_MAXIMIZED, "maximized");
    flag(docs, OPT_EMPTY_DOC_AT_START, IDS_OPT_EMPTY_AT_START, "emptyAtStart");
    flag(docs, OPT_TEMPLATES_AT_START, IDS_OPT_TEMPLATES_AT_START, "templatesAtStart");
    flag(docs, OPT_DATE_IN_NAMES, IDS_OPT_DATE_IN_NAMES, "dateInNames");
    flag(docs, OPT_ASK_BEFORE_CLOSE, IDS_OPT_SAVE_WITHOUT_ASKING, "saveWithoutAsking", true);
    m_pFolder = new QLineEdit(m_strDocumentsPath);
    m_pFolder->setObjectName(QStringLiteral("documentsFolder"));
    m_pFolder->setToolTip(LoadResString(IDS_OPT_FOLDER_TIP));
    QObject::connect(m_pFolder, &QLineEdit::textEdited, m_pFolder, [this] { SetModified(); });
    docs->addWidget(label(IDS_OPT_DOCUMENTS_FOLDER, m_pFolder));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_pFolder, 1);
    auto* browse = new QPushButton(LoadResString(IDS_OPT_BROWSE));
    browse->setObjectName(QStringLiteral("browseFolder"));
    browse->setAutoDefault(false);
    QObject::connect(browse, &QPushButton::clicked, browse, [this] { OnBrowseFolder(); });
    folderRow->addWidget(browse);
    docs->addLayout(folderRow);

    QVBoxLayout* objects = group(left, IDS_OPT_OBJECTS);
    flag(objects, OPT_WARN_OUTSIDE_PRINTABLE, IDS_OPT_WARN_PRINTABLE, "warnOutsidePrintable");
    flag(objects, OPT_SHOW_CLICKED_STYLE, IDS_OPT_SHOW_CLICKED_STYLE, "showClickedStyle");
    flag(objects, OPT_PRINT_AS_IMAGE, IDS_OPT_PRINT_AS_IMAGE, "printAsImage");
    QCheckBox* transparent = flag(objects, OPT_TRANSPARENT, IDS_OPT_TRANSPARENT, "transparent");
    m_pTransparentColor = new QLineEdit(m_strTransparentColor);
    m_pTransparentColor->setObjectName(QStringLiteral("transparentColor"));
    m_pTransparentColor->setToolTip(LoadResString(IDS_OPT_TRANSPARENT_TIP));
    m_pTransparentColor->setMaxLength(8);
    m_pTransparentColor->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,8}")), m_pTransparentColor));
    m_pTransparentColor->setMaximumWidth(
        m_pTransparentColor->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWW")));
    QObject::connect(m_pTransparentColor, &QLineEdit::textEdited, m_pTransparentColor,
                     [this] { SetModified(); });
    m_pTransparentLabel = label(IDS_OPT_TRANSPARENT_COLOR, m_pTransparentColor);
    auto* colorRow = new QHBoxLayout;
    // Under its box, as the value it belongs to.
    colorRow->addSpacing(transparent->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6);
    colorRow->addWidget(m_pTransparentLabel);
    colorRow->addWidget(m_pTransparentColor);
    colorRow->addStretch(1);
    objects->addLayout(colorRow);
    QObject::connect(transparent, &QCheckBox::toggled, transparent,
                     [this] { EnableTransparentColor(); });
    EnableTransparentColor();
    left->addStretch(1);

    QVBoxLayout* window = group(right, IDS_OPT_WINDOW);
    flag(window, OPT_START_IN_FORM, IDS_OPT_START_IN_FORM, "startInForm");
    flag(window, OPT_CLOSE_TO_TRAY, IDS_OPT_CLOSE_TO_TRAY, "closeToTray");
    m_pVisualStyle = new QComboBox;
    m_pVisualStyle->setObjectName(QStringLiteral("visualStyle"));
    for (UINT text : {IDS_OPT_STYLE_2000, IDS_OPT_STYLE_XP, IDS_OPT_STYLE_2003})
        m_pVisualStyle->addItem(LoadResString(text));
    m_pVisualStyle->setCurrentIndex(VisualStyleToChoice(int(m_options[OPT_VISUAL_STYLE])));
    m_pVisualStyle->setToolTip(LoadResString(IDS_OPT_VISUAL_STYLE_TIP));
    QObject::connect(m_pVisualStyle, &QComboBox::activated, m_pVisualStyle,
                     [this] { SetModified(); });
    window->addWidget(label(IDS_OPT_VISUAL_STYLE, m_pVisualStyle));
    window->addWidget(m_pVisualStyle);

    QVBoxLayout* grid = group(right, IDS_OPT_GRID);
    auto* form = new QFormLayout;
    m_pUnit = new QComboBox;
    m_pUnit->setObjectName(QStringLiteral("unit"));
    for (UINT text : {IDS_OPT_UNIT_INCH, IDS_OPT_UNIT_MILLIMETRE, IDS_OPT_UNIT_POINT})
        m_pUnit->addItem(LoadResString(text));
    m_pUnit->setCurrentIndex(int(m_options[OPT_UNIT]));
    QObject::connect(m_pUnit, &QComboBox::activated, m_pUnit, [this](int index) {
        OnSelchangeUnit(index);
        SetModified();
    });
    form->addRow(label(IDS_OPT_UNIT, m_pUnit), m_pUnit);
    const auto spacing = [this, form](CSpacingText* value, UINT text, const char* name) {
        auto* spin = new CSpacingSpinBox(
            value, [this] { SetModified(); }, nullptr);
        spin->setObjectName(QString::fromLatin1(name));
        spin->setToolTip(LoadResString(IDS_OPT_GRID_TIP));
        auto* l = new QLabel(LoadResString(text));
        l->setBuddy(spin);
        form->addRow(l, spin);
        return spin;
    };
    m_pGridX = spacing(&m_gridX, IDS_OPT_GRID_X, "gridX");
    m_pGridY = spacing(&m_gridY, IDS_OPT_GRID_Y, "gridY");
    grid->addLayout(form);
    flag(grid, OPT_SNAP_TO_GRID, IDS_OPT_SNAP_TO_GRID, "snapToGrid");
    right->addStretch(1);
    return page;
    DEF_CATCH
    return new QWidget(parent);
}

void COptionsPropPageGeneral::UpdateData() {
    DEF_TRY
    for (const Flag& f : m_flags)
        if (f.box) m_options[f.field] = (f.box->isChecked() != f.inverted) ? 1 : 0;
    if (m_pFolder) m_strDocumentsPath = m_pFolder->text();
    if (m_pTransparentColor) m_strTransparentColor = m_pTransparentColor->text();
    if (m_pVisualStyle) {
        const int choice = m_pVisualStyle->currentIndex();
        if (choice != VisualStyleToChoice(int(m_nVisualStyleShown)))
            m_options[OPT_VISUAL_STYLE] = ChoiceToVisualStyle(choice);
    }
    // The unit list and the spacings keep their members up to date as they change.
    DEF_CATCH
}

void COptionsPropPageGeneral::OnApply() {
    DEF_TRY
    m_options[OPT_GRID_X] = m_gridX.Value();
    m_options[OPT_GRID_Y] = m_gridY.Value();
    LONG color = 0;
    if (ParseColorValue(m_strTransparentColor, color)) m_options[OPT_TRANSPARENT_COLOR] = color;
    m_strTransparentColor = FormatColorValue(m_options[OPT_TRANSPARENT_COLOR]);
    // The fields this page does not show belong to others (the capture page's image format, the
    // format panel's settings): they are taken as they are now, not as they were at opening.
    const FrameOptions now = m_frame.GetOptions();
    for (const int field : {4, 5, 6, 7, 8, 14, 18}) m_options[field] = now[field];
    m_frame.SetOptions(m_options);
    m_frame.SetSnapToGrid(m_options[OPT_SNAP_TO_GRID] != 0);
    const QString folder = m_strDocumentsPath.trimmed();
    if (!folder.isEmpty()) m_frame.SetDocumentsPath(folder);
    if (CTextStyleBar* bar = m_frame.GetTextStyleBar())
        bar->SetCharPitch(bar->GetTextStyle().nPitch);
    m_nVisualStyleShown = m_options[OPT_VISUAL_STYLE];
    ApplyVisualStyle(int(m_options[OPT_VISUAL_STYLE]));
    DEF_CATCH
}

void COptionsPropPageGeneral::OnSelchangeUnit(int unit) {
    DEF_TRY
    if (unit < UNIT_INCH || unit > UNIT_POINT) return;
    m_options[OPT_UNIT] = unit;
    m_gridX.SetUnit(unit);
    m_gridY.SetUnit(unit);
    ShowSpacings();
    DEF_CATCH
}

void COptionsPropPageGeneral::ShowSpacings() {
    if (m_pGridX) m_pGridX->Refresh();
    if (m_pGridY) m_pGridY->Refresh();
}

void COptionsPropPageGeneral::OnBrowseFolder() {
    DEF_TRY
    FolderDialogRequest request;
    request.title = LoadResString(IDS_OPT_SELECT_FOLDER);
    request.preselected = m_pFolder ? m_pFolder->text() : m_strDocumentsPath;
    QString path;
    if (!GetDialogService().GetFolder(request, path) || path.isEmpty()) return;
    if (m_pFolder) m_pFolder->setText(path);
    m_strDocumentsPath = path;
    SetModified();
    DEF_CATCH
}

void COptionsPropPageGeneral::EnableTransparentColor() {
    DEF_TRY
    bool on = m_options[OPT_TRANSPARENT] != 0;
    for (const Flag& f : m_flags)
        if (f.field == OPT_TRANSPARENT && f.box) on = f.box->isChecked();
    if (m_pTransparentColor) m_pTransparentColor->setEnabled(on);
    if (m_pTransparentLabel) m_pTransparentLabel->setEnabled(on);
    DEF_CATCH
}
