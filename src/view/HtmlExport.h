#pragma once
// The pages as a small web page: one JPEG picture per page with the page's caption under it,
// written beside the HTML file and opened with the desktop's viewer.

#include "app/CommandTarget.h"

#include <QByteArray>
#include <QString>

class CLumidorDoc;
class CLumidorView;

// The page's caption and how far down the picture reaches (page pixels): the text of the text
// object whose top lies highest on the page, and that top; no text and the canvas height when
// the page has none.
struct HtmlCaption {
    QByteArray text;
    int nBound = 0;
};
HtmlCaption GetHtmlCaption(const CLumidorDoc& doc, int nPage);

// The picture of page nPage: the HTML file's path without ".html", the page index, ".jpg".
QString HtmlPictureName(const QString& file, int nPage);

// Writes the HTML file and its pictures; false (said) when they cannot be written.
bool SaveAsHtml(const CLumidorDoc& doc, const QString& file);
// "temp.html" in the images folder, opened in the desktop's viewer once written.
void OnSaveAsHtml(const CLumidorDoc& doc);

void RegisterHtmlCommands(CLumidorView& view, CCommandMap& map);
