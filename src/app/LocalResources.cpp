#include "app/LocalResources.h"

#include "platform/CodePage.h"
#include "platform/DataPaths.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMutexLocker>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTextEdit>

namespace {

// A translation file is small; a file far larger than any translation is not read at all, and a
// line longer than any text is cut, so that a wrong file named brellin.ru costs nothing.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
constexpr int kMaxLineChars = 64 * 1024;

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString TrimBlanks(const QString& s) {
    int b = 0, e = int(s.size());
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString Unescape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            if (text[i + 1] == QLatin1Char('n')) {
                out += QLatin1Char('\n');
                ++i;
                continue;
            }
            if (text[i + 1] == QLatin1Char('t')) {
                out += QLatin1Char('\t');
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QStringList DecodeLines(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError() && !CodePageToUnicode(bytes, 1251, text))
        text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.size() > kMaxLineChars)
            line.truncate(kMaxLineChars);
    }
    return lines;
}

// Whether the line, once its comment and blanks are gone, is empty: the end of a section.
bool EndsSection(const QString& line) {
    QString key, value;
    bool sep = false;
    return !SplitTranslationLine(line, key, value, sep);
}

// A widget that is one control of a dialog, as opposed to a container of controls or a part of
// another control.
bool IsControl(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QProgressBar*>(w);
}

// Controls whose own children are controls of the dialog too.
bool HoldsControls(const QWidget* w) {
    return qobject_cast<const QGroupBox*>(w) || qobject_cast<const QDialogButtonBox*>(w) ||
           qobject_cast<const QTabWidget*>(w) || !IsControl(w);
}

void CollectControls(QWidget* parent, QList<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        if (IsControl(w))
            out.append(w);
        if (HoldsControls(w))
            CollectControls(w, out);
    }
}

void SetControlText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        group->setTitle(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
    // Lists, spins and the like have no text of their own: they only take their place.
}

} // namespace

bool SplitTranslationLine(const QString& line, QString& key, QString& value, bool& hasSeparator) {
    QString s = line;
    const qsizetype comment = s.indexOf(QStringLiteral("//"));
    if (comment >= 0)
        s.truncate(comment);
    s = TrimBlanks(s);
    key.clear();
    value.clear();
    hasSeparator = false;
    if (s.isEmpty())
        return false;
    qsizetype sep = s.indexOf(QLatin1Char('\t'));
    if (sep < 0)
        sep = s.indexOf(QLatin1Char(' '));
    if (sep < 0) {
        key = s;
        return true;
    }
    hasSeparator = true;
    key = s.left(sep);
    value = TrimBlanks(s.mid(sep + 1));
    return true;
}

bool ParseTranslationNumber(const QString& text, LONG& value) {
    const QString t = TrimBlanks(text);
    bool ok = false;
    qlonglong v = 0;
    const qsizetype hex = t.toUpper().indexOf(QStringLiteral("0X"));
    if (hex >= 0)
        v = t.mid(hex + 2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || v < LONG(INT32_MIN) || v > qlonglong(UINT32_MAX))
        return false;
    value = LONG(std::uint32_t(v));
    return true;
}

CLocalResources::CLocalResources(int nLanguage) : m_nLanguage(nLanguage) {}

CLocalResources& CLocalResources::Instance() {
    static CLocalResources instance(1);
    return instance;
}

QString CLocalResources::FindTranslationFile() {
    DEF_TRY
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/brellin.ru");
    if (QFileInfo(beside).isFile())
        return beside;
    const QString data = GetProgramDataDir() + QStringLiteral("/brellin.ru");
    if (QFileInfo(data).isFile())
        return data;
    DEF_CATCH
    return {};
}

void CLocalResources::Clear() {
    m_strings.clear();
    m_dlgItems.clear();
    m_dialogs.clear();
    m_menuTexts.clear();
    m_menus.clear();
}

bool CLocalResources::LoadFile(const QString& path) {
    DEF_TRY
    {
        QMutexLocker lock(&m_lock);
        Clear();
    }
    if (m_nLanguage == 0 || path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return false;
    LoadText(file.read(kMaxFileBytes));
    return true;
    DEF_CATCH
    return false;
}

void CLocalResources::LoadText(const QByteArray& bytes) {
    DEF_TRY
    const QStringList lines = DecodeLines(bytes);
    QMutexLocker lock(&m_lock);
    Clear();
    LoadStrings(lines);
    LoadDialogs(lines);
    LoadMenus(lines);
    DEF_CATCH
}

void CLocalResources::LoadStrings(const QStringList& lines) {
    int i = 0;
    for (; i < lines.size(); ++i) {
        QString key, value;
        bool sep = false;
        if (SplitTranslationLine(lines[i], key, value, sep) && key.startsWith(QStringLiteral("STRINGS")))
            break;
    }
    QHash<UINT, QString> strings;
    for (++i; i < lines.size(); ++i) {
        QString key, value;
        bool sep = false;
        if (!SplitTranslationLine(lines[i], key, value, sep))
            break;
        LONG id = 0;
        if (!sep || value.isEmpty() || !ParseTranslationNumber(key, id))
            continue;
        strings.insert(UINT(id), Unescape(value));
    }
    m_strings.reserve(strings.size() + strings.size() / 5);
    m_strings.insert(strings);
}

void CLocalResources::LoadDialogs(const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i) {
        QString key, value;
        bool sep = false;
        if (!SplitTranslationLine(lines[i], key, value, sep) || key != QStringLiteral("DLG"))
            continue;
        LONG dialogId = 0;
        const bool readable = sep && ParseTranslationNumber(value, dialogId);
        DlgInfo info;
        info.nDialogId = dialogId;
        info.nFirstItem = int(m_dlgItems.size());
        QList<DlgItemInfo> items;
        for (++i; i < lines.size() && !EndsSection(lines[i]); ++i) {
            if (!readable)
                continue;
            SplitTranslationLine(lines[i], key, value, sep);
            LONG number = 0;
            if (key == QStringLiteral("CAPTION"))
                info.strCaption = Unescape(value);
            else if (sep && ParseTranslationNumber(key, number))
                items.append(DlgItemInfo{number, Unescape(value)});
        }
        if (!readable || items.isEmpty())
            continue;
        info.nItemCount = int(items.size());
        m_dlgItems.append(items);
        m_dialogs.append(info);
    }
}

void CLocalResources::LoadMenus(const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i) {
        QString key, value;
        bool sep = false;
        if (!SplitTranslationLine(lines[i], key, value, sep) || key != QStringLiteral("MENU"))
            continue;
        LONG menuId = 0;
        const bool readable = sep && ParseTranslationNumber(value, menuId);
        QStringList texts;
        for (++i; i < lines.size() && !EndsSection(lines[i]); ++i) {
            if (!readable)
                continue;
            SplitTranslationLine(lines[i], key, value, sep);
            if (key != QStringLiteral("POPUP") && key != QStringLiteral("MENUITEM"))
                continue;
            texts.append(value.contains(QStringLiteral("SEPARATOR")) ? QString() : Unescape(value));
        }
        if (!readable || texts.isEmpty())
            continue;
        m_menus.append(MenuInfo{menuId, int(m_menuTexts.size()), int(texts.size())});
        m_menuTexts.append(texts);
    }
}

bool CLocalResources::GetString(UINT id, QString& text) const {
    QMutexLocker lock(&m_lock);
    const auto it = m_strings.constFind(id);
    if (it == m_strings.constEnd())
        return false;
    text = *it;
    return true;
}

int CLocalResources::GetString(UINT id, char16_t* buffer, int capacity) const {
    QString text;
    if (!buffer || capacity <= 0 || !GetString(id, text))
        return 0;
    const int n = std::min(int(text.size()), capacity - 1);
    for (int i = 0; i < n; ++i)
        buffer[i] = text[i].unicode();
    buffer[n] = 0;
    return n;
}

QList<QWidget*> CLocalResources::TranslatedControls(QWidget* dialog) {
    QList<QWidget*> controls;
    if (dialog)
        CollectControls(dialog, controls);
    return controls;
}

void CLocalResources::TranslateDialog(QWidget* dialog, int nDialogId) const {
    DEF_TRY
    if (!dialog || nDialogId == -1)
        return;
    QMutexLocker lock(&m_lock);
    const DlgInfo* info = nullptr;
    for (const DlgInfo& d : m_dialogs)
        if (d.nDialogId == nDialogId)
            info = &d; // the last block of a dialog counts
    if (!info)
        return;
    dialog->setWindowTitle(info->strCaption);
    const QList<QWidget*> controls = TranslatedControls(dialog);
    for (int k = 0; k < info->nItemCount && k < controls.size(); ++k)
        SetControlText(controls[k], m_dlgItems[info->nFirstItem + k].strText);
    DEF_CATCH
}

int CLocalResources::TranslateMenuItems(const QWidget* menu, int pos, int end) const {
    for (QAction* a : menu->actions()) {
        if (pos >= end)
            return pos;
        if (!a->isSeparator() && !m_menuTexts[pos].isEmpty())
            a->setText(m_menuTexts[pos]);
        ++pos;
        if (QMenu* sub = a->menu())
            pos = TranslateMenuItems(sub, pos, end);
    }
    return pos;
}

void CLocalResources::TranslateMenu(QWidget* menu, int nMenuId) const {
    DEF_TRY
    if (!menu)
        return;
    QMutexLocker lock(&m_lock);
    for (const MenuInfo& m : m_menus) {
        if (m.nMenuId != nMenuId)
            continue;
        // A block's texts are its own menu's: one that lists fewer items than the menu has
        // leaves the rest as they are instead of lending them the next block's texts.
        TranslateMenuItems(menu, m.nFirstText, m.nFirstText + m.nTextCount);
        return;
    }
    DEF_CATCH
}

bool CLocalResources::IsEmpty() const {
    QMutexLocker lock(&m_lock);
    return m_strings.isEmpty() && m_dialogs.isEmpty() && m_menus.isEmpty();
}

int CLocalResources::GetStringCount() const {
    QMutexLocker lock(&m_lock);
    return int(m_strings.size());
}

int CLocalResources::DialogResourceId(const QString& dialogName) {
    // The numbers translation files use for the dialogs; kept stable for them.
    static const QHash<QString, int> ids = {
        {QStringLiteral("CTipDlg"), 100},          {QStringLiteral("CBitDepthDialog"), 110},
        {QStringLiteral("CJpegOptionsDialog"), 111}, {QStringLiteral("CTIFFOptions2"), 112},
        {QStringLiteral("CWhatSaveDialog"), 113},  {QStringLiteral("CImageResolution"), 114},
        {QStringLiteral("CRenameDocDialog"), 115}, {QStringLiteral("CSelectDocOrPage"), 116},
        {QStringLiteral("CAddPagesDlg"), 117},     {QStringLiteral("CSendMailDialog"), 118},
        {QStringLiteral("COptionsDialog"), 130},
        {QStringLiteral("CColorDialog"), 140},     {QStringLiteral("CSpellingDialog"), 150},
        {QStringLiteral("CSpellingLanguageDialog"), 151},
    };
    return ids.value(dialogName, -1);
}

void CLocalResources::InstallStringHook() const {
    SetStringOverride([this](UINT id, QString& text) { return GetString(id, text); });
    SetDialogTranslator([this](QWidget* dialog, const QString& name) {
        TranslateDialog(dialog, DialogResourceId(name));
    });
}
