#include "framework/SafeLibrarySearch.h"

#include <cstring>

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// GetProcAddress hands back a generic pointer; its bytes are copied into one
// of the function's real type rather than cast between function types.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    const FARPROC found = GetProcAddress(kernel, "SetDefaultDllDirectories");
    SetDefaultDllDirectoriesFunction function = nullptr;
    static_assert(sizeof function == sizeof found, "function pointers differ in size");
    if (found != nullptr)
        std::memcpy(&function, &found, sizeof function);
    return function;
}

} // namespace

bool RestrictLibrarySearch() {
    const SetDefaultDllDirectoriesFunction setDefault = FindSetDefaultDllDirectories();
    const bool restricted =
        setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    // Where the call is missing (or refused), the current folder at least
    // leaves the search; where it worked, this costs nothing.
    SetDllDirectoryA("");
    return restricted;
}
