#pragma once
// The dialogs of the spelling check: the correction dialog that offers a misspelled word with
// the dictionary's suggestions, and the choice of the language the check uses.

#include "platform/DialogService.h"
#include "view/SpellChecker.h"

#include <QString>
#include <QStringList>
#include <vector>

class CSpellingDialog : public CModalDialog {
public:
    // What the user chose; IDCANCEL from DoModal means SPELL_CANCEL as well.
    enum Action { SPELL_REPLACE, SPELL_IGNORE, SPELL_IGNORE_ALL, SPELL_ADD, SPELL_CANCEL };

    QString DialogName() const override { return QStringLiteral("CSpellingDialog"); }
    int RunWidget(QWidget* parent) override;

    QString m_strWord;
    QStringList m_suggestions;
    // In: the first suggestion (or the word); out: the replacement when SPELL_REPLACE.
    QString m_strChangeTo;
    int m_nAction = SPELL_CANCEL;
};

class CSpellingLanguageDialog : public CModalDialog {
public:
    QString DialogName() const override { return QStringLiteral("CSpellingLanguageDialog"); }
    int RunWidget(QWidget* parent) override;

    std::vector<SpellDictionary> m_dictionaries;
    // In: the current language's code; out: the chosen one.
    QString m_strLanguage;
};
