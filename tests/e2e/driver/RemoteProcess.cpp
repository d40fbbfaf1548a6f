#include "RemoteProcess.h"

#include <string>
#include <utility>
#include <vector>

namespace e2e {

RemoteProcess::~RemoteProcess() {
    Release();
}

RemoteProcess::RemoteProcess(RemoteProcess&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)),
      m_thread(std::exchange(other.m_thread, nullptr)),
      m_processId(std::exchange(other.m_processId, 0)), m_error(other.m_error) {}

RemoteProcess& RemoteProcess::operator=(RemoteProcess&& other) noexcept {
    if (this != &other) {
        Release();
        m_process = std::exchange(other.m_process, nullptr);
        m_thread = std::exchange(other.m_thread, nullptr);
        m_processId = std::exchange(other.m_processId, 0);
        m_error = other.m_error;
    }
    return *this;
}

RemoteProcess RemoteProcess::Start(const std::string& programPath, DWORD idleBoundMs,
                                   const std::string& arguments, int timeDivisor) {
    RemoteProcess result;
    std::string folder = programPath;
    const std::string::size_type slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    // A program at the root of a drive runs in that root, not in the drive's
    // current folder.
    if (!folder.empty() && folder.back() == ':')
        folder += '\\';

    std::vector<char> commandLine;
    const std::string quoted =
        "\"" + programPath + "\"" + (arguments.empty() ? "" : " " + arguments);
    commandLine.assign(quoted.begin(), quoted.end());
    commandLine.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The child inherits the driver's environment; the driver runs one
    // program start at a time.
    const std::string divisor = std::to_string(timeDivisor);
    SetEnvironmentVariableA("KVELMORA_TIME_DIVISOR", timeDivisor > 1 ? divisor.c_str() : nullptr);
    const BOOL started = CreateProcessA(programPath.c_str(), commandLine.data(), nullptr, nullptr,
                                        FALSE, 0, nullptr, folder.c_str(), &startup, &info);
    result.m_error = started ? 0 : GetLastError();
    SetEnvironmentVariableA("KVELMORA_TIME_DIVISOR", nullptr);
    if (!started)
        return result;
    result.m_process = info.hProcess;
    result.m_thread = info.hThread;
    result.m_processId = info.dwProcessId;
    WaitForInputIdle(info.hProcess, idleBoundMs);
    return result;
}

bool RemoteProcess::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool RemoteProcess::ExitCode(DWORD& code) const {
    return m_process && !Running() && GetExitCodeProcess(m_process, &code);
}

bool RemoteProcess::WaitExit(DWORD boundMs) const {
    return !m_process || WaitForSingleObject(m_process, boundMs) == WAIT_OBJECT_0;
}

void RemoteProcess::Kill() {
    if (Running()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
    }
}

void RemoteProcess::Release() {
    Kill();
    if (m_thread)
        CloseHandle(m_thread);
    if (m_process)
        CloseHandle(m_process);
    m_thread = m_process = nullptr;
    m_processId = 0;
}

} // namespace e2e
