#pragma once
// One update at a time on a computer: two copies writing into one
// installation would mix two packages, and their rollbacks each other's.
#include <windows.h>

// Owns the machine-wide mutex while it lives (every session sees it). A
// mutex left by a copy that crashed counts as free: the crash released it.
class CSingleInstance {
public:
    // The name is "Global\" and something unique to this program; tests
    // pass a name of their own.
    explicit CSingleInstance(const char* name = kName);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // False: another copy holds it (or the mutex exists but this user may
    // not open it, which only a running copy of another user can cause).
    bool Owned() const { return m_owned; }

    static constexpr const char* kName = "Global\\Vantrel.Tessaro.0002.kvelmora";

private:
    HANDLE m_mutex = nullptr;
    bool m_owned = false;
};

// Brings the running copy's wizard to the front, when it is in this session.
void ShowRunningWizard(const char* caption);
