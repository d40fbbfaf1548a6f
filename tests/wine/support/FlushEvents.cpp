#include "FlushEvents.h"
#include "framework/WinThread.h"

void FlushEvents(DWORD quietMilliseconds) {
    // Bounded: a window that keeps posting to itself must not hang a test.
    const DWORD deadline = ::GetTickCount() + 2000;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (!CWinThread::RouteKeyboardMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        if (static_cast<LONG>(deadline - ::GetTickCount()) <= 0)
            return;
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMilliseconds, QS_ALLINPUT) ==
            WAIT_TIMEOUT)
            return;
    }
}
