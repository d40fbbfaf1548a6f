#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// A file opened without sharing, as another program holding it would: every
// other open of it fails with a sharing violation until it is released.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE m_file;
};

} // namespace e2e
