#pragma once
// IDocumentView: what a document asks of the views that show it. The view layer implements it;
// the document keeps plain pointers in the order the views were added, and the first view's current
// page is the document's current page.

class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    // The page the view shows, from 0.
    virtual int GetCurrentPage() const = 0;
    // The main frame switched the program mode.
    virtual void ProgramModeChanged() {}
    // The printer or the page resolution changed: recompute printer data and scale.
    virtual void UpdatePrinterSettings() {}
    // The document changed in a way the view cannot know: repaint everything.
    virtual void OnUpdate() {}
};
