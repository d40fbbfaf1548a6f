#pragma once
#include "framework/WinThread.h"

class CWnd;

// The one application object; it registers itself when constructed.
class CWinApp : public CWinThread {
public:
    CWinApp();
    ~CWinApp() override;

    // The program's run: TRUE to go on to the message loop, FALSE to exit.
    virtual BOOL InitInstance();
    // The exit code: the WM_QUIT code, if one came.
    virtual int ExitInstance();

    // Initialises the common controls the templates use.
    BOOL Enable3dControls();

    HINSTANCE m_hInstance; // the module whose resources are used
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The module holding the templates, images and icons.
HINSTANCE AfxGetInstanceHandle();
