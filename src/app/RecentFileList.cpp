#include "app/RecentFileList.h"

#include "platform/Guard.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString Entry(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}

QString Normalized(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

void CRecentFileList::ReadList() {
    DEF_TRY
    m_files.clear();
    const QString section = QString::fromLatin1(kSection);
    for (int i = 0; i < kSize; ++i) {
        const QString path = Profile().GetProfileString(section, Entry(i), QString());
        if (!path.isEmpty() && !m_files.contains(path)) m_files.append(path);
    }
    DEF_CATCH
}

void CRecentFileList::WriteList() const {
    DEF_TRY
    const QString section = QString::fromLatin1(kSection);
    Profile().DeleteProfileSection(section);
    for (int i = 0; i < int(m_files.size()); ++i)
        Profile().WriteProfileString(section, Entry(i), m_files[i]);
    DEF_CATCH
}

void CRecentFileList::Add(const QString& path) {
    DEF_TRY
    if (path.isEmpty()) return;
    const QString file = Normalized(path);
    m_files.removeAll(file);
    m_files.prepend(file);
    while (m_files.size() > kSize)
        m_files.removeLast();
    WriteList();
    DEF_CATCH
}

void CRecentFileList::Remove(int index) {
    DEF_TRY
    if (index < 0 || index >= int(m_files.size())) return;
    m_files.removeAt(index);
    WriteList();
    DEF_CATCH
}

QString CRecentFileList::GetDisplayName(int index, int maxChars) const {
    DEF_TRY
    if (index < 0 || index >= int(m_files.size())) return {};
    const QString path = QDir::toNativeSeparators(m_files[index]);
    QString shown = path;
    if (shown.size() > maxChars) {
        // Keep the file name whole and as much of the folder's start as fits.
        const QString name = QFileInfo(m_files[index]).fileName();
        const int keep = maxChars - int(name.size()) - 4;
        shown = keep > 0 ? path.left(keep) + QStringLiteral("...") + QDir::separator() + name
                         : name;
    }
    // A literal ampersand would become a mnemonic.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
    DEF_CATCH
    return {};
}
