#include "document/DocCommands.h"

#include "app/CommandIds.h"
#include "document/ImageSave.h"
#include "document/LumidorDoc.h"
#include "document/PdfFill.h"
#include "document/PdfWriter.h"

void RegisterDocumentCommands(CLumidorDoc& doc, CCommandMap& map) {
    map.On(ID_FILE_SAVE, [&doc] { doc.OnFileSave(); });
    map.On(ID_EDIT_RENAME_DOCUMENT, [&doc] { doc.OnEditRename(); });
    map.On(ID_FILE_SAVE_AS, [&doc] { doc.OnFileSaveAs(); });
    map.On(ID_FILE_SAVE_AS_DRAFT, [&doc] { doc.OnFileSaveAsDraft(); });
    map.On(ID_FILE_SAVE_AS_TEMPLATE, [&doc] { doc.OnFileSaveAsTemplate(); });
    RegisterImageSaveCommands(doc, map);
    RegisterPdfCommand(doc, map);
    RegisterFillPdfCommand(doc, map);
    map.On(ID_FILE_SAVE_FIELDS, [&doc] { doc.OnFileSaveFields(); });
    map.On(ID_FILE_IMPORT_FROM_TARNWICK, [&doc] { doc.OnFileImportFromTarnwick(); });
    map.On(ID_FILE_EXPORT_TO_TARNWICK, [&doc] { doc.OnFileExportToTarnwick(); });
    map.On(
        ID_FILE_REVERT_IMAGE, [&doc] { doc.OnFileRevertImage(); },
        [&doc](CCmdUI& ui) { ui.Enable(doc.OnUpdateFileRevertImage() != FALSE); });
    map.On(
        ID_VIEW_FRAME, [&doc] { doc.OnFrame(); },
        [&doc](CCmdUI& ui) { ui.SetCheck(doc.OnUpdateFrame() != FALSE); });
}
