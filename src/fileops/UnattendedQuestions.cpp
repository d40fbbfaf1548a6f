#include "fileops/UnattendedQuestions.h"
#include "fileops/InstallTransaction.h"
#include "fileops/RetryTimings.h"

namespace {

// A path too long, a link, a file where a folder must go (or the other way
// round), a name Windows refuses or the safety net's own folder: none of
// them changes by waiting.
bool WaitingCannotHelp(DWORD error) {
    switch (error) {
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return true;
    default:
        return false;
    }
}

} // namespace

int CUnattendedQuestions::AskAbout(const char* path, DWORD error) {
    // The copy refuses a package's own safety net folder as access denied.
    if (WaitingCannotHelp(error) ||
        (error == ERROR_ACCESS_DENIED && CInstallTransaction::IsSafetyNetFolder(path)))
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
