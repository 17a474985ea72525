#pragma once
// The dialogs of a program's interface files (Qt Designer .ui files) as pictures: the user picks
// a file, its dialogs and those of the other interface files in its folder are listed in a tree
// (or shown as tabs), and the one chosen is built off the screen and captured. A file that is
// damaged, too large or holds no form is refused with a message; nothing of it stays built.

#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;

class CUiDialogCapture {
public:
    // The largest interface file read, and the largest dialog captured.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr int kMaxDialogSide = 8192;

    // SUCCESS and the picture of the dialog chosen; ERROR_USER_ABORT when the user cancelled or
    // was told why nothing could be captured. An empty file name asks for one.
    static int Run(const QString& fileName, bool tree, QImage& out);

    // The interface files a chosen file stands for: itself, then the other .ui files of its
    // folder by name; a folder gives all its .ui files.
    static QStringList FilesOf(const QString& path);
    // Builds the form of one file off the screen and captures it. SUCCESS, or an error code with
    // the reason in `error`.
    static int CaptureFile(const QString& path, QImage& out, QString& error);
    // The caption of a file's form (its window title, else its object name), empty when the file
    // cannot be built.
    static QString FormCaption(const QString& path);
};
