#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// A program started by the driver. It never outlives its object: a test that
// fails or times out leaves no wizard behind.
class RemoteProcess {
public:
    RemoteProcess() = default;
    ~RemoteProcess();
    RemoteProcess(RemoteProcess&& other) noexcept;
    RemoteProcess& operator=(RemoteProcess&& other) noexcept;
    RemoteProcess(const RemoteProcess&) = delete;
    RemoteProcess& operator=(const RemoteProcess&) = delete;

    // Starts the program with its own folder as working folder, and waits
    // (bounded) until it waits for input. Check Started() afterwards.
    static RemoteProcess Start(const std::string& programPath, DWORD idleBoundMs);

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_processId; }
    HANDLE MainThread() const { return m_thread; }
    DWORD LastError() const { return m_error; }

    bool Running() const;
    // True when the process ended within the bound.
    bool WaitExit(DWORD boundMs) const;
    void Kill();

private:
    void Release();

    HANDLE m_process = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_processId = 0;
    DWORD m_error = 0;
};

} // namespace e2e
