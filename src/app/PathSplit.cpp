#include "app/PathSplit.h"

#include "platform/Guard.h"

namespace {
constexpr int kShortPath = 45;
constexpr int kKeptChars = 46;

bool IsSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }
} // namespace

CPathSplit::CPathSplit(const QString& path) { Split(path); }

bool CPathSplit::Split(const QString& path) {
    DEF_TRY
    *this = CPathSplit();
    m_strPath = path;
    const int n = int(path.size());
    if (n == 0)
        return false;

    if (n >= 2 && path[1] == QLatin1Char(':'))
        m_nDriveLength = 2;

    int firstSep = -1;
    int lastSep = -1;
    for (int i = 0; i < n; ++i) {
        if (IsSeparator(path[i])) {
            if (firstSep < 0)
                firstSep = i;
            lastSep = i;
        }
    }

    m_nNameStart = lastSep >= 0 ? lastSep + 1 : m_nDriveLength;
    if (firstSep >= 0) {
        m_nFolderStart = firstSep;
        if (n >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
            m_nFolderStart = firstSep + 1;
    } else {
        m_nFolderStart = m_nNameStart;
    }
    m_nFolderLength = m_nNameStart - m_nFolderStart;

    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    if (dot > m_nNameStart) {
        m_nNameLength = dot - m_nNameStart;
        m_nExtStart = dot + 1;
        m_nExtLength = n - m_nExtStart;
    } else {
        m_nNameLength = n - m_nNameStart;
        m_nExtStart = n;
        m_nExtLength = 0;
    }
    return true;
    DEF_CATCH
    return false;
}

QString CPathSplit::GetSplittedPath() const {
    DEF_TRY
    if (m_strPath.size() <= kShortPath)
        return m_strPath;
    const QString name = GetName();
    if (name.size() > kKeptChars)
        return QStringLiteral("...\\") + name.left(kKeptChars) + QStringLiteral("...");
    return m_strPath.left(kKeptChars - name.size()) + QStringLiteral("...\\") + name;
    DEF_CATCH
    return {};
}
