#include "RemoteBuffer.h"

namespace e2e {

RemoteBuffer::RemoteBuffer(DWORD processId, std::size_t size)
    : m_process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                            processId)) {
    if (!m_process)
        return;
    m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (m_address)
        m_size = size;
}

RemoteBuffer::~RemoteBuffer() {
    if (m_address)
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

bool RemoteBuffer::Write(std::size_t offset, const void* data, std::size_t size) const {
    if (!m_address || offset > m_size || size > m_size - offset)
        return false;
    SIZE_T written = 0;
    return WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                              &written) &&
           written == size;
}

bool RemoteBuffer::Read(std::size_t offset, void* data, std::size_t size) const {
    if (!m_address || offset > m_size || size > m_size - offset)
        return false;
    SIZE_T read = 0;
    return ReadProcessMemory(m_process, static_cast<const char*>(m_address) + offset, data, size,
                             &read) &&
           read == size;
}

} // namespace e2e
