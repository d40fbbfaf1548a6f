#include "fileops/BackgroundFlusher.h"
#include "fileops/MessagePump.h"

CBackgroundFlusher::CBackgroundFlusher() {
    InitializeCriticalSection(&m_lock);
    m_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (m_wake && m_idle)
        m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

CBackgroundFlusher::~CBackgroundFlusher() {
    if (m_thread) {
        EnterCriticalSection(&m_lock);
        m_stopping = true;
        LeaveCriticalSection(&m_lock);
        SetEvent(m_wake);
        // The worker empties the queue before it ends.
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    if (m_idle)
        CloseHandle(m_idle);
    if (m_wake)
        CloseHandle(m_wake);
    DeleteCriticalSection(&m_lock);
}

void CBackgroundFlusher::Hand(HANDLE file) {
    if (!m_thread) {
        Flush(file);
        return;
    }
    // A disk far slower than the copy: let it catch up rather than hold
    // ever more open files.
    while (Queued() >= kMaxQueued) {
        PumpPendingMessages();
        Sleep(1);
    }
    EnterCriticalSection(&m_lock);
    m_queue.push_back(file);
    ResetEvent(m_idle);
    LeaveCriticalSection(&m_lock);
    SetEvent(m_wake);
}

DWORD CBackgroundFlusher::Wait() {
    if (m_thread) {
        while (WaitForSingleObject(m_idle, 4) == WAIT_TIMEOUT)
            PumpPendingMessages();
    }
    EnterCriticalSection(&m_lock);
    const DWORD error = m_error;
    LeaveCriticalSection(&m_lock);
    return error;
}

DWORD WINAPI CBackgroundFlusher::Run(void* self) {
    static_cast<CBackgroundFlusher*>(self)->Work();
    return 0;
}

void CBackgroundFlusher::Work() {
    for (;;) {
        WaitForSingleObject(m_wake, INFINITE);
        for (;;) {
            EnterCriticalSection(&m_lock);
            if (m_queue.empty()) {
                // Idle only once the last file taken is closed.
                SetEvent(m_idle);
                const bool stopping = m_stopping;
                LeaveCriticalSection(&m_lock);
                if (stopping)
                    return;
                break;
            }
            const HANDLE file = m_queue.front();
            m_queue.pop_front();
            LeaveCriticalSection(&m_lock);
            Flush(file);
        }
    }
}

void CBackgroundFlusher::Flush(HANDLE file) {
    const bool flushed = FlushFileBuffers(file) != FALSE;
    const DWORD error = flushed ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (flushed)
        return;
    EnterCriticalSection(&m_lock);
    if (m_error == ERROR_SUCCESS)
        m_error = error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    LeaveCriticalSection(&m_lock);
}

size_t CBackgroundFlusher::Queued() {
    EnterCriticalSection(&m_lock);
    const size_t queued = m_queue.size();
    LeaveCriticalSection(&m_lock);
    return queued;
}
