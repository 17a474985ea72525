#pragma once
// The main window as the program makes it, for the frame's tests: the application object, the
// document manager and the frame, with the resource module loaded (the menus, bars and strings
// come from it).

#include "app/LumidorApp.h"
#include "document/DocManager.h"
#include "frame/MainFrame.h"
#include "platform/ResourceModule.h"

#include <gtest/gtest.h>

class FrameFixture : public ::testing::Test {
protected:
    FrameFixture() : app(argc, argv) {
        app.SetDocumentManager(&manager);
        frame.AttachDocumentManager(&manager);
    }
    static bool LoadModule() {
        return IsResourceModuleLoaded() ||
               LoadResourceModule(qEnvironmentVariable("BRELLIN_DATA_DIR") +
                                  QStringLiteral("/Brellin.eng"));
    }
    // A new empty document in a window of its own.
    CLumidorDoc* NewEmpty() {
        app.m_newDocSource = NewDocSource{};
        return manager.RunNewDocumentPath();
    }

    bool moduleLoaded = LoadModule();
    int argc = 1;
    char arg0[8] = "brellin";
    char* argv[2] = {arg0, nullptr};
    CLumidorApp app;
    CDocManager manager;
    CMainFrame frame;
};
