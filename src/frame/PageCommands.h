#pragma once
// CPageCommands: the commands of the page bar and the Page menu, carried out on the active
// document window: adding pages from image files, deleting, moving, going to the previous and next
// page, and turning the current page or the whole document, drawn with its annotations, into a new
// document. The active page is the page the active view shows.

#include "app/CommandTarget.h"

#include <QObject>

class CChildFrame;
class CLumidorDoc;
class CMainFrame;

class CPageCommands : public QObject {
    Q_OBJECT
public:
    explicit CPageCommands(CMainFrame* frame);

    // Every page command with its update rule, into the frame's map.
    void RegisterCommands(CCommandMap& map);

    void OnMultipageToolsAdd();
    void OnMultipageToolsDel();
    void OnMultipageToolsMoveleft() { MovePage(-1); }
    void OnMultipageToolsMoveright() { MovePage(1); }
    void OnMultipageToolsPrevious() { GoToPage(-1); }
    void OnMultipageToolsNext() { GoToPage(1); }
    void OnMultipageToolsConvertPageToDoc();
    void OnImageText();

private:
    // The active document window with a document, else null.
    CChildFrame* ActiveChild() const;
    // The active page's neighbour `delta` away, or -1 when there is none.
    int Neighbour(int delta) const;
    void MovePage(int delta);
    void GoToPage(int delta);
    // The active page drawn with its annotations opens as a new document.
    void ActivePageToNewDocument(const CLumidorDoc& doc);

    CMainFrame* m_frame;
};
