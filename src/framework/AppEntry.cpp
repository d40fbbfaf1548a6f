// The program entry, linked only into the program: test programs bring their
// own main and application object.
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    if (app->InitInstance()) {
        while (app->PumpMessage()) {
        }
    }
    return app->ExitInstance();
}
