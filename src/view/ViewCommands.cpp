#include "view/ViewCommands.h"

#include "app/CommandIds.h"
#include "document/LumidorDoc.h"
#include "view/HtmlExport.h"
#include "view/LumidorView.h"
#include "view/PagePictures.h"
#include "view/SendMail.h"
#include "view/SpellCheck.h"

#include <QApplication>
#include <QCursor>

namespace {

// An image operation on the view's page: with the wait cursor, enabled while the page has an
// image.
void ImageOperation(CLumidorView& view, CCommandMap& map, UINT id,
                    BOOL (*op)(CLumidorDoc&, int nPage)) {
    map.On(
        id,
        [&view, op] {
            CLumidorDoc* doc = view.GetDocument();
            if (!doc) return;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            op(*doc, view.GetActivePage());
            QApplication::restoreOverrideCursor();
        },
        [&view](CCmdUI& ui) {
            CLumidorDoc* doc = view.GetDocument();
            ui.Enable(doc && doc->IsImageAvailable(view.GetActivePage()));
        });
}

} // namespace

void RegisterViewCommands(CLumidorView& view, CCommandMap& map) {
    RegisterSpellingCommands(view, map);
    RegisterPagePictureCommands(view, map);
    RegisterHtmlCommands(view, map);
    RegisterMailCommands(view, map);
    map.On(ID_VIEW_ZOOM_IN, [&view] { view.IncViewScale(); });
    map.On(ID_VIEW_ZOOM_OUT, [&view] { view.DecViewScale(); });
    map.On(ID_VIEW_FIT_WINDOW, [&view] { view.FitPageToWindow(); });
    map.On(ID_VIEW_FIT_WIDTH, [&view] { view.FitPageToWidth(); });
    map.On(
        ID_IMAGE_VIEW, [&view] { view.SetShowPageImage(!view.GetShowPageImage()); },
        [&view](CCmdUI& ui) { ui.SetCheck(view.GetShowPageImage()); });

    ImageOperation(view, map, ID_IMAGE_ROTATE_CW,
                   [](CLumidorDoc& d, int p) { return d.RotatePage(p, 90); });
    ImageOperation(view, map, ID_IMAGE_ROTATE_CCW,
                   [](CLumidorDoc& d, int p) { return d.RotatePage(p, -90); });
    ImageOperation(view, map, ID_IMAGE_ROTATE_180,
                   [](CLumidorDoc& d, int p) { return d.RotatePage(p, 180); });
    ImageOperation(view, map, ID_IMAGE_FLIP, [](CLumidorDoc& d, int p) { return d.FlipImage(p); });
    ImageOperation(view, map, ID_IMAGE_MIRROR,
                   [](CLumidorDoc& d, int p) { return d.ReverseImage(p); });
    ImageOperation(view, map, ID_IMAGE_INVERT,
                   [](CLumidorDoc& d, int p) { return d.InvertImage(p); });
    ImageOperation(view, map, ID_IMAGE_RESOLUTION,
                   [](CLumidorDoc& d, int p) { return d.OnImageResolution(p); });
}
