#pragma once

#include <windows.h>

#include <cstddef>

namespace e2e {

// A block of memory inside another process, for messages whose arguments
// are pointers (tree items, progress range): Wine does not carry those
// across processes, so the record must live where the control reads it.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD processId, std::size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return m_address != nullptr; }
    void* Address() const { return m_address; }
    // Bounded to the block: a size past its end writes or reads nothing.
    bool Write(std::size_t offset, const void* data, std::size_t size) const;
    bool Read(std::size_t offset, void* data, std::size_t size) const;

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    std::size_t m_size = 0;
};

} // namespace e2e
