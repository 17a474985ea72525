#include "acquire/CaptureBatch.h"
#include "acquire/ScanBatch.h"
#include "app/LumidorApp.h"
#include "document/DocumentBatch.h"
#include "document/DocManager.h"
#include "document/PdfFill.h"
#include "frame/MainFrame.h"
#include "view/PageExport.h"
#include "view/ViewPrint.h"

int main(int argc, char* argv[]) {
    CLumidorApp app(argc, argv);
    RegisterDocumentBatchCommands();
    RegisterPdfFormBatchCommands();
    RegisterViewBatchCommands();
    RegisterPrintBatchCommands();
    RegisterCaptureBatchCommand();
    RegisterScanBatchCommand();
    CDocManager documents;
    app.SetDocumentManager(&documents);
    app.SetMainFrameFactory([&documents] {
        auto* frame = new CMainFrame;
        frame->AttachDocumentManager(&documents);
        return frame;
    });
    return app.Run();
}
