#pragma once

#include <windows.h>

namespace e2e {

// Polls until the condition holds or the bound has passed; every wait of the
// driver goes through here so that no test can hang on a window that never
// comes. Returns whether the condition held.
template <class Condition> bool WaitFor(Condition condition, DWORD boundMs, DWORD stepMs = 15) {
    const ULONGLONG end = GetTickCount64() + boundMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return condition();
        Sleep(stepMs);
    }
}

// The bound used when a test names none: long enough for a cold Wine, short
// enough that a missing window fails well within the test's time limit.
constexpr DWORD kDefaultBoundMs = 15000;

} // namespace e2e
