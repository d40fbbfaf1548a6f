#include "KeyPress.h"

namespace e2e {

RemoteWindow FocusedWindow(const RemoteWindow& window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(window.ThreadId(), &info) && info.hwndFocus)
        return RemoteWindow(info.hwndFocus);
    return window;
}

bool PressKey(const RemoteWindow& window, UINT virtualKey) {
    const RemoteWindow target = FocusedWindow(window);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM down = 1 | scan;
    const LPARAM up = down | (LPARAM(1) << 30) | (LPARAM(1) << 31);
    return target.Post(WM_KEYDOWN, virtualKey, down) && target.Post(WM_KEYUP, virtualKey, up);
}

} // namespace e2e
