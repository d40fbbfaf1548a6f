#include "NativePath.h"

#include "Cp1252Text.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

bool WideToCodePage(const std::wstring& wide, UINT codePage, std::string& out) {
    out.clear();
    if (wide.empty())
        return true;
    BOOL usedDefault = FALSE;
    // Best-fit mapping would quietly turn characters into look-alikes; the
    // wizard's own ANSI calls are what matters, and those see '?'.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* usedDefaultArg = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                            "?", usedDefaultArg);
    if (length <= 0)
        return false;
    out.resize(static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &out[0],
                        length, "?", usedDefaultArg);
    return usedDefault == FALSE;
}

} // namespace

fs::path PathFromArgument(const char* argument) {
    std::wstring wide;
    const int length = MultiByteToWideChar(CP_ACP, 0, argument, -1, nullptr, 0);
    if (length > 1) {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, argument, -1, &wide[0], length);
        wide.resize(static_cast<std::size_t>(length - 1));
    }
    return fs::path(wide);
}

std::string DisplayPath(const fs::path& path) {
    std::string out;
    WideToCodePage(path.native(), CP_ACP, out);
    return out;
}

bool NarrowPath(const fs::path& path, std::string& narrow) {
    return WideToCodePage(path.native(), CP_ACP, narrow);
}

bool NameInCp1252(const fs::path& name, std::string& cp1252) {
    return WideToCodePage(name.native(), 1252, cp1252);
}

bool IsLink(const fs::path& path, std::error_code& error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
        return false;
    }
    error.clear();
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

FilePtr OpenFile(const fs::path& path, const char* mode, std::error_code& error) {
    std::wstring wideMode;
    for (const char* m = mode; *m != '\0'; ++m)
        wideMode += static_cast<wchar_t>(*m);
    errno = 0;
    FilePtr file(_wfopen(path.c_str(), wideMode.c_str()));
    error = file ? std::error_code() : std::error_code(errno, std::generic_category());
    return file;
}

std::string ForConsole(const std::string& cp1252) {
    return cp1252;
}

#else

fs::path PathFromArgument(const char* argument) {
    return fs::path(std::string(argument));
}

std::string DisplayPath(const fs::path& path) {
    return path.native();
}

bool NarrowPath(const fs::path& path, std::string& narrow) {
    narrow = path.native();
    return true;
}

bool NameInCp1252(const fs::path& name, std::string& cp1252) {
    return Utf8ToCp1252(name.native(), cp1252);
}

bool IsLink(const fs::path& path, std::error_code& error) {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    error.clear();
    return S_ISLNK(status.st_mode);
}

FilePtr OpenFile(const fs::path& path, const char* mode, std::error_code& error) {
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), mode));
    error = file ? std::error_code() : std::error_code(errno, std::generic_category());
    return file;
}

std::string ForConsole(const std::string& cp1252) {
    return Cp1252ToUtf8(cp1252);
}

#endif
