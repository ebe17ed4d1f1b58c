// The program's entry point lives in the framework: it starts the one global application object.
#include "afx_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->Start(instance);
    if (!app->InitInstance()) {
        return app->ExitInstance();
    }
    return app->Run();
}
