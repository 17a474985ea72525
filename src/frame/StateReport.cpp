#include "frame/StateReport.h"

#include "acquire/CaptureCommands.h"
#include "acquire/ScanCommands.h"
#include "acquire/UserScrCapture.h"
#include "document/LumidorDoc.h"
#include "frame/CommandManager.h"
#include "frame/CursorCollectionBar.h"
#include "frame/DrawingBarPanel.h"
#include "frame/MainFrame.h"
#include "frame/ProgramModes.h"
#include "objects/TranspBaseClass.h"
#include "platform/Guard.h"
#include "view/LumidorView.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QTabBar>
#include <QToolBar>

namespace {

QJsonArray MenuTexts(const QList<QAction*>& actions) {
    QJsonArray out;
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        QJsonObject item{{QStringLiteral("text"), a->text()}};
        if (a->menu())
            item.insert(QStringLiteral("items"), MenuTexts(a->menu()->actions()));
        out.append(item);
    }
    return out;
}

} // namespace

void WriteStateReport(const CMainFrame& frame) {
    DEF_TRY
    const QString path = qEnvironmentVariable("BRELLIN_STATE_FILE");
    if (path.isEmpty())
        return;
    QJsonObject o;
    o.insert(QStringLiteral("mode"), frame.GetProgramMode());
    o.insert(QStringLiteral("previousMode"), frame.GetPreviousMode());
    const QRect g = frame.geometry();
    o.insert(QStringLiteral("window"), QJsonArray{g.x(), g.y(), g.width(), g.height()});
    o.insert(QStringLiteral("visible"), frame.isVisible());
    QJsonObject bars;
    for (QToolBar* bar : frame.findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        bars.insert(bar->objectName(), bar->isVisible());
    o.insert(QStringLiteral("bars"), bars);
    // Where the bars' named controls lie on the screen, so that a test can click into one.
    QJsonObject widgets;
    for (QToolBar* bar : frame.findChildren<QToolBar*>())
        for (QWidget* w : bar->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && w->isVisible() && !w->objectName().startsWith(QLatin1String("qt_"))) {
                const QPoint at = w->mapToGlobal(QPoint(0, 0));
                widgets.insert(w->objectName(), QJsonArray{at.x(), at.y(), w->width(), w->height()});
            }
    o.insert(QStringLiteral("widgets"), widgets);
    QJsonArray checked, enabled;
    const QHash<UINT, QAction*>& actions = frame.GetCommands()->Actions();
    for (auto it = actions.constBegin(); it != actions.constEnd(); ++it) {
        if (it.value()->isChecked())
            checked.append(it.value()->objectName());
        if (it.value()->isEnabled())
            enabled.append(it.value()->objectName());
    }
    o.insert(QStringLiteral("checked"), checked);
    o.insert(QStringLiteral("enabled"), enabled);
    o.insert(QStringLiteral("menus"), MenuTexts(frame.menuBar()->actions()));
    if (const auto* panel = frame.findChild<CDrawingBarPanel*>()) {
        o.insert(QStringLiteral("formatPanel"),
                 QJsonObject{{QStringLiteral("shown"), panel->isVisible()},
                             {QStringLiteral("kind"), panel->GetSelector()},
                             {QStringLiteral("format"), panel->GetFormat()},
                             {QStringLiteral("size"), panel->GetSizeText()},
                             {QStringLiteral("quality"), panel->IsQualityShown()},
                             {QStringLiteral("compression"), panel->IsCompressionShown()}});
    }
    if (CLumidorView* view = frame.GetActiveView()) {
        const QCursor shown = view->viewport()->cursor();
        o.insert(QStringLiteral("cursor"), CProgramModes::CursorNameFor(frame.GetProgramMode()));
        o.insert(QStringLiteral("cursorShown"),
                 shown.shape() == Qt::BitmapCursor ? QStringLiteral("bitmap:%1").arg(shown.pixmap().cacheKey())
                                                   : QStringLiteral("shape:%1").arg(int(shown.shape())));
        o.insert(QStringLiteral("activePage"), view->GetActivePage());
        // Where the page lies on the screen, so that a test can press on a page point.
        const QPoint origin = view->viewport()->mapToGlobal(QPoint(0, 0));
        const POINT scroll = view->GetGeometry().GetScrollPosition();
        o.insert(QStringLiteral("view"),
                 QJsonObject{{QStringLiteral("origin"), QJsonArray{origin.x(), origin.y()}},
                             {QStringLiteral("scale"), view->GetViewScale()},
                             {QStringLiteral("scroll"), QJsonArray{int(scroll.x), int(scroll.y)}},
                             {QStringLiteral("size"), QJsonArray{view->viewport()->width(),
                                                                view->viewport()->height()}},
                             {QStringLiteral("activeObject"), view->GetActiveObject() != nullptr}});
        // The page's objects by their list position: which one is active, which are selected.
        QJsonArray selected, bounds;
        int active = -1, count = 0;
        if (const CLumidorDoc* doc = view->GetDocument())
            if (const CObjectList* list = doc->GetObjectsList(view->GetActivePage())) {
                for (const auto& obj : *list) {
                    if (obj.get() == view->GetActiveObject()) active = count;
                    if (obj->m_bSelected) selected.append(count);
                    // Where the object answers the mouse, on the screen.
                    RECT rc;
                    obj->GetBoundsRect(&rc);
                    const QPoint at = view->viewport()->mapToGlobal(QPoint(int(rc.left), int(rc.top)));
                    bounds.append(QJsonArray{at.x(), at.y(), int(rc.Width()), int(rc.Height())});
                    ++count;
                }
            }
        o.insert(QStringLiteral("objects"),
                 QJsonObject{{QStringLiteral("count"), count},
                             {QStringLiteral("active"), active},
                             {QStringLiteral("selected"), selected},
                             {QStringLiteral("bounds"), bounds}});
    }
    // An open pop-up menu: the items a user can choose.
    if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        QJsonArray items;
        for (QAction* a : popup->actions())
            if (!a->isSeparator() && a->isEnabled()) items.append(a->text());
        o.insert(QStringLiteral("popup"), items);
    }
    // A message or dialog waiting for the user: its title and text.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        QString text;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
        o.insert(QStringLiteral("modal"),
                 QJsonObject{{QStringLiteral("title"), modal->windowTitle()},
                             {QStringLiteral("class"), QString::fromLatin1(modal->metaObject()->className())},
                             {QStringLiteral("text"), text}});
    }
    // The shelf: its items' labels, the one selected, and where the shown ones are on the screen.
    if (const CCursorCollectionBar* shelf = frame.GetShelfBar()) {
        QJsonArray labels, shown;
        for (int i = 0; i < shelf->GetItemCount(); ++i) {
            labels.append(QString::fromUtf8(shelf->GetItem(i).label));
            const QRect r = shelf->GetItemScreenRect(i);
            if (!r.isEmpty()) shown.append(QJsonArray{i, r.x(), r.y(), r.width(), r.height()});
        }
        o.insert(QStringLiteral("shelf"),
                 QJsonObject{{QStringLiteral("visible"), shelf->isVisible()},
                             {QStringLiteral("count"), shelf->GetItemCount()},
                             {QStringLiteral("labels"), labels},
                             {QStringLiteral("page"), shelf->GetPage()},
                             {QStringLiteral("selected"), shelf->GetSelectedIndex()},
                             {QStringLiteral("shown"), shown}});
    }
    // Screen capture: the kind armed or running, and the kind of the capture bar.
    if (CCaptureCommands* capture = frame.GetCaptureCommands()) {
        o.insert(QStringLiteral("capture"),
                 QJsonObject{{QStringLiteral("available"), CCaptureCommands::IsCaptureAvailable()},
                             {QStringLiteral("active"), LScreenCapture::IsCaptureActive()},
                             {QStringLiteral("kind"), capture->Capture().GetKind()},
                             {QStringLiteral("barKind"), int(capture->GetOptions()[14])}});
    }
    if (CScanCommands* scan = frame.GetScanCommands()) o.insert(QStringLiteral("scanning"), scan->IsAcquiring());
    QJsonArray docs;
    for (CLumidorView* view : frame.GetAllViews()) {
        const CLumidorDoc* doc = view->GetDocument();
        if (!doc)
            continue;
        docs.append(QJsonObject{{QStringLiteral("title"), doc->GetTitle()},
                                {QStringLiteral("path"), doc->GetPathName()},
                                {QStringLiteral("modified"), doc->IsModified() != FALSE},
                                {QStringLiteral("pages"), doc->GetPageCount()},
                                {QStringLiteral("active"), view == frame.GetActiveView()}});
    }
    o.insert(QStringLiteral("documents"), docs);
    QJsonObject tabs;
    for (QTabBar* bar : frame.findChildren<QTabBar*>()) {
        if (bar->objectName().isEmpty())
            continue;
        QJsonArray labels;
        for (int i = 0; i < bar->count(); ++i)
            labels.append(bar->tabText(i));
        tabs.insert(bar->objectName(), labels);
    }
    o.insert(QStringLiteral("tabs"), tabs);
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(QJsonDocument(o).toJson(QJsonDocument::Indented));
        f.commit();
    }
    DEF_CATCH
}
