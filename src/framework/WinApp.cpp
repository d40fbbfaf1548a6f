#include "framework/WinApp.h"
#include <commctrl.h>

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleA(nullptr)) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0;
}

BOOL CWinApp::Enable3dControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    return ::InitCommonControlsEx(&controls);
}

CWinApp* AfxGetApp() {
    return g_app;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_app ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

CWinThread* AfxGetThread() {
    if (g_app)
        return g_app;
    thread_local CWinThread plain;
    return &plain;
}
