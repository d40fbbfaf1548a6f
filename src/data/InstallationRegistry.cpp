#include "data/InstallationRegistry.h"

#include "data/PackageLayout.h"
#include "data/StampFile.h"

#include <cstdio>
#include <cstring>

#include <windows.h>

namespace {

// Closes the key when the lookup returns, whichever way it does.
class COpenRegistryKey {
public:
    COpenRegistryKey() = default;
    ~COpenRegistryKey() {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    COpenRegistryKey(const COpenRegistryKey&) = delete;
    COpenRegistryKey& operator=(const COpenRegistryKey&) = delete;

    bool Open(HKEY root, const char* name, REGSAM access) {
        return RegOpenKeyExA(root, name, 0, access, &m_key) == ERROR_SUCCESS;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

bool ReadInstallationFolder(char* folder, std::size_t capacity) {
    if (folder == nullptr || capacity == 0)
        return false;
    folder[0] = '\0';

    char keyName[64];
    std::snprintf(keyName, sizeof keyName, kRegistryKeyFormat, kProductVersionCode);
    COpenRegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, keyName, KEY_READ | KEY_WOW64_32KEY))
        return false;

    // One byte more than is read, so that a value stored without its
    // terminating zero still ends inside the buffer.
    char value[kPathBufferSize + 1];
    DWORD type = REG_NONE;
    DWORD size = kPathBufferSize;
    if (RegQueryValueExA(key.Get(), kRegistryValueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return false;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kPathBufferSize)
        return false;
    value[size] = '\0';

    const std::size_t length = std::strlen(value);
    if (length == 0 || length >= capacity)
        return false;
    std::memcpy(folder, value, length + 1);
    return true;
}

int LocateInstallation(char* folder, std::size_t folderCapacity, char* stampPath,
                       std::size_t stampPathCapacity) {
    if (stampPath == nullptr || stampPathCapacity == 0)
        return 0;
    stampPath[0] = '\0';
    if (!ReadInstallationFolder(folder, folderCapacity))
        return 0;
    // A file of that name is no installation: the stamp file path under it
    // could never be written, and the copy would fail on every entry.
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        folder[0] = '\0';
        return 0;
    }
    StripOneTrailingBackslash(folder);
    if (!BuildStampFilePath(folder, stampPath, stampPathCapacity)) {
        folder[0] = '\0';
        return 0;
    }
    return 1;
}
