#include "FileopsTestSupport.h"
#include <commctrl.h>

namespace {

HANDLE OpenForWriting(const std::string& path) {
    return CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

const char kWindowClass[] = "FileopsTestWindow";
const char kWatchedProperty[] = "FileopsTestWatched";
PromptWatcher* g_watcher = nullptr;

} // namespace

std::string Bytes(size_t count, unsigned seed) {
    std::string data(count, '\0');
    for (char& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return data;
}

bool MakeSparseFile(const std::string& path, int64_t size) {
    HANDLE file = OpenForWriting(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const BOOL ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

std::vector<std::string> ListingOrder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        char narrow[MAX_PATH * 2];
        WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        names.push_back(narrow);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

std::string PathOfLength(const std::string& folder, const std::string& prefix, size_t length) {
    std::string path = folder + "\\" + prefix;
    if (path.size() < length)
        path.append(length - path.size(), 'x');
    return path;
}

LRESULT RecordingProgress::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETPOS && log)
        log->push_back({'g', static_cast<int>(wParam)});
    return CProgressCtrl::WindowProc(message, wParam, lParam);
}

CopierWindow::CopierWindow() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&windowClass);
    m_frame = CreateWindowExA(0, kWindowClass, "fileops", WS_OVERLAPPEDWINDOW, 40, 40, 420, 140,
                              nullptr, nullptr, instance, nullptr);
    m_status.SubclassWindow(CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 10,
                                            10, 390, 20, m_frame, nullptr, instance, nullptr));
    m_progress.SubclassWindow(CreateWindowExA(0, PROGRESS_CLASSA, "",
                                              WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10, 50, 390, 18,
                                              m_frame, nullptr, instance, nullptr));
    ShowWindow(m_frame, SW_SHOWNOACTIVATE);
    UpdateWindow(m_frame);
}

CopierWindow::~CopierWindow() {
    m_progress.UnsubclassWindow();
    m_status.UnsubclassWindow();
    DestroyWindow(m_frame);
}

std::string CopierWindow::StatusText() const {
    char text[1024] = "";
    GetWindowTextA(m_status.m_hWnd, text, sizeof text);
    return text;
}

PromptWatcher::PromptWatcher(std::function<void()> onPrompt)
    : m_hook(SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId())),
      m_onPrompt(std::move(onPrompt)) {
    g_watcher = this;
}

PromptWatcher::~PromptWatcher() {
    UnhookWindowsHookEx(m_hook);
    g_watcher = nullptr;
}

LRESULT CALLBACK PromptWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[16] = "";
    if (code == HCBT_ACTIVATE && g_watcher && GetClassNameA(window, name, sizeof name) &&
        lstrcmpA(name, "#32770") == 0 && !GetPropA(window, kWatchedProperty)) {
        SetPropA(window, kWatchedProperty, reinterpret_cast<HANDLE>(1));
        g_watcher->m_onPrompt();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
