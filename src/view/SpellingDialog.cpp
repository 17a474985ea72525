#include "view/SpellingDialog.h"

#include "app/DialogButtons.h"
#include "app/Resource.h"
#include "platform/Guard.h"
#include "platform/ResourceModule.h"
#include "platform/WinTypes.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

int CSpellingDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_SPELL_CAPTION));
    auto* grid = new QGridLayout(&dlg);

    auto* word = new QLineEdit(m_strWord);
    word->setObjectName(QStringLiteral("word"));
    word->setReadOnly(true);
    auto* wordLabel = new QLabel(LoadResString(IDS_SPELL_NOT_IN_DICTIONARY));
    wordLabel->setBuddy(word);
    auto* changeTo = new QLineEdit(m_strChangeTo);
    changeTo->setObjectName(QStringLiteral("changeTo"));
    auto* changeLabel = new QLabel(LoadResString(IDS_SPELL_CHANGE_TO));
    changeLabel->setBuddy(changeTo);
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("suggestions"));
    list->addItems(m_suggestions);
    auto* listLabel = new QLabel(LoadResString(IDS_SPELL_SUGGESTIONS));
    listLabel->setBuddy(list);
    grid->addWidget(wordLabel, 0, 0);
    grid->addWidget(word, 1, 0);
    grid->addWidget(changeLabel, 2, 0);
    grid->addWidget(changeTo, 3, 0);
    grid->addWidget(listLabel, 4, 0);
    grid->addWidget(list, 5, 0);

    auto* buttons = new QVBoxLayout;
    const auto addButton = [&](UINT textId, const char* name, int action) {
        auto* b = new QPushButton(LoadResString(textId));
        b->setObjectName(QString::fromLatin1(name));
        QObject::connect(b, &QPushButton::clicked, &dlg, [this, &dlg, action] {
            m_nAction = action;
            if (action == SPELL_CANCEL)
                dlg.reject();
            else
                dlg.accept();
        });
        buttons->addWidget(b);
        return b;
    };
    QPushButton* replace = addButton(IDS_SPELL_REPLACE, "replace", SPELL_REPLACE);
    QPushButton* ignore = addButton(IDS_SPELL_IGNORE, "ignore", SPELL_IGNORE);
    addButton(IDS_SPELL_IGNORE_ALL, "ignoreAll", SPELL_IGNORE_ALL);
    addButton(IDS_SPELL_ADD, "add", SPELL_ADD);
    addButton(IDS_SPELL_CANCEL, "cancel", SPELL_CANCEL);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 6, 1);

    // Enter replaces once there is something else to put in; with the word unchanged it ignores.
    const auto chooseDefault = [this, replace, ignore](const QString& text) {
        const bool differs = text != m_strWord;
        replace->setDefault(differs);
        ignore->setDefault(!differs);
    };
    QObject::connect(changeTo, &QLineEdit::textChanged, &dlg, chooseDefault);
    QObject::connect(list, &QListWidget::currentTextChanged, changeTo, &QLineEdit::setText);
    QObject::connect(list, &QListWidget::itemDoubleClicked, replace, &QPushButton::click);
    chooseDefault(m_strChangeTo);
    if (m_suggestions.isEmpty()) {
        list->setEnabled(false);
        changeTo->setFocus();
        changeTo->selectAll();
    } else {
        list->setCurrentRow(0);
        list->setFocus();
    }

    m_nAction = SPELL_CANCEL;
    if (dlg.exec() != QDialog::Accepted) return IDCANCEL;
    m_strChangeTo = changeTo->text();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}

int CSpellingLanguageDialog::RunWidget(QWidget* parent) {
    DEF_TRY
    QDialog dlg(parent);
    dlg.setWindowTitle(LoadResString(IDS_SPELL_LANGUAGE_CAPTION));
    auto* layout = new QVBoxLayout(&dlg);
    auto* combo = new QComboBox;
    combo->setObjectName(QStringLiteral("language"));
    auto* label = new QLabel(LoadResString(IDS_SPELL_LANGUAGE_PROMPT));
    label->setBuddy(combo);
    layout->addWidget(label);
    layout->addWidget(combo);

    std::vector<SpellDictionary> shown = m_dictionaries;
    // The current language is shown even when none of its files is left.
    if (std::none_of(shown.begin(), shown.end(),
                     [this](const SpellDictionary& d) { return d.code == m_strLanguage; }) &&
        !m_strLanguage.isEmpty())
        shown.push_back(SpellDictionary{
            m_strLanguage, CSpellChecker::LanguageName(m_strLanguage), {}, {}, false});
    auto* model = new QStandardItemModel(combo);
    int current = -1;
    for (const SpellDictionary& d : shown) {
        auto* item = new QStandardItem(
            d.available ? d.name : LoadResString(IDS_SPELL_LANGUAGE_UNAVAILABLE).arg(d.name));
        item->setData(d.code, Qt::UserRole);
        if (!d.available)
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        if (d.code == m_strLanguage) current = model->rowCount();
        model->appendRow(item);
    }
    combo->setModel(model);
    combo->setCurrentIndex(current >= 0 ? current : 0);
    AddOkCancel(dlg, layout);
    if (dlg.exec() != QDialog::Accepted) return IDCANCEL;
    if (combo->currentIndex() >= 0) m_strLanguage = combo->currentData(Qt::UserRole).toString();
    return IDOK;
    DEF_CATCH
    return IDCANCEL;
}
