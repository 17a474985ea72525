#pragma once
// View stand-ins for object tests and benchmarks: the conversions of a bare view geometry, a
// client area, a program mode, and for tests records of what the objects asked the view to do.

#include "objects/ObjectHost.h"
#include "view/ViewGeometry.h"

#include <QByteArray>
#include <QMimeData>
#include <QStringList>
#include <vector>

// The conversions of a bare view geometry and quiet answers to everything else: what a benchmark
// needs of a view, and the base of the test host.
class CGeometryObjectHost : public IObjectHost {
public:
    void UnitToPage(POINT& pt) const override { geometry.UnitToPage(pt); }
    void UnitToPage(RECT& rc) const override { geometry.UnitToPage(rc); }
    void PageToUnit(POINT& pt) const override { geometry.PageToUnit(pt); }
    void PageToUnit(RECT& rc) const override { geometry.PageToUnit(rc); }
    void PageToView(POINT& pt) const override { geometry.PageToView(pt); }
    void PageToView(RECT& rc) const override { geometry.PageToView(rc); }
    void ViewToPage(POINT& pt) const override { geometry.ViewToPage(pt); }
    void ViewToPage(RECT& rc) const override { geometry.ViewToPage(rc); }
    void ViewToClient(POINT& pt) const override { geometry.ViewToClient(pt); }
    void ViewToClient(RECT& rc) const override { geometry.ViewToClient(rc); }
    void ClientToPage(POINT& pt) const override { geometry.ClientToPage(pt); }
    void ClientToPage(RECT& rc) const override { geometry.ClientToPage(rc); }
    void PageToClient(POINT& pt) const override { geometry.PageToClient(pt); }
    void PageToClient(RECT& rc) const override { geometry.PageToClient(rc); }
    double GetFontScaleFactor() const override { return geometry.GetFontScaleFactor(); }

    RECT GetClientRect() const override { return clientRect; }
    void InvalidateRect(const RECT&) override {}
    void SetModified() override {}
    int GetProgramMode() const override { return programMode; }
    QWidget* GetWindow() const override { return nullptr; }
    DWORD DoDragDrop(std::unique_ptr<QMimeData>, DWORD) override { return DROPEFFECT_NONE; }
    void SetCursor(const QCursor&) override {}
    QCursor GetMoveCursor() const override { return QCursor(Qt::SizeAllCursor); }

    CViewGeometry geometry;
    RECT clientRect{0, 0, 800, 600};
    int programMode = 1;
};

// The geometry host that keeps a record of what the objects asked the view to do.
class CTestObjectHost : public CGeometryObjectHost {
public:
    CTestObjectHost() {
        // One text unit is one pixel at scale 1, so expected pixels can be read off the units.
        geometry.SetPageResolution(100, 100);
        geometry.SetUnitScale(0.01);
    }

    void InvalidateRect(const RECT& rc) override { invalidated.push_back(rc); }
    void SetModified() override { ++modifiedCount; }
    DWORD DoDragDrop(std::unique_ptr<QMimeData> data, DWORD allowedEffects) override {
        Drag drag;
        drag.allowed = allowedEffects;
        drag.formats = data->formats();
        for (const QString& f : drag.formats)
            drag.bytes.push_back(data->data(f));
        drags.push_back(drag);
        return dropResult;
    }
    void SetCursor(const QCursor& cursor) override { cursors.push_back(cursor.shape()); }

    struct Drag {
        DWORD allowed = 0;
        QStringList formats;
        std::vector<QByteArray> bytes;
    };

    DWORD dropResult = DROPEFFECT_NONE;
    std::vector<RECT> invalidated;
    int modifiedCount = 0;
    std::vector<Drag> drags;
    std::vector<Qt::CursorShape> cursors;
};
