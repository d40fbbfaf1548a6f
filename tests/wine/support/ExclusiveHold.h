#pragma once
#include <windows.h>
#include <string>

// A file or folder held open without sharing, as another program holding it
// would: every other open of it fails with a sharing violation until Release.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::string& path);
    ~ExclusiveHold() { Release(); }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    bool IsHeld() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE m_handle;
};
