#include "TestFiles.h"
#include <windows.h>
#include <algorithm>

namespace {

// Wide all the way down: a name that has no ANSI form is removed too.
bool RemoveWideTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE listing = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (listing != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link goes, never what it points at.
                if (!DeleteFileW(path.c_str()))
                    RemoveDirectoryW(path.c_str());
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveWideTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(listing, &entry));
        FindClose(listing);
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

void ReadTreeBelow(const std::string& folder, const std::string& relative,
                   std::map<std::string, std::string>& files) {
    WIN32_FIND_DATAA found;
    const std::string here = relative.empty() ? folder : folder + "\\" + relative;
    const HANDLE listing = FindFirstFileA((here + "\\*").c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = relative.empty() ? name : relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ReadTreeBelow(folder, path, files);
        else
            files[path] = ReadBytes(folder + "\\" + path);
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
}

} // namespace

std::map<std::string, std::string> ReadTree(const std::string& folder) {
    std::map<std::string, std::string> files;
    ReadTreeBelow(folder, "", files);
    return files;
}

std::wstring WidePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    // The prefix turns off the path clean-up, so only a full path keeps its meaning.
    const bool full = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                      path.find('/') == std::string::npos;
    return full ? L"\\\\?\\" + wide : wide;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    const std::string::size_type slash = path.find_last_of('\\');
    if (slash != std::string::npos)
        MakeFolders(path.substr(0, slash));
    const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    std::string::size_type done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::string::size_type>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    return CloseHandle(file) && ok;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    const HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    char chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    if (!ok)
        bytes.clear();
    return ok;
}

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    return ReadBytes(path, bytes) ? bytes : std::string("<missing>");
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(WidePath(path).c_str(), nullptr) != FALSE;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(WidePath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::string::size_type slash = folder.find_last_of('\\');
    if (slash != std::string::npos && slash > 2)
        MakeFolders(folder.substr(0, slash));
    return MakeFolder(folder) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::string& folder) {
    return RemoveWideTree(WidePath(folder));
}
