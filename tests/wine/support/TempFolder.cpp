#include "TempFolder.h"
#include "TestFiles.h"
#include <windows.h>

TempFolder::TempFolder(const std::string& prefix) {
    static unsigned serial = 0;
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof base, base);
    if (length == 0 || length >= sizeof base)
        return;
    std::string folder(base, length);
    if (folder.back() == '\\')
        folder.pop_back();
    const std::string candidate = folder + "\\" + prefix + "-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(++serial);
    // Left by an earlier process with this id, which has ended.
    RemoveTree(candidate);
    if (!MakeFolder(candidate))
        return;
    // Paths the program shows or compares come in the long form.
    char full[MAX_PATH];
    const DWORD fullLength = GetLongPathNameA(candidate.c_str(), full, sizeof full);
    m_path = fullLength > 0 && fullLength < sizeof full ? std::string(full) : candidate;
}

TempFolder::~TempFolder() {
    if (!m_path.empty())
        RemoveTree(m_path);
}
