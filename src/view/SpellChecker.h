#pragma once
// CSpellChecker: the spelling component of the spelling check, over Hunspell and the installed
// dictionaries. One instance serves one run of the check and plays its roles in order: initialise
// with a language, begin the run, set and check each word, show the correction dialog for a
// misspelled one, read its result and the replacement, end the run.
//
// Words reach it in Unicode and Hunspell gets them in its dictionary's own character set; a word
// that character set cannot hold is not checked. The words the user adds are kept per language in
// a personal word list in the per-user data folder and given to Hunspell at every start.

#include <QString>
#include <QStringList>
#include <memory>
#include <set>
#include <vector>

class Hunspell;

// One installed dictionary: its language code ("en_US"), the name it is offered by and its pair
// of files; unavailable when either file is missing or cannot be read.
struct SpellDictionary {
    QString code;
    QString name;
    QString affPath;
    QString dicPath;
    bool available = false;
};

enum class SpellInit {
    Ok,
    // No dictionary for the language, or one that cannot be read or makes no sense.
    BadDictionary,
    // The engine itself failed; the reason says why.
    Failed,
};

enum class SpellResult { Misspelled, Correct, NotHeld };

class CSpellChecker {
public:
    CSpellChecker();
    ~CSpellChecker();
    CSpellChecker(const CSpellChecker&) = delete;
    CSpellChecker& operator=(const CSpellChecker&) = delete;

    // The folders searched for dictionaries, the user's own first.
    static QStringList DictionaryFolders();
    // Every dictionary of those folders, sorted by name; a language found twice is taken from the
    // first folder that holds both of its files.
    static std::vector<SpellDictionary> FindDictionaries();
    // "English (United States)" for "en_US"; the code itself for a code that names no language.
    static QString LanguageName(const QString& code);
    // The language of the settings, else the user's locale, else en_US.
    static QString GetLanguage();
    static void SetLanguage(const QString& code);
    static QString PersonalListPath(const QString& code);
    // Words longer than this are taken as correct without asking the engine.
    static constexpr int kMaxWordLength = 100;

    // Loads the language's dictionary and the personal word list. On failure `reason` says why
    // (for SpellInit::Failed) and nothing else of this object may be used.
    SpellInit Initialise(const QString& code, QString& reason);
    // Forgets the words ignored in an earlier run.
    void BeginCheck();
    void SetWord(const QString& word);
    SpellResult CheckWord();
    // Offers the word just checked in the correction dialog.
    void ShowDialog();
    // 0 when the user cancelled the whole check.
    int GetDialogResult() const { return m_nDialogResult; }
    // The word to put in place of the checked one (the same word when nothing is to change).
    QString GetReplacement() const { return m_strReplacement; }
    void EndCheck();

    // The engine's suggestions for a word, with its leading and trailing punctuation kept.
    QStringList Suggest(const QString& word);
    // Ignores the word for the rest of the run.
    void IgnoreAll(const QString& word);
    // Adds the word to the engine and to the personal word list; false when it was not added.
    bool AddToDictionary(const QString& word);
    // The letters of a word: what is left without its leading and trailing punctuation.
    static QString WordCore(const QString& word, int* prefix = nullptr, int* suffix = nullptr);

private:
    // Unicode to the dictionary's character set and back; false when it cannot be held.
    bool ToDictionary(const QString& word, std::string& out) const;
    bool FromDictionary(const std::string& bytes, QString& out) const;
    void LoadPersonalList();

    std::unique_ptr<Hunspell> m_pEngine;
    QString m_strCode;
    QByteArray m_encoding; // the iconv name of the dictionary's character set
    bool m_bUtf8 = true;
    QString m_strWord;
    int m_nDialogResult = 0;
    QString m_strReplacement;
    std::set<QString> m_ignored;
};
