#pragma once
// Puts files' data on the disk on a worker thread, so that the copy goes on
// while the disk catches up: the copier hands over each completed file's
// handle, and whoever needs everything on the disk (the commit) waits once.
#include <windows.h>
#include <deque>

class CBackgroundFlusher {
public:
    CBackgroundFlusher();
    // Waits for every handed file.
    ~CBackgroundFlusher();
    CBackgroundFlusher(const CBackgroundFlusher&) = delete;
    CBackgroundFlusher& operator=(const CBackgroundFlusher&) = delete;

    // Takes `file` (opened for writing): it is flushed (FlushFileBuffers) and
    // closed on the worker. When the worker could not be started, here and
    // now. Waits, keeping the window alive, while many files are queued.
    void Hand(HANDLE file);
    // Waits, keeping the window alive, until every handed file is flushed
    // and closed. ERROR_SUCCESS, or the error of the first flush that failed
    // since the flusher was made.
    DWORD Wait();

    // How many files may wait for the disk at once.
    static const size_t kMaxQueued = 64;

private:
    static DWORD WINAPI Run(void* self);
    void Work();
    void Flush(HANDLE file);
    size_t Queued();

    CRITICAL_SECTION m_lock;
    std::deque<HANDLE> m_queue;    // under m_lock
    DWORD m_error = ERROR_SUCCESS; // under m_lock
    bool m_stopping = false;       // under m_lock
    HANDLE m_wake = nullptr;       // auto-reset: work or the stop is there
    HANDLE m_idle = nullptr;       // manual-reset: nothing queued or being flushed
    HANDLE m_thread = nullptr;
};
