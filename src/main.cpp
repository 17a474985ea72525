#include "app/LumidorApp.h"
#include "frame/MainFrame.h"

int main(int argc, char* argv[]) {
    CLumidorApp app(argc, argv);
    app.SetMainFrameFactory([] { return new CMainFrame; });
    return app.Run();
}
