#include "view/SpellCheck.h"

#include "app/CommandIds.h"
#include "app/CommandTarget.h"
#include "app/Resource.h"
#include "document/LumidorDoc.h"
#include "objects/TranspText.h"
#include "platform/CodePage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "view/LumidorView.h"
#include "view/SpellChecker.h"
#include "view/SpellingDialog.h"

#include <algorithm>
#include <memory>

namespace {
bool IsSeparator(QChar c) {
    return c == QChar(13) || c == QChar(10) || c == QChar(32);
}
} // namespace

void RegisterSpellingCommands(CLumidorView& view, CCommandMap& map) {
    DEF_TRY
    auto spelling = std::make_shared<CViewSpellCheck>(view);
    map.On(
        ID_TOOLBAR_SPELLING, [spelling] { spelling->OnToolbarSpelling(); },
        [spelling](CCmdUI& ui) { ui.Enable(spelling->CanCheck()); });
    map.On(ID_SPELLING_SELECT_LANGUAGE, [spelling] { spelling->OnSpellingSelectLanguage(); });
    DEF_CATCH
}

QString EnumWords(const QString& text, int& position, int& start) {
    DEF_TRY
    const int length = int(text.size());
    int i = position < 0 ? length : std::min(position, length);
    while (i < length && IsSeparator(text[i]))
        ++i;
    start = i;
    int end = i;
    while (end < length && !IsSeparator(text[end]))
        ++end;
    position = end >= length ? -1 : end;
    return text.mid(start, end - start);
    DEF_CATCH
    position = -1;
    return {};
}

bool CViewSpellCheck::CanCheck() const {
    DEF_TRY
    const CLumidorDoc* doc = m_view.GetDocument();
    const CObjectList* list = doc ? doc->GetObjectsList(m_view.GetActivePage()) : nullptr;
    return list && std::any_of(list->begin(), list->end(), [](const auto& o) {
               return dynamic_cast<const CTranspText*>(o.get()) != nullptr;
           });
    DEF_CATCH
    return false;
}

void CViewSpellCheck::OnToolbarSpelling() {
    DEF_TRY
    CLumidorDoc* doc = m_view.GetDocument();
    if (!doc) return;
    const int page = m_view.GetActivePage();
    CSpellChecker checker;
    const QString language = CSpellChecker::GetLanguage();
    QString reason;
    switch (checker.Initialise(language, reason)) {
    case SpellInit::Ok:
        break;
    case SpellInit::BadDictionary:
        ErrorBox(
            LoadResString(IDS_SPELL_DICTIONARY_BAD).arg(CSpellChecker::LanguageName(language)));
        return;
    case SpellInit::Failed:
        ErrorBox(LoadResString(IDS_SPELL_START_FAILED).arg(reason));
        return;
    }
    checker.BeginCheck();
    m_notHeld.clear();
    m_view.ReleaseActiveObject();
    bool cancelled = false;
    // The fields in tab order, then the page's other text boxes in list order. Nothing takes an
    // object off the page while the dialog runs: replacements only change the text.
    std::vector<CTranspBaseClass*> order = m_view.GetTabOrder().GetOrder();
    if (const CObjectList* list = doc->GetObjectsList(page))
        for (const auto& o : *list)
            if (std::find(order.begin(), order.end(), o.get()) == order.end())
                order.push_back(o.get());
    for (std::size_t i = 0; !cancelled && i < order.size(); ++i) {
        auto* text = dynamic_cast<CTranspText*>(order[i]);
        if (!text) continue;
        m_view.SetActiveObject(text);
        // A symbol font's letters are pictures, not words.
        if (text->IsEmpty() || text->GetCodePage() == CP_SYMBOL) continue;
        cancelled = !CheckText(*text, checker);
    }
    checker.EndCheck();
    if (cancelled) return;
    m_view.ReleaseActiveObject();
    InformationBox(IDS_SPELL_COMPLETE);
    DEF_CATCH
}

bool CViewSpellCheck::CheckText(CTranspText& text, CSpellChecker& checker) {
    DEF_TRY
    const UINT codePage = text.GetCodePage();
    QString content;
    if (!CodePageToUnicode(text.GetText(), codePage, content)) return true;
    int position = 0;
    while (position != -1) {
        int start = 0;
        const QString word = EnumWords(content, position, start);
        if (word.isEmpty()) continue;
        checker.SetWord(word);
        const SpellResult result = checker.CheckWord();
        if (result == SpellResult::NotHeld) {
            if (!m_notHeld.contains(word)) {
                m_notHeld << word;
                WarningBox(LoadResString(IDS_SPELL_WORD_NOT_HELD).arg(word));
            }
            continue;
        }
        if (result == SpellResult::Correct) continue;
        QByteArray wordBytes;
        UnicodeToCodePage(word, codePage, wordBytes);
        text.FindAndSelect(wordBytes.constData(), start, start + int(word.size()));
        BringIntoView(text);
        text.RefreshView();
        checker.ShowDialog();
        if (checker.GetDialogResult() == 0) {
            text.UnselectText();
            return false;
        }
        QString replacement = checker.GetReplacement();
        // A replacement stays on the word's line.
        replacement.replace(QChar(13), QChar(32)).replace(QChar(10), QChar(32));
        if (replacement != word) {
            const QString changed =
                content.left(start) + replacement + content.mid(start + int(word.size()));
            QByteArray bytes;
            // A replacement the font's character set cannot hold is refused: the word stays.
            if (UnicodeToCodePage(changed, codePage, bytes)) {
                content = changed;
                if (position != -1) position = start + int(replacement.size());
                text.SetText(bytes, TRUE);
            }
        }
        text.UnselectText();
    }
    return true;
    DEF_CATCH
    return true;
}

void CViewSpellCheck::BringIntoView(CTranspText& text) {
    DEF_TRY
    RECT box;
    text.GetBoundsRect(&box);
    const RECT client = m_view.GetClientRect();
    RECT inside;
    if (IntersectRect(inside, box, client) && inside == box) return;
    RECT units;
    text.GetAlignRect(&units);
    m_view.UnitToPage(units);
    m_view.SetPageCenterTo(int((units.left + units.right) / 2),
                           int((units.top + units.bottom) / 2));
    m_view.InvalidateRect(m_view.GetClientRect());
    DEF_CATCH
}

void CViewSpellCheck::OnSpellingSelectLanguage() {
    DEF_TRY
    CSpellingLanguageDialog dlg;
    dlg.m_dictionaries = CSpellChecker::FindDictionaries();
    dlg.m_strLanguage = CSpellChecker::GetLanguage();
    if (dlg.DoModal() != IDOK) return;
    // Only a dictionary that can be read may become the language of the check.
    const bool usable = std::any_of(
        dlg.m_dictionaries.begin(), dlg.m_dictionaries.end(),
        [&dlg](const SpellDictionary& d) { return d.code == dlg.m_strLanguage && d.available; });
    if (usable) CSpellChecker::SetLanguage(dlg.m_strLanguage);
    DEF_CATCH
}
