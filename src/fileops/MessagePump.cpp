#include "fileops/MessagePump.h"
#include "framework/WinThread.h"
#include <windows.h>

namespace {

int64_t Now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

int64_t TicksPerSecond() {
    static const int64_t ticks = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }();
    return ticks;
}

// The window stays responsive to within this, well inside a screen refresh;
// a look costs tens of microseconds, and far more when the machine is busy.
int64_t LookInterval() {
    static const int64_t ticks = TicksPerSecond() / 250;
    return ticks;
}

// One user-interface thread: plain state is enough.
bool g_lookedOnce = false;
int64_t g_lastLookEnd = 0; // when the queue was last found with nothing to dispatch
uint64_t g_looks = 0;
int64_t g_longestGap = 0;

void NoteLookStart(int64_t now) {
    if (g_looks > 0 && now - g_lastLookEnd > g_longestGap)
        g_longestGap = now - g_lastLookEnd;
    ++g_looks;
}

void LookIntoQueue(int64_t now) {
    NoteLookStart(now);
    CWinThread* thread = AfxGetThread();
    bool dispatched = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        // The quit belongs to the loop that runs the program: looking again
        // would find it again, so leave it and go on with the work.
        if (msg.message == WM_QUIT)
            break;
        dispatched = true;
        if (!thread->PumpMessage()) {
            PostQuitMessage(static_cast<int>(thread->m_msgCur.wParam));
            break;
        }
    }
    const int64_t end = dispatched ? Now() : now;
    g_lookedOnce = true;
    g_lastLookEnd = end;
}

} // namespace

void PumpPendingMessages() {
    const int64_t now = Now();
    if (g_lookedOnce && now - g_lastLookEnd < LookInterval())
        return;
    LookIntoQueue(now);
}

void PumpPendingMessagesNow() {
    LookIntoQueue(Now());
}

QueueLookStats GetQueueLookStats() {
    QueueLookStats stats;
    stats.looks = g_looks;
    stats.longestGapMs = static_cast<double>(g_longestGap) * 1000.0 / TicksPerSecond();
    return stats;
}

void ResetQueueLookStats() {
    g_looks = 0;
    g_longestGap = 0;
}
