#include "UnixLink.h"
#include "TestFiles.h"
#include <windows.h>
#include <cstring>

namespace {

using UnixNameFn = char*(CDECL*)(const WCHAR*);

// The host's path of a Windows path, or empty when there is none.
std::string UnixPath(const std::string& path) {
    static UnixNameFn toUnix = [] {
        UnixNameFn fn = nullptr;
        FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
        static_assert(sizeof fn == sizeof proc, "function pointers of one size");
        std::memcpy(&fn, &proc, sizeof fn);
        return fn;
    }();
    if (!toUnix)
        return {};
    const std::wstring wide(path.begin(), path.end());
    char* unix = toUnix(wide.c_str());
    if (!unix)
        return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

} // namespace

namespace {

// Runs a host command; its handle is signalled before it has run.
bool RunHost(std::string command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

} // namespace

bool RemoveUnixLink(const std::string& link) {
    const std::string at = UnixPath(link);
    if (at.empty() || !RunHost("/bin/rm -f \"" + at + "\""))
        return false;
    for (int waited = 0; waited < 10000; waited += 20) {
        if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(20);
    }
    return false;
}

bool MakeUnixLink(const std::string& target, const std::string& link) {
    const std::string from = UnixPath(target);
    const std::string at = UnixPath(link);
    if (from.empty() || at.empty())
        return false;
    if (!RunHost("/bin/ln -s -n \"" + from + "\" \"" + at + "\""))
        return false;
    // Wait for the link itself.
    for (int waited = 0; waited < 10000; waited += 20) {
        const DWORD attributes = GetFileAttributesA(link.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        Sleep(20);
    }
    return false;
}

bool MakeUnixHardLink(const std::string& target, const std::string& link) {
    const std::string from = UnixPath(target);
    const std::string at = UnixPath(link);
    if (from.empty() || at.empty() || !RunHost("/bin/ln \"" + from + "\" \"" + at + "\""))
        return false;
    for (int waited = 0; waited < 10000; waited += 20) {
        if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(20);
    }
    return false;
}

bool MakeUnixFileLink(const std::string& target, const std::string& link) {
    MakeUnixLink(target, link);
    return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}
