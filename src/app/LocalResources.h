#pragma once
// CLocalResources: the texts of the resource module replaced from a plain-text translation file,
// "brellin.ru" beside the program (else in the program's data folder), read once when the process
// starts. Every resource string, dialog (caption and control texts) and menu (item texts) that
// the program loads from the module passes through it: strings through the module's string hook,
// dialogs and menus when they are built from the module (TranslateDialog, TranslateMenu).
//
// The file is UTF-8, or Windows-1251 when it is not valid UTF-8 (files written for single-byte
// readers). Lines: "//" starts a comment; spaces and tabs around a line are dropped; a line splits
// at its first tab, else its first space, into a key and a value; numbers are hexadecimal when they
// hold "0X" in any case; "\n" and "\t" in texts are a line feed and a tab. Sections, each ended by
// an empty line:
//   STRINGS                 then lines "identifier text"
//   DLG identifier          then "CAPTION text" and lines "number text" for the controls in order
//   MENU identifier         then "POPUP text" / "MENUITEM text" lines in pre-order
// Malformed lines and unknown sections are passed over; nothing in the file can fail the start.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

struct DlgItemInfo {
    LONG nId = 0; // as written in the file; only the order counts
    QString strText;
};
struct DlgInfo {
    LONG nDialogId = 0;
    QString strCaption;
    int nFirstItem = 0;
    int nItemCount = 0;
};
struct MenuInfo {
    LONG nMenuId = 0;
    int nFirstText = 0;
    int nTextCount = 0;
};

class CLocalResources {
public:
    // 0: nothing is translated; 1: the translation file with the suffix "ru".
    explicit CLocalResources(int nLanguage = 0);

    // Reads the translation file at `path`; false when it cannot be opened (the tables stay
    // empty). Replaces what was read before.
    bool LoadFile(const QString& path);
    // The same from the file's bytes.
    void LoadText(const QByteArray& bytes);
    // The file the program reads: brellin.ru beside the program, else in the data folder; empty
    // when there is none.
    static QString FindTranslationFile();

    // The translated text of a string; false when the file does not have it.
    bool GetString(UINT id, QString& text) const;
    // Copies at most capacity - 1 characters and a terminator; the number copied, 0 when the file
    // does not have the string.
    int GetString(UINT id, char16_t* buffer, int capacity) const;

    // The dialog's caption and its controls' texts, the k-th control (TranslatedControls order)
    // taking the k-th text of the dialog's block. An identifier of -1 does nothing.
    void TranslateDialog(QWidget* dialog, int nDialogId) const;
    // The item texts of a menu or a menu bar in pre-order; separators take a place too.
    void TranslateMenu(QWidget* menu, int nMenuId) const;
    // The controls of a dialog in window order: its descendant widgets that carry a text of their
    // own (labels, buttons, group boxes, edit fields), depth first in creation order.
    static QList<QWidget*> TranslatedControls(QWidget* dialog);

    bool IsEmpty() const;
    int GetStringCount() const;
    const QList<DlgInfo>& GetDialogs() const { return m_dialogs; }
    const QList<MenuInfo>& GetMenus() const { return m_menus; }
    const QStringList& GetMenuTexts() const { return m_menuTexts; }

    // The program-wide instance, made before the application object.
    static CLocalResources& Instance();
    // Makes the module's string loading ask the instance first, and the program's dialogs take
    // their texts from it as they are shown.
    void InstallStringHook() const;
    // The number by which a translation file names a dialog of the program; -1 for none.
    static int DialogResourceId(const QString& dialogName);

private:
    void Clear();
    void LoadStrings(const QStringList& lines);
    void LoadDialogs(const QStringList& lines);
    void LoadMenus(const QStringList& lines);
    int TranslateMenuItems(const QWidget* menu, int pos, int end) const;

    int m_nLanguage;
    QHash<UINT, QString> m_strings;
    QList<DlgItemInfo> m_dlgItems;
    QList<DlgInfo> m_dialogs;
    QStringList m_menuTexts;
    QList<MenuInfo> m_menus;
    mutable QMutex m_lock;
};

// The split of one line of the file: false when the line is empty after its comment and
// spaces are gone. `value` is empty when the line has no separator.
bool SplitTranslationLine(const QString& line, QString& key, QString& value, bool& hasSeparator);
// A number as the file writes it (decimal, or hexadecimal with "0x"); false when it is none.
bool ParseTranslationNumber(const QString& text, LONG& value);
