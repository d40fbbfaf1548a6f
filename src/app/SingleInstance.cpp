#include "app/SingleInstance.h"
#include "res/resource.h"

CSingleInstance::CSingleInstance(const char* name) {
    m_mutex = CreateMutexA(nullptr, FALSE, name);
    if (m_mutex == nullptr)
        return; // access denied: a copy of another user holds it
    const DWORD wait = WaitForSingleObject(m_mutex, 0);
    // WAIT_ABANDONED: the copy that held it ended without letting go (a
    // crash, or it was killed); the mutex is ours now all the same.
    m_owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

CSingleInstance::~CSingleInstance() {
    if (m_owned)
        ReleaseMutex(m_mutex);
    if (m_mutex != nullptr)
        CloseHandle(m_mutex);
}

namespace {

struct WizardSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindWizard(HWND window, LPARAM param) {
    WizardSearch& search = *reinterpret_cast<WizardSearch*>(param);
    char text[256];
    char className[16];
    if (!GetClassNameA(window, className, sizeof className) || lstrcmpA(className, "#32770") != 0 ||
        !GetWindowTextA(window, text, sizeof text) || lstrcmpA(text, search.caption) != 0)
        return TRUE;
    // The message boxes carry the same caption; the wizard has its buttons.
    if (GetDlgItem(window, IDC_NEXT) == nullptr)
        return TRUE;
    search.found = window;
    return FALSE;
}

} // namespace

void ShowRunningWizard(const char* caption) {
    WizardSearch search{caption, nullptr};
    EnumWindows(FindWizard, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return;
    if (IsIconic(search.found))
        ShowWindow(search.found, SW_RESTORE);
    // The copy that shows its own box in front of the wizard may also be
    // looking at it: hand the right to come to the front over first.
    DWORD processId = 0;
    GetWindowThreadProcessId(search.found, &processId);
    AllowSetForegroundWindow(processId);
    SetForegroundWindow(GetLastActivePopup(search.found));
}
