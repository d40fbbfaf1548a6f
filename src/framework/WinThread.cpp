#include "framework/WinThread.h"

namespace {

bool IsDialog(HWND hWnd) {
    // Dialogs of the dialog manager, whoever owns them, have the class atom 32770.
    return ::GetClassLongPtrA(hWnd, GCW_ATOM) == 32770;
}

} // namespace

BOOL CWinThread::RouteKeyboardMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !msg->hwnd)
        return FALSE;
    // Innermost dialog first: Enter in a page reaches the page's own OK,
    // never the default button of the window around it.
    for (HWND hWnd = msg->hwnd; hWnd;) {
        if (IsDialog(hWnd) && ::IsDialogMessageA(hWnd, msg))
            return TRUE;
        if (!(::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD))
            break;
        hWnd = ::GetParent(hWnd);
    }
    return FALSE;
}

BOOL CWinThread::PumpMessage() {
    const BOOL got = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
    if (got == 0)
        return FALSE;
    if (got == -1)
        return TRUE;
    if (!RouteKeyboardMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}
