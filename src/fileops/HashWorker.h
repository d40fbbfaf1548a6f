#pragma once
// Computes a SHA-256 on a thread of its own, so that the copy goes on
// reading and writing while the digest is made: the caller hands each block
// over (a copy of it is kept, so the caller may reuse its buffer at once)
// and asks for the digest at the end of the stream. A few blocks wait at
// most, so memory stays flat however large the file. A stream of one block
// (a small file) is hashed by the caller at the end: handing it over would
// cost more than hashing it. When the thread cannot be started every block
// is hashed by the caller, on the spot.
#include "data/Sha256.h"
#include <windows.h>
#include <deque>
#include <vector>

class CHashWorker {
public:
    CHashWorker();
    ~CHashWorker();
    CHashWorker(const CHashWorker&) = delete;
    CHashWorker& operator=(const CHashWorker&) = delete;

    // Drops the stream so far: a new one begins.
    void Restart();
    // The stream's next bytes; waits while kMaxWaiting blocks wait already.
    void Add(const void* data, size_t size);
    // The digest of the stream, once every block is hashed; a new stream
    // begins. False when the library failed.
    bool Finish(Sha256Digest& digest);

    static const size_t kMaxWaiting = 4;

private:
    static DWORD WINAPI Run(void* self);
    void Work();
    // Waits until every handed block is hashed; under m_lock.
    void DrainLocked();
    void Hand(const char* bytes, size_t size);

    CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_changed;          // a block came, went, or the stop
    std::deque<std::vector<char>> m_queue; // under m_lock
    std::vector<std::vector<char>> m_free; // emptied blocks for reuse, under m_lock
    bool m_hashing = false;                // under m_lock: the worker holds a block
    bool m_stopping = false;               // under m_lock
    CSha256 m_hash; // the worker's while a block is queued or held, else the caller's
    // The caller's alone: the stream's first block, kept until a second one
    // shows that the stream is worth handing over.
    std::vector<char> m_first;
    bool m_holdsFirst = false;
    bool m_handing = false; // this stream's blocks go to the worker
    HANDLE m_thread = nullptr;
};
