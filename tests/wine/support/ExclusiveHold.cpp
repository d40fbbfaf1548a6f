#include "ExclusiveHold.h"
#include "TestFiles.h"

// Backup semantics: the only way to open a folder, and harmless for a file.
ExclusiveHold::ExclusiveHold(const std::string& path)
    : m_handle(CreateFileW(WidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}

void ExclusiveHold::Release() {
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}
