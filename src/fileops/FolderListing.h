#pragma once
#include <windows.h>
#include <string>

// The entries of one folder, "." and ".." included, in the order the file
// system yields them; the listing is closed when the object goes.
class CFolderListing {
public:
    CFolderListing() = default;
    CFolderListing(const CFolderListing&) = delete;
    CFolderListing& operator=(const CFolderListing&) = delete;
    ~CFolderListing() { Close(); }

    // Lists `folder`; false when the listing cannot be started (Error() says
    // why), which includes a listing pattern too long for the ANSI calls.
    bool Start(const char* folder);
    // Moves to the next entry; false when none is left.
    bool Next();
    void Close();

    const WIN32_FIND_DATAA& Entry() const { return m_entry; }
    // The entry is "." or "..".
    bool EntryIsDots() const;
    DWORD Error() const { return m_error; }

private:
    HANDLE m_find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA m_entry{};
    DWORD m_error = ERROR_SUCCESS;
};

// True when a listing of `folder` that failed with `error` only means the
// folder is empty (some file systems list nothing at all for one), not that
// it is missing or unreadable.
bool ListingFailureMeansEmpty(const char* folder, DWORD error);
