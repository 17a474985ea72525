#pragma once
// Sending pages by mail: the pages become PNG or JPEG pictures in the temporary mail folder
// ("brf_tmp" in the system temporary folder) and are handed as attachments to the desktop's mail
// program through xdg-email, which runs beside the program. The pictures stay until ten minutes
// after the last mail command, long enough for the mail program to have taken them.

#include "app/CommandTarget.h"

#include <QString>
#include <QStringList>

class CLumidorDoc;
class CLumidorView;

// The temporary mail folder, with its trailing separator.
QString GetMailTempDir();
// The picture's name without extension: the document name, for the current page of a document
// of several pages "_" and the page name; every space (and every path separator) becomes "_".
QString MailBaseName(const CLumidorDoc& doc, int nPage, bool bCurrentPage);

// The files the last mail command attached, in page order.
const QStringList& GetMailAttachments();

void OnFileSendByMail(CLumidorDoc& doc, int nPage);
// Starts the mail program with one attachment per file; nothing for an empty list. Its failures
// are said when they come. False when it could not be started.
bool SendFilesByMail(const QStringList& files, CLumidorDoc* pDoc = nullptr);

void RegisterMailCommands(CLumidorView& view, CCommandMap& map);
