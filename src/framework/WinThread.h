#pragma once
#include <windows.h>

class CWinThread {
public:
    CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread() = default;

    // Waits for one message and dispatches it: a keyboard message first to
    // the innermost dialog holding the focus, then to the dialogs around it,
    // otherwise translated and dispatched. FALSE on WM_QUIT.
    virtual BOOL PumpMessage();

    // TRUE when a dialog took the keyboard message.
    static BOOL RouteKeyboardMessage(MSG* msg);

    MSG m_msgCur{}; // the message PumpMessage took last
};

// The thread object of the calling thread: the application object, or a
// plain one when the program has none.
CWinThread* AfxGetThread();
