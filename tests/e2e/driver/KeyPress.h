#pragma once

#include "RemoteWindow.h"

namespace e2e {

// The window that has the keyboard focus in the thread of the given window;
// the window itself when the thread reports none.
RemoteWindow FocusedWindow(const RemoteWindow& window);

// Presses and releases a key in the window that has the focus in the given
// window's thread, as the keyboard would deliver it to that thread's queue.
bool PressKey(const RemoteWindow& window, UINT virtualKey);

} // namespace e2e
