#pragma once
// The spelling check of the active page's text fields: every text object of the page in tab
// order, word by word; a misspelled word is selected in its object and offered in the correction
// dialog, and an accepted correction goes into the text as one undo step of the object.

#include <QString>
#include <QStringList>

class CCommandMap;
class CLumidorView;
class CSpellChecker;
class CTranspText;

// The spelling commands of a view: the check of its page and the choice of language.
void RegisterSpellingCommands(CLumidorView& view, CCommandMap& map);

// The next word of `text` from `position`: separators (carriage return, line feed, space) are
// skipped, the word runs to the next separator; punctuation belongs to the word. `start` gets the
// word's index; `position` becomes the index after it, or -1 when the word reaches the end of the
// text (the word is then empty when only separators were left).
QString EnumWords(const QString& text, int& position, int& start);

class CViewSpellCheck {
public:
    explicit CViewSpellCheck(CLumidorView& view) : m_view(view) {}

    // Whether the active page has a text object to check.
    bool CanCheck() const;
    void OnToolbarSpelling();
    void OnSpellingSelectLanguage();

private:
    // Walks the words of one text object; false when the user cancelled the check.
    bool CheckText(CTranspText& text, CSpellChecker& checker);
    // Scrolls a text object that is not wholly in the window into its middle.
    void BringIntoView(CTranspText& text);

    CLumidorView& m_view;
    // Words the dictionary's character set cannot hold, reported once per run.
    QStringList m_notHeld;
};
