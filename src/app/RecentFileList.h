#pragma once
// CRecentFileList: the documents most recently opened or saved, newest first, shown in the File
// menu. It lives in the settings' "Recent File List" section as "File1" .. "File7", rewritten on
// every change so that a crash keeps it.

#include <QString>
#include <QStringList>

class CRecentFileList {
public:
    static constexpr int kSize = 7;
    static constexpr char kSection[] = "Recent File List";

    // Reads the list from the settings; empty entries and duplicates are dropped.
    void ReadList();
    void WriteList() const;

    // Puts path (made absolute) first, removing an older entry of the same file and the oldest
    // beyond the size; written at once.
    void Add(const QString& path);
    void Remove(int index);
    int GetSize() const { return int(m_files.size()); }
    const QStringList& GetFiles() const { return m_files; }

    // The menu text of entry index: "&1 name", with the folder shortened to fit maxChars.
    QString GetDisplayName(int index, int maxChars = 40) const;

private:
    QStringList m_files;
};
