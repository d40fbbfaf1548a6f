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
    std::string candidate;
    // A folder left by an earlier process with this id, which has ended, is
    // removed; one that cannot be (it holds a host link the platform cannot
    // delete) is passed over for the next name.
    for (int tries = 0; tries < 100 && candidate.empty(); ++tries) {
        const std::string name = folder + "\\" + prefix + "-" +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++serial);
        RemoveTree(name);
        if (MakeFolder(name))
            candidate = name;
    }
    if (candidate.empty())
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
