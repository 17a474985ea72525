#include "app/Utils.h"

#include "platform/Archive.h"
#include "platform/DataPaths.h"
#include "platform/DialogService.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <stdlib.h>

namespace {
bool IsSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

qsizetype LastSeparator(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsSeparator(path[i]))
            return i;
    return -1;
}

// Numbers in files and dialogs always have a decimal point, whatever the user's locale says.
locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return loc;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Numbers

bool StrToDouble(const QString& text, double& value) {
    DEF_TRY
    QByteArray bytes = text.toUtf8();
    if (bytes == "+" || bytes == "-")
        bytes = "0";
    const char* begin = bytes.constData();
    char* end = nullptr;
    value = strtod_l(begin, &end, CLocale());
    // An embedded NUL also ends the conversion early, so that text is refused too.
    return end == begin + bytes.size();
    DEF_CATCH
    return false;
}

bool IsValidInt(const QString& text) {
    DEF_TRY
    qsizetype i = 0;
    if (!text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')))
        i = 1;
    for (; i < text.size(); ++i)
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    return true;
    DEF_CATCH
    return false;
}

bool StrToInt(const QString& text, long& value) {
    DEF_TRY
    if (!IsValidInt(text))
        return false;
    value = std::strtol(text.toLatin1().constData(), nullptr, 10);
    return true;
    DEF_CATCH
    return false;
}

int RoundHalfUp(double x) {
    const double r = std::floor(x + 0.5);
    // Out of range (and NaN) would be undefined behaviour in the conversion: clamp instead.
    if (std::isnan(r))
        return 0;
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return int(r);
}

// ---------------------------------------------------------------------------------------------
// File names

QString ExtractFileExt(const QString& path) {
    DEF_TRY
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.mid(dot + 1);
    DEF_CATCH
    return {};
}

QString ExtractFileName(const QString& path) {
    DEF_TRY
    qsizetype pos = LastSeparator(path);
    if (pos < 0)
        pos = path.lastIndexOf(QLatin1Char(':'));
    return pos < 0 ? path : path.mid(pos + 1);
    DEF_CATCH
    return {};
}

QString FileNameForMessage(const QString& path) {
    DEF_TRY
    const QString native = QDir::toNativeSeparators(path);
    QString shown;
    shown.reserve(native.size());
    for (const QChar c : native) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
    DEF_CATCH
    return {};
}

QString ReasonForMessage(const QString& reason) {
    QString text = reason.trimmed();
    while (text.endsWith(QLatin1Char('.')) && !text.endsWith(QStringLiteral("...")))
        text.chop(1);
    return text;
}

QString ExtractFilePath(const QString& path) {
    DEF_TRY
    qsizetype pos = LastSeparator(path);
    if (pos < 0)
        pos = path.lastIndexOf(QLatin1Char(':'));
    return pos < 0 ? QString() : path.left(pos + 1);
    DEF_CATCH
    return {};
}

QString ChangeFileExt(const QString& path, const QString& ext) {
    DEF_TRY
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.left(dot)) + QLatin1Char('.') + ext;
    DEF_CATCH
    return {};
}

bool FileExists(const QString& path) {
    DEF_TRY
    // A folder can be opened for reading on this platform, but it is not a file.
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
    DEF_CATCH
    return false;
}

int CreateDirectories(const QString& path) {
    DEF_TRY
    // Both separators split the path, so each level becomes a real folder.
    QString fsPath = path;
    fsPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QDir dir;
    for (qsizetype i = 1; i < fsPath.size(); ++i)
        if (fsPath[i] == QLatin1Char('/'))
            dir.mkdir(fsPath.left(i));
    dir.mkdir(fsPath);
    return QFileInfo(fsPath).isDir() ? 0 : -1;
    DEF_CATCH
    return -1;
}

bool GetFolder(QString& path, const QString& title, QWidget* owner, const QString& root,
               const QString& preselected) {
    DEF_TRY
    (void)owner; // the dialog service parents its dialog on the active window
    FolderDialogRequest request;
    request.title = title;
    request.root = root;
    request.preselected = preselected;
    if (GetDialogService().GetFolder(request, path))
        return true;
    path.clear();
    return false;
    DEF_CATCH
    return false;
}

QString GetMyDocumentsPathName() {
    DEF_TRY
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    DEF_CATCH
    return {};
}

QImage LoadBitmapFromFile(const QString& name) {
    DEF_TRY
    const QString folder = GetProgramDataDir() + QStringLiteral("/Brellin/");
    QImage image;
    if (QFileInfo(folder).isDir())
        image.load(folder + name);
    // The about picture is optional; every other one is part of the installation.
    if (image.isNull() && name != QStringLiteral("about.bmp"))
        PlainMessageBox(QStringLiteral("Bitmap %1 isn't loaded").arg(name), QString());
    return image;
    DEF_CATCH
    return {};
}

bool IsImageFormatSupported(const QString& path) {
    DEF_TRY
    if (!path.contains(QLatin1Char('.')))
        return false;
    const QString ext = path.section(QLatin1Char('.'), -1).toLower();
    static const QStringList known = {QStringLiteral("bmp"), QStringLiteral("tif"),
                                      QStringLiteral("tiff"), QStringLiteral("pcx"),
                                      QStringLiteral("jpg"), QStringLiteral("png")};
    return known.contains(ext);
    DEF_CATCH
    return false;
}

// ---------------------------------------------------------------------------------------------
// Archive strings. These run inside the loading or storing operation's own guard: an archive
// fault must reach it, since a record read on past a bad string would be read out of step.

void WriteString(CArchive& ar, const QByteArray& text) {
    if (text.size() > INT32_MAX)
        AfxThrowArchiveException(CArchiveException::genericException,
                                 QStringLiteral("string too long"));
    ar << std::int32_t(text.size());
    ar.Write(text);
}

void ReadString(CArchive& ar, QByteArray& text) {
    std::int32_t n = 0;
    ar >> n;
    // The length is distrusted: ReadBytes refuses a negative one or one longer than what remains,
    // before anything is allocated.
    text = ar.ReadBytes(n);
}

QByteArray TextToBlock(const QByteArray& text) {
    DEF_TRY
    QByteArray block(text.size() + 1, '\0');
    std::memcpy(block.data(), text.constData(), size_t(text.size()));
    return block;
    DEF_CATCH
    return {};
}

void PumpMessages() {
    DEF_TRY
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    DEF_CATCH
}
