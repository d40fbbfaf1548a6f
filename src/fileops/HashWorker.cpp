#include "fileops/HashWorker.h"

CHashWorker::CHashWorker() {
    InitializeCriticalSection(&m_lock);
    InitializeConditionVariable(&m_changed);
    m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

CHashWorker::~CHashWorker() {
    if (m_thread) {
        EnterCriticalSection(&m_lock);
        m_stopping = true;
        WakeAllConditionVariable(&m_changed);
        LeaveCriticalSection(&m_lock);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    DeleteCriticalSection(&m_lock);
}

void CHashWorker::DrainLocked() {
    while (!m_queue.empty() || m_hashing)
        SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
}

void CHashWorker::Restart() {
    EnterCriticalSection(&m_lock);
    DrainLocked();
    m_hash.Restart();
    LeaveCriticalSection(&m_lock);
    m_holdsFirst = false;
    m_handing = false;
}

void CHashWorker::Add(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    if (!m_thread) {
        m_hash.Add(data, size);
        return;
    }
    if (!m_handing) {
        if (!m_holdsFirst) {
            m_first.assign(bytes, bytes + size);
            m_holdsFirst = true;
            return;
        }
        // A second block: a long stream, which the worker hashes from its start.
        m_handing = true;
        m_holdsFirst = false;
        Hand(m_first.data(), m_first.size());
    }
    Hand(bytes, size);
}

void CHashWorker::Hand(const char* bytes, size_t size) {
    std::vector<char> block;
    EnterCriticalSection(&m_lock);
    while (m_queue.size() >= kMaxWaiting)
        SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
    if (!m_free.empty()) {
        block.swap(m_free.back());
        m_free.pop_back();
    }
    LeaveCriticalSection(&m_lock);
    // Copied outside the lock: the worker hashes meanwhile.
    block.assign(bytes, bytes + size);
    EnterCriticalSection(&m_lock);
    m_queue.push_back(std::move(block));
    WakeAllConditionVariable(&m_changed);
    LeaveCriticalSection(&m_lock);
}

bool CHashWorker::Finish(Sha256Digest& digest) {
    EnterCriticalSection(&m_lock);
    DrainLocked();
    // Nothing of this stream was handed over: the worker is idle.
    if (m_holdsFirst)
        m_hash.Add(m_first.data(), m_first.size());
    const bool ok = m_hash.Finish(digest);
    LeaveCriticalSection(&m_lock);
    m_holdsFirst = false;
    m_handing = false;
    return ok;
}

DWORD WINAPI CHashWorker::Run(void* self) {
    static_cast<CHashWorker*>(self)->Work();
    return 0;
}

void CHashWorker::Work() {
    EnterCriticalSection(&m_lock);
    for (;;) {
        while (m_queue.empty() && !m_stopping)
            SleepConditionVariableCS(&m_changed, &m_lock, INFINITE);
        if (m_queue.empty())
            break;
        std::vector<char> block = std::move(m_queue.front());
        m_queue.pop_front();
        m_hashing = true;
        LeaveCriticalSection(&m_lock);
        m_hash.Add(block.data(), block.size());
        EnterCriticalSection(&m_lock);
        m_hashing = false;
        if (m_free.size() < kMaxWaiting)
            m_free.push_back(std::move(block));
        WakeAllConditionVariable(&m_changed);
    }
    LeaveCriticalSection(&m_lock);
}
