#include "platform/ResourceModule.h"

#include "platform/Guard.h"

#include <QFile>
#include <QFileInfo>
#include <QResource>

namespace {
const QString kMapRoot = QStringLiteral("/brellin-module");

struct ModuleState {
    QString path;
    bool loaded = false;
    QHash<UINT, QString> strings;
    StringOverride override;
};

ModuleState& State() {
    static ModuleState s;
    return s;
}

QString Unescape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar n = text[i + 1];
            if (n == QLatin1Char('n')) { out += QLatin1Char('\n'); ++i; continue; }
            if (n == QLatin1Char('t')) { out += QLatin1Char('\t'); ++i; continue; }
            if (n == QLatin1Char('\\')) { out += QLatin1Char('\\'); ++i; continue; }
        }
        out += c;
    }
    return out;
}
} // namespace

QHash<UINT, QString> ParseStringTable(const QByteArray& text) {
    QHash<UINT, QString> table;
    const QList<QByteArray> lines = text.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        bool ok = false;
        // Decimal only: an identifier written with leading zeros is not octal.
        const UINT id = line.left(tab).trimmed().toUInt(&ok, 10);
        if (!ok)
            continue;
        table.insert(id, Unescape(QString::fromUtf8(line.mid(tab + 1))));
    }
    return table;
}

bool LoadResourceModule(const QString& path) {
    DEF_TRY
    UnloadResourceModule();
    if (!QFileInfo(path).isFile())
        return false;
    if (!QResource::registerResource(path, kMapRoot))
        return false;
    ModuleState& s = State();
    s.path = path;
    s.loaded = true;
    QFile strings(ResourceModulePath(QStringLiteral("strings.txt")));
    if (strings.open(QIODevice::ReadOnly))
        s.strings = ParseStringTable(strings.readAll());
    return true;
    DEF_CATCH
    return false;
}

void UnloadResourceModule() {
    ModuleState& s = State();
    if (s.loaded)
        QResource::unregisterResource(s.path, kMapRoot);
    s.loaded = false;
    s.path.clear();
    s.strings.clear();
}

bool IsResourceModuleLoaded() { return State().loaded; }

void SetStringOverride(StringOverride hook) { State().override = std::move(hook); }

QString LoadResString(UINT id) {
    ModuleState& s = State();
    QString text;
    if (s.override && s.override(id, text))
        return text;
    return s.strings.value(id);
}

QString ResourceModulePath(const QString& name) {
    return QLatin1Char(':') + kMapRoot + QLatin1Char('/') + name;
}

bool GetResourceVersion(DWORD& ms, DWORD& ls) {
    DEF_TRY
    if (!State().loaded)
        return false;
    QFile f(ResourceModulePath(QStringLiteral("version.txt")));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // "FILEVERSION a,b,c,d"
    QByteArray line = f.readLine().trimmed();
    if (!line.startsWith("FILEVERSION"))
        return false;
    const QList<QByteArray> parts = line.mid(11).trimmed().split(',');
    if (parts.size() != 4)
        return false;
    DWORD w[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint v = parts[i].trimmed().toUInt(&ok);
        if (!ok || v > 0xFFFF)
            return false;
        w[i] = v;
    }
    ms = (w[0] << 16) | w[1];
    ls = (w[2] << 16) | w[3];
    return true;
    DEF_CATCH
    return false;
}
