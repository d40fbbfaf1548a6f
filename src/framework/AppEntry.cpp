// The program entry, linked only into the program: test programs bring their
// own main and application object.
#include "framework/SafeLibrarySearch.h"
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Before anything else can load a library by name from the medium.
    RestrictLibrarySearch();
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
