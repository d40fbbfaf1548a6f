#include "data/ProgramFolder.h"

#include <cstring>

#include <windows.h>

bool CProgramFolder::RecordProgramFolder() {
    char path[kBufferSize];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        m_modulePath[0] = '\0';
        m_cut = nullptr;
        return false;
    }
    path[length] = '\0';
    return RecordProgramFolder(path);
}

bool CProgramFolder::RecordProgramFolder(const char* modulePath) {
    m_modulePath[0] = '\0';
    m_cut = nullptr;
    const std::size_t length = modulePath == nullptr ? 0 : std::strlen(modulePath);
    if (length == 0 || length >= sizeof m_modulePath)
        return false;

    std::memcpy(m_modulePath, modulePath, length + 1);
    char* separator = std::strrchr(m_modulePath, '\\');
    char* slash = std::strrchr(m_modulePath, '/');
    if (slash != nullptr && (separator == nullptr || slash > separator))
        separator = slash;
    if (separator == nullptr) {
        std::strcpy(m_modulePath, ".");
        separator = m_modulePath + 1;
    }
    *separator = '\0';
    m_cut = separator;
    return true;
}

const char* CProgramFolder::ProgramRelativePath(const char* relative) {
    if (m_cut == nullptr || relative == nullptr)
        return kUnusablePath;
    const std::size_t room = sizeof m_modulePath - (m_cut - m_modulePath);
    const std::size_t length = std::strlen(relative);
    // The backslash, the relative path and the terminating zero.
    if (length + 2 > room)
        return kUnusablePath;
    m_cut[0] = '\\';
    std::memcpy(m_cut + 1, relative, length + 1);
    return m_modulePath;
}
