#include "FileopsTestSupport.h"
#include <commctrl.h>

namespace {

std::wstring Wide(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    return L"\\\\?\\" + wide;
}

HANDLE OpenForWriting(const std::string& path) {
    return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

const char kWindowClass[] = "FileopsTestWindow";
const char kWatchedProperty[] = "FileopsTestWatched";
PromptWatcher* g_watcher = nullptr;

} // namespace

TempFolder::TempFolder() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "fo" + std::to_string(GetCurrentProcessId()) + "_" +
             std::to_string(++serial);
    RemoveTree(m_path);
    MakeFolder(m_path);
}

TempFolder::~TempFolder() {
    RemoveTree(m_path);
}

std::string Bytes(size_t count, unsigned seed) {
    std::string data(count, '\0');
    for (char& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return data;
}

bool WriteBytes(const std::string& path, const std::string& data) {
    HANDLE file = OpenForWriting(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = data.empty() || WriteFile(file, data.data(), static_cast<DWORD>(data.size()),
                                              &written, nullptr);
    CloseHandle(file);
    return ok && written == data.size();
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string data;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        data.append(buffer, read);
    CloseHandle(file);
    return data;
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(Wide(path).c_str(), nullptr) != FALSE;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    for (const std::string& name : ListingOrder(path)) {
        const std::string entry = path + "\\" + name;
        if (IsFolder(entry)) {
            RemoveTree(entry);
        } else {
            SetFileAttributesW(Wide(entry).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(Wide(entry).c_str());
        }
    }
    RemoveDirectoryW(Wide(path).c_str());
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
    HANDLE find = FindFirstFileW((Wide(folder) + L"\\*").c_str(), &entry);
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

ExclusiveHold::ExclusiveHold(const std::string& path)
    : m_handle(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}

void ExclusiveHold::Release() {
    if (m_handle != INVALID_HANDLE_VALUE)
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
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
