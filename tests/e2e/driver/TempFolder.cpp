#include "TempFolder.h"

#include "FileSystem.h"

#include <windows.h>

namespace e2e {

TempFolder::TempFolder(const std::string& prefix) {
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length >= sizeof base)
        return;
    std::string folder(base, length);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + "\\" + prefix + "-" +
                                      std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount64() % 100000 + attempt);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            char full[MAX_PATH];
            const DWORD fullLength = GetLongPathNameA(candidate.c_str(), full, sizeof full);
            m_path = fullLength > 0 && fullLength < sizeof full ? std::string(full) : candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    if (!m_path.empty())
        RemoveTree(m_path);
}

} // namespace e2e
