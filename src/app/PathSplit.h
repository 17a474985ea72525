#pragma once
// A path taken apart into drive, folder, file name and extension, and shortened for a status line.
// Both "\" and "/" separate folders.

#include <QString>
#include <cstdint>

class CPathSplit {
public:
    CPathSplit() = default;
    explicit CPathSplit(const QString& path);

    // Finds the parts of `path`; false for an empty path (every part is then empty).
    bool Split(const QString& path);
    // The path when it has at most 45 characters; otherwise shortened around "...\" so the file
    // name (without extension) stays readable.
    QString GetSplittedPath() const;

    QString GetPath() const { return m_strPath; }
    QString GetDrive() const { return m_strPath.mid(m_nDriveStart, m_nDriveLength); }
    QString GetFolder() const { return m_strPath.mid(m_nFolderStart, m_nFolderLength); }
    QString GetName() const { return m_strPath.mid(m_nNameStart, m_nNameLength); }
    QString GetExt() const { return m_strPath.mid(m_nExtStart, m_nExtLength); }

    std::int32_t m_nDriveStart = 0;
    std::int32_t m_nDriveLength = 0;
    // The first separator; one further when the path begins with two (a network path).
    std::int32_t m_nFolderStart = 0;
    // Up to and including the last separator.
    std::int32_t m_nFolderLength = 0;
    // Just after the last separator.
    std::int32_t m_nNameStart = 0;
    // Without the extension.
    std::int32_t m_nNameLength = 0;
    // After the last dot, when that dot lies after the start of the file name.
    std::int32_t m_nExtStart = 0;
    std::int32_t m_nExtLength = 0;

private:
    QString m_strPath;
};
