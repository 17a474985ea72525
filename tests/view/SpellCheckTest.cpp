// The spelling check of a page's text fields with the installed en_US dictionary and dictionaries
// made by the tests: the word walk, replacements that move the following words, cancelling,
// Ignore All and Add to Dictionary, missing and damaged dictionaries, words too long to check,
// words and replacements that a character set cannot hold, and the choice of language.

#include "TestSupport.h"
#include "ViewFixture.h"

#include "app/CommandIds.h"
#include "app/ProfileRecords.h"
#include "app/Resource.h"
#include "objects/TranspRectangle.h"
#include "objects/TranspText.h"
#include "platform/CodePage.h"
#include "platform/ResourceModule.h"
#include "platform/SettingsStore.h"
#include "view/SpellCheck.h"
#include "view/SpellChecker.h"
#include "view/SpellingDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

namespace {

struct Answer {
    int action;
    QString changeTo = {};
};

struct SpellTest : ::testing::Test {
    SpellTest() : doc(DocWithImage(400, 300, kWhite)), shown(doc.get(), 600, 400) {
        EXPECT_TRUE(EnsureResourceModule());
        CSpellChecker::SetLanguage(QStringLiteral("en_US"));
        QFile::remove(CSpellChecker::PersonalListPath(QStringLiteral("en_US")));
        TestDialogs().handlers[QStringLiteral("CSpellingDialog")] = [this](CModalDialog& d) {
            auto& dlg = static_cast<CSpellingDialog&>(d);
            asked << dlg.m_strWord;
            prefilled << dlg.m_strChangeTo;
            suggestions.push_back(dlg.m_suggestions);
            auto* active = dynamic_cast<CTranspText*>(View().GetActiveObject());
            selected.push_back(active ? active->GetSelectedText() : QByteArray());
            if (answers.empty()) return int(IDCANCEL);
            const Answer a = answers.front();
            answers.pop_front();
            dlg.m_nAction = a.action;
            dlg.m_strChangeTo = a.changeTo;
            return a.action == CSpellingDialog::SPELL_CANCEL ? int(IDCANCEL) : int(IDOK);
        };
    }
    CLumidorView& View() { return shown.view; }
    CTranspText* AddText(const QString& text, BYTE charSet = ANSI_CHARSET) {
        TEXTSTYLE style = DefaultTextStyle();
        style.lf.lfCharSet = charSet;
        QByteArray bytes;
        EXPECT_TRUE(UnicodeToCodePage(text, CodePageFromCharSet(charSet), bytes));
        auto t = std::make_unique<CTranspText>(&View(), 10000, 50000 + 40000 * int(Objects()),
                                               &style, bytes.constData(), 0, TRUE);
        CTranspText* p = t.get();
        doc->AddObjectToList(std::move(t));
        return p;
    }
    static QString Text(const CTranspText* t) {
        QString s;
        CodePageToUnicode(t->GetText(), t->GetCodePage(), s);
        return s;
    }
    std::size_t Objects() { return doc->GetObjectsList(0)->size(); }
    void Run() { View().GetCommandMap().Execute(ID_TOOLBAR_SPELLING); }
    QStringList Shown() {
        QStringList texts;
        for (const MessageRequest& m : TestMessages().shown)
            texts << m.text;
        return texts;
    }
    // A dictionary of the tests' own in the user's dictionary folder, which is searched first.
    static void WriteDictionary(const QString& code, const QByteArray& aff, const QByteArray& dic) {
        const QString dir = CSpellChecker::DictionaryFolders().front();
        QDir().mkpath(dir);
        for (const auto& [suffix, bytes] :
             {std::pair{QStringLiteral(".aff"), aff}, {QStringLiteral(".dic"), dic}}) {
            QFile::remove(dir + "/" + code + suffix);
            if (bytes.isNull()) continue;
            QFile f(dir + "/" + code + suffix);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    }

    std::unique_ptr<CLumidorDoc> doc;
    ShownView shown;
    std::deque<Answer> answers;
    QStringList asked, prefilled;
    std::vector<QStringList> suggestions;
    std::vector<QByteArray> selected;
};

// Every word of a text with its start, walked from position 0 until the position is -1.
QStringList Walk(const QString& text) {
    QStringList words;
    int position = 0;
    while (position != -1) {
        int start = -5;
        const QString w = EnumWords(text, position, start);
        words << QStringLiteral("%1@%2").arg(w).arg(start);
    }
    return words;
}

// Runs the real dialog; `act` gets it once it is shown and must close it.
int RunShown(CModalDialog& dlg, std::function<void(QDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* shown = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(shown, nullptr);
        act(*shown);
    });
    return dlg.RunWidget(nullptr);
}

void Key(QDialog& d, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&d, &press);
}

} // namespace

TEST(SpellWords, EnumWordsSplitsAtLineBreaksAndSpacesOnly) {
    const struct {
        QString text;
        QStringList words;
    } cases[] = {
        {"word, next", {"word,@0", "next@6"}},
        {"  lead", {"lead@2"}},
        {"trail  ", {"trail@0", "@7"}},
        {"a\r\nb", {"a@0", "b@3"}},
        {"tab\there-it's.", {"tab\there-it's.@0"}},
        {"", {"@0"}},
        {"\r\n \n", {"@4"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.text), c.words) << c.text.toStdString();
    int position = 3, start = 0;
    EXPECT_EQ(EnumWords("one two", position, start), "two");
    EXPECT_EQ(position, -1);
    EXPECT_EQ(EnumWords("one two", position, start), "") << "a finished walk stays finished";
    EXPECT_EQ(position, -1);
}

TEST_F(SpellTest, ALongerReplacementMovesTheFollowingWordsAndTheCheckGoesOn) {
    CTranspText* a = AddText("helo wrld, fine\r\nqzxv");
    CTranspText* b = AddText("speling good");
    doc->AddObjectToList(
        std::make_unique<CTranspRectangle>(&View(), RECT{1000, 1000, 9000, 9000}, 0, 0, 0));
    CCmdUI ui(ID_TOOLBAR_SPELLING);
    View().GetCommandMap().Update(ui);
    EXPECT_TRUE(ui.m_bEnabled);
    answers = {{CSpellingDialog::SPELL_REPLACE, "hello wrold"},
               {CSpellingDialog::SPELL_REPLACE, "world,"},
               {CSpellingDialog::SPELL_IGNORE, "qzxv"},
               {CSpellingDialog::SPELL_IGNORE, "spelling"}};
    Run();
    EXPECT_EQ(asked, (QStringList{"helo", "wrld,", "qzxv", "speling"}));
    // Each word was selected where it stood after the replacements before it.
    EXPECT_EQ(selected, (std::vector<QByteArray>{"helo", "wrld,", "qzxv", "speling"}));
    EXPECT_EQ(Text(a), "hello wrold world, fine\r\nqzxv");
    EXPECT_EQ(Text(b), "speling good") << "Ignore with another text in the edit changes nothing";
    ASSERT_GE(suggestions.size(), 2u);
    EXPECT_TRUE(suggestions[0].contains("hello"));
    EXPECT_EQ(prefilled[0], suggestions[0].value(0)) << "the edit starts with the first suggestion";
    for (const QString& s : suggestions[1])
        EXPECT_TRUE(s.endsWith(',')) << s.toStdString();
    EXPECT_EQ(Shown(), QStringList{LoadResString(IDS_SPELL_COMPLETE)});
    EXPECT_TRUE(a->GetSelectedText().isEmpty());
    // Each replacement is one step of the object's own undo.
    a->Undo();
    EXPECT_EQ(Text(a), "hello wrold wrld, fine\r\nqzxv");
}

TEST_F(SpellTest, CancelEndsTheCheckAndLeavesTheWord) {
    CTranspText* a = AddText("fine helo wrld");
    AddText("speling");
    answers = {{CSpellingDialog::SPELL_CANCEL}};
    Run();
    EXPECT_EQ(asked, QStringList{"helo"});
    EXPECT_EQ(Text(a), "fine helo wrld");
    EXPECT_TRUE(Shown().isEmpty()) << "no completion after a cancel";
    EXPECT_EQ(View().GetActiveObject(), a);
    EXPECT_TRUE(a->GetSelectedText().isEmpty());
}

TEST_F(SpellTest, IgnoreAllLastsTheRunAndAddToDictionaryLastsForGood) {
    AddText("qzxv one qzxv");
    AddText("(qzxv). vbnm");
    answers = {{CSpellingDialog::SPELL_IGNORE_ALL}, {CSpellingDialog::SPELL_ADD}};
    Run();
    EXPECT_EQ(asked, (QStringList{"qzxv", "vbnm"}));
    // The next run has forgotten what was ignored but keeps what was added.
    asked.clear();
    answers = {{CSpellingDialog::SPELL_IGNORE},
               {CSpellingDialog::SPELL_IGNORE},
               {CSpellingDialog::SPELL_IGNORE}};
    Run();
    EXPECT_EQ(asked, (QStringList{"qzxv", "qzxv", "(qzxv)."}));
    QFile list(CSpellChecker::PersonalListPath("en_US"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), "vbnm\n");
}

TEST_F(SpellTest, APageWithoutWordsIsCompleteAtOnce) {
    doc->AddObjectToList(
        std::make_unique<CTranspRectangle>(&View(), RECT{1000, 1000, 9000, 9000}, 0, 0, 0));
    CCmdUI ui(ID_TOOLBAR_SPELLING);
    View().GetCommandMap().Update(ui);
    EXPECT_FALSE(ui.m_bEnabled) << "nothing to check without a text object";
    CViewSpellCheck check(View());
    check.OnToolbarSpelling();
    AddText("");
    AddText(" \r\n  ");
    AddText("42 3.14 -- !?");
    check.OnToolbarSpelling();
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
    EXPECT_EQ(Shown(),
              (QStringList{LoadResString(IDS_SPELL_COMPLETE), LoadResString(IDS_SPELL_COMPLETE)}));
}

TEST_F(SpellTest, AMissingOrDamagedDictionaryIsReportedAndNothingChanges) {
    CTranspText* a = AddText("helo");
    View().SetActiveObject(a);
    WriteDictionary("fr_FR", "SET UTF-8\n", "not a count\nmot\n");
    WriteDictionary("it_IT", "SET UTF-8\n", "3\n");
    WriteDictionary("es_ES", "SET UTF-8\n", QByteArray());
    WriteDictionary("pt_PT", "SET NO-SUCH-CHARSET\n", "1\npalavra\n");
    for (const QString code : {"xx_YY", "fr_FR", "it_IT", "es_ES", "pt_PT"}) {
        TestMessages().shown.clear();
        Profile().WriteProfileString(kSectionSettings, "SpellingLanguage", code);
        Run();
        ASSERT_EQ(Shown().size(), 1) << code.toStdString();
        EXPECT_EQ(Shown()[0],
                  LoadResString(IDS_SPELL_DICTIONARY_BAD).arg(CSpellChecker::LanguageName(code)));
    }
    EXPECT_TRUE(TestDialogs().dialogsRun.isEmpty());
    EXPECT_EQ(Text(a), "helo");
    EXPECT_EQ(View().GetActiveObject(), a);
}

TEST_F(SpellTest, WordsTooLongToCheckAreTakenAsCorrect) {
    const QString huge(20000, 'q');
    AddText(huge + " " + QString(101, QChar(0xE4)) + " helo " + QString(5000, ',') + huge + ".");
    answers = {{CSpellingDialog::SPELL_IGNORE}};
    Run();
    EXPECT_EQ(asked, QStringList{"helo"});
    EXPECT_EQ(Shown(), QStringList{LoadResString(IDS_SPELL_COMPLETE)});
}

TEST_F(SpellTest, CharacterSetsOfDictionaryAndTextAreRespected) {
    // A Latin-1 dictionary: a German word in a Western text is found, a Greek word cannot be
    // checked and is reported once; a replacement the text cannot hold is refused.
    WriteDictionary("de_AT", "SET ISO8859-1\n", QByteArray("2\ngr\xFC\xDF\nhallo\n"));
    CSpellChecker::SetLanguage("de_AT");
    CTranspText* western = AddText(QString::fromUtf8("gr\u00FC\u00DF hallo halo"));
    CTranspText* greek =
        AddText(QString::fromUtf8("\u03BB\u03CC\u03B3\u03BF\u03C2 \u03BB\u03CC\u03B3\u03BF\u03C2"),
                GREEK_CHARSET);
    answers = {
        {CSpellingDialog::SPELL_REPLACE, QString::fromUtf8("\u03BB\u03CC\u03B3\u03BF\u03C2")}};
    Run();
    EXPECT_EQ(asked, QStringList{"halo"});
    EXPECT_EQ(Text(western), QString::fromUtf8("gr\u00FC\u00DF hallo halo"));
    EXPECT_EQ(Text(greek),
              QString::fromUtf8("\u03BB\u03CC\u03B3\u03BF\u03C2 \u03BB\u03CC\u03B3\u03BF\u03C2"));
    EXPECT_EQ(Shown(), (QStringList{LoadResString(IDS_SPELL_WORD_NOT_HELD)
                                        .arg(QString::fromUtf8("\u03BB\u03CC\u03B3\u03BF\u03C2")),
                                    LoadResString(IDS_SPELL_COMPLETE)}));
}

TEST_F(SpellTest, OnlyAReadableDictionaryCanBeChosen) {
    WriteDictionary("fr_FR", "SET UTF-8\n", QByteArray());
    std::vector<SpellDictionary> offered;
    QString choice;
    TestDialogs().handlers["CSpellingLanguageDialog"] = [&](CModalDialog& d) {
        auto& dlg = static_cast<CSpellingLanguageDialog&>(d);
        offered = dlg.m_dictionaries;
        dlg.m_strLanguage = choice;
        return int(IDOK);
    };
    // A language in the settings that could name a file elsewhere is not taken.
    Profile().WriteProfileString(kSectionSettings, "SpellingLanguage", "../../etc/x");
    EXPECT_EQ(CSpellChecker::GetLanguage(), "en_US");
    choice = "fr_FR";
    View().GetCommandMap().Execute(ID_SPELLING_SELECT_LANGUAGE);
    EXPECT_EQ(CSpellChecker::GetLanguage(), "en_US");
    const auto find = [&](const QString& code) {
        return std::find_if(offered.begin(), offered.end(),
                            [&](const SpellDictionary& d) { return d.code == code; });
    };
    ASSERT_NE(find("fr_FR"), offered.end());
    EXPECT_FALSE(find("fr_FR")->available);
    ASSERT_NE(find("en_US"), offered.end());
    EXPECT_TRUE(find("en_US")->available);
    EXPECT_EQ(find("en_US")->name, "English (United States)");
    WriteDictionary("fr_FR", "SET UTF-8\n", "1\nmot\n");
    View().GetCommandMap().Execute(ID_SPELLING_SELECT_LANGUAGE);
    EXPECT_EQ(CSpellChecker::GetLanguage(), "fr_FR");
}

TEST(SpellDialog, SuggestionsFillTheEditAndTheKeysAnswer) {
    CSpellingDialog dlg;
    dlg.m_strWord = "wrld,";
    dlg.m_suggestions = {"world,", "weld,"};
    dlg.m_strChangeTo = "world,";
    // A click on a suggestion puts it in the edit; Enter then replaces.
    EXPECT_EQ(RunShown(dlg,
                       [](QDialog& d) {
                           d.findChild<QListWidget*>("suggestions")->setCurrentRow(1);
                           EXPECT_TRUE(d.findChild<QPushButton*>("replace")->isDefault());
                           Key(d, Qt::Key_Return);
                       }),
              IDOK);
    EXPECT_EQ(dlg.m_nAction, CSpellingDialog::SPELL_REPLACE);
    EXPECT_EQ(dlg.m_strChangeTo, "weld,");
    // With the word itself in the edit Enter ignores it; Escape cancels the check.
    dlg.m_suggestions.clear();
    dlg.m_strChangeTo = dlg.m_strWord;
    EXPECT_EQ(RunShown(dlg, [](QDialog& d) { Key(d, Qt::Key_Return); }), IDOK);
    EXPECT_EQ(dlg.m_nAction, CSpellingDialog::SPELL_IGNORE);
    EXPECT_EQ(RunShown(dlg, [](QDialog& d) { Key(d, Qt::Key_Escape); }), IDCANCEL);
    EXPECT_EQ(dlg.m_nAction, CSpellingDialog::SPELL_CANCEL);
}
