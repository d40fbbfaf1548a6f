#include "fileops/UnattendedQuestions.h"
#include "fileops/RetryTimings.h"

namespace {

bool WaitingCannotHelp(DWORD error) {
    return error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_CANT_ACCESS_FILE;
}

} // namespace

int CUnattendedQuestions::AskAbout(const char* path, DWORD error) {
    if (WaitingCannotHelp(error))
        return IDABORT;
    if (error == ERROR_FILE_CORRUPT) {
        const bool again = path != nullptr && m_path == path && m_damagedRetried;
        m_path = path ? path : "";
        m_firstAsked = RetryClockMs();
        m_damagedRetried = !again;
        return again ? IDABORT : IDRETRY;
    }
    m_damagedRetried = false;
    const RetryTimings& timings = ProcessRetryTimings();
    const ULONGLONG now = RetryClockMs();
    if (path == nullptr || m_path != path) {
        m_path = path ? path : "";
        m_firstAsked = now;
    }
    if (now - m_firstAsked >= timings.unattendedMs)
        return IDABORT;
    WaitPumpingMessages(timings.intervalMs);
    return IDRETRY;
}
