#include "data_win_folders.h"

#include <cstdio>

#include <windows.h>

CTestFolders::CTestFolders() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return;
    char unique[64];
    std::snprintf(unique, sizeof unique, "tsd%lu-%lu", GetCurrentProcessId(), GetTickCount());
    if (Make(std::string(temp) + unique))
        m_base = std::string(temp) + unique;
}

CTestFolders::~CTestFolders() {
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((*it + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((*it + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(it->c_str());
    }
}

bool CTestFolders::Make(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr))
        return false;
    m_made.push_back(path);
    return true;
}

std::string CTestFolders::MakeFolder(const std::string& name) {
    const std::string path = m_base + "\\" + name;
    return Make(path) ? path : std::string();
}

std::string CTestFolders::MakeFolderOfLength(std::size_t length) {
    std::string path = m_base;
    if (path.empty() || length < path.size() + 2)
        return std::string();
    while (path.size() < length) {
        std::size_t part = length - path.size() - 1;
        // Leave room for one more part rather than a part of nothing.
        if (part > 100)
            part = part - 100 >= 2 ? 100 : part - 2;
        path += "\\" + std::string(part, 'a' + static_cast<char>(m_made.size() % 26));
        if (!Make(path))
            return std::string();
    }
    return path;
}

std::string CTestFolders::WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = m_base + "\\" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return std::string();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return "<missing>";
    char chunk[256];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
