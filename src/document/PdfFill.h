#pragma once
// Save Filled PDF: for a document made from a PDF file, a copy of that file with each form
// field's value set from the object that stands for it, appearance streams made for the values,
// and the objects the user added beyond the fields drawn over their pages as vectors. The
// original's content streams and every other object stay as they were (libqpdf writes them
// through without decoding); the file is written beside the target and renamed over it.
//
//   brellin --fill-pdf OUT.pdf IN      IN a document (or a PDF file) as File Open reads it

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

class CCommandMap;
class CLumidorDoc;

enum class PdfSourceState {
    None,    // the document came from no PDF file
    Missing, // the file is no longer where it was
    Changed, // its bytes are not those the document was made from
    Ok,
};
PdfSourceState CheckPdfSource(const CLumidorDoc& doc);

enum class PdfFillResult { Ok, NeedPassword, Failed };

// Writes the filled copy to `path`. `password` opens an encrypted original (NeedPassword when it
// is needed or wrong); `error` gets what went wrong in words.
PdfFillResult WriteFilledPdf(const CLumidorDoc& doc, const QString& path,
                             const QByteArray& password = {}, QString* error = nullptr);

// File > Save Filled PDF: checks the source (offering the flattened export when it moved or
// changed), asks for the file name and, for an encrypted original, its password.
void OnFileSaveFilledPdf(CLumidorDoc& doc);
void RegisterFillPdfCommand(CLumidorDoc& doc, CCommandMap& map);

int RunFillPdfCommand(const QStringList& args);
void RegisterPdfFormBatchCommands();
