#include "fileops/FolderListing.h"
#include "fileops/Paths.h"
#include <cstring>

bool CFolderListing::Start(const char* folder) {
    Close();
    const std::string pattern = JoinPath(folder, "*.*");
    if (!PathFits(pattern)) {
        m_error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    m_find = FindFirstFileA(pattern.c_str(), &m_entry);
    m_error = m_find == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    return m_find != INVALID_HANDLE_VALUE;
}

bool CFolderListing::Next() {
    return m_find != INVALID_HANDLE_VALUE && FindNextFileA(m_find, &m_entry);
}

void CFolderListing::Close() {
    if (m_find != INVALID_HANDLE_VALUE)
        FindClose(m_find);
    m_find = INVALID_HANDLE_VALUE;
}

bool CFolderListing::EntryIsDots() const {
    return std::strcmp(m_entry.cFileName, ".") == 0 || std::strcmp(m_entry.cFileName, "..") == 0;
}

bool ListingFailureMeansEmpty(const char* folder, DWORD error) {
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
        return false;
    const DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
