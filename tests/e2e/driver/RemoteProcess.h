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

    // Starts the program with its own folder as working folder and the
    // arguments after its quoted path, and waits (bounded) until it waits
    // for input. The program's retry timings are divided by timeDivisor
    // (KVELMORA_TIME_DIVISOR): tests that hold files then wait a twentieth
    // of the real times; 1 gives the real ones. Check Started() afterwards.
    static RemoteProcess Start(const std::string& programPath, DWORD idleBoundMs,
                               const std::string& arguments = "",
                               int timeDivisor = kTestTimeDivisor);
    static constexpr int kTestTimeDivisor = 20;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_processId; }
    HANDLE MainThread() const { return m_thread; }
    DWORD LastError() const { return m_error; }

    bool Running() const;
    // The exit code once the process has ended; false while it runs.
    bool ExitCode(DWORD& code) const;
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
